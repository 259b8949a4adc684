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
    // The S-550 sound disk: JsonHasTheAgreedKeys; every family: the definition tests.
    for (auto e : {Expect{"demo.sdk", "W30", "Sound & Song"}, Expect{"demo.sng", "W30", "Song"}}) {
        SCOPED_TRACE(e.file);
        const auto r = Cli({"info", test::DemoImage(e.file).string()});
        EXPECT_EQ(r.rc, 0) << r.err;
        ExpectHas(r.out, std::string("Sampler:    ") + e.sampler + "\nKind:       " + e.kind + "\n");
        ExpectHas(r.out, "Memo:");
        EXPECT_TRUE(r.err.empty());
    }
}

TEST(CliInfo, JsonHasTheAgreedKeys) {
    const auto r = Cli({"info", "--json", test::DemoImage("demo.s55").string()});
    ASSERT_EQ(r.rc, 0);
    for (const char* key : {"\"sampler\":\"S550\"", "\"kind\":\"Sound\"", "\"extension\":\".s55\"",
                            "\"memo\":{\"kind\":0,\"name\":\"VELDIN DEMO \"", "\"title\":\"VELDIN DEMO S-550 sounds"})
        ExpectHas(r.out, key);
    EXPECT_EQ(r.out.front(), '{');
    EXPECT_EQ(r.out.back(), '\n');
}

TEST(CliInfo, RefusalsCarryTheFixedTextsAndUsageErrorsExitWithTwo) {
    test::TempDir dir;
    auto bytes = test::ReadFile(test::DemoImage("demo.s55"));
    bytes.pop_back();
    test::WriteFile(dir / "short.s55", bytes);
    EXPECT_TRUE(Cli({"info", (dir / "short.s55").string()}).out.empty());
    ExpectRefusals({
        {{"info", (dir / "short.s55").string()}, 1,
         "veldin-cli: Couldn't continue, invalid size of diskimage!\n (Possibly file is not a Roland diskimage)\n"},
        {{}, 2},
        {{"info", "a", "b"}, 2},
        {{"info", "--bogus", "a"}, 2},
        {{"frobnicate"}, 2},
    });
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
