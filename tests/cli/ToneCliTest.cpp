// veldin-cli tones / tone on real files: the round trip WAV -> image -> WAV, the JSON
// keys, writing back or with -o, and refusals that leave the image alone.
#include <gtest/gtest.h>

#include "tests/cli/CliRun.h"

namespace veldin::cli {
namespace {

using veldin::test::ReadFile;
using veldin::test::TempDir;
using veldin::test::WriteFile;

std::vector<std::uint8_t> MonoWav(std::size_t samples, int channels = 1) { return Wav16(samples, channels, 44100, 16); }

std::string Main() { return veldin::test::BinDir().string(); }

TEST(CliTone, ImportListExportRoundTrip) {
    TempDir dir;
    WriteFile(dir / "d.s55", EmptyImage("S550.dat"));
    WriteFile(dir / "Front_Center.wav", MonoWav(20000));
    const std::string img = (dir / "d.s55").string();
    Ok({"tone", "import-wav", img, (dir / "Front_Center.wav").string(), "--bank", "A", "--main-dir", Main()});
    auto r = Ok({"tones", img, "--json"});
    for (const char* key : {"\"name\":\"Front_Ce\"", "\"area\":\"ram\"", "\"bank\":\"A\"", "\"position\":0",
                            "\"number\":0", "\"subtone\":false", "\"segments\":2", "\"start\":0", "\"loop\":0",
                            "\"end\":20000", "\"rate\":30000", "\"text\":\"31 positions & 393216 bytes free\""})
        ExpectHas(r.out, key);

    Ok({"tone", "export-wav", img, "Front_Ce", (dir / "o.wav").string(), "--no-regions"});
    const auto wav = ReadFile(dir / "o.wav");
    ASSERT_EQ(wav.size(), 44u + 2u * 24576u);
    EXPECT_EQ(ReadLe32(std::span(wav).subspan(24)), 30000u);
    for (std::size_t i = 0; i < 20000; i += 1234)
        EXPECT_EQ(ReadLe16(std::span(wav).subspan(44 + 2 * i)), static_cast<std::uint16_t>(i * 16)) << i;

    r = Cli({"tones", img});
    ExpectHas(r.out, "ram:0  \"Front_Ce\"  Tone Number: 0, Original **, Lenght: 0.8 s");
}

TEST(CliTone, SaveLoadRenameSetDeleteWithOutputFile) {
    TempDir dir;
    const auto demo = veldin::test::DemoImage("demo.s55");
    const auto original = ReadFile(demo);
    WriteFile(dir / "d.s55", original);
    const std::string img = (dir / "d.s55").string();
    const std::string out = (dir / "out.s55").string();

    Ok({"tone", "save", img, "ram:0", (dir / "t.ton").string()});
    EXPECT_EQ(ReadFile(dir / "t.ton").size(), 6u + 2 * 128 + 2 * 18432);
    Ok({"tone", "save", img, "ram:0", (dir / "t.ston").string()});
    EXPECT_EQ(ReadFile(dir / "t.ston").size(), 134u);

    Ok({"tone", "load", img, (dir / "t.ton").string(), "--bank", "B", "-o", out});
    EXPECT_EQ(ReadFile(demo), original);
    EXPECT_EQ(ReadFile(dir / "d.s55"), original); // -o leaves IMAGE alone
    auto r = Cli({"tones", out, "--json"});
    ExpectHas(r.out, "\"position\":3,\"number\":3,\"subtone\":false,\"segments\":2,\"segmentTop\":1");

    Ok({"tone", "rename", out, "ram:3", "NEWNAME"});
    Ok({"tone", "set", out, "NEWNAME", "volume=12", "pitchShift=-3", "loopPoint=100"});
    r = Cli({"tones", out, "--json"});
    ExpectHas(r.out, "\"name\":\"NEWNAME \"");
    ExpectHas(r.out, "\"loop\":100,");
    ExpectHas(r.out, "\"volume\":12,");

    const auto before = ReadFile(out);
    ExpectRefusals({{{"tone", "set", out, "ram:3", "volume=200"}, 1},
                    {{"tone", "set", out, "ram:3", "endPoint=999999"}, 1},
                    {{"tone", "set", out, "ram:3", "segmentCount=1"}, 2}});
    EXPECT_EQ(ReadFile(out), before);

    Ok({"tone", "delete", out, "ram:0"});
    r = Cli({"tones", out, "--json"});
    EXPECT_EQ(r.out.find("\"position\":0,"), std::string::npos); // the original
    EXPECT_EQ(r.out.find("\"position\":1,"), std::string::npos); // and its subtone
    ExpectHas(r.out, "\"position\":2,");
}

TEST(CliTone, BankReachesTheRomGroupsOfW30Disks) {
    TempDir dir;
    WriteFile(dir / "d.w30", EmptyImage("W30.dat"));
    WriteFile(dir / "d.s55", EmptyImage("S550.dat"));
    const std::string w30 = (dir / "d.w30").string(), s55 = (dir / "d.s55").string();
    const std::string ston = (dir / "t.ston").string();
    Ok({"tone", "save", veldin::test::DemoImage("demo.s55").string(), "ram:0", ston});
    Ok({"tone", "load", w30, ston, "--bank", "romB"});
    ExpectHas(Cli({"tones", w30, "--json"}).out, "\"area\":\"rom\"");
    const auto before = ReadFile(dir / "d.s55");
    ExpectRefusals({{{"tone", "load", s55, ston, "--bank", "romA"}, 2, "no second tone area"},
                    {{"tone", "load", s55, ston, "--bank", "C"}, 2}});
    EXPECT_EQ(ReadFile(dir / "d.s55"), before);
}

TEST(CliTone, RefusalsAndUsage) {
    TempDir dir;
    WriteFile(dir / "d.s55", EmptyImage("S550.dat"));
    WriteFile(dir / "st.wav", MonoWav(100, 2));
    WriteFile(dir / "bad.wav", std::vector<std::uint8_t>(50, 'x'));
    const std::string img = (dir / "d.s55").string();
    const auto before = ReadFile(dir / "d.s55");

    const std::string st = (dir / "st.wav").string();
    ExpectRefusals({
        {{"tone", "import-wav", img, st, "--bank", "A", "--main-dir", Main()}, 2, "--stereo"},
        {{"tone", "import-wav", img, (dir / "bad.wav").string(), "--bank", "A", "--main-dir", Main()}, 1,
         "veldin-cli: This is not WAVE file!\n"},
        {{"tone", "import-wav", img, st, "--bank", "A", "--stereo", "both", "--main-dir", dir.path().string()}, 1,
         "veldin-cli: Please check your installation. Couldn't load default.ston!\n"},
        {{"tone", "load", img, (dir / "bad.wav").string(), "--bank", "A"}, 1, "veldin-cli: This is not RTON file!\n"},
        {{"tone", "load", img, (dir / "missing").string(), "--bank", "A"}, 1,
         "veldin-cli: Couldn't open specified file!\n"},
        {{"tone", "delete", img, "ram:0"}, 2},
        {{"tone", "delete", img, "ram:99"}, 2},
        {{"tone", "frob", img}, 2},
        {{"tone", "import-wav", img, "x.wav"}, 2},
    });
    EXPECT_EQ(ReadFile(dir / "d.s55"), before);

    Ok({"tone", "import-wav", img, st, "--bank", "B", "--stereo", "both", "--main-dir", Main()});
    const auto r = Cli({"tones", img, "--json"});
    for (const char* key : {"\"name\":\"st.waL  \"", "\"name\":\"st.waR  \"", "\"original\":0"}) ExpectHas(r.out, key);
}

} // namespace
} // namespace veldin::cli
