#include <gtest/gtest.h>

#include "core/Geometry.h"
#include "tests/cli/CliRun.h"

namespace veldin::cli {
namespace {

TEST(CliInfo, JsonHasTheAgreedKeys) {
    const auto r = Cli({"info", "--json", test::DemoImage("demo.s55").string()});
    ASSERT_EQ(r.rc, 0);
    for (const char* key : {"\"sampler\":\"S550\"", "\"kind\":\"Sound\"", "\"extension\":\".s55\"",
                            "\"memo\":{\"kind\":0,\"name\":\"VELDIN DEMO \"", "\"title\":\"VELDIN DEMO S-550 sounds"})
        ExpectHas(r.out, key);
    EXPECT_EQ(r.out.front(), '{');
    EXPECT_EQ(r.out.back(), '\n');
    // Every family's sampler and kind: the definition tests.
    const auto text = Ok({"info", test::DemoImage("demo.sdk").string()}).out;
    ExpectHas(text, "Sampler:    W30\nKind:       Sound & Song\n");
    ExpectHas(text, "Memo:       \"W-30 sounds \"");
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
