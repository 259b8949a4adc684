#include <gtest/gtest.h>

#include "tests/cli/CliRun.h"
#include "update/Backend.h"
#include "update/PackedFile.h"

namespace veldin::cli {
namespace {


std::vector<std::uint8_t> Bytes(std::string_view s) { return {s.begin(), s.end()}; }

TEST(CliUpdate, UsageAndMissingBackend) {
    for (const Args& args : {Args{"update", "--server", "http://h/"}, Args{"update", "--dir", "/tmp"},
                             Args{"update", "--server", "http://h/", "--dir", "/tmp", "--bogus"}, Args{"update", "--server"}})
        EXPECT_EQ(Cli(args).rc, kUsage);
    SetUpdateBackendFactory(nullptr);
    const auto r = Cli({"update", "--server", "http://h/", "--dir", "/tmp"});
    EXPECT_EQ(r.rc, kRefused);
    EXPECT_NE(r.err.find("no network support"), std::string::npos);
}

// Both header forms unpack; a file that is not packed, or is damaged, leaves the target
// as it was.
TEST(CliUnpack, BothFormsAndRefusals) {
    test::TempDir dir;
    const auto data = Bytes("unpack me, unpack me, unpack me please");
    struct Case {
        const char* what;
        std::vector<std::uint8_t> packed;
        int rc;
        std::string said; // in the output, or the whole error output
    };
    const Case cases[] = {
        {"short form", update::PackFile(data, update::PackedForm::Short), kOk, "8-byte header"},
        {"safe form", update::PackFile(data, update::PackedForm::Safe), kOk, "CRCs checked"},
        {"not packed", Bytes("just text"), kRefused, "veldin-cli: This file has not been compressed by aPPack\n"},
    };
    for (const auto& c : cases) {
        test::WriteFile(dir / "f.tx_", c.packed);
        test::WriteFile(dir / "f.txt", Bytes("old"));
        const auto r = Cli({"unpack", (dir / "f.tx_").string(), (dir / "f.txt").string()});
        EXPECT_EQ(r.rc, c.rc) << c.what << r.err;
        EXPECT_EQ(test::ReadFile(dir / "f.txt"), c.rc == kOk ? data : Bytes("old")) << c.what;
        if (c.rc == kOk) {
            EXPECT_NE(r.out.find(c.said), std::string::npos) << c.what << r.out;
        } else {
            EXPECT_EQ(r.err, c.said) << c.what;
        }
    }
    EXPECT_EQ(Cli({"unpack", (dir / "missing").string(), (dir / "x").string()}).rc, kRefused);
    EXPECT_EQ(Cli({"unpack", "one"}).rc, kUsage);
}

} // namespace
} // namespace veldin::cli
