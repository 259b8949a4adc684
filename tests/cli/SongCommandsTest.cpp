#include <gtest/gtest.h>

#include "core/Geometry.h"
#include "core/ImageFile.h"
#include "tests/cli/CliRun.h"
#include "tests/midi/Builders.h"

namespace veldin::cli {
namespace {

test::Bytes SmallMidi() {
    test::TrackBuilder c;
    c.name("TITLE").timeSignature(0, 4, 2).tempo(0, 500000).end(0);
    test::TrackBuilder t;
    t.name("BASS").event(0, {0x90, 40, 100}).event(96, {0x80, 40, 0}).event(288, {0x90, 43, 90}).event(96, {0x80, 43, 0}).end();
    return test::Smf(1, 96, {c, t});
}

class SongCommands : public ::testing::Test {
protected:
    void SetUp() override {
        disk = (dir / "disk.sng").string();
        midi = (dir / "tune.mid").string();
        test::WriteFile(midi, SmallMidi());
        ASSERT_EQ(Cli({"new", "--family", "w30song", disk, "--main-dir", test::BinDir().string()}).rc, 0);
    }
    test::TempDir dir;
    std::string disk, midi;
};

TEST_F(SongCommands, NewSongDiskFromMidiListedAndBackToMidi) {
    auto image = LoadImageFile(disk);
    ASSERT_TRUE(image.ok());
    EXPECT_EQ(image->definition.kindName, "Song");
    auto r = Cli({"songs", disk});
    EXPECT_NE(r.out.find("64 positions & 728064 bytes free"), std::string::npos) << r.out;

    r = Cli({"song", "from-midi", disk, midi, "--name", "title"});
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(r.out, "stored at position 2 (SONG63)\n");
    r = Cli({"songs", "--json", disk});
    ASSERT_EQ(r.rc, 0);
    EXPECT_NE(r.out.find("\"songs\":[{\"position\":2,\"songId\":63,\"name\":\"TITLE                       \",\"size\":2560}]"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("\"freePositions\":63,\"freeBytes\":725504"), std::string::npos) << r.out;

    const std::string out = (dir / "out.mid").string();
    for (const std::string song : {"2", "TITLE"}) {
        r = Cli({"song", "to-midi", disk, song, out});
        ASSERT_EQ(r.rc, 0) << r.err;
        const auto bytes = test::ReadFile(out);
        ASSERT_GT(bytes.size(), 14u);
        EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "MThd");
        EXPECT_EQ(bytes[11], 2); // conductor and BASS
    }
}

TEST_F(SongCommands, SaveLoadRenameDeleteAndLabel) {
    ASSERT_EQ(Cli({"song", "from-midi", disk, midi}).rc, 0);
    const std::string saved = (dir / "saved.sng").string();
    ASSERT_EQ(Cli({"song", "save", disk, "tune.mid", saved}).rc, 0);
    EXPECT_EQ(test::ReadFile(saved).size(), 2560u);

    // Loading a saved song stores it again, at the next position.
    auto r = Cli({"song", "load", disk, saved});
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(r.out, "stored at position 3 (SONG62)\n");

    ASSERT_EQ(Cli({"song", "rename", disk, "3", "A NEW NAME"}).rc, 0);
    r = Cli({"songs", disk});
    EXPECT_NE(r.out.find("3  SONG62  \"A NEW NAME                  \"  2560 b"), std::string::npos) << r.out;

    ASSERT_EQ(Cli({"song", "delete", disk, "tune.mid"}).rc, 0);
    r = Cli({"songs", "--json", disk});
    EXPECT_EQ(r.out.find("\"position\":2"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"position\":3"), std::string::npos) << r.out;

    ASSERT_EQ(Cli({"label", disk, "--set", "MY SONGS"}).rc, 0);
    EXPECT_EQ(Cli({"label", disk}).out, "MY SONGS   \n");
}

TEST_F(SongCommands, OutputOptionLeavesTheImageAsItWas) {
    const auto before = test::ReadFile(disk);
    const std::string copy = (dir / "copy.sng").string();
    ASSERT_EQ(Cli({"song", "from-midi", disk, midi, "-o", copy}).rc, 0);
    EXPECT_EQ(test::ReadFile(disk), before);
    EXPECT_NE(Cli({"songs", copy}).out.find("SONG63"), std::string::npos);
    EXPECT_EQ(test::ReadFile(copy).size(), static_cast<std::size_t>(kImageSize));
}

TEST_F(SongCommands, RefusalsChangeNothing) {
    const auto before = test::ReadFile(disk);
    const std::string bad = (dir / "bad.mid").string();
    auto notMidi = SmallMidi();
    notMidi[9] = 0; // format 0
    test::WriteFile(bad, notMidi);
    auto r = Cli({"song", "from-midi", disk, bad});
    EXPECT_EQ(r.rc, 1);
    EXPECT_EQ(r.err, "veldin-cli: This is not an MIDI Format 1 file!\n");
    r = Cli({"song", "load", disk, midi}); // a MIDI file is not a song
    EXPECT_EQ(r.rc, 1);
    EXPECT_EQ(r.err, "veldin-cli: File is not Roland W30 Song file or is corrupted!\n");
    r = Cli({"song", "delete", disk, "7"});
    EXPECT_EQ(r.rc, 1);
    EXPECT_NE(r.err.find("no song '7'"), std::string::npos);
    EXPECT_EQ(test::ReadFile(disk), before);

    r = Cli({"songs", test::DemoImage("demo.s55").string()});
    EXPECT_EQ(r.rc, 1);
    EXPECT_EQ(r.err, "veldin-cli: Couldn't continue! FAT is corrupted or not present on this diskimage!\n");
    EXPECT_EQ(Cli({"song", "to-midi", disk}).rc, 2);
    EXPECT_EQ(Cli({"song", "frobnicate", disk}).rc, 2);
    EXPECT_EQ(Cli({"song", "to-midi", disk, "2", "x.mid", "--track-names", "odd"}).rc, 2);
    EXPECT_EQ(Cli({"new", "--family", "s900", disk}).rc, 2);
    EXPECT_EQ(Cli({"new", "--family", "w30song", disk, "--main-dir", dir.path().string()}).rc, 1); // no template there
    EXPECT_EQ(test::ReadFile(disk), before);
    EXPECT_EQ(Cli({"songs", disk, "--bogus"}).rc, 2);
}

TEST_F(SongCommands, SoundAndSongDiskHoldsSongsToo) {
    const std::string sdk = (dir / "disk.sdk").string();
    ASSERT_EQ(Cli({"new", "--family", "w30", sdk, "--main-dir", test::BinDir().string()}).rc, 0);
    EXPECT_EQ(LoadImageFile(sdk)->definition.kindName, "Sound & Song");
    EXPECT_NE(Cli({"songs", sdk}).out.find("64 positions & 46080 bytes free"), std::string::npos);
    ASSERT_EQ(Cli({"song", "from-midi", sdk, midi}).rc, 0);
    const std::string out = (dir / "out.mid").string();
    EXPECT_EQ(Cli({"song", "to-midi", sdk, "2", out, "--track-names", "both"}).rc, 0);
}

} // namespace
} // namespace veldin::cli
