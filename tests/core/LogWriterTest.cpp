#include <gtest/gtest.h>

#include "core/LogWriter.h"
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
}

TEST(LogWriter, OpeningReplacesTheFileAndClosesThePreviousLog) {
    test::TempDir dir;
    test::WriteFile(dir / "a.txt", {'o', 'l', 'd'});
    LogWriter log;
    ASSERT_TRUE(log.open(dir / "a.txt"));
    log.write("new");
    ASSERT_TRUE(log.open(dir / "b.txt"));
    log.write("b");
    log.close();
    EXPECT_EQ(Contents(dir / "a.txt"), "new");
    EXPECT_EQ(Contents(dir / "b.txt"), "b");
}

} // namespace
} // namespace veldin
