#include <gtest/gtest.h>

#include <cstring>

#include "core/Geometry.h"
#include "core/ImageFile.h"
#include "core/LogWriter.h"
#include "core/Messages.h"
#include "tests/support/TestSupport.h"

namespace veldin {
namespace {

std::string Contents(const std::filesystem::path& p) {
    const auto b = test::ReadFile(p);
    return {b.begin(), b.end()};
}

TEST(LogWriter, WritesTextsAndNumbersAsGiven) {
    test::TempDir dir;
    LogWriter log;
    ASSERT_TRUE(log.open(dir / "log.txt"));
    log.writeLine("========== Log =========");
    log.write(" value: ");
    log.writeDecimal(-42);
    log.write(" ");
    log.writeHex4(0xab);
    log.write(" ");
    log.writeHex8(0xDEADBEEF);
    log.writeFormatted(" %d-%s", 7, "x");
    log.close();
    EXPECT_EQ(Contents(dir / "log.txt"), "========== Log =========\r\n value: -42 00AB DEADBEEF 7-x");

    LogWriter none; // a log that cannot be opened ignores what is written
    EXPECT_FALSE(none.open("/proc/no/such/dir/log.txt"));
    EXPECT_FALSE(none.isOpen());
    none.writeLine("nothing");
    none.writeDecimal(1);

    // Opening replaces the file and closes the previous log.
    test::WriteFile(dir / "a.txt", {'o', 'l', 'd'});
    ASSERT_TRUE(log.open(dir / "a.txt"));
    log.write("new");
    ASSERT_TRUE(log.open(dir / "b.txt"));
    log.write("b");
    log.close();
    EXPECT_EQ(Contents(dir / "a.txt"), "new");
    EXPECT_EQ(Contents(dir / "b.txt"), "b");
}

using test::TempDir;

std::vector<std::uint8_t> S550Image() {
    std::vector<std::uint8_t> b(static_cast<std::size_t>(kImageSize), 0);
    std::memcpy(b.data() + 4, "S550", 4);
    std::memcpy(b.data() + 12, "5B\0\x04", 4);
    return b;
}

TEST(LoadImageFile, AcceptsOnlyTheExactSizeCheckedBeforeTheKey) {
    TempDir dir;
    test::WriteFile(dir / "a.s55", S550Image());
    auto image = LoadImageFile(dir / "a.s55");
    ASSERT_TRUE(image.ok());
    EXPECT_EQ(image->definition.samplerName, "S550");
    for (long delta : {-1L, 1L, -737280L}) { // an empty file is the wrong size, not an unknown key
        auto bytes = S550Image();
        bytes.resize(static_cast<std::size_t>(kImageSize + delta));
        test::WriteFile(dir / "b.s55", bytes);
        EXPECT_EQ(LoadImageFile(dir / "b.s55").failure().text, text::kInvalidSize);
        EXPECT_EQ(CheckImageBytes(bytes).failure().text, text::kInvalidSize);
    }
    EXPECT_EQ(LoadImageFile(dir.path()).failure().text, text::kCantOpenFile); // a directory
}

} // namespace
} // namespace veldin
