// The MIDI Editor window's rules without the window: the list and its free figures after
// each change and after undo and redo, the refusals that leave the image as it was, the
// proposed file names and the preferences pages.
#include <gtest/gtest.h>

#include <map>

#include "core/Geometry.h"
#include "core/PageBinding.h"
#include "core/Settings.h"
#include "midi/MidiEditorPages.h"
#include "midi/MidiTexts.h"
#include "midi/Song.h"
#include "midi/SongEditor.h"
#include "tests/midi/Builders.h"
#include "tests/support/TestSupport.h"

namespace veldin::midi {
namespace {

using test::Bytes;
using test::SongOfSectors;

std::vector<std::uint8_t> EmptySongDisk() { return test::ReadFile(test::DemoImage("demo.sng")); }

struct Disk {
    MemoryImage image{EmptySongDisk()};
    test::ScriptedUi ui;
    SongEditor editor = Open();
    SongEditor Open() {
        const auto img = EmptySongDisk();
        return SongEditor::Open(image, ClassifyImage(std::span(img).first(kHeaderSize)), ui, std::nullopt).value();
    }
    int store(const Bytes& song) {
        auto e = editor.store(song);
        EXPECT_TRUE(e.ok()) << (e ? "" : e.failure().text);
        return e && !e->empty() ? e->front().position : -1;
    }
    void undo() { ASSERT_TRUE(editor.afterStep(image.undo(), true).ok()); }
    void redo() { ASSERT_TRUE(editor.afterStep(image.redo(), false).ok()); }
    // The list a fresh read of the whole volume gives.
    SongList reread() { return Open().list(); }
};

TEST(SongEditor, OnlyAStoredSongIsSelectedAndDeletingItRaisesTheFiguresByItsSize) {
    Disk d;
    EXPECT_TRUE(d.editor.list().rows.empty());
    EXPECT_EQ(d.editor.current(), -1);
    EXPECT_TRUE(d.editor.canStore());
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

TEST(SongEditor, StoreDeleteUndoRedoKeepTheListAsAFreshReadWouldShowIt) {
    Disk d;
    const Bytes a = SongOfSectors(4, "FIRST"), b = SongOfSectors(9, "SECOND");
    const int pa = d.store(a), pb = d.store(b);
    EXPECT_EQ(pa, 2);
    EXPECT_EQ(pb, 3);
    ASSERT_EQ(d.editor.list().rows.size(), 2u);
    EXPECT_EQ(d.editor.list().rows[1].bytes, 9u * 512u);
    EXPECT_EQ(d.editor.list().freeText(), "62 positions & " + std::to_string(728064 - 13 * 512) + " bytes free");
    EXPECT_EQ(d.editor.list().rows, d.reread().rows);

    // Each step and its inverse, with the list compared to a fresh read every time.
    struct Step {
        const char* what;
        std::function<void()> run;
        std::size_t rows;
        std::int64_t freePositions;
    };
    const std::vector<Step> steps = {
        {"delete first", [&] { d.editor.select(pa); ASSERT_TRUE(d.editor.deleteCurrent().ok()); }, 1, 63},
        {"undo delete", [&] { d.undo(); }, 2, 62},
        {"redo delete", [&] { d.redo(); }, 1, 63},
        {"undo delete again", [&] { d.undo(); }, 2, 62},
        {"undo second store", [&] { d.undo(); }, 1, 63},
        {"undo first store", [&] { d.undo(); }, 0, 64},
        {"redo first store", [&] { d.redo(); }, 1, 63},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        s.run();
        const SongList fresh = d.reread();
        EXPECT_EQ(d.editor.list().rows.size(), s.rows);
        EXPECT_EQ(d.editor.list().freePositions, s.freePositions);
        EXPECT_EQ(d.editor.list().rows, fresh.rows);
        EXPECT_EQ(d.editor.list().freeBytes, fresh.freeBytes);
    }
}

TEST(SongEditor, RenameTakesAtMost27CharactersAndWritesRecordAndSongHeader) {
    struct Case {
        std::string typed, stored;
    };
    const std::vector<Case> cases = {
        {"SHORT", "SHORT" + std::string(23, ' ')},
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
        d.undo();
        EXPECT_EQ(TrimBlanks(d.editor.list().find(p)->name), "OLD NAME");
    }
}

TEST(SongEditor, LabelTakesTenCharactersAsOneStepThatUndoGivesBack) {
    Disk d;
    const std::string old = d.editor.list().label;
    ASSERT_TRUE(d.editor.setLabel("MY VERY LONG LABEL").ok());
    EXPECT_EQ(d.reread().label, "MY VERY LO ");
    EXPECT_EQ(d.image.steps(), 1u);
    d.undo();
    EXPECT_EQ(d.editor.list().label, old);
    d.redo();
    EXPECT_EQ(d.editor.list().label, "MY VERY LO ");
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
        {"NAME", "NAME"},
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
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_EQ(pages[0].name, "Appearance");
    EXPECT_EQ(pages[1].name, "Paths");
    EXPECT_EQ(pages[2].name, "Conversion");
    MidiEditorSettings s;
    s.midiTrackName = 2;
    s.rolandSongName = 1;
    s.logConversion = 1;
    SetFieldString(s.songPath, "/songs");
    SetFieldString(s.midiPath, "/midi");
    FakeControls c;
    for (const auto& p : pages) ShowPageValues(c, p.bindings, StorageOf(std::as_const(s)));
    EXPECT_TRUE(c.checked[3202]);
    EXPECT_FALSE(c.checked[3200]);
    EXPECT_TRUE(c.checked[3211]);
    EXPECT_FALSE(c.checked[3212]);
    EXPECT_TRUE(c.checked[3301]);
    EXPECT_EQ(c.texts[3100], "/songs");
    EXPECT_EQ(c.texts[3102], "/midi");
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
    EXPECT_EQ(s.frame.winAlign, 0);
    EXPECT_EQ(s.frame.winPos, 1);
    EXPECT_EQ(s.frame.winTexture, 1);
    EXPECT_EQ(s.rolandSongName, 0);
}

} // namespace
} // namespace veldin::midi
