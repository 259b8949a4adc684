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
