#include <gtest/gtest.h>

#include "core/Geometry.h"
#include "tests/cli/CliRun.h"

namespace veldin::cli {
namespace {

TEST(CliInfo, EveryDemoImage) {
    struct Expect {
        const char* file;
        const char* sampler;
        const char* kind;
    };
    for (auto e : {Expect{"demo.s50", "S50", "Sound"}, Expect{"demo.s33", "S330", "Sound"},
                   Expect{"demo.s55", "S550", "Sound"}, Expect{"demo.sdk", "W30", "Sound & Song"},
                   Expect{"demo.sng", "W30", "Song"}}) {
        SCOPED_TRACE(e.file);
        const auto r = Cli({"info", test::DemoImage(e.file).string()});
        EXPECT_EQ(r.rc, 0) << r.err;
        EXPECT_NE(r.out.find(std::string("Sampler:    ") + e.sampler + "\n"), std::string::npos) << r.out;
        EXPECT_NE(r.out.find(std::string("Kind:       ") + e.kind + "\n"), std::string::npos);
        EXPECT_NE(r.out.find("Memo:"), std::string::npos);
        EXPECT_TRUE(r.err.empty());
    }
}

TEST(CliInfo, JsonHasTheAgreedKeys) {
    const auto r = Cli({"info", "--json", test::DemoImage("demo.s55").string()});
    ASSERT_EQ(r.rc, 0);
    for (const char* key : {"\"sampler\":\"S550\"", "\"kind\":\"Sound\"", "\"extension\":\".s55\"",
                            "\"memo\":{\"kind\":0,\"name\":\"VELDIN DEMO \"", "\"title\":\"VELDIN DEMO S-550 sounds"})
        EXPECT_NE(r.out.find(key), std::string::npos) << key << " in " << r.out;
    EXPECT_EQ(r.out.front(), '{');
    EXPECT_EQ(r.out.back(), '\n');
}

TEST(CliInfo, RefusalsCarryTheFixedTexts) {
    test::TempDir dir;
    auto bytes = test::ReadFile(test::DemoImage("demo.s55"));
    bytes.pop_back();
    test::WriteFile(dir / "short.s55", bytes);
    test::WriteFile(dir / "zero.s55", std::vector<std::uint8_t>(static_cast<std::size_t>(kImageSize), 0));

    auto r = Cli({"info", (dir / "short.s55").string()});
    EXPECT_EQ(r.rc, 1);
    EXPECT_EQ(r.err, "veldin-cli: Couldn't continue, invalid size of diskimage!\n (Possibly file is not a Roland diskimage)\n");
    EXPECT_TRUE(r.out.empty());

    r = Cli({"info", (dir / "zero.s55").string()});
    EXPECT_EQ(r.rc, 1);
    EXPECT_EQ(r.err, "veldin-cli: File is not Roland S50/S330/S550/W30 diskimage or is corrupted.\n");

    r = Cli({"info", (dir / "missing").string()});
    EXPECT_EQ(r.rc, 1);
    EXPECT_EQ(r.err, "veldin-cli: Couldn't open file!\n");
}

TEST(CliInfo, UsageErrors) {
    EXPECT_EQ(Cli({}).rc, 2);
    EXPECT_EQ(Cli({"info"}).rc, 2);
    EXPECT_EQ(Cli({"info", "a", "b"}).rc, 2);
    EXPECT_EQ(Cli({"info", "--bogus", "a"}).rc, 2);
    EXPECT_EQ(Cli({"frobnicate"}).rc, 2);
}

TEST(CliHelp, EverywhereAndForEveryCommand) {
    auto r = Cli({"--help"});
    EXPECT_EQ(r.rc, 0);
    for (const auto& c : AllCommands()) {
        EXPECT_NE(r.out.find(c.synopsis), std::string::npos);
        const auto h = Cli({std::string(c.name), "--help"});
        EXPECT_EQ(h.rc, 0);
        EXPECT_EQ(h.out.rfind("Usage: veldin-cli " + std::string(c.name), 0), 0u) << h.out;
    }
}

TEST(CliText, TerminalLineBreaksAndJsonEscapes) {
    EXPECT_EQ(TerminalText("a\n\rb\r\nc\rd\ne"), "a\nb\nc\nd\ne");
    EXPECT_EQ(JsonEscape("a\"b\\c\x01\xC4"), "a\\\"b\\\\c\\u0001\xC3\x84");
}

} // namespace
} // namespace veldin::cli
