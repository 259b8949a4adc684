#include <gtest/gtest.h>

#include <cstdlib>

#include "cd/RawSector.h"
#include "cd/SyntheticDisc.h"
#include "core/Geometry.h"
#include "tests/cli/CliRun.h"

namespace veldin::cli {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

const cd::SyntheticDisc& Disc() {
    static const cd::SyntheticDisc disc = cd::BuildSyntheticDisc();
    return disc;
}

class CdCli : public testing::Test {
protected:
    void SetUp() override {
        test::WriteFile(iso, Disc().iso);
        test::WriteFile(raw, cd::ToRawImage(Disc().iso));
    }
    std::string Path(const std::string& name) const { return (dir / name).string(); }
    Args Export(const std::string& group, const std::string& sound, const std::string& out) const {
        return {"cd", "export", iso.string(), "--group", group, "--sound", sound, "--family", "s550", "--main-dir",
                test::BinDir().string(), out};
    }
    Args ExportAll(const fs::path& source, const std::string& family, Args more = {}) const {
        Args a{"cd", "export-all", source.string(), "--family", family, "--main-dir", test::BinDir().string()};
        a.insert(a.end(), more.begin(), more.end());
        a.push_back(Path("out"));
        return a;
    }
    // The damaged copy of the disc replaces the ISO image.
    void Damage(std::size_t at, std::uint8_t value) {
        Bytes d = Disc().iso;
        d[at] = value;
        test::WriteFile(iso, d);
    }

    test::TempDir dir;
    fs::path iso = dir / "disc.iso";
    fs::path raw = dir / "disc.bin";
};

TEST_F(CdCli, ListShowsDescriptionGroupsAndSoundsAsTextAndJson) {
    const auto r = Ok({"cd", "list", iso.string()});
    EXPECT_TRUE(r.err.empty());
    for (const auto& line : Disc().description) ExpectHas(r.out, line + "\n");
    for (std::size_t g = 0; g < Disc().groups.size(); ++g)
        ExpectHas(r.out, "Group " + std::to_string(g + 1) + ": " + Disc().groups[g].listText + "\n");
    for (const auto& s : Disc().sounds) ExpectHas(r.out, s.listText);
    ExpectHas(r.out, "(Image file, 2048-byte sectors, " + std::to_string(Disc().iso.size() / 2048) + " blocks)");

    // The raw image lists the same, but for its sector size.
    const auto rawList = Ok({"cd", "list", raw.string()});
    const auto body = [](const std::string& s) { return s.substr(s.find("\nDescription:")); };
    EXPECT_EQ(body(rawList.out), body(r.out));
    ExpectHas(rawList.out, "2352-byte sectors");

    const auto json = Ok({"cd", "list", raw.string(), "--json"});
    for (const char* key :
         {"\"kind\":\"Image file\"", "\"format\":\"raw\"", "\"description\":[\"VELDIN SYNTHETIC SAMPLE DISC\"",
          "{\"group\":2,\"text\":\"STRINGS - Solo Cello\",\"name\":\"STRINGS\",\"secondName\":\"Solo Cello\","
          "\"firstRecord\":2,\"sounds\":[{\"sound\":1,\"record\":2,\"text\":\"STRINGS - Cello\"",
          "\"units\":1746,\"exportable\":true"})
        ExpectHas(json.out, key);
    EXPECT_EQ(json.out.front(), '{');
}

TEST_F(CdCli, FullAreaExportOpensAsADiskImage) {
    Ok(Export("1", "1", Path("full.s55")));
    EXPECT_EQ(fs::file_size(dir / "full.s55"), static_cast<std::uintmax_t>(kImageSize));
    const auto info = Ok({"info", Path("full.s55")});
    ExpectHas(info.out, "Sampler:    S550\n");
    ExpectHas(info.out, "Title:      Grand Full\n"); // the image's bytes: ExportTest
}

TEST_F(CdCli, ExportAllNamesEachImageAfterItsListText) {
    Ok(ExportAll(raw, "w30"));
    EXPECT_EQ(static_cast<std::size_t>(std::distance(fs::directory_iterator(dir / "out"), fs::directory_iterator())),
              Disc().sounds.size());
    for (const auto& s : Disc().sounds) {
        const fs::path p = dir / "out" / (s.listText + ".sdk");
        EXPECT_TRUE(fs::exists(p)) << p; // what each holds: ExportBatch
    }
}

// How same-named sounds are kept apart: BatchNames.
TEST_F(CdCli, ExportAllNeverReplacesAFile) {
    fs::create_directory(dir / "out");
    const Bytes mine{'m', 'i', 'n', 'e'};
    test::WriteFile(dir / "out" / "DRUMS - Kick.s33", mine);
    const auto r = Ok(ExportAll(iso, "s330", {"--group", "3"}));
    EXPECT_EQ(r.out, Path("out/DRUMS - Kick (2).s33") + "\n" + Path("out/DRUMS - Parameters Only.s33") + "\n");
    EXPECT_EQ(test::ReadFile(dir / "out" / "DRUMS - Kick.s33"), mine);
    Ok({"info", Path("out/DRUMS - Kick (2).s33")});
}

TEST_F(CdCli, TheTemplatesAreFoundBesideTheProgram) {
    const fs::path cli = test::BinDir() / "veldin-cli";
    const std::string command = "'" + cli.string() + "' cd export '" + iso.string() +
                                "' --group 2 --sound 1 --family w30 '" + Path("cello.sdk") + "' >/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(fs::file_size(dir / "cello.sdk"), static_cast<std::uintmax_t>(kImageSize));
}

TEST_F(CdCli, AnImageBelowDevIsStillAnImage) {
    const fs::path shm = "/dev/shm";
    if (!fs::is_directory(shm)) GTEST_SKIP() << "no /dev/shm";
    const fs::path image = shm / ("veldin-cd-test-" + dir.path().filename().string() + ".iso");
    test::WriteFile(image, Disc().iso);
    const auto r = Cli({"cd", "list", image.string()});
    fs::remove(image);
    EXPECT_EQ(r.rc, 0) << r.err;
    ExpectHas(r.out, "(Image file, 2048-byte sectors");
}

TEST_F(CdCli, RefusalsCarryTheFixedTextsAndUsageErrorsExitWithTwo) {
    test::WriteFile(dir / "notroland.iso", Bytes(4096, 'x'));
    const std::string s = iso.string();
    ExpectRefusals({
        {{"cd", "list", Path("notroland.iso")}, 1, "veldin-cli: This is not Roland CD !!!\n"},
        {{"cd", "list", "/dev/sr-veldin-none"}, 1, "veldin-cli: Can't open the CD-ROM drive!\n"},
        {Export("5", "1", Path("x.s55")), 1, "the disc has no group 5 (it has 4)"},
        {Export("2", "2", Path("x.s55")), 1, "group 2 has no sound 2 (it lists 1)"},
        {ExportAll(iso, "s330", {"--group", "5"}), 1, "the disc has no group 5 (it has 4)"},
        {{"cd"}, 2},
        {{"cd", "eject"}, 2},
        {{"cd", "drives", s}, 2},
        {{"cd", "export", s, "--group", "1", "--sound", "1", Path("x")}, 2},
        {{"cd", "export", s, "--group", "1", "--sound", "1", "--family", "s700", Path("x")}, 2},
        {{"cd", "export", s, "--sound", "1", "--family", "s50", Path("x")}, 2},
        {{"cd", "export", s, "--group", "1", "--sound", "1", "--family", "s50"}, 2},
        {{"cd", "export-all", s, Path("x")}, 2},
        {{"cd", "export-all", s, "--group", "0", "--family", "s50", Path("x")}, 2},
    });
    EXPECT_FALSE(fs::exists(dir / "x.s55"));
    const auto missing = Cli({"cd", "export-all", s, "--family", "s330", "--main-dir", Path("nowhere"), Path("out2")});
    EXPECT_EQ(missing.rc, 1);
    EXPECT_EQ(missing.err, "veldin-cli: Can't copy temporary file!\n");
    EXPECT_TRUE(fs::is_empty(dir / "out2"));
    ExpectHas(Ok({"cd", "--help"}).out, "veldin-cli cd list SOURCE [--json]");
}

TEST_F(CdCli, DamagedGroupIsReportedAndTheOthersListed) {
    Damage(7 * 512 + 2, 200); // group 2's first record lies beyond the sound directory
    const auto r = Cli({"cd", "list", iso.string()});
    EXPECT_EQ(r.rc, 1);
    EXPECT_EQ(r.err, "veldin-cli: group 2: The tables of this Roland CD are damaged!\n");
    ExpectHas(r.out, "PIANO - Grand Full");
    ExpectHas(r.out, "DRUMS - Kick");
    EXPECT_EQ(r.out.find("STRINGS - Cello"), std::string::npos);
    EXPECT_EQ(Cli(Export("2", "1", Path("x.s55"))).rc, 1);
}

TEST_F(CdCli, AnAreaTooShortIsListedAsSuchAndRefused) {
    Damage(5 * 512 + 64 * 4 + 55, 17); // "Parameters Only": 17 units
    ExpectHas(Ok({"cd", "list", iso.string()}).out, "17 units  (This sound area can't be exported");
    // The batch that goes on past it: ExportBatch.
    ExpectRefusals({{Export("3", "2", Path("x.s55")), 1,
                     "veldin-cli: This sound area can't be exported: a disk image takes 18 to 1746 units of it!\n"}});
    EXPECT_FALSE(fs::exists(dir / "x.s55"));
}

} // namespace
} // namespace veldin::cli
