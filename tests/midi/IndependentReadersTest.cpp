// Our songs and MIDI files read by programs that nobody on the team wrote: Standard MIDI
// Files from Debian packages go through MIDI -> song -> MIDI; the results must be
// accepted by python3-mido (strict) and midicsv, which must agree with each other and
// with what the originals hold; the song volume must read the same in mtools.
// Every piece that is not on the machine makes its test skip with the reason.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/DiskDefinition.h"
#include "core/Geometry.h"
#include "midi/MidiToSong.h"
#include "midi/SongToMidi.h"
#include "midi/SongVolume.h"
#include "tests/midi/Builders.h"
#include "tests/support/TestSupport.h"

namespace veldin::midi {
namespace {

namespace fs = std::filesystem;

int Shell(const std::string& command) { return std::system(command.c_str()); }

std::string Quoted(const fs::path& p) { return "'" + p.string() + "'"; }

bool Have(const std::string& check) { return Shell(check + " >/dev/null 2>&1") == 0; }

DiskDefinition SongDisk(const std::vector<std::uint8_t>& img) { return ClassifyImage(std::span(img).first(kHeaderSize)); }

TEST(IndependentReaders, DebianMidiFilesSurviveTheRoundTripAndReadTheSameInMidoAndMidicsv) {
    if (!Have("/usr/bin/python3 -c 'import mido'")) GTEST_SKIP() << "python3-mido is not installed (scripts/deps.sh)";
    if (!Have("command -v midicsv")) GTEST_SKIP() << "midicsv is not installed (scripts/deps.sh)";
    std::string whyNot;
    const auto files = test::DebianMidiFiles(VELDIN_TEST_CACHE_DIR, whyNot);
    if (files.empty()) GTEST_SKIP() << whyNot;
    EXPECT_GE(files.size(), 31u + 10u);

    test::TempDir dir;
    const auto empty = test::ReadFile(test::DemoImage("demo.sng"));
    std::string pairs;
    int index = 0;
    for (const fs::path& f : files) {
        SCOPED_TRACE(f.string());
        const auto bytes = test::ReadFile(f);
        test::ScriptedUi ui;
        MidiToSongOptions o;
        o.fileName = f.filename().string();
        auto song = midi2song(bytes, ui, o);
        ASSERT_TRUE(song.ok()) << song.failure().text;
        // Stored on a new song disk and read back from its clusters, as Save MIDI does.
        MemoryImage image(empty);
        auto volume = SongVolume::load_fat_area(image, SongDisk(empty), std::nullopt).value();
        auto position = volume.insert_song_file(image, *song, volume.listSongs(ui).freeBytes);
        ASSERT_TRUE(position.ok()) << position.failure().text;
        EXPECT_EQ(*position, 2);
        auto stored = volume.readSong(image, **volume.songAt(2));
        ASSERT_TRUE(stored.ok());
        auto midi = song_to_midi(*stored, ui, {});
        ASSERT_TRUE(midi.ok()) << midi.failure().text;
        const fs::path out = dir / ("out" + std::to_string(index++) + ".mid");
        test::WriteFile(out, *midi);
        pairs += " " + Quoted(f) + " " + Quoted(out);
    }
    const fs::path report = dir / "report.txt";
    const int rc = Shell("/usr/bin/python3 " + Quoted(fs::path(VELDIN_SOURCE_DIR) / "tests/midi/roundtrip_check.py") + pairs +
                         " >" + Quoted(report) + " 2>&1");
    const auto text = test::ReadFile(report);
    EXPECT_EQ(rc, 0) << std::string(text.begin(), text.end());
}

// "<4-21> <30-31>": mshowfat's runs of a chain.
std::string Runs(const std::vector<std::uint16_t>& clusters) {
    std::ostringstream s;
    for (std::size_t i = 0; i < clusters.size();) {
        std::size_t j = i;
        while (j + 1 < clusters.size() && clusters[j + 1] == clusters[j] + 1) ++j;
        if (i > 0) s << ' ';
        s << '<' << clusters[i];
        if (j > i) s << '-' << clusters[j];
        s << '>';
        i = j + 1;
    }
    return s.str();
}

TEST(IndependentReaders, MtoolsListsEverySongWithItsSizeAndChain) {
    if (!Have("command -v mdir") || !Have("command -v mshowfat")) GTEST_SKIP() << "mtools is not installed (scripts/deps.sh)";
    const auto empty = test::ReadFile(test::DemoImage("demo.sng"));
    MemoryImage image(empty);
    auto volume = SongVolume::load_fat_area(image, SongDisk(empty), std::nullopt).value();
    test::ScriptedUi ui;
    const auto store = [&](std::size_t sectors, std::string_view name) {
        auto p = volume.insert_song_file(image, test::SongOfSectors(sectors, name), volume.listSongs(ui).freeBytes);
        ASSERT_TRUE(p.ok());
    };
    store(4, "A");  // clusters 4-5
    store(7, "B");  // 6-9
    store(4, "C");  // 10-11
    ASSERT_TRUE(volume.delete_song_file(image, 3).ok());
    store(12, "D"); // 6-9, then 12-13: two runs
    store(4, "E");
    const SongList list = volume.listSongs(ui);
    ASSERT_EQ(list.rows.size(), 4u);

    test::TempDir dir;
    const fs::path img = dir / "songs.sng";
    test::WriteFile(img, image.bytes());
    const fs::path listing = dir / "mdir.txt";
    ASSERT_EQ(Shell("MTOOLS_SKIP_CHECK=1 mdir -i " + Quoted(img) + " :: >" + Quoted(listing) + " 2>&1"), 0);
    const auto bytes = test::ReadFile(listing);
    const std::string text(bytes.begin(), bytes.end());
    EXPECT_NE(text.find("SONG DISK"), std::string::npos) << text;
    for (const SongRow& row : list.rows) {
        auto info = volume.songAt(row.position);
        ASSERT_TRUE(info.ok() && info->has_value());
        char name[24];
        std::snprintf(name, sizeof name, "SONG%.2d", row.songId());
        std::ostringstream size;
        size << (*info)->size();
        const std::size_t line = text.find(std::string(name) + "   DAT");
        ASSERT_NE(line, std::string::npos) << name << " in\n" << text;
        EXPECT_NE(text.substr(line, text.find('\n', line) - line).find(size.str()), std::string::npos) << text;

        const fs::path chain = dir / "chain.txt";
        ASSERT_EQ(Shell("MTOOLS_SKIP_CHECK=1 mshowfat -i " + Quoted(img) + " ::" + name + ".DAT >" + Quoted(chain) + " 2>&1"), 0);
        const auto c = test::ReadFile(chain);
        EXPECT_NE(std::string(c.begin(), c.end()).find(Runs((*info)->clusters)), std::string::npos)
            << name << ": " << std::string(c.begin(), c.end()) << " vs " << Runs((*info)->clusters);
    }
    EXPECT_EQ(Runs((*volume.songAt(3))->clusters), "<6-9> <12-13>");
}

} // namespace
} // namespace veldin::midi
