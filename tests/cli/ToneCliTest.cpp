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
    auto r = Cli({"tone", "import-wav", img, (dir / "Front_Center.wav").string(), "--bank", "A", "--main-dir", Main()});
    ASSERT_EQ(r.rc, 0) << r.err;
    r = Cli({"tones", img, "--json"});
    ASSERT_EQ(r.rc, 0) << r.err;
    for (const char* key : {"\"name\":\"Front_Ce\"", "\"area\":\"ram\"", "\"bank\":\"A\"", "\"position\":0",
                            "\"number\":0", "\"subtone\":false", "\"segments\":2", "\"start\":0", "\"loop\":0",
                            "\"end\":20000", "\"rate\":30000", "\"text\":\"31 positions & 393216 bytes free\""})
        EXPECT_NE(r.out.find(key), std::string::npos) << key << " in " << r.out;

    r = Cli({"tone", "export-wav", img, "Front_Ce", (dir / "o.wav").string(), "--no-regions"});
    ASSERT_EQ(r.rc, 0) << r.err;
    const auto wav = ReadFile(dir / "o.wav");
    ASSERT_EQ(wav.size(), 44u + 2u * 24576u);
    EXPECT_EQ(ReadLe32(std::span(wav).subspan(24)), 30000u);
    for (std::size_t i = 0; i < 20000; i += 1234)
        EXPECT_EQ(ReadLe16(std::span(wav).subspan(44 + 2 * i)), static_cast<std::uint16_t>(i * 16)) << i;

    r = Cli({"tones", img});
    EXPECT_NE(r.out.find("ram:0  \"Front_Ce\"  Tone Number: 0, Original **, Lenght: 0.8 s"), std::string::npos) << r.out;
}

TEST(CliTone, SaveLoadRenameSetDeleteWithOutputFile) {
    TempDir dir;
    const auto demo = veldin::test::DemoImage("demo.s55");
    const auto original = ReadFile(demo);
    WriteFile(dir / "d.s55", original);
    const std::string img = (dir / "d.s55").string();
    const std::string out = (dir / "out.s55").string();

    ASSERT_EQ(Cli({"tone", "save", img, "ram:0", (dir / "t.ton").string()}).rc, 0);
    EXPECT_EQ(ReadFile(dir / "t.ton").size(), 6u + 2 * 128 + 2 * 18432);
    ASSERT_EQ(Cli({"tone", "save", img, "ram:0", (dir / "t.ston").string()}).rc, 0);
    EXPECT_EQ(ReadFile(dir / "t.ston").size(), 134u);

    auto r = Cli({"tone", "load", img, (dir / "t.ton").string(), "--bank", "B", "-o", out});
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(ReadFile(demo), original);
    EXPECT_EQ(ReadFile(dir / "d.s55"), original); // -o leaves IMAGE alone
    r = Cli({"tones", out, "--json"});
    EXPECT_NE(r.out.find("\"position\":3,\"number\":3,\"subtone\":false,\"segments\":2,\"segmentTop\":1"),
              std::string::npos)
        << r.out;

    ASSERT_EQ(Cli({"tone", "rename", out, "ram:3", "NEWNAME"}).rc, 0);
    ASSERT_EQ(Cli({"tone", "set", out, "NEWNAME", "volume=12", "pitchShift=-3", "loopPoint=100"}).rc, 0);
    r = Cli({"tones", out, "--json"});
    EXPECT_NE(r.out.find("\"name\":\"NEWNAME \""), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"loop\":100,"), std::string::npos);
    EXPECT_NE(r.out.find("\"volume\":12,"), std::string::npos);

    const auto before = ReadFile(out);
    r = Cli({"tone", "set", out, "ram:3", "volume=200"});
    EXPECT_EQ(r.rc, 1);
    r = Cli({"tone", "set", out, "ram:3", "endPoint=999999"});
    EXPECT_EQ(r.rc, 1);
    EXPECT_EQ(Cli({"tone", "set", out, "ram:3", "segmentCount=1"}).rc, 2);
    EXPECT_EQ(ReadFile(out), before);

    ASSERT_EQ(Cli({"tone", "delete", out, "ram:0"}).rc, 0);
    r = Cli({"tones", out, "--json"});
    EXPECT_EQ(r.out.find("\"position\":0,"), std::string::npos); // the original
    EXPECT_EQ(r.out.find("\"position\":1,"), std::string::npos); // and its subtone
    EXPECT_NE(r.out.find("\"position\":2,"), std::string::npos);
}

TEST(CliTone, BankReachesTheRomGroupsOfW30Disks) {
    TempDir dir;
    WriteFile(dir / "d.w30", EmptyImage("W30.dat"));
    WriteFile(dir / "d.s55", EmptyImage("S550.dat"));
    const std::string w30 = (dir / "d.w30").string(), s55 = (dir / "d.s55").string();
    const std::string ston = (dir / "t.ston").string();
    ASSERT_EQ(Cli({"tone", "save", veldin::test::DemoImage("demo.s55").string(), "ram:0", ston}).rc, 0);
    auto r = Cli({"tone", "load", w30, ston, "--bank", "romB"});
    ASSERT_EQ(r.rc, 0) << r.err;
    r = Cli({"tones", w30, "--json"});
    EXPECT_NE(r.out.find("\"area\":\"rom\""), std::string::npos) << r.out;
    const auto before = ReadFile(dir / "d.s55");
    r = Cli({"tone", "load", s55, ston, "--bank", "romA"});
    EXPECT_EQ(r.rc, 2);
    EXPECT_NE(r.err.find("no second tone area"), std::string::npos) << r.err;
    EXPECT_EQ(Cli({"tone", "load", s55, ston, "--bank", "C"}).rc, 2);
    EXPECT_EQ(ReadFile(dir / "d.s55"), before);
}

TEST(CliTone, RefusalsAndUsage) {
    TempDir dir;
    WriteFile(dir / "d.s55", EmptyImage("S550.dat"));
    WriteFile(dir / "st.wav", MonoWav(100, 2));
    WriteFile(dir / "bad.wav", std::vector<std::uint8_t>(50, 'x'));
    const std::string img = (dir / "d.s55").string();
    const auto before = ReadFile(dir / "d.s55");

    auto r = Cli({"tone", "import-wav", img, (dir / "st.wav").string(), "--bank", "A", "--main-dir", Main()});
    EXPECT_EQ(r.rc, 2);
    EXPECT_NE(r.err.find("--stereo"), std::string::npos);
    r = Cli({"tone", "import-wav", img, (dir / "bad.wav").string(), "--bank", "A", "--main-dir", Main()});
    EXPECT_EQ(r.rc, 1);
    EXPECT_EQ(r.err, "veldin-cli: This is not WAVE file!\n");
    r = Cli({"tone", "import-wav", img, (dir / "st.wav").string(), "--bank", "A", "--stereo", "both", "--main-dir",
             dir.path().string()});
    EXPECT_EQ(r.err, "veldin-cli: Please check your installation. Couldn't load default.ston!\n");
    r = Cli({"tone", "load", img, (dir / "bad.wav").string(), "--bank", "A"});
    EXPECT_EQ(r.err, "veldin-cli: This is not RTON file!\n");
    EXPECT_EQ(Cli({"tone", "load", img, (dir / "missing").string(), "--bank", "A"}).err,
              "veldin-cli: Couldn't open specified file!\n");
    EXPECT_EQ(Cli({"tone", "delete", img, "ram:0"}).rc, 2);
    EXPECT_EQ(Cli({"tone", "delete", img, "ram:99"}).rc, 2);
    EXPECT_EQ(Cli({"tone", "frob", img}).rc, 2);
    EXPECT_EQ(Cli({"tone", "import-wav", img, "x.wav"}).rc, 2);
    EXPECT_EQ(ReadFile(dir / "d.s55"), before);

    r = Cli({"tone", "import-wav", img, (dir / "st.wav").string(), "--bank", "B", "--stereo", "both", "--main-dir", Main()});
    ASSERT_EQ(r.rc, 0) << r.err;
    r = Cli({"tones", img, "--json"});
    EXPECT_NE(r.out.find("\"name\":\"st.waL  \""), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"name\":\"st.waR  \""), std::string::npos);
    EXPECT_NE(r.out.find("\"original\":0"), std::string::npos);
}

} // namespace
} // namespace veldin::cli
