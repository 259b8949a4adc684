#include <gtest/gtest.h>

#include "core/Geometry.h"
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
        Ok({"new", "--family", "w30song", disk, "--main-dir", test::BinDir().string()});
    }
    test::TempDir dir;
    std::string disk, midi;
};

TEST_F(SongCommands, NewSongDiskFromMidiListedAndBackToMidi) {
    auto r = Cli({"songs", disk});
    ExpectHas(r.out, "64 positions & 728064 bytes free");

    r = Ok({"song", "from-midi", disk, midi, "--name", "title"});
    EXPECT_EQ(r.out, "stored at position 2 (SONG63)\n");
    r = Ok({"songs", "--json", disk});
    ExpectHas(r.out, "\"songs\":[{\"position\":2,\"songId\":63,\"name\":\"TITLE                       \",\"size\":2560}]");
    ExpectHas(r.out, "\"freePositions\":63,\"freeBytes\":725504");

    const std::string out = (dir / "out.mid").string();
    for (const std::string song : {"2", "TITLE"}) {
        Ok({"song", "to-midi", disk, song, out});
        const auto bytes = test::ReadFile(out);
        ASSERT_GT(bytes.size(), 14u);
        EXPECT_EQ(bytes[11], 2); // conductor and BASS (the file itself: the conversion tests)
    }
}

TEST_F(SongCommands, SaveLoadRenameDeleteAndLabel) {
    Ok({"song", "from-midi", disk, midi});
    const std::string saved = (dir / "saved.sng").string();
    Ok({"song", "save", disk, "tune.mid", saved});
    EXPECT_EQ(test::ReadFile(saved).size(), 2560u);

    // Loading a saved song stores it again, at the next position.
    auto r = Ok({"song", "load", disk, saved});
    EXPECT_EQ(r.out, "stored at position 3 (SONG62)\n");

    Ok({"song", "rename", disk, "3", "A NEW NAME"});
    r = Cli({"songs", disk});
    ExpectHas(r.out, "3  SONG62  \"A NEW NAME                  \"  2560 b");

    Ok({"song", "delete", disk, "tune.mid"});
    r = Cli({"songs", "--json", disk});
    EXPECT_EQ(r.out.find("\"position\":2"), std::string::npos) << r.out;
    ExpectHas(r.out, "\"position\":3");

    Ok({"label", disk, "--set", "MY SONGS"});
    EXPECT_EQ(Cli({"label", disk}).out, "MY SONGS   \n");
}

TEST_F(SongCommands, OutputOptionLeavesTheImageAsItWas) {
    const auto before = test::ReadFile(disk);
    const std::string copy = (dir / "copy.sng").string();
    Ok({"song", "from-midi", disk, midi, "-o", copy});
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
    ExpectRefusals({
        {{"song", "from-midi", disk, bad}, 1, "veldin-cli: This is not an MIDI Format 1 file!\n"},
        {{"song", "load", disk, midi}, 1, "veldin-cli: File is not Roland W30 Song file or is corrupted!\n"},
        {{"song", "delete", disk, "7"}, 1, "no song '7'"},
        {{"songs", test::DemoImage("demo.s55").string()}, 1,
         "veldin-cli: Couldn't continue! FAT is corrupted or not present on this diskimage!\n"},
        {{"song", "to-midi", disk}, 2},
        {{"song", "frobnicate", disk}, 2},
        {{"song", "to-midi", disk, "2", "x.mid", "--track-names", "odd"}, 2},
        {{"songs", disk, "--bogus"}, 2},
    });
    EXPECT_EQ(test::ReadFile(disk), before);
}

} // namespace
} // namespace veldin::cli
