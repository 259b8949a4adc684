#include <gtest/gtest.h>

#include "platform/QtSettingsStore.h"
#include "tests/support/TestSupport.h"

namespace veldin {
namespace {

std::vector<std::uint8_t> Bytes(std::string_view s) { return {s.begin(), s.end()}; }

TEST(QtSettingsStore, TypesRoundTripThroughTheFile) {
    test::TempDir dir;
    const std::string file = (dir / "VELDIN.conf").string();
    {
        QtSettingsStore store(file);
        EXPECT_FALSE(store.keyExists("") || store.keyExists("Tone Editor"));
        ASSERT_TRUE(store.write("", "Main Path", RegType::Sz, Bytes("/opt/veldin")));
        const std::uint8_t dword[4] = {0xFF, 0xFF, 0xFF, 0xFF};
        ASSERT_TRUE(store.write("", "WinPosX", RegType::Dword, dword));
        const std::uint8_t bin[4] = {0, 1, 0xFE, 0xFF};
        ASSERT_TRUE(store.write("Tone Editor", "Tree", RegType::Binary, bin));
        ASSERT_TRUE(store.sync());
    }
    QtSettingsStore store(file);
    EXPECT_EQ(std::tuple(store.keyExists(""), store.keyExists("Tone Editor"), store.keyExists("MIDI Editor")),
              std::tuple(true, true, false));
    EXPECT_EQ(store.read("", "Main Path", RegType::Sz), Bytes("/opt/veldin"));
    EXPECT_EQ(store.read("", "WinPosX", RegType::Dword), (std::vector<std::uint8_t>{0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(store.read("Tone Editor", "Tree", RegType::Binary), (std::vector<std::uint8_t>{0, 1, 0xFE, 0xFF}));
    EXPECT_FALSE(store.read("Tone Editor", "Missing", RegType::Binary).has_value());
    EXPECT_FALSE(store.read("", "Main Path", RegType::Binary).has_value()); // a text is no byte array
}

} // namespace
} // namespace veldin
