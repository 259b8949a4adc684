// The MIDI Editor window's commands end to end on copies of the demo song disks: the real
// frame and view, MIDI files from Debian packages, file choosers answered by the test,
// questions by a scripted UI, and the module library as the launcher loads it.

#include <gtest/gtest.h>

// Before Qt, whose "slots" would otherwise stand for nothing in it.
#include "tests/midi/Builders.h"

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLibrary>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMimeData>
#include <QUrl>
#include <QDropEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QToolButton>
#include <QTimer>
#include <cstdlib>

#include "core/Geometry.h"
#include "core/Messages.h"
#include "frame/ui/ModuleFrame.h"
#include "midi/MidiTexts.h"
#include "midi/Song.h"
#include "midi/SongEditor.h"
#include "midi/ui/MidiPreferences.h"
#include "midi/PianoRoll.h"
#include "midi/ui/PianoRollView.h"
#include "midi/ui/SongDiskCommands.h"
#include "midi/ui/SongView.h"
#include "tests/gui/GuiHelpers.h"
#include "tests/support/GuiChecks.h"
#include "tests/support/GuiTestApp.h"
#include "tests/support/TestSupport.h"

using namespace veldin;
using namespace veldin::frame;
using midi::kCmdLoadMidi;
using midi::kCmdLoadSong;
using midi::kCmdSaveMidi;
using midi::kCmdSaveSong;

namespace {

namespace fs = std::filesystem;

// One Debian MIDI file, the same on every run, of a division that the conversion takes
// without its warning (a multiple of 24); empty with the reason when there is none.
fs::path DebianMidi(std::string& whyNot, std::size_t index = 0) {
    static std::string why;
    static const std::vector<fs::path> files = [] {
        std::vector<fs::path> plain;
        for (const fs::path& f : test::DebianMidiFiles(VELDIN_TEST_CACHE_DIR, why)) {
            const auto b = test::ReadFile(f);
            if (b.size() > 14 && ((b[12] << 8) | b[13]) % 24 == 0) plain.push_back(f);
        }
        return plain;
    }();
    whyNot = why.empty() ? "no Debian MIDI file of a usual division" : why;
    return index < files.size() ? files[index] : fs::path();
}

// Keys typed into a widget, as the user types them.
void Type(QWidget* w, const QString& text) {
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &release);
    }
}
#define NEED_MIDI(var)                                                                                                 \
    std::string whyNot_;                                                                                              \
    const fs::path var = DebianMidi(whyNot_);                                                                         \
    if (var.empty()) GTEST_SKIP() << whyNot_

class MidiCommandsTest : public test::FrameFixture {
protected:
    void SetUp() override {
        makeFrame(fennet::MidiEditorIdentity(),
                  [this](Document& doc, ui::ModuleFrame& frame, QWidget* parent) -> ui::DocumentView* {
                      return new fennet::SongView(doc, frame, parent, &settings);
                  });
        fennet::InstallSongDiskCommands(*frame);
        // The conversion logs go to the current directory.
        old = fs::current_path();
        fs::current_path(dir.path());
    }
    void TearDown() override {
        frame.reset(); // before the settings its views show
        fs::current_path(old);
    }

    fennet::SongView* open(const std::string& demo, const std::string& as) {
        fs::copy_file(test::DemoImage(demo), dir / as);
        if (!frame->openImage(dir / as)) return nullptr;
        return dynamic_cast<fennet::SongView*>(frame->activeWindow()->view());
    }
    QString figures() const { return frame->statusPart(0)->text(); }
    void select(fennet::SongView* v, int row) {
        ASSERT_LT(row, v->list()->topLevelItemCount());
        v->list()->setCurrentItem(v->list()->topLevelItem(row));
    }
    // Load MIDI of `file`, which must add one row.
    void loadMidi(fennet::SongView* v, const fs::path& file) {
        const int rows = v->list()->topLevelItemCount();
        choose(file);
        run(kCmdLoadMidi);
        ASSERT_TRUE(ui.shown().empty()) << ui.texts().front();
        ASSERT_EQ(v->list()->topLevelItemCount(), rows + 1);
    }

    fs::path old;
    MidiEditorSettings settings;
};

TEST_F(MidiCommandsTest, EmptySongDiskShowsAllFreeSavesNothingAndTakesANewLabelInOneUndoStep) {
    auto* v = open("demo.sng", "a.sng");
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(figures(), QStringLiteral("64 positions & 728064 bytes free"));
    EXPECT_EQ(v->list()->topLevelItemCount(), 0);
    EXPECT_EQ(v->diskLine()->text(), QStringLiteral(" Disk: W30"));
    EXPECT_TRUE(v->typeLine()->text().startsWith(QStringLiteral(" Type: ")));
    EXPECT_EQ(v->labelEdit()->text(), QStringLiteral("SONG DISK  "));
    EXPECT_FALSE(v->applyButton()->isEnabled());
    EXPECT_TRUE(frame->action(kCmdLoadMidi)->isEnabled());
    EXPECT_TRUE(frame->action(kCmdLoadSong)->isEnabled());
    for (int id : {kCmdSaveSong, kCmdSaveMidi, int(kDelete)}) {
        EXPECT_FALSE(frame->action(id)->isEnabled()) << id;
        frame->runCommand(id); // a disabled command does nothing at all
        EXPECT_FALSE(v->runCommand(id) && !requests.empty()) << id;
    }
    EXPECT_TRUE(requests.empty());
    EXPECT_TRUE(ui.shown().empty());
    EXPECT_TRUE(fs::exists(dir / "fat12log.txt"));
    // The label goes in by Apply, ten characters and a blank.
    v->labelEdit()->clear();
    Type(v->labelEdit(), QStringLiteral("NEW LABEL X"));
    EXPECT_TRUE(v->applyButton()->isEnabled());
    v->applyButton()->click();
    EXPECT_FALSE(v->applyButton()->isEnabled());
    EXPECT_EQ(v->labelEdit()->text(), QStringLiteral("NEW LABEL  "));
    run(kUndo);
    EXPECT_EQ(v->labelEdit()->text(), QStringLiteral("SONG DISK  "));
    EXPECT_FALSE(enabled(kUndo)) << "one step";
    // The status bar shows the figures of the window in front.
    ASSERT_NE(open("demo.sdk", "a.sdk"), nullptr);
    frame->show();
    EXPECT_EQ(figures(), QStringLiteral("64 positions & 46080 bytes free"));
    frame->mdiArea()->setActiveSubWindow(frame->mdiArea()->subWindowList().first());
    EXPECT_EQ(figures(), QStringLiteral("64 positions & 728064 bytes free"));
}

TEST_F(MidiCommandsTest, DisksWithoutAReadableSongVolumeShowNoSongCommands) {
    // A sound disk has no volume to show; a song disk whose FAT does not start with
    // FF9 is said to be corrupt. Neither offers a song command.
    auto corrupt = test::ReadFile(test::DemoImage("demo.sng"));
    corrupt[512] = 0;
    test::WriteFile(dir / "corrupt.sng", corrupt);
    struct Case {
        std::string file;
        std::vector<std::string> said;
    };
    fs::copy_file(test::DemoImage("demo.s55"), dir / "a.s55");
    for (const Case& c : {Case{"a.s55", {}}, Case{"corrupt.sng", {std::string(text::kFatCorrupted)}}}) {
        SCOPED_TRACE(c.file);
        ui.clear();
        ASSERT_TRUE(frame->openImage(dir / c.file));
        auto* v = dynamic_cast<fennet::SongView*>(frame->activeWindow()->view());
        ASSERT_NE(v, nullptr);
        EXPECT_EQ(ui.texts(), c.said);
        for (const auto& shown : ui.shown()) EXPECT_EQ(shown.title, "MIDI Editor");
        EXPECT_EQ(v->editor(), nullptr);
        EXPECT_FALSE(v->list()->isEnabled());
        for (int id : {kCmdLoadSong, kCmdLoadMidi, kCmdSaveSong, kCmdSaveMidi, int(kDelete)})
            EXPECT_FALSE(frame->action(id)->isEnabled()) << id;
    }
}

TEST_F(MidiCommandsTest, LoadMidiAddsARowWithoutRereadingAndUndoRedoFollow) {
    NEED_MIDI(mid);
    std::string why;
    const fs::path second = DebianMidi(why, 1);
    auto* v = open("demo.sng", "a.sng");
    ASSERT_NE(v, nullptr);
    loadMidi(v, mid);
    ASSERT_EQ(requests.size(), 1u);
    QTreeWidgetItem* first = v->list()->topLevelItem(0);
    // "Filename": the song is named after the file.
    EXPECT_EQ(first->text(0), QString::fromStdString(mid.filename().string()).left(28).trimmed());
    const midi::SongRow row = v->editor()->list().rows.at(0);
    EXPECT_EQ(first->text(1), QStringLiteral("%1 b").arg(row.bytes));
    EXPECT_EQ(figures(), QStringLiteral("63 positions & %1 bytes free").arg(728064 - row.bytes));
    EXPECT_EQ(frame->statusPart(2)->text(), QString::fromUtf8(text::kStatusConverted.data()));
    const QString afterOne = figures();
    if (!second.empty()) {
        loadMidi(v, second);
        // The first row is the same widget item: the list was not filled again.
        EXPECT_EQ(v->list()->topLevelItem(0), first);
        run(kUndo);
        EXPECT_EQ(v->list()->topLevelItemCount(), 1);
        EXPECT_EQ(v->list()->topLevelItem(0), first);
        EXPECT_EQ(figures(), afterOne);
    }
    EXPECT_EQ(test::ReadFile(dir / "a.sng"), test::ReadFile(test::DemoImage("demo.sng"))) << "only Save writes";
    run(kUndo);
    EXPECT_EQ(v->list()->topLevelItemCount(), 0);
    EXPECT_EQ(figures(), QStringLiteral("64 positions & 728064 bytes free"));
    run(kRedo);
    ASSERT_EQ(v->list()->topLevelItemCount(), 1);
    EXPECT_EQ(figures(), afterOne);
    run(kSave);
    // What was saved is what a fresh open shows.
    frame->runCommand(kClose);
    test::WaitFor([&] { return frame->documentWindows().empty(); });
    ASSERT_TRUE(frame->openImage(dir / "a.sng"));
    auto* again = dynamic_cast<fennet::SongView*>(frame->activeWindow()->view());
    ASSERT_EQ(again->list()->topLevelItemCount(), 1);
    EXPECT_EQ(figures(), afterOne);
}

// A file that is no MIDI file is refused with its text and changes nothing.
TEST_F(MidiCommandsTest, RefusedMidiFileShowsItsTextAndChangesNothing) {
    auto* v = open("demo.sng", "a.sng");
    ASSERT_NE(v, nullptr);
    const QString before = figures();
    test::WriteFile(dir / "text.mid", test::Bytes{'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'});
    choose(dir / "text.mid");
    run(kCmdLoadMidi);
    test::ExpectOneMessage(ui, text::kNotMidi, "MIDI Editor");
    EXPECT_EQ(v->list()->topLevelItemCount(), 0);
    EXPECT_EQ(figures(), before);
    EXPECT_FALSE(enabled(kUndo));
}

TEST_F(MidiCommandsTest, RenameKeepsTwentySevenAndABlankDeleteAsksAndEachIsOneUndoStep) {
    NEED_MIDI(mid);
    auto* v = open("demo.sng", "a.sng");
    ASSERT_NE(v, nullptr);
    loadMidi(v, mid);
    QTreeWidgetItem* it = v->list()->topLevelItem(0);
    const QString old = it->text(0);
    it->setText(0, QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123"));
    EXPECT_TRUE(ui.shown().empty());
    EXPECT_EQ(it->text(0), QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ0"));
    EXPECT_EQ(v->editor()->list().rows[0].name, "ABCDEFGHIJKLMNOPQRSTUVWXYZ0 ");
    run(kUndo);
    EXPECT_EQ(it->text(0), old);

    select(v, 0);
    ui.answer(Answer::No);
    run(kDelete);
    test::ExpectOneMessage(ui, "Do you really want to delete this song?", "MIDI Editor");
    EXPECT_TRUE(ui.shown()[0].question);
    EXPECT_EQ(v->list()->topLevelItemCount(), 1);
    ui.answer(Answer::Yes);
    test::PressKey(v->list(), Qt::Key_Delete);
    EXPECT_EQ(ui.shown().size(), 2u);
    EXPECT_EQ(v->list()->topLevelItemCount(), 0);
    run(kUndo);
    EXPECT_EQ(v->list()->topLevelItemCount(), 1);
    EXPECT_EQ(figures().left(3), QStringLiteral("63 "));
}

TEST_F(MidiCommandsTest, SaveMidiWritesTheNotesThePianoRollShowsAsMidoReadsThem) {
    NEED_MIDI(mid);
    auto* v = open("demo.sng", "a.sng");
    ASSERT_NE(v, nullptr);
    fennet::PianoRollView* roll = v->pianoRoll();
    ASSERT_NE(roll, nullptr);
    EXPECT_FALSE(roll->song());
    loadMidi(v, mid);
    select(v, 0);
    ASSERT_TRUE(roll->song());
    // Cancelling the chooser discards the conversion.
    run(kCmdSaveMidi);
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1].proposedName, v->list()->topLevelItem(0)->text(0).replace('.', ' ').trimmed());
    EXPECT_TRUE(fs::exists(dir / "ConversionLog-Song2MIDI.txt"));
    choose(dir / "out.mid");
    run(kCmdSaveMidi);
    const auto written = midi::ReadRoll(test::ReadFile(dir / "out.mid"));
    ASSERT_TRUE(written);
    EXPECT_GT(written->notes.size(), 10u);
    EXPECT_EQ(roll->song()->notes, written->notes);
    EXPECT_TRUE(roll->caption()->text().contains(QStringLiteral("%1 notes").arg(written->notes.size())));
    const int wide = roll->canvas()->width();
    roll->zoomInButton()->click();
    EXPECT_NEAR(roll->canvas()->width(), 2 * wide, 2);
    // A deleted song leaves nothing to show.
    ui.answer(Answer::Yes);
    run(kDelete);
    EXPECT_FALSE(roll->song());
    // The notes as a MIDI library reads them, against the file that was loaded.
    if (std::system("/usr/bin/python3 -c 'import mido' >/dev/null 2>&1") != 0) GTEST_SKIP() << "python3-mido missing";
    const std::string check = "/usr/bin/python3 '" VELDIN_SOURCE_DIR "/tests/midi/roundtrip_check.py' '" + mid.string() +
                              "' '" + (dir / "out.mid").string() + "' >'" + (dir / "check.txt").string() + "' 2>&1";
    const int rc = std::system(check.c_str());
    const auto out = test::ReadFile(dir / "check.txt");
    EXPECT_EQ(rc, 0) << std::string(out.begin(), out.end());
}

// Songs come in by Load MIDI, Load Song or a drop of their files, and go out by Save Song
// or as a MIDI file dragged out of the list; a drop or a drag asks for no file.
TEST_F(MidiCommandsTest, DroppedFilesImportLikeLoadMidiAndLoadSongSaveSongLoadsAgainAndADragIsAMidiFile) {
    NEED_MIDI(mid);
    auto* v = open("demo.sng", "a.sng");
    ASSERT_NE(v, nullptr);
    // Dropped as the file manager drops it: a list of file addresses on the list.
    QMimeData dropped;
    dropped.setUrls({QUrl::fromLocalFile(QString::fromStdString(mid.string()))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(v->list()->viewport(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(v->list()->viewport(), &drop);
    ASSERT_EQ(v->list()->topLevelItemCount(), 1);
    EXPECT_TRUE(requests.empty());

    v->list()->topLevelItem(0)->setText(0, QStringLiteral("MY.SONG.V2"));
    select(v, 0);
    choose(dir / "my.sng");
    run(kCmdSaveSong);
    EXPECT_EQ(requests.back().proposedName, QStringLiteral("MY SONG V2"));
    EXPECT_EQ(test::ReadFile(dir / "my.sng"), v->editor()->currentSongBytes().value());
    choose(dir / "my.sng");
    run(kCmdLoadSong);
    ASSERT_EQ(v->list()->topLevelItemCount(), 2);
    EXPECT_EQ(v->list()->topLevelItem(1)->text(0), QStringLiteral("MY.SONG.V2"));
    v->importFiles({QString::fromStdString((dir / "my.sng").string()), QStringLiteral("/nowhere/readme.txt")});
    EXPECT_EQ(v->list()->topLevelItemCount(), 3);
    const auto asked = requests.size();

    auto* list = static_cast<fennet::SongListWidget*>(v->list());
    list->topLevelItem(0)->setText(0, QStringLiteral("DRAG.ME/OUT"));
    select(v, 0);
    std::unique_ptr<QMimeData> data(list->dragData({list->topLevelItem(0)}));
    ASSERT_NE(data, nullptr);
    ASSERT_EQ(data->urls().size(), 1);
    const fs::path file = data->urls()[0].toLocalFile().toStdString();
    EXPECT_EQ(file.filename(), "DRAG ME_OUT.mid");
    const auto roll = midi::ReadRoll(test::ReadFile(file));
    ASSERT_TRUE(roll);
    EXPECT_EQ(roll->notes, v->pianoRoll()->song()->notes);
    EXPECT_EQ(requests.size(), asked);
    EXPECT_EQ(v->list()->topLevelItemCount(), 3);

    // A file that is not a song is refused with its text.
    test::WriteFile(dir / "junk.sng", test::Bytes(3000, 7));
    choose(dir / "junk.sng");
    run(kCmdLoadSong);
    test::ExpectOneMessage(ui, text::kNotASong);
    EXPECT_EQ(v->list()->topLevelItemCount(), 3);
}

// "Prompt" asks for the song name in an edit of 28 characters; "Log conversion" writes
// the import log, and no log unless asked for.
TEST_F(MidiCommandsTest, PromptAsksForTheSongNameAndLogConversionWritesTheImportLog) {
    NEED_MIDI(mid);
    settings.rolandSongName = 2;
    settings.logConversion = 1;
    auto* v = open("demo.sng", "a.sng");
    ASSERT_NE(v, nullptr);
    int maxLength = 0;
    QTimer::singleShot(0, [&] {
        auto* d = dynamic_cast<fennet::SongNameDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(d, nullptr);
        maxLength = d->edit()->maxLength();
        d->edit()->clear();
        Type(d->edit(), QStringLiteral("TYPED NAME THAT IS FAR TOO LONG FOR IT"));
        test::PressKey(d->edit(), Qt::Key_Return);
    });
    loadMidi(v, mid);
    EXPECT_EQ(maxLength, 28);
    EXPECT_EQ(v->editor()->list().rows[0].name, "TYPED NAME THAT IS FAR TOO L");
    EXPECT_GT(fs::file_size(dir / "midi2song.txt"), 0u);
    settings.logConversion = 0;
    settings.rolandSongName = 0;
    fs::remove(dir / "midi2song.txt");
    std::string why;
    const fs::path second = DebianMidi(why, 1);
    if (second.empty()) return;
    loadMidi(v, second);
    EXPECT_FALSE(fs::exists(dir / "midi2song.txt")) << "no log unless asked for";
}

TEST_F(MidiCommandsTest, AFullDiskTakesNoMoreSongsAndAsksForNoFile) {
    auto* v = open("demo.sng", "a.sng");
    ASSERT_NE(v, nullptr);
    test::WriteFile(dir / "small.sng", test::SongOfSectors(4, "SMALL"));
    v->importFiles(QStringList(64, QString::fromStdString((dir / "small.sng").string())));
    ASSERT_EQ(v->list()->topLevelItemCount(), 64);
    EXPECT_EQ(figures(), QStringLiteral("0 positions & %1 bytes free").arg(728064 - 64 * 2048));
    for (int id : {kCmdLoadMidi, kCmdLoadSong}) {
        frame->runCommand(id);
        EXPECT_TRUE(requests.empty()) << id;
    }
    EXPECT_TRUE(ui.shown().empty());
    EXPECT_EQ(v->list()->topLevelItemCount(), 64);
}

TEST_F(MidiCommandsTest, NewAndSaveAsOfferTheTwoSongDiskTypes) {
    choose(dir / "fresh.sng", 1); // "Roland W30 Song (*.sng)"
    frame->runCommand(kNew);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].filters, QStringList({"Roland W30 Sound & Song (*.sdk)", "Roland W30 Song (*.sng)"}));
    ASSERT_TRUE(ui.shown().empty()) << ui.texts().front();
    auto* v = dynamic_cast<fennet::SongView*>(frame->activeWindow()->view());
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(frame->activeDocument()->path(), dir / "fresh.sng");
    EXPECT_EQ(figures(), QStringLiteral("64 positions & 728064 bytes free"));
    EXPECT_EQ(test::ReadFile(dir / "fresh.sng").size(), 737280u);

    // Save As "Sound & Song": the other template's first sector, this disk's songs.
    choose(dir / "copy.sdk", 0);
    run(kSaveAs);
    ASSERT_TRUE(ui.shown().empty()) << ui.texts().front();
    EXPECT_EQ(test::ReadFile(dir / "copy.sdk").size(), 737280u);
    EXPECT_EQ(frame->activeDocument()->path(), dir / "fresh.sng") << "the window goes on with its own file";
    // Cancel makes nothing.
    frame->runCommand(kNew);
    EXPECT_EQ(frame->documentWindows().size(), 1u);
}

TEST_F(MidiCommandsTest, EveryControlHasANameAndItsTextFitsInEachFontSize) {
  for (int points : {0, 16}) {
    SCOPED_TRACE(points);
    if (points) {
        QFont big = frame->font();
        big.setPointSize(points);
        frame->setFont(big);
    }
    auto* v = open("demo.sdk", points ? "big.sdk" : "a.sdk");
    ASSERT_NE(v, nullptr);
    // Shown, so that every layout has run.
    frame->show();
    test::WaitFor([&] { return v->pianoRoll()->isVisible(); });
    QApplication::processEvents();
    for (QWidget* w : v->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(v)) continue;
        if (auto* l = qobject_cast<QLabel*>(w)) {
            if (l->wordWrap()) {
                EXPECT_GE(l->height(), l->heightForWidth(l->width())) << l->text().toStdString();
            } else {
                EXPECT_GE(l->width(), l->sizeHint().width() - 2) << l->text().toStdString();
            }
            EXPECT_GE(l->height(), l->fontMetrics().height()) << l->text().toStdString();
        }
        if (auto* b = qobject_cast<QPushButton*>(w)) {
            EXPECT_GE(b->width(), b->sizeHint().width()) << b->text().toStdString();
        }
    }
    test::ExpectControlsNamed(v);
    // The groups sit side by side and hold their controls.
    auto* roland = v->findChild<QGroupBox*>(QStringLiteral("rolandGroup"));
    auto* disk = v->findChild<QGroupBox*>(QStringLiteral("diskGroup"));
    ASSERT_TRUE(roland && disk);
    EXPECT_LT(roland->geometry().right(), disk->geometry().left());
    EXPECT_TRUE(roland->geometry().contains(v->typeLine()->geometry()));
    EXPECT_TRUE(disk->geometry().contains(v->applyButton()->geometry()));
    EXPECT_LT(disk->geometry().bottom(), v->list()->mapTo(v, QPoint(0, 0)).y());
    if (!points) { // the frame's status bar is sized once, for the font it starts with
        EXPECT_GE(frame->statusPart(0)->width(), frame->statusPart(0)->fontMetrics().horizontalAdvance(figures()));
    }
    // The piano roll keeps at least an octave in view.
    EXPECT_GE(v->pianoRoll()->height(), v->pianoRoll()->minimumSizeHint().height())
        << "frame " << frame->height() << " view " << v->height() << " min " << v->minimumSizeHint().height();
  }
}

TEST_F(MidiCommandsTest, PreferencesHaveTheThreePagesAndTheirChoices) {
    MidiEditorSettings s;
    ASSERT_TRUE(frame->start(nullptr, fennet::MidiSettingsSpec(s)));
    s.rolandSongName = 2;
    ui::PreferencesDialog* d = frame->showPreferences();
    ASSERT_NE(d, nullptr);
    ASSERT_EQ(d->tabs()->count(), 3);
    for (int id : {3200, 3211, 3212}) ASSERT_NE(qobject_cast<QRadioButton*>(d->control(id)), nullptr) << id;
    EXPECT_TRUE(qobject_cast<QRadioButton*>(d->control(3212))->isChecked());
    EXPECT_TRUE(qobject_cast<QRadioButton*>(d->control(3200))->isChecked());
    // One choice per group: "Title" clears "Prompt", not "Track".
    qobject_cast<QRadioButton*>(d->control(3211))->setChecked(true);
    EXPECT_FALSE(qobject_cast<QRadioButton*>(d->control(3212))->isChecked());
    EXPECT_TRUE(qobject_cast<QRadioButton*>(d->control(3200))->isChecked());
    d->saveButton()->click();
    EXPECT_EQ(s.rolandSongName, 1);
    EXPECT_EQ(s.midiTrackName, 0);
}

// The module as the launcher loads it: the library beside the programs, its StartEd.
TEST(FennetModule, LibraryStartsTheMidiEditorFrameWithItsMenus) {
    QLibrary lib(QString::fromStdString((test::BinDir() / "libFennet.so").string()));
    ASSERT_TRUE(lib.load()) << lib.errorString().toStdString();
    using Start = int (*)(std::uintptr_t, int);
    using Close = int (*)(std::uintptr_t);
    auto start = reinterpret_cast<Start>(lib.resolve("StartEd"));
    auto close = reinterpret_cast<Close>(lib.resolve("CloseEd"));
    ASSERT_TRUE(start && close);
    ASSERT_EQ(start(0, 2), 1);
    QMainWindow* frame = nullptr;
    ASSERT_TRUE(test::WaitFor([&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->windowTitle() == QStringLiteral("MIDI Editor") && w->isVisible()) frame = qobject_cast<QMainWindow*>(w);
        return frame != nullptr;
    }));
    QStringList special;
    for (QMenu* m : frame->menuBar()->findChildren<QMenu*>())
        if (m->title() == QStringLiteral("&Special"))
            for (QAction* a : m->actions()) special << a->text();
    EXPECT_TRUE(special.contains(QStringLiteral("L&oad MIDI")));
    EXPECT_EQ(start(0, 2), 0) << "one frame at a time";
    EXPECT_EQ(close(0), 1);
    QPointer<QMainWindow> gone(frame);
    EXPECT_TRUE(test::WaitFor([&] { return gone.isNull() || !gone->isVisible(); }));
}

} // namespace
