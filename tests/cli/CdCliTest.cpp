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
    CliResult Export(const std::string& source, const std::string& group, const std::string& sound,
                  const std::string& family, const std::string& out) {
        return Cli({"cd", "export", source, "--group", group, "--sound", sound, "--family", family, "--main-dir",
                    test::BinDir().string(), out});
    }

    test::TempDir dir;
    fs::path iso = dir / "disc.iso";
    fs::path raw = dir / "disc.bin";
};

TEST_F(CdCli, ListShowsDescriptionGroupsAndSounds) {
    const auto r = Cli({"cd", "list", iso.string()});
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_TRUE(r.err.empty());
    for (const auto& line : Disc().description)
        EXPECT_NE(r.out.find(line + "\n"), std::string::npos) << line;
    for (std::size_t g = 0; g < Disc().groups.size(); ++g)
        EXPECT_NE(r.out.find("Group " + std::to_string(g + 1) + ": " + Disc().groups[g].listText + "\n"),
                  std::string::npos);
    for (const auto& s : Disc().sounds)
        EXPECT_NE(r.out.find(s.listText), std::string::npos) << s.listText;
    EXPECT_NE(r.out.find("(Image file, 2048-byte sectors, " + std::to_string(Disc().iso.size() / 2048) + " blocks)"),
              std::string::npos);

    // The raw image lists the same, but for its sector size.
    const auto rawList = Cli({"cd", "list", raw.string()});
    ASSERT_EQ(rawList.rc, 0);
    const auto body = [](const std::string& s) { return s.substr(s.find("\nDescription:")); };
    EXPECT_EQ(body(rawList.out), body(r.out));
    EXPECT_NE(rawList.out.find("2352-byte sectors"), std::string::npos);
}

TEST_F(CdCli, ListJson) {
    const auto r = Cli({"cd", "list", raw.string(), "--json"});
    ASSERT_EQ(r.rc, 0) << r.err;
    for (const char* key :
         {"\"kind\":\"Image file\"", "\"format\":\"raw\"", "\"description\":[\"VELDIN SYNTHETIC SAMPLE DISC\"",
          "{\"group\":2,\"text\":\"STRINGS - Solo Cello\",\"name\":\"STRINGS\",\"secondName\":\"Solo Cello\","
          "\"firstRecord\":2,\"sounds\":[{\"sound\":1,\"record\":2,\"text\":\"STRINGS - Cello\"",
          "\"units\":1746,\"exportable\":true"})
        EXPECT_NE(r.out.find(key), std::string::npos) << key << " in " << r.out;
    EXPECT_EQ(r.out.front(), '{');
}

TEST_F(CdCli, FullAreaExportOpensAsADiskImage) {
    const auto r = Export(iso.string(), "1", "1", "s550", Path("full.s55"));
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(fs::file_size(dir / "full.s55"), static_cast<std::uintmax_t>(kImageSize));
    const auto info = Cli({"info", Path("full.s55")});
    ASSERT_EQ(info.rc, 0) << info.err;
    EXPECT_NE(info.out.find("Sampler:    S550\n"), std::string::npos);
    EXPECT_NE(info.out.find("Title:      Grand Full\n"), std::string::npos);

    // The tone names as the image holds them (the waves: SoundAreaExportTest).
    const Bytes image = test::ReadFile(dir / "full.s55");
    EXPECT_EQ(std::string(image.begin() + 135 * 512, image.begin() + 135 * 512 + 8), "Grand  A");
    EXPECT_EQ(std::string(image.begin() + 135 * 512 + 128, image.begin() + 135 * 512 + 136), "Grand  B");
}

TEST_F(CdCli, ExportAllNamesEachImageAfterItsListText) {
    const auto r =
        Cli({"cd", "export-all", raw.string(), "--family", "w30", "--main-dir", test::BinDir().string(), Path("out")});
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(static_cast<std::size_t>(std::distance(fs::directory_iterator(dir / "out"), fs::directory_iterator())),
              Disc().sounds.size());
    for (const auto& s : Disc().sounds) {
        const fs::path p = dir / "out" / (s.listText + ".sdk");
        ASSERT_TRUE(fs::exists(p)) << p;
        EXPECT_EQ(fs::file_size(p), static_cast<std::uintmax_t>(kImageSize));
        const auto info = Cli({"info", p.string()});
        EXPECT_EQ(info.rc, 0) << info.err;
    }
}

TEST_F(CdCli, ExportAllKeepsSameNamedSoundsApart) {
    Bytes d = Disc().iso;
    // Give the second sound the first one's name.
    std::copy_n(d.begin() + 5 * 512, 48, d.begin() + 5 * 512 + 64);
    test::WriteFile(iso, d);
    const auto r =
        Cli({"cd", "export-all", iso.string(), "--family", "s50", "--main-dir", test::BinDir().string(), Path("out")});
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_TRUE(fs::exists(dir / "out" / "PIANO - Grand Full.s50"));
    EXPECT_TRUE(fs::exists(dir / "out" / "PIANO - Grand Full (2).s50"));
}

TEST_F(CdCli, ExportAllOfOneGroupNeverReplacesAFile) {
    const Bytes mine{'m', 'i', 'n', 'e'};
    fs::create_directory(dir / "out");
    test::WriteFile(dir / "out" / "DRUMS - Kick.s33", mine);
    const auto r = Cli({"cd", "export-all", iso.string(), "--group", "3", "--family", "s330", "--main-dir",
                        test::BinDir().string(), Path("out")});
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(r.out, Path("out/DRUMS - Kick (2).s33") + "\n" + Path("out/DRUMS - Parameters Only.s33") + "\n");
    EXPECT_EQ(test::ReadFile(dir / "out" / "DRUMS - Kick.s33"), mine);
    const auto info = Cli({"info", Path("out/DRUMS - Kick (2).s33")});
    EXPECT_EQ(info.rc, 0) << info.err;

    const auto none = Cli({"cd", "export-all", iso.string(), "--group", "5", "--family", "s330", "--main-dir",
                           test::BinDir().string(), Path("out")});
    EXPECT_EQ(none.rc, 1);
    EXPECT_NE(none.err.find("the disc has no group 5 (it has 4)"), std::string::npos) << none.err;
    const auto missing = Cli({"cd", "export-all", iso.string(), "--family", "s330", "--main-dir", Path("nowhere"),
                              Path("out2")});
    EXPECT_EQ(missing.rc, 1);
    EXPECT_EQ(missing.err, "veldin-cli: Can't copy temporary file!\n");
    EXPECT_TRUE(fs::is_empty(dir / "out2"));
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
    EXPECT_NE(r.out.find("(Image file, 2048-byte sectors"), std::string::npos);
}

TEST_F(CdCli, Refusals) {
    test::WriteFile(dir / "notroland.iso", Bytes(4096, 'x'));
    auto r = Cli({"cd", "list", Path("notroland.iso")});
    EXPECT_EQ(r.rc, 1);
    EXPECT_EQ(r.err, "veldin-cli: This is not Roland CD !!!\n");

    r = Cli({"cd", "list", Path("missing.iso")});
    EXPECT_EQ(r.rc, 1);
    EXPECT_EQ(r.err, "veldin-cli: Couldn't open file!\n");

    r = Cli({"cd", "list", "/dev/sr-veldin-none"});
    EXPECT_EQ(r.rc, 1);
    EXPECT_EQ(r.err, "veldin-cli: Can't open the CD-ROM drive!\n");

    r = Export(iso.string(), "5", "1", "s550", Path("x.s55"));
    EXPECT_EQ(r.rc, 1);
    EXPECT_NE(r.err.find("the disc has no group 5 (it has 4)"), std::string::npos) << r.err;
    r = Export(iso.string(), "2", "2", "s550", Path("x.s55"));
    EXPECT_EQ(r.rc, 1);
    EXPECT_NE(r.err.find("group 2 has no sound 2 (it lists 1)"), std::string::npos) << r.err;
}

TEST_F(CdCli, DamagedGroupIsReportedAndTheOthersListed) {
    Bytes d = Disc().iso;
    d[7 * 512 + 2] = 200; // group 2's first record lies beyond the sound directory
    test::WriteFile(iso, d);
    const auto r = Cli({"cd", "list", iso.string()});
    EXPECT_EQ(r.rc, 1);
    EXPECT_EQ(r.err, "veldin-cli: group 2: The tables of this Roland CD are damaged!\n");
    EXPECT_NE(r.out.find("PIANO - Grand Full"), std::string::npos);
    EXPECT_NE(r.out.find("DRUMS - Kick"), std::string::npos);
    EXPECT_EQ(r.out.find("STRINGS - Cello"), std::string::npos);

    EXPECT_EQ(Export(iso.string(), "2", "1", "s550", Path("x.s55")).rc, 1);
    EXPECT_EQ(Export(iso.string(), "3", "1", "s550", Path("x.s55")).rc, 0);
}

TEST_F(CdCli, AnAreaTooShortIsListedAsSuchAndRefused) {
    Bytes d = Disc().iso;
    d[5 * 512 + 64 * 4 + 55] = 17; // "Parameters Only": 17 units
    test::WriteFile(iso, d);
    const auto list = Cli({"cd", "list", iso.string()});
    EXPECT_EQ(list.rc, 0);
    EXPECT_NE(list.out.find("17 units  (This sound area can't be exported"), std::string::npos) << list.out;
    const auto r = Export(iso.string(), "3", "2", "s550", Path("x.s55"));
    EXPECT_EQ(r.rc, 1);
    EXPECT_EQ(r.err, "veldin-cli: This sound area can't be exported: a disk image takes 18 to 1746 units of it!\n");
    EXPECT_FALSE(fs::exists(dir / "x.s55"));
    const auto all =
        Cli({"cd", "export-all", iso.string(), "--family", "s550", "--main-dir", test::BinDir().string(), Path("out")});
    EXPECT_EQ(all.rc, 1);
    EXPECT_FALSE(fs::exists(dir / "out" / "DRUMS - Parameters Only.s55"));
    EXPECT_TRUE(fs::exists(dir / "out" / "DRUMS - Kick.s55"));
}

TEST_F(CdCli, UsageErrors) {
    const std::string s = iso.string();
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"cd"},
             {"cd", "eject"},
             {"cd", "list", s, s},
             {"cd", "drives", s},
             {"cd", "export", s, "--group", "1", "--sound", "1", Path("x")},
             {"cd", "export", s, "--group", "1", "--sound", "1", "--family", "s700", Path("x")},
             {"cd", "export", s, "--group", "0", "--sound", "1", "--family", "s50", Path("x")},
             {"cd", "export", s, "--sound", "1", "--family", "s50", Path("x")},
             {"cd", "export", s, "--group", "1", "--sound", "1", "--family", "s50"},
             {"cd", "export-all", s, Path("x")},
             {"cd", "export-all", s, "--group", "0", "--family", "s50", Path("x")},
         }) {
        const auto r = Cli(args);
        EXPECT_EQ(r.rc, 2) << testing::PrintToString(args) << r.err;
    }
    const auto help = Cli({"cd", "--help"});
    EXPECT_EQ(help.rc, 0);
    EXPECT_NE(help.out.find("veldin-cli cd list SOURCE [--json]"), std::string::npos);
}

} // namespace
} // namespace veldin::cli
