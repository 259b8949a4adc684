// veldin-cli patches / patch on real files: a patch moved with its tones between images
// of different families, the refusal that names missing tones, and the changes.
#include <gtest/gtest.h>

#include "tests/cli/CliRun.h"

namespace veldin::cli {
namespace {

using veldin::test::ReadFile;
using veldin::test::TempDir;
using veldin::test::WriteFile;

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
    EXPECT_EQ(key(moved, 0, 19), 0); // Snare is number 0
    EXPECT_EQ(key(moved, 0, 126), 0);
    EXPECT_EQ(key(moved, 0, 127), 1);
    EXPECT_EQ(key(moved, 0, 250), 0x5A);
    EXPECT_EQ(key(moved, 0, 20), 255);

    const auto srcList = Cli({"patches", src, "--json"});
    const auto dstList = Ok({"patches", dst, "--json"});
    ExpectHas(srcList.out, R"("name":"KickDrum"},{"number":1,"name":"SnareDrm"})");
    ExpectHas(dstList.out, R"("position":1,"name":"Drums       ","keyMode":"Mix")");
    ExpectHas(dstList.out, R"("tones":[{"number":1,"name":"KickDrum"},{"number":0,"name":"SnareDrm"}])");
    ExpectHas(dstList.out, R"("freePositions":15)");
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
    Ok({"patch", "rename", dst, "3", "OpenHat", "--main-dir", main});
    auto img = ReadFile(dst);
    EXPECT_EQ(std::string(img.begin() + kPatchArea + 512, img.begin() + kPatchArea + 524), std::string("OpenHat\0\0\0\0\0", 12));
    const auto r = Ok({"patches", dst});
    ExpectHas(r.out, " 3  \"OpenHat     \"  Key Mode: Mix  tones: 0 \"HiHatOpn\"");
    ExpectHas(r.out, "Patch positions free: 15");

    WriteFile(dir / "bad.ptc", {'R', 'P', 'A', 'T', 9, 0, 0, 0});
    WriteFile(dir / "notrpat.pat", std::vector<std::uint8_t>(304, 'x'));
    ExpectRefusals({
        {{"patch", "rename", dst, "OpenHat", "ThirteenChars", "--main-dir", main}, 2},
        {{"patch", "delete", dst, "5", "--main-dir", main}, 2},
        {{"patch", "load", dst, (dir / "x.ton").string(), "--main-dir", main}, 2},
        {{"patch", "load", dst, (dir / "bad.ptc").string(), "--main-dir", main}, 1, "shorter than its header says"},
        {{"patch", "load", dst, (dir / "notrpat.pat").string(), "--main-dir", main}, 1,
         "This is not RPAT (VELDIN Roland Patch) file!"},
    });
    EXPECT_EQ(ReadFile(dst), img);

    Ok({"patch", "delete", dst, "OpenHat", "--main-dir", main});
    img = ReadFile(dst);
    EXPECT_TRUE(std::all_of(img.begin() + kPatchArea + 512, img.begin() + kPatchArea + 768, [](std::uint8_t b) { return b == 0; }));
}

} // namespace
} // namespace veldin::cli
