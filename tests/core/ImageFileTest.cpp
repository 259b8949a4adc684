#include <gtest/gtest.h>

#include <cstring>

#include "core/Geometry.h"
#include "core/ImageFile.h"
#include "core/Messages.h"
#include "tests/support/TestSupport.h"

namespace veldin {
namespace {

using test::TempDir;

std::vector<std::uint8_t> S550Image() {
    std::vector<std::uint8_t> b(static_cast<std::size_t>(kImageSize), 0);
    std::memcpy(b.data() + 4, "S550", 4);
    std::memcpy(b.data() + 12, "5B\0\x04", 4);
    return b;
}

TEST(LoadImageFile, AcceptsAnImageOfExactSize) {
    TempDir dir;
    test::WriteFile(dir / "a.s55", S550Image());
    auto image = LoadImageFile(dir / "a.s55");
    ASSERT_TRUE(image.ok());
    EXPECT_EQ(image->definition.samplerName, "S550");
    EXPECT_EQ(image->bytes.size(), 737280u);
}

TEST(LoadImageFile, SizeIsCheckedBeforeClassification) {
    TempDir dir;
    for (long delta : {-1L, 1L, -737280L}) {
        auto bytes = S550Image();
        bytes.resize(static_cast<std::size_t>(kImageSize + delta));
        test::WriteFile(dir / "b.s55", bytes);
        auto image = LoadImageFile(dir / "b.s55");
        ASSERT_FALSE(image.ok());
        EXPECT_EQ(image.failure().text, text::kInvalidSize);
        EXPECT_EQ(image.failure().icon, Icon::Error);
    }
}

TEST(LoadImageFile, UnknownKeyIsRefused) {
    TempDir dir;
    test::WriteFile(dir / "c.s55", std::vector<std::uint8_t>(static_cast<std::size_t>(kImageSize), 0));
    auto image = LoadImageFile(dir / "c.s55");
    ASSERT_FALSE(image.ok());
    EXPECT_EQ(image.failure().text, text::kNotRolandImage);
}

TEST(LoadImageFile, MissingFileOrDirectory) {
    TempDir dir;
    EXPECT_EQ(LoadImageFile(dir / "none").failure().text, text::kCantOpenFile);
    EXPECT_EQ(LoadImageFile(dir.path()).failure().text, text::kCantOpenFile);
}

TEST(CheckImageBytes, SameRulesInMemory) {
    EXPECT_TRUE(CheckImageBytes(S550Image()).ok());
    auto shorter = S550Image();
    shorter.pop_back();
    EXPECT_EQ(CheckImageBytes(shorter).failure().text, text::kInvalidSize);
}

} // namespace
} // namespace veldin
