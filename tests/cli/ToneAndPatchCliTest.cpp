// veldin-cli tones / tone / patches / patch on real files: the round trip WAV -> image ->
// WAV, the JSON keys, writing back or with -o, a patch moved with its tones between images
// of different families, the refusal that names missing tones, and refusals that leave the
// image alone.
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
    EXPECT_EQ(ReadLe16(std::span(wav).subspan(44 + 2 * 19999)), static_cast<std::uint16_t>(19999 * 16)); // the rest: WaveExport

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
                    {{"tone", "set", out, "ram:3", "segmentCount=1"}, 2}});
    EXPECT_EQ(ReadFile(out), before);

    Ok({"tone", "delete", out, "ram:0"});
    r = Cli({"tones", out, "--json"});
    EXPECT_EQ(r.out.find("\"position\":0,"), std::string::npos);
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
        {{"tone", "load", img, (dir / "bad.wav").string(), "--bank", "A"}, 1, "veldin-cli: This is not RTON file!\n"},
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

constexpr std::size_t kPatchArea = 126 * 512;

// A patch at `position` whose first keys play `layer1`, the next ones `layer2`.
void WritePatch(const std::filesystem::path& image, int position, const std::string& name,
                std::vector<std::uint8_t> layer1, std::vector<std::uint8_t> layer2) {
    auto img = ReadFile(image);
    const std::size_t at = kPatchArea + static_cast<std::size_t>(position) * 256;
    std::fill(img.begin() + static_cast<long>(at), img.begin() + static_cast<long>(at + 256), std::uint8_t{0});
    std::copy(name.begin(), name.end(), img.begin() + static_cast<long>(at));
    std::fill(img.begin() + static_cast<long>(at + 17), img.begin() + static_cast<long>(at + 235), std::uint8_t{0xFF});
    std::copy(layer1.begin(), layer1.end(), img.begin() + static_cast<long>(at + 17));
    std::copy(layer2.begin(), layer2.end(), img.begin() + static_cast<long>(at + 126));
    img[at + 237] = 110; // level
    img[at + 15] = 2;    // Mix
    img[at + 250] = 0x5A; // a byte nobody interprets
    WriteFile(image, img);
}

// The tone names that the key maps of patch `position` name, key by key, as the
// target's tone area holds them.
std::vector<std::string> KeyMapToneNames(const std::filesystem::path& image, int position) {
    const auto img = ReadFile(image);
    const std::size_t tones = 135 * 512;
    std::vector<std::string> out;
    for (std::size_t key = 0; key < 218; ++key) {
        const std::uint8_t v = img[kPatchArea + static_cast<std::size_t>(position) * 256 + 17 + key];
        if (v >= 32) {
            out.push_back(v >= 128 ? "-" : "?");
            continue;
        }
        out.emplace_back(img.begin() + static_cast<long>(tones + v * 128u), img.begin() + static_cast<long>(tones + v * 128u + 8));
    }
    return out;
}

struct Move : ::testing::Test {
    TempDir dir;
    std::string src = (dir / "src.sdk").string();
    std::string dst = (dir / "dst.s55").string();
    std::string main = dir.path().string();
    std::string bin = veldin::test::BinDir().string();

    void SetUp() override {
        WriteFile(dir / "src.sdk", EmptyImage("W30.dat"));
        WriteFile(dir / "dst.s55", EmptyImage("S550.dat"));
        WriteFile(dir / "KickDrum.wav", Wav16(20000, 1, 30000, 16));
        WriteFile(dir / "SnareDrm.wav", Wav16(30000, 1, 30000, 32));
        WriteFile(dir / "HiHatOpn.wav", Wav16(10000, 1, 30000, 48));
    }
    void Import(const std::string& image, const std::string& wav, const std::string& bank) {
        Ok({"tone", "import-wav", image, (dir / wav).string(), "--bank", bank, "--main-dir", bin});
    }
    void CarryTone(const std::string& name, const std::string& bank) {
        Ok({"tone", "save", src, name, (dir / (name + ".ton")).string()});
        Ok({"tone", "load", dst, (dir / (name + ".ton")).string(), "--bank", bank});
    }
};

TEST_F(Move, PatchAndToneFingerprintsMatchInAnotherOrder) {
    // Source (W-30): Kick at position 0 in bank A, Snare at position 1 in bank B; the
    // target gets them the other way round, so the numbers 0 and 1 swap.
    Import(src, "KickDrum.wav", "A");
    Import(src, "SnareDrm.wav", "B");
    WritePatch(src, 3, "Drums", {0, 0, 1, 255, 1}, {1, 0});
    CarryTone("SnareDrm", "B");
    CarryTone("KickDrum", "A");

    Ok({"patch", "save", src, "4", (dir / "drums").string()});
    ASSERT_TRUE(std::filesystem::exists(dir / "drums.pat")); // always ".pat"
    EXPECT_EQ(std::filesystem::file_size(dir / "drums.pat"), 304u);
    Ok({"patch", "load", dst, (dir / "drums.pat").string(), "--main-dir", main});

    // Every key names the same tone name as on the source.
    EXPECT_EQ(KeyMapToneNames(dst, 0), KeyMapToneNames(src, 3));
    const auto moved = ReadFile(dst);
    const auto key = [&](const std::vector<std::uint8_t>& img, int pos, std::size_t k) {
        return img[kPatchArea + static_cast<std::size_t>(pos) * 256 + k];
    };
    EXPECT_EQ(key(moved, 0, 17), 1); // Kick is number 1 on the target
    EXPECT_EQ(key(moved, 0, 250), 0x5A);

    const auto dstList = Ok({"patches", dst, "--json"});
    ExpectHas(dstList.out, R"("position":1,"name":"Drums       ","keyMode":"Mix")");
    ExpectHas(dstList.out, R"("tones":[{"number":1,"name":"KickDrum"},{"number":0,"name":"SnareDrm"}])");
}

TEST_F(Move, MissingTonesAreNamedThenMappedOrKept) {
    // Both tones in bank A: loaded in another order their segments move, so no
    // fingerprint matches on the target.
    Import(src, "KickDrum.wav", "A");
    Import(src, "SnareDrm.wav", "A");
    WritePatch(src, 0, "Pair", {0, 1}, {});
    CarryTone("SnareDrm", "A");
    CarryTone("KickDrum", "A");
    Ok({"patch", "save", src, "Pair", (dir / "pair.pat").string()});
    const std::string pat = (dir / "pair.pat").string();
    const auto before = ReadFile(dst);
    ExpectRefusals({{{"patch", "load", dst, pat, "--main-dir", main}, 1, "'KickDrum' 'SnareDrm'"},
                    {{"patch", "load", dst, pat, "--map", "KickDrum=KickDrum", "--main-dir", main}, 1, "'SnareDrm'"}});
    const auto mapped = Cli({"patch", "load", dst, pat, "--map", "KickDrum=KickDrum", "--main-dir", main}).err;
    EXPECT_EQ(mapped.find("'KickDrum'"), std::string::npos) << mapped;
    EXPECT_EQ(ReadFile(dst), before);

    Ok({"patch", "load", dst, pat, "--map", "KickDrum=KickDrum", "--map", "SnareDrm=ram:0", "--main-dir", main});
    EXPECT_EQ(KeyMapToneNames(dst, 0)[0], "KickDrum");
    EXPECT_EQ(KeyMapToneNames(dst, 0)[1], "SnareDrm");
    Ok({"patch", "load", dst, pat, "--keep-missing", "--main-dir", main});
    const auto kept = ReadFile(dst);
    EXPECT_EQ(kept[kPatchArea + 256 + 17], 0); // numbers as in the file
    EXPECT_EQ(kept[kPatchArea + 256 + 18], 1);
}

TEST_F(Move, ATonePlayedFromAFreePositionIsNamedByItAndUnusedMapsAreRefused) {
    Import(src, "KickDrum.wav", "A");
    WritePatch(src, 0, "Gap", {0, 5, 37}, {}); // 5 and rom 5 hold no tone on the source
    CarryTone("KickDrum", "A");
    Ok({"patch", "save", src, "Gap", (dir / "gap.pat").string()});
    const std::string pat = (dir / "gap.pat").string();
    const auto before = ReadFile(dst);
    ExpectRefusals({{{"patch", "load", dst, pat, "--main-dir", main}, 1, "'ram:5' 'rom:5'"},
                    {{"patch", "load", dst, pat, "--map", "Nope=KickDrum", "--keep-missing", "--main-dir", main}, 2,
                     "this patch uses no tone named"},
                    {{"patch", "load", dst, pat, "--map", "ram:6=KickDrum", "--keep-missing", "--main-dir", main}, 2,
                     "this patch uses no tone named"}});
    EXPECT_EQ(ReadFile(dst), before);
    Ok({"patch", "load", dst, pat, "--map", "ram:5=KickDrum", "--map", "rom:5=KickDrum", "--main-dir", main});
    const auto names = KeyMapToneNames(dst, 0);
    EXPECT_EQ(std::vector<std::string>(names.begin(), names.begin() + 3), std::vector<std::string>(3, "KickDrum"));
}

TEST_F(Move, DeleteRenameAndRefusals) {
    Import(dst, "HiHatOpn.wav", "A");
    WritePatch(dst, 2, "Hats", {0}, {});
    Ok({"patch", "rename", dst, "3", "OpenHat", "--main-dir", main}); // its bytes: the patch editor's tests
    const auto img = ReadFile(dst);
    const auto r = Ok({"patches", dst});
    ExpectHas(r.out, " 3  \"OpenHat     \"  Key Mode: Mix  tones: 0 \"HiHatOpn\"");
    ExpectHas(r.out, "Patch positions free: 15");

    WriteFile(dir / "notrpat.pat", std::vector<std::uint8_t>(304, 'x'));
    ExpectRefusals({
        {{"patch", "rename", dst, "OpenHat", "ThirteenChars", "--main-dir", main}, 2},
        {{"patch", "delete", dst, "5", "--main-dir", main}, 2},
        {{"patch", "load", dst, (dir / "x.ton").string(), "--main-dir", main}, 2},
        {{"patch", "load", dst, (dir / "notrpat.pat").string(), "--main-dir", main}, 1,
         "This is not RPAT (VELDIN Roland Patch) file!"},
    });
    EXPECT_EQ(ReadFile(dst), img);

    Ok({"patch", "delete", dst, "OpenHat", "--main-dir", main});
    ExpectHas(Ok({"patches", dst}).out, "Patch positions free: 16");
}

} // namespace
} // namespace veldin::cli
