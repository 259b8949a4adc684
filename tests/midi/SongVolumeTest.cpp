// The song volume, from its FAT entries to the MIDI Editor's rules without the window:
// the list and its free figures after each change and after undo and redo, the refusals
// that leave the image as it was, the proposed file names, the preferences pages, and New
// and Save As from the two templates.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "core/Bytes.h"
#include "core/DiskDefinition.h"
#include "core/Document.h"
#include "core/Geometry.h"
#include "core/Messages.h"
#include "core/PageBinding.h"
#include "core/Settings.h"
#include "midi/DocumentSongImage.h"
#include "midi/Fat12Volume.h"
#include "midi/MidiEditorPages.h"
#include "midi/MidiTexts.h"
#include "midi/Song.h"
#include "midi/SongDiskFiles.h"
#include "midi/SongEditor.h"
#include "midi/SongVolume.h"
#include "platform/os/FileOps.h"
#include "tests/midi/Builders.h"
#include "tests/support/TestSupport.h"

namespace veldin::midi {
namespace {

namespace fs = std::filesystem;
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

struct Disk {
    MemoryImage image{EmptySongDisk()};
    test::ScriptedUi ui;
    SongEditor editor = Open();
    SongEditor Open() { return SongEditor::Open(image, SongDiskRow(), ui, std::nullopt).value(); }
    int store(const Bytes& song) {
        auto e = editor.store(song);
        EXPECT_TRUE(e.ok()) << (e ? "" : e.failure().text);
        return e && !e->empty() ? e->front().position : -1;
    }
    void undo() { ASSERT_TRUE(editor.afterStep(image.undo(), true).ok()); }
    // The list a fresh read of the whole volume gives.
    SongList reread() { return Open().list(); }
};

TEST(SongEditor, OnlyAStoredSongIsSelectedAndDeletingItRaisesTheFiguresByItsSize) {
    Disk d;
    EXPECT_EQ(d.editor.current(), -1);
    EXPECT_FALSE(d.editor.currentSongBytes().ok());
    auto none = d.editor.deleteCurrent();
    ASSERT_TRUE(none.ok());
    EXPECT_TRUE(none->empty());
    EXPECT_EQ(d.image.steps(), 0u);

    const int p = d.store(SongOfSectors(7, "GONE"));
    const auto before = d.editor.list();
    d.editor.select(p + 1);
    EXPECT_EQ(d.editor.current(), -1);
    d.editor.select(p);
    EXPECT_EQ(d.editor.current(), p);
    ASSERT_TRUE(d.editor.deleteCurrent().ok());
    EXPECT_EQ(d.editor.list().freePositions, before.freePositions + 1);
    EXPECT_EQ(d.editor.list().freeBytes, before.freeBytes + 7 * 512);
    EXPECT_EQ(d.editor.current(), -1);
}

TEST(SongEditor, RenameTakesAtMost27CharactersAndWritesRecordAndSongHeader) {
    struct Case {
        std::string typed, stored;
    };
    const std::vector<Case> cases = {
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZ0123", "ABCDEFGHIJKLMNOPQRSTUVWXYZ0 "}, // 30 typed
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZ0", "ABCDEFGHIJKLMNOPQRSTUVWXYZ0 "},    // 27 typed
        {"", std::string(28, ' ')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        Disk d;
        const int p = d.store(SongOfSectors(4, "OLD NAME"));
        ASSERT_TRUE(d.editor.rename(p, c.typed).ok());
        EXPECT_EQ(d.editor.list().find(p)->name, c.stored);
        EXPECT_EQ(d.reread().find(p)->name, c.stored);
        d.editor.select(p);
        const auto song = d.editor.currentSongBytes().value();
        EXPECT_EQ(std::string(song.begin() + kHdrName, song.begin() + kHdrName + 28), c.stored);
        // The directory record of SONG63 is the last of the 64; its song's header is in cluster 4.
        const auto& img = d.image.bytes();
        EXPECT_EQ(std::string(img.begin() + 7168 + 2016, img.begin() + 7168 + 2044), c.stored);
        EXPECT_EQ(std::string(img.begin() + ClusterOffset(4) + 8, img.begin() + ClusterOffset(4) + 36), c.stored);
        d.undo();
        EXPECT_EQ(TrimBlanks(d.editor.list().find(p)->name), "OLD NAME");
    }
}

TEST(SongEditor, LabelTakesTenCharactersAsOneStepThatUndoGivesBack) {
    Disk d;
    const std::string old = d.editor.list().label;
    ASSERT_TRUE(d.editor.setLabel("MY VERY LONG LABEL").ok());
    EXPECT_EQ(std::string(d.image.bytes().begin() + 3584, d.image.bytes().begin() + 3595), "MY VERY LO ");
    EXPECT_EQ(d.reread().label, "MY VERY LO ");
    EXPECT_EQ(d.image.steps(), 1u);
    d.undo();
    EXPECT_EQ(d.editor.list().label, old);
}

TEST(SongEditor, RefusedStoresLeaveImageAndListAsTheyWere) {
    struct Case {
        const char* what;
        Bytes song;
        std::string_view text;
    };
    Bytes otherBlock = SongOfSectors(4);
    otherBlock[1] = 0x10;
    const Bytes whole = SongOfSectors(4);
    const std::vector<Case> cases = {
        {"not a song", Bytes(4096, 0x41), text::kNotASong},
        {"a first block that is no header", otherBlock, text::kNotASong},
        {"three sectors", SongOfSectors(3), text::kNotASong},
        {"truncated", Bytes(whole.begin(), whole.begin() + 1000), text::kNotASong},
        {"no room", SongOfSectors(1430, "HUGE"), text::kNoFreeSpace}, // 732,160 bytes on a volume of 728,064
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Disk d;
        d.store(SongOfSectors(4, "KEEP"));
        const auto bytes = d.image.bytes();
        const auto steps = d.image.steps();
        const auto list = d.editor.list();
        auto r = d.editor.store(c.song);
        ASSERT_FALSE(r.ok());
        EXPECT_EQ(r.failure().text, c.text);
        EXPECT_EQ(d.image.bytes(), bytes);
        EXPECT_EQ(d.image.steps(), steps);
        EXPECT_EQ(d.editor.list().rows, list.rows);
        EXPECT_EQ(d.editor.list().freeBytes, list.freeBytes);
    }
    // All 64 positions taken: bytes are left, but no position.
    Disk d;
    for (int i = 0; i < 64; ++i) ASSERT_EQ(d.store(SongOfSectors(4, "S" + std::to_string(i))), 2 + i);
    EXPECT_EQ(d.editor.list().freeText(), "0 positions & 596992 bytes free");
    EXPECT_FALSE(d.editor.canStore());
    const auto bytes = d.image.bytes();
    auto r = d.editor.store(SongOfSectors(4, "ONE MORE"));
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.failure().text, text::kNoFreeSpace);
    EXPECT_EQ(d.image.bytes(), bytes);
}

TEST(SongEditor, ProposedFileNamesHaveBlanksForDotsAndNoPadding) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"MY.SONG.V2" + std::string(18, ' '), "MY SONG V2"},
        {"A B" + std::string(25, ' '), "A B"},
        {"...", ""},
        {"AC/DC: A*B?<C>|\"D\\E,F", "AC_DC_ A_B__C>__D_E_F"},
    };
    for (const auto& [name, proposed] : cases) EXPECT_EQ(ProposedFileName(name), proposed) << name;
    EXPECT_EQ(SizeText(2048), "2048 b");
}

// The binding routines over a dialog that remembers what it shows.
class FakeControls final : public PageControls {
public:
    std::map<int, bool> checked;
    std::map<int, std::string> texts;
    void setVisible(int, bool) override {}
    void setChecked(int id, bool on) override { checked[id] = on; }
    bool isChecked(int id) override { return checked[id]; }
    void setText(int id, std::string_view t) override { texts[id] = std::string(t); }
    std::string text(int id) override { return texts[id]; }
    void setComboIndex(int, int) override {}
    int comboIndex(int) override { return -1; }
};

TEST(MidiEditorPages, RadioGroupsAndPathsShowAndStoreTheirSettings) {
    const auto pages = MidiEditorPages();
    MidiEditorSettings s;
    s.midiTrackName = 2;
    s.rolandSongName = 1;
    s.logConversion = 1;
    SetFieldString(s.songPath, "/songs");
    SetFieldString(s.midiPath, "/midi");
    FakeControls c;
    for (const auto& p : pages) ShowPageValues(c, p.bindings, StorageOf(std::as_const(s)));
    EXPECT_EQ(std::tuple(c.checked[3202], c.checked[3200], c.checked[3211], c.checked[3301]),
              std::tuple(true, false, true, true));
    EXPECT_EQ(std::tuple(c.texts[3100], c.texts[3102]), std::tuple("/songs", "/midi"));
    // The user picks "Track" and "Prompt" and another MIDI folder.
    c.checked = {{3200, true}, {3212, true}, {3301, false}};
    c.texts[3102] = "/other";
    for (const auto& p : pages) ReadPageValues(c, p.bindings, StorageOf(s));
    EXPECT_EQ(s.midiTrackName, 0);
    EXPECT_EQ(s.rolandSongName, 2);
    EXPECT_EQ(s.logConversion, 0);
    EXPECT_EQ(FieldString(s.midiPath), "/other");
    EXPECT_EQ(FieldString(s.songPath), "/songs");
}

TEST(MidiEditorPages, FirstStartCreatesSongAndMidiFoldersAndDoesNotAlign) {
    test::TempDir dir;
    MidiEditorSettings s;
    s.rolandSongName = 2;
    ASSERT_TRUE(SetMidiEditorFirstStart(s, dir.path()).ok());
    EXPECT_TRUE(std::filesystem::is_directory(dir / "Songs"));
    EXPECT_TRUE(std::filesystem::is_directory(dir / "MIDI"));
    EXPECT_EQ(FieldString(s.songPath), (dir / "Songs").string());
    EXPECT_EQ(FieldString(s.midiPath), (dir / "MIDI").string());
    EXPECT_EQ(std::tuple(s.frame.winAlign, s.rolandSongName), std::tuple(0, 0));
}

TEST(SongDiskFiles, NewMakesTheChosenTemplateFollowedByZeros) {
    test::TempDir dir;
    const std::vector<std::pair<int, std::string>> cases = {{1, "W30.dat"}, {2, "W30S.dat"}};
    for (const auto& [index, templateFile] : cases) {
        SCOPED_TRACE(templateFile);
        const fs::path out = dir / ("new" + std::to_string(index) + ".img");
        ASSERT_TRUE(MakeSongDisk(os::SystemFileOps(), test::BinDir(), index, out).ok());
        const auto image = test::ReadFile(out);
        ASSERT_EQ(image.size(), static_cast<std::size_t>(kImageSize));
        const auto tmpl = test::ReadFile(test::BinDir() / templateFile);
        EXPECT_TRUE(std::equal(tmpl.begin(), tmpl.end(), image.begin()));
        EXPECT_TRUE(std::all_of(image.begin() + kSystemAreaSize, image.end(), [](auto b) { return b == 0; }));
        EXPECT_TRUE(ClassifyImage(std::span(image).first(kHeaderSize)).hasSongs);
    }
    // The song disk opens empty with all its room free.
    MemoryImage image(test::ReadFile(dir / "new2.img"));
    test::ScriptedUi ui;
    const auto bytes = test::ReadFile(dir / "new2.img");
    auto editor = SongEditor::Open(image, ClassifyImage(std::span(bytes).first(kHeaderSize)), ui, std::nullopt);
    ASSERT_TRUE(editor.ok());
    EXPECT_EQ(editor->list().freeText(), "64 positions & 728064 bytes free");
}

TEST(SongDiskFiles, WithoutAUsableTemplateNothingIsWritten) {
    test::TempDir dir;
    test::WriteFile(dir / "W30S.dat", test::Bytes(1000, 0));
    const std::vector<std::pair<fs::path, int>> cases = {
        {test::BinDir(), 0}, {test::BinDir(), 3}, {dir.path() / "nowhere", 2}, {dir.path(), 2} /* short template */};
    for (const auto& [mainDir, index] : cases) {
        const fs::path out = dir / "out.sng";
        auto s = MakeSongDisk(os::SystemFileOps(), mainDir, index, out);
        ASSERT_FALSE(s.ok()) << index;
        EXPECT_EQ(s.failure().text, text::kNoTemplate);
        EXPECT_FALSE(fs::exists(out));
    }
}

TEST(SongDiskFiles, SaveAsTakesTheTemplatesFirstSectorAndTheWorkingCopysRest) {
    test::TempDir dir;
    fs::copy_file(test::DemoImage("demo.sng"), dir / "a.sng");
    const auto original = test::ReadFile(dir / "a.sng");
    const Workspace ws = Workspace::System(test::BinDir());
    auto doc = Document::Open(ws, dir / "a.sng");
    ASSERT_TRUE(doc.ok());
    DocumentSongImage image(**doc);
    test::ScriptedUi ui;
    auto editor = SongEditor::Open(image, (*doc)->definition(), ui, std::nullopt).value();
    ASSERT_TRUE(editor.store(test::SongOfSectors(6, "UNSAVED")).ok());
    ASSERT_TRUE(SaveSongDiskAs(os::SystemFileOps(), test::BinDir(), **doc, 1, dir / "copy.sdk").ok());
    const auto copy = test::ReadFile(dir / "copy.sdk");
    ASSERT_EQ(copy.size(), static_cast<std::size_t>(kImageSize));
    const auto tmpl = test::ReadFile(test::BinDir() / "W30.dat");
    EXPECT_TRUE(std::equal(tmpl.begin(), tmpl.begin() + kSectorSize, copy.begin()));
    std::vector<std::uint8_t> working(kImageSize);
    ASSERT_TRUE((*doc)->read(0, working).ok());
    EXPECT_TRUE(std::equal(working.begin() + kSectorSize, working.end(), copy.begin() + kSectorSize));
    EXPECT_EQ(test::ReadFile(dir / "a.sng"), original) << "the document's own file changes only on Save";
    EXPECT_FALSE(SaveSongDiskAs(os::SystemFileOps(), dir.path() / "nowhere", **doc, 2, dir / "x.sng").ok());
    EXPECT_FALSE(fs::exists(dir / "x.sng"));
}

} // namespace
} // namespace veldin::midi
