#include <gtest/gtest.h>

#include <algorithm>

#include "core/Bytes.h"
#include "core/DiskDefinition.h"
#include "core/Geometry.h"
#include "core/Document.h"
#include "midi/DocumentSongImage.h"
#include "midi/Fat12Volume.h"
#include "midi/MidiTexts.h"
#include "midi/Song.h"
#include "midi/SongVolume.h"
#include "tests/midi/Builders.h"
#include "tests/support/TestSupport.h"

namespace veldin::midi {
namespace {

using test::Bytes;
using test::SongOfSectors;

std::vector<std::uint8_t> EmptySongDisk() { return test::ReadFile(test::DemoImage("demo.sng")); }

DiskDefinition SongDiskRow() {
    const auto img = EmptySongDisk();
    return ClassifyImage(std::span(img).first(kHeaderSize));
}

// FAT area helpers for hand-made chains.
void SetBoth(FatArea& fat, int n, std::uint16_t v) {
    SetFatEntry(std::span(fat).subspan(kFat1, kFatSize), n, v);
    SetFatEntry(std::span(fat).subspan(kFat2, kFatSize), n, v);
}
// Links `clusters` one to the next in both FATs; the last gets `last`.
void SetChain(FatArea& fat, std::initializer_list<int> clusters, std::uint16_t last = 0xFFF) {
    for (auto c = clusters.begin(); c != clusters.end(); ++c)
        SetBoth(fat, *c, c + 1 == clusters.end() ? last : static_cast<std::uint16_t>(*(c + 1)));
}
void PutSongEntry(FatArea& fat, int position, std::uint16_t start, std::uint32_t size) {
    auto e = std::span(fat).subspan(kRootDir + 32 * static_cast<std::size_t>(position), 32);
    std::fill(e.begin(), e.end(), std::uint8_t{0});
    std::copy_n("SONG00  DAT", 11, e.begin());
    e[11] = 0x20;
    WriteLe16(start, e.subspan(26, 2));
    WriteLe32(size, e.subspan(28, 4));
}
FatArea EmptyFat() {
    const auto img = EmptySongDisk();
    FatArea fat{};
    std::copy_n(img.begin() + kFatAreaOffset, kFatAreaSize, fat.begin());
    return fat;
}

struct Volume {
    MemoryImage image{EmptySongDisk()};
    test::ScriptedUi ui;
    SongVolume volume = SongVolume::load_fat_area(image, SongDiskRow(), std::nullopt).value();
    SongList list() { return volume.listSongs(ui); }
    int store(const Bytes& song) {
        auto p = volume.insert_song_file(image, song, list().freeBytes);
        EXPECT_TRUE(p.ok()) << (p ? "" : p.failure().text);
        return p ? *p : -1;
    }
};

TEST(FatEntries, PackTwoEntriesInThreeBytes) {
    std::array<std::uint8_t, 6> t{};
    SetFatEntry(t, 0, 0xFF9);
    SetFatEntry(t, 1, 0xABC);
    SetFatEntry(t, 2, 0x123);
    EXPECT_EQ(t, (std::array<std::uint8_t, 6>{0xF9, 0xCF, 0xAB, 0x23, 0x01, 0x00}));
    EXPECT_EQ((std::array{FatEntry(t, 0), FatEntry(t, 1), FatEntry(t, 2), FatEntry(t, 3)}),
              (std::array<std::uint16_t, 4>{0xFF9, 0xABC, 0x123, 0x000}));
}

TEST(SeekCluster, FirstMatchInFat1ThenFat2AndNeverSpecialValues) {
    FatArea fat = EmptyFat();
    SetFatEntry(std::span(fat).subspan(kFat2, kFatSize), 10, 0x123);
    EXPECT_EQ(seek_cluster(fat, 0x123), (FatCursor{1, 10}));
    SetFatEntry(std::span(fat).subspan(kFat1, kFatSize), 20, 0x123);
    EXPECT_EQ(seek_cluster(fat, 0x123), (FatCursor{0, 20}));
    EXPECT_EQ(seek_cluster(fat, 0x003), (FatCursor{0, 2}));
    EXPECT_EQ(seek_cluster(fat, 0), (FatCursor{0, 4})); // first free entry
    for (std::uint16_t special : {0xFF0, 0xFF7, 0xFF9, 0xFFF}) EXPECT_FALSE(seek_cluster(fat, special));
}

TEST(ReadSongFileInfo, ReadsEveryValidChainIncludingSingleClusterRuns) {
    FatArea fat = EmptyFat();
    PutSongEntry(fat, 2, 40, 1000); // one cluster
    SetChain(fat, {40});
    PutSongEntry(fat, 3, 50, 4000); // single runs first and last
    SetChain(fat, {50, 60, 61, 70});
    auto one = read_song_file_info(fat, 2);
    ASSERT_TRUE(one.ok() && one->has_value());
    EXPECT_EQ((*one)->clusters, std::vector<std::uint16_t>{40});
    auto four = read_song_file_info(fat, 3);
    ASSERT_TRUE(four.ok() && four->has_value());
    EXPECT_EQ((*four)->clusters, (std::vector<std::uint16_t>{50, 60, 61, 70}));
    // No song, silently: a free position, a deleted entry, another extension.
    EXPECT_FALSE(read_song_file_info(fat, 4)->has_value());
    fat[kRootDir + 64] = 0xE5;
    EXPECT_FALSE(read_song_file_info(fat, 2)->has_value());
}

TEST(ReadSongFileInfo, CorruptChainsKeepTheirFixedTexts) {
    struct Case {
        const char* what;
        std::uint16_t link; // entry of cluster 41 in the chain 40 -> 41 -> ?
        std::string_view text;
    };
    for (const Case c : {Case{"start of FAT inside", 0xFF9, text::kFatStartInside},
                         Case{"free entry inside", 0x000, text::kFatEmptyInside},
                         Case{"bad cluster", 0xFF7, text::kFatNoNextCluster},
                         Case{"link past the image", 900, text::kFatNoNextCluster},
                         Case{"loop", 40, text::kFatNoNextCluster},
                         Case{"chain shorter than the size", 0xFFF, text::kFatNoNextCluster}}) {
        SCOPED_TRACE(c.what);
        FatArea fat = EmptyFat();
        PutSongEntry(fat, 2, 40, 3000);
        SetChain(fat, {40, 41}, c.link);
        auto r = read_song_file_info(fat, 2);
        ASSERT_FALSE(r.ok());
        EXPECT_EQ(r.failure().text, c.text);
    }
    FatArea fat = EmptyFat();
    PutSongEntry(fat, 2, 40, 3000); // start cluster free
    EXPECT_EQ(read_song_file_info(fat, 2).failure().text, text::kFatCorrupted);
    // A chain longer than the size says is no song, silently.
    PutSongEntry(fat, 2, 40, 1000);
    SetChain(fat, {40, 41});
    EXPECT_TRUE(read_song_file_info(fat, 2).ok());
    EXPECT_FALSE(read_song_file_info(fat, 2)->has_value());
}

TEST(ClusterBitmap, MarksStartsLinksAndUsedEntriesAndFindsTheFreePosition) {
    FatArea fat = EmptyFat();
    PutSongEntry(fat, 2, 40, 2048);
    SetChain(fat, {40, 41});
    PutSongEntry(fat, 3, 30, 100);
    SetChain(fat, {30});
    const ClusterBitmap bm = make_cluster_bitmap(fat);
    EXPECT_EQ(bm.freePosition, 4);
    for (int c : {2, 3, 30, 40, 41}) EXPECT_TRUE(bm.used.test(static_cast<std::size_t>(c))) << c;
    for (int c : {4, 5, 29, 31, 42, 714}) EXPECT_FALSE(bm.used.test(static_cast<std::size_t>(c))) << c;
    // Only never-used (00h) and deleted (E5h) entries are free; entries made by other tools
    // (size 0, no archive bit, a directory) keep their position and their start cluster.
    struct Row {
        std::uint8_t first, attribute;
        std::uint32_t size;
        int freePosition;
        bool startUsed;
    } rows[] = {
        {'S', 0x20, 0, 4, true},    {'S', 0x00, 1000, 4, true}, {'S', 0x10, 0, 4, true},
        {'S', 0x40, 1000, 4, true}, {0xE5, 0x20, 2048, 2, false}, {0x00, 0x20, 2048, 2, false},
    };
    for (const Row& r : rows) {
        FatArea f = fat;
        PutSongEntry(f, 2, 60, r.size);
        f[kRootDir + 64] = r.first;
        f[kRootDir + 64 + 11] = r.attribute;
        const ClusterBitmap b = make_cluster_bitmap(f);
        EXPECT_EQ(b.freePosition, r.freePosition) << int(r.first) << "/" << int(r.attribute);
        EXPECT_EQ(b.used.test(60), r.startUsed) << int(r.first) << "/" << int(r.attribute);
    }
}

TEST(AllocateClusters, RunsStartOnFreePairsAndNeverPassTheVolume) {
    ClusterBitmap bm;
    bm.used.set(0).set(1).set(2).set(3);
    auto two = AllocateClusters(bm, 2, 714);
    ASSERT_TRUE(two);
    EXPECT_EQ(*two, (std::vector<std::uint16_t>{4, 5}));
    // One free cluster (6) before a used one (7) is skipped: runs start on a pair.
    bm.used.set(7);
    auto three = AllocateClusters(bm, 3, 714);
    ASSERT_TRUE(three);
    EXPECT_EQ(*three, (std::vector<std::uint16_t>{8, 9, 10}));
    // The end of the volume refuses and leaves the bitmap as it was.
    ClusterBitmap nearlyFull;
    for (int c = 0; c < 712; ++c) nearlyFull.used.set(static_cast<std::size_t>(c));
    const auto before = nearlyFull.used;
    EXPECT_FALSE(AllocateClusters(nearlyFull, 4, 714));
    EXPECT_EQ(nearlyFull.used, before);
    auto last = AllocateClusters(nearlyFull, 3, 714);
    ASSERT_TRUE(last);
    EXPECT_EQ(*last, (std::vector<std::uint16_t>{712, 713, 714}));
    EXPECT_FALSE(AllocateClusters(nearlyFull, 1, 714));
}

TEST(SongVolume, LoadRefusesAFatThatIsNotThereAndCreatesTheFatLog) {
    for (std::uint16_t first : {0xFF8, 0xFF0, 0x000}) {
        auto img = EmptySongDisk();
        SetFatEntry(std::span(img).subspan(512, 1536), 0, first);
        MemoryImage image(img);
        EXPECT_EQ(SongVolume::load_fat_area(image, SongDiskRow(), std::nullopt).failure().text, text::kFatCorrupted);
    }
    test::TempDir dir;
    MemoryImage image(EmptySongDisk());
    ASSERT_TRUE(SongVolume::load_fat_area(image, SongDiskRow(), dir.path()).ok());
    EXPECT_TRUE(std::filesystem::exists(dir / "fat12log.txt"));
}

TEST(SongVolume, FirstSongGoesToPosition2AsSong63InClusters4On) {
    Volume v;
    EXPECT_TRUE(v.list().rows.empty());
    EXPECT_EQ(v.list().freeText(), "64 positions & 728064 bytes free");
    EXPECT_EQ(v.list().label, "SONG DISK  ");
    const Bytes song = SongOfSectors(5, "FIRST");
    EXPECT_EQ(v.store(song), 2);
    const auto& img = v.image.bytes();
    const std::size_t root = 3584 + 64;
    EXPECT_EQ(std::string(img.begin() + root, img.begin() + root + 11), "SONG63  DAT");
    EXPECT_EQ(img[root + 11], 0x20);
    // Time 0x6000, date 0xAB34, start cluster 4, 2,560 bytes.
    EXPECT_EQ(Bytes(img.begin() + root + 22, img.begin() + root + 32), (Bytes{0x00, 0x60, 0x34, 0xAB, 4, 0, 0, 0x0A, 0, 0}));
    // The song directory record is the last of the 64.
    const std::size_t rec = 7168 + 2016;
    EXPECT_EQ(std::string(img.begin() + rec, img.begin() + rec + 5), "FIRST");
    EXPECT_EQ(ReadLe32(std::span(img).subspan(rec + 28, 4)), 5u);
    // Chain 4 -> 5 -> 6 -> FFF in both FATs; every sector starts with the Song ID.
    for (std::size_t fat : {std::size_t{512}, std::size_t{2048}}) {
        const auto t = std::span(img).subspan(fat, 1536);
        EXPECT_EQ((std::array{FatEntry(t, 4), FatEntry(t, 5), FatEntry(t, 6)}), (std::array<std::uint16_t, 3>{5, 6, 0xFFF}));
    }
    for (std::size_t s = 0; s < 5; ++s) EXPECT_EQ(img[ClusterOffset(4) + 512 * s], 63);
    const SongList l = v.list();
    ASSERT_EQ(l.rows.size(), 1u);
    EXPECT_EQ(l.freeText(), "63 positions & 725504 bytes free");
    // Reading it back gives the stored bytes.
    auto info = v.volume.songAt(2);
    auto back = v.volume.readSong(v.image, **info);
    ASSERT_TRUE(back.ok());
    Bytes expected = song;
    for (std::size_t s = 0; s < expected.size(); s += 512) expected[s] = 63;
    EXPECT_EQ(*back, expected);
}

TEST(SongVolume, ClustersRefuseASongThatTheByteCountAllows) {
    Volume v;
    ASSERT_EQ(v.store(SongOfSectors(2 * 700)), 2); // 700 clusters
    const auto stored = v.image.bytes();
    const auto steps = v.image.steps();
    auto r = v.volume.insert_song_file(v.image, SongOfSectors(2 * 12), 1'000'000);
    EXPECT_EQ(r.failure().text, text::kNoFreeSpace);
    r = v.volume.insert_song_file(v.image, SongOfSectors(8), 4095); // the bytes given are too few
    EXPECT_EQ(r.failure().text, text::kNoFreeSpace);
    EXPECT_EQ(v.image.bytes(), stored);
    EXPECT_EQ(v.image.steps(), steps);
}

TEST(SongVolume, SoundAndSongDisksKeepSongsInTheirSongArea) {
    auto img = test::ReadFile(test::DemoImage("demo.sdk"));
    const DiskDefinition row = ClassifyImage(std::span(img).first(kHeaderSize));
    MemoryImage image(img);
    auto volume = SongVolume::load_fat_area(image, row, std::nullopt).value();
    test::ScriptedUi ui;
    EXPECT_EQ(volume.listSongs(ui).freeText(), "64 positions & 46080 bytes free");
    // 45 clusters are 4-48: 40 of them fit, a further 8 do not, though bytes are left.
    ASSERT_TRUE(volume.insert_song_file(image, SongOfSectors(80), 46080).ok());
    // The bytes would allow it: only the clusters refuse.
    auto r = volume.insert_song_file(image, SongOfSectors(16), 1'000'000);
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.failure().text, text::kNoFreeSpace);
    // A chain that strays into the sound data is not wiped by a delete.
    FatArea fat = volume.fatArea();
    SetChain(fat, {43, 100});
    auto stray = img;
    std::copy(fat.begin(), fat.end(), stray.begin() + 512);
    PutSongEntry(fat, 2, 4, 41 * 1024);
    std::copy(fat.begin(), fat.end(), stray.begin() + 512);
    MemoryImage strayImage(stray);
    auto strayVolume = SongVolume::load_fat_area(strayImage, row, std::nullopt).value();
    EXPECT_EQ(strayVolume.delete_song_file(strayImage, 2).failure().text, text::kFatCorrupted);
    EXPECT_EQ(strayImage.bytes(), stray);
    // The sound data after the song area is untouched.
    EXPECT_TRUE(std::equal(img.begin() + ClusterOffset(49), img.end(), image.bytes().begin() + ClusterOffset(49)));
}

TEST(SongVolume, DeleteWipesAndFreesAndTheNextSongReusesThePosition) {
    Volume v;
    ASSERT_EQ(v.store(SongOfSectors(4, "ONE")), 2);
    ASSERT_EQ(v.store(SongOfSectors(4, "TWO")), 3);
    ASSERT_TRUE(v.volume.delete_song_file(v.image, 2).ok());
    const auto& img = v.image.bytes();
    EXPECT_EQ(img[3584 + 64], 0xE5);
    EXPECT_TRUE(std::all_of(img.begin() + 7168 + 2016, img.begin() + 7168 + 2048, [](auto b) { return b == 0; }));
    EXPECT_TRUE(std::all_of(img.begin() + ClusterOffset(4), img.begin() + ClusterOffset(6), [](auto b) { return b == 0; }));
    EXPECT_EQ(FatEntry(std::span(img).subspan(512, 1536), 4), 0);
    EXPECT_EQ(FatEntry(std::span(img).subspan(2048, 1536), 5), 0);
    const SongList l = v.list();
    ASSERT_EQ(l.rows.size(), 1u);
    EXPECT_EQ(l.rows[0].position, 3);
    EXPECT_EQ(v.store(SongOfSectors(4, "THREE")), 2);
    EXPECT_EQ(v.image.bytes()[ClusterOffset(4)], 63);
    // Nothing to delete: refused, nothing written.
    const auto steps = v.image.steps();
    EXPECT_FALSE(v.volume.delete_song_file(v.image, 10).ok());
    EXPECT_EQ(v.image.steps(), steps);
}

TEST(SongVolume, RenameWritesDirectoryAndSongHeaderAndLabelIsTenCharacters) {
    Volume v;
    ASSERT_EQ(v.store(SongOfSectors(4, "OLD")), 2);
    ASSERT_TRUE(v.volume.renameSong(v.image, 2, "A NAME OF THIRTY CHARACTERS!!").ok());
    const auto& img = v.image.bytes();
    const std::string expected = "A NAME OF THIRTY CHARACTERS ";
    EXPECT_EQ(std::string(img.begin() + 7168 + 2016, img.begin() + 7168 + 2044), expected);
    EXPECT_EQ(std::string(img.begin() + ClusterOffset(4) + 8, img.begin() + ClusterOffset(4) + 36), expected);
    EXPECT_EQ(v.list().rows[0].name, expected);
    ASSERT_TRUE(v.volume.setLabel(v.image, "MY SONGS ON DISK").ok());
    EXPECT_EQ(std::string(img.begin() + 3584, img.begin() + 3595), "MY SONGS O ");
    EXPECT_EQ(v.list().label, "MY SONGS O ");
}

TEST(SongVolume, CorruptSongsAreReportedAndSkippedInTheList) {
    auto img = EmptySongDisk();
    FatArea fat{};
    std::copy_n(img.begin() + 512, kFatAreaSize, fat.begin());
    PutSongEntry(fat, 5, 40, 3000);
    SetBoth(fat, 40, 0xFF9);
    std::copy(fat.begin(), fat.end(), img.begin() + 512);
    MemoryImage image(img);
    auto v = SongVolume::load_fat_area(image, SongDiskRow(), std::nullopt).value();
    test::ScriptedUi ui;
    const SongList l = v.listSongs(ui);
    EXPECT_TRUE(l.rows.empty());
    ASSERT_EQ(ui.shown().size(), 1u);
    EXPECT_EQ(ui.shown()[0].text, text::kFatStartInside);
    EXPECT_EQ(ui.shown()[0].title, "MIDI Editor");
}

// Every change kind on a real document: the view follows do, undo and redo through the
// refresh events alone, the store hands back each step's code, and nothing reaches the
// user's file before Save.
TEST(DocumentSongImage, EveryChangeKindUndoesAndRedoesThroughTheRefreshEvents) {
    test::TempDir dir;
    const auto path = dir / "disk.sng";
    test::WriteFile(path, EmptySongDisk());
    const Workspace ws = Workspace::System(dir.path());
    auto doc = Document::Open(ws, path);
    ASSERT_TRUE(doc.ok()) << doc.failure().text;
    DocumentSongImage image(**doc);
    auto volume = SongVolume::load_fat_area(image, (*doc)->definition(), std::nullopt).value();
    test::ScriptedUi ui;
    SongList view = volume.listSongs(ui);
    const auto apply = [&](std::int32_t code, StepDirection d, std::int32_t parameter, const std::vector<std::uint8_t>& block) {
        for (const auto& e : RefreshEvents(code, d, parameter, block)) ApplyRefresh(view, e);
    };
    const auto fatNow = [&] { return std::vector<std::uint8_t>(volume.fatArea().begin(), volume.fatArea().end()); };
    const auto matches = [&] {
        const SongList fresh = volume.listSongs(ui);
        EXPECT_EQ(view.rows, fresh.rows);
        EXPECT_EQ(std::tuple(view.freePositions, view.freeBytes, view.label),
                  std::tuple(fresh.freePositions, fresh.freeBytes, fresh.label));
    };
    ASSERT_TRUE(volume.insert_song_file(image, SongOfSectors(6, "ONE"), view.freeBytes).ok());
    apply(kOpStore, StepDirection::Do, 2, fatNow());
    ASSERT_TRUE(volume.insert_song_file(image, SongOfSectors(4, "TWO"), view.freeBytes).ok());
    apply(kOpStore, StepDirection::Do, 3, fatNow());
    ASSERT_TRUE(volume.delete_song_file(image, 2).ok());
    apply(kOpDelete, StepDirection::Do, 2, fatNow());
    matches();
    ASSERT_TRUE(volume.renameSong(image, 3, "RENAMED").ok());
    apply(kOpRename, StepDirection::Do, 3, std::vector<std::uint8_t>(PaddedName("RENAMED", 27, 28)));
    ASSERT_TRUE(volume.setLabel(image, "LABEL").ok());
    apply(kOpLabel, StepDirection::Do, 0, std::vector<std::uint8_t>(PaddedName("LABEL", 10, 11)));
    matches();
    const std::int32_t codes[] = {kOpStore, kOpStore, kOpDelete, kOpRename, kOpLabel};
    const auto step = [&](StepDirection d, std::int32_t code) {
        auto r = d == StepDirection::Undo ? image.undo() : image.redo();
        ASSERT_TRUE(r.ok());
        EXPECT_EQ(r->code, code);
        ASSERT_TRUE(volume.reload(image).ok());
        apply(r->code, d, r->parameter, r->block);
        matches();
    };
    for (int i = 4; i >= 0; --i) step(StepDirection::Undo, codes[i]);
    EXPECT_TRUE(view.rows.empty());
    EXPECT_EQ(view.freeText(), "64 positions & 728064 bytes free");
    for (std::int32_t code : codes) step(StepDirection::Redo, code);
    ASSERT_EQ(view.rows.size(), 1u);
    EXPECT_EQ(view.rows[0].name.substr(0, 7), "RENAMED");
    EXPECT_EQ(view.label, "LABEL      ");
    EXPECT_EQ(test::ReadFile(path), EmptySongDisk());
    ASSERT_TRUE((*doc)->save().ok());
    EXPECT_NE(test::ReadFile(path), EmptySongDisk());
}

} // namespace
} // namespace veldin::midi
