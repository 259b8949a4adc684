// The Tone Editor window's commands end to end on copies of the demo images: the real
// frame and view, file choosers answered by the test, questions by a scripted UI.

#include <gtest/gtest.h>

#include <QAccessible>
#include <QAction>
#include <QAbstractButton>
#include <QGroupBox>
#include <QMenuBar>
#include <QApplication>
#include <QClipboard>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QMimeData>
#include <QEventLoop>
#include <QTimer>
#include <QUrl>
#include <QLineEdit>
#include <QPushButton>
#include <QLabel>
#include <QScreen>
#include <QStatusBar>
#include <QTreeWidget>
#include <cmath>
#include <cstring>

#include "core/ModuleMessages.h"
#include "frame/MemoEdit.h"
#include "frame/ui/MemoDialog.h"
#include "launcher/LauncherPanel.h"
#include "launcher/ui/LauncherWindow.h"
#include "frame/ui/ModuleFrame.h"
#include "frame/ui/QtUserInteraction.h"
#include "tone/ToneTexts.h"
#include "tone/ToneTransfer.h"
#include "tone/ui/TonePlayer.h"
#include "tone/ui/ToneView.h"
#include "tests/gui/GuiHelpers.h"
#include "tests/support/GuiTestApp.h"
#include "tests/support/TestSupport.h"

using namespace veldin;
using namespace veldin::frame;

namespace {

// A 16-bit PCM WAV of `frames` frames of a sine (right channel in opposite phase).
std::vector<std::uint8_t> Wav(int channels, int frames) {
    std::vector<std::uint8_t> b;
    auto u32 = [&](std::uint32_t v) {
        for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    };
    auto u16 = [&](std::uint16_t v) {
        b.push_back(static_cast<std::uint8_t>(v));
        b.push_back(static_cast<std::uint8_t>(v >> 8));
    };
    const std::uint32_t data = static_cast<std::uint32_t>(frames * channels * 2);
    b.insert(b.end(), {'R', 'I', 'F', 'F'});
    u32(36 + data);
    b.insert(b.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    u32(16);
    u16(1);
    u16(static_cast<std::uint16_t>(channels));
    u32(30000);
    u32(30000u * 2u * static_cast<std::uint32_t>(channels));
    u16(static_cast<std::uint16_t>(2 * channels));
    u16(16);
    b.insert(b.end(), {'d', 'a', 't', 'a'});
    u32(data);
    for (int i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
            u16(static_cast<std::uint16_t>(static_cast<std::int16_t>((c ? -1 : 1) * 8000 * std::sin(i * 0.05))));
    return b;
}

QString Trimmed(const QTreeWidgetItem* it) { return it->text(0).trimmed(); }

// The item reached by the labels of `path` from the top ("RAM", "A", "SINE A4").
QTreeWidgetItem* Item(QTreeWidget* tree, std::initializer_list<const char*> path) {
    QTreeWidgetItem* at = nullptr;
    for (const char* label : path) {
        QTreeWidgetItem* next = nullptr;
        const int n = at ? at->childCount() : tree->topLevelItemCount();
        for (int i = 0; i < n && !next; ++i) {
            QTreeWidgetItem* c = at ? at->child(i) : tree->topLevelItem(i);
            if (Trimmed(c) == QLatin1String(label)) next = c;
        }
        if (!next) return nullptr;
        at = next;
    }
    return at;
}

int CountItems(QTreeWidget* tree) {
    int n = 0;
    for (QTreeWidgetItemIterator walk(tree); *walk; ++walk) ++n;
    return n;
}

class ToneCommandsTest : public test::FrameFixture {
protected:
    void SetUp() override {
        makeFrame({"Tone Editor", msg::kToneEditor, "Quilla.html"},
                  [this](Document& doc, ui::ModuleFrame& frame, QWidget* parent) -> ui::DocumentView* {
                      return new quilla::ToneView(doc, frame, parent, nullptr, &settings);
                  });
    }
    void TearDown() override { frame.reset(); } // before the settings its views read

    quilla::ToneView* open(const std::string& demo, const std::string& as) {
        std::filesystem::copy_file(test::DemoImage(demo), dir / as);
        if (!frame->openImage(dir / as)) return nullptr;
        return dynamic_cast<quilla::ToneView*>(frame->activeWindow()->view());
    }
    void select(quilla::ToneView* v, QTreeWidgetItem* it) {
        ASSERT_NE(it, nullptr);
        v->tree()->setCurrentItem(it);
    }
    QString freeText() const { return status(0); }
    void activate(quilla::ToneView* v) {
        for (QMdiSubWindow* sub : frame->mdiArea()->subWindowList())
            if (sub->widget() == v->parentWidget()) frame->mdiArea()->setActiveSubWindow(sub);
        ASSERT_EQ(frame->activeWindow()->view(), v);
    }
    void key(quilla::ToneView* v, QKeySequence::StandardKey k) {
        const QKeyCombination c = QKeySequence(k)[0];
        QKeyEvent e(QEvent::KeyPress, c.key(), c.keyboardModifiers());
        QApplication::sendEvent(v->tree(), &e);
    }
    // Files dropped from a file manager onto a tree item (the drop goes to whoever took
    // the drag's entry: the tree or the frame); false when nobody took it.
    bool drop(quilla::ToneView* v, QTreeWidgetItem* onto, const std::vector<std::filesystem::path>& files) {
        QMimeData m;
        QList<QUrl> urls;
        for (const auto& f : files) urls << QUrl::fromLocalFile(QString::fromStdString(f.string()));
        m.setUrls(urls);
        v->tree()->scrollToItem(onto);
        const QPoint at = v->tree()->visualItemRect(onto).center();
        QDragEnterEvent enter(at, Qt::CopyAction, &m, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(v->tree()->viewport(), &enter);
        if (!enter.isAccepted()) return false;
        QDropEvent e(QPointF(at), Qt::CopyAction, &m, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(v->tree()->viewport(), &e);
        QApplication::processEvents(); // the import runs once the drop has ended
        return true;
    }
    static QByteArray ClipboardTone() {
        const QMimeData* m = QGuiApplication::clipboard()->mimeData();
        return m ? m->data(QString::fromLatin1(tone::kToneMimeType.data())) : QByteArray();
    }
    static std::vector<std::uint8_t> Bytes(const QByteArray& b) { return {b.begin(), b.end()}; }

    ToneEditorSettings settings; // the first-start defaults
};

TEST_F(ToneCommandsTest, LoadWaveIntoBankFollowsInTreePanelAndFiguresThroughUndoAndRedo) {
    auto* v = open("demo.s55", "a.s55");
    ASSERT_NE(v, nullptr);
    test::WriteFile(dir / "kick.wav", Wav(1, 20000));
    QTreeWidgetItem* bankA = Item(v->tree(), {"RAM", "A"});
    select(v, bankA);
    const QString before = freeText();
    const int items = CountItems(v->tree());
    choose(dir / "kick.wav");
    run(kLoadWave);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].title, QStringLiteral("Load..."));
    EXPECT_EQ(requests[0].filters, QStringList({"Wave File (*.wav)", "All files (*.*)"}));
    EXPECT_TRUE(ui.shown().empty()) << ui.texts().front();
    // The tree followed without being rebuilt: the bank's item is the same object.
    EXPECT_EQ(Item(v->tree(), {"RAM", "A"}), bankA);
    EXPECT_EQ(CountItems(v->tree()), items + 1);
    QTreeWidgetItem* added = Item(v->tree(), {"RAM", "A", "kick.wav"});
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(v->tree()->currentItem(), added);
    EXPECT_EQ(v->infoLine(tone::kLineNumber)->text(), QStringLiteral("Tone Number: 3"));
    EXPECT_NE(freeText(), before);
    const QString after = freeText();
    EXPECT_EQ(test::ReadFile(dir / "a.s55"), test::ReadFile(test::DemoImage("demo.s55"))) << "only Save writes";

    run(kUndo);
    EXPECT_EQ(Item(v->tree(), {"RAM", "A", "kick.wav"}), nullptr);
    EXPECT_EQ(CountItems(v->tree()), items);
    EXPECT_EQ(freeText(), before);
    run(kRedo);
    EXPECT_NE(Item(v->tree(), {"RAM", "A", "kick.wav"}), nullptr);
    EXPECT_EQ(freeText(), after);
    run(kSave);
    EXPECT_NE(test::ReadFile(dir / "a.s55"), test::ReadFile(test::DemoImage("demo.s55")));
}

TEST_F(ToneCommandsTest, StereoAnswerDecidesBetweenOneToneAndToneWithSubtone) {
    struct Case {
        Answer answer;
        int subtones;
    };
    for (const Case c : {Case{Answer::Yes, 0}, Case{Answer::No, 1}, Case{Answer::Cancel, -1}}) {
        SCOPED_TRACE(c.subtones);
        ui.clear();
        const std::string name = "s" + std::to_string(c.subtones) + ".s55";
        auto* v = open("demo.s55", name);
        ASSERT_NE(v, nullptr);
        test::WriteFile(dir / "pad.wav", Wav(2, 8000));
        select(v, Item(v->tree(), {"RAM", "B"}));
        ui.answer(c.answer);
        choose(dir / "pad.wav");
        run(kLoadWave);
        ASSERT_EQ(ui.shown().size(), 1u);
        EXPECT_EQ(ui.shown()[0].text, tone::text::kStereoQuestion);
        if (c.subtones < 0) { // Cancel: nothing imported, nothing said
            EXPECT_EQ(Item(v->tree(), {"RAM", "B"})->childCount(), 1);
            EXPECT_FALSE(frame->action(kUndo)->isEnabled());
            continue;
        }
        QTreeWidgetItem* bank = Item(v->tree(), {"RAM", "B"});
        ASSERT_EQ(bank->childCount(), 2);
        QTreeWidgetItem* tone = Trimmed(bank->child(0)) == QLatin1String("SAW C3") ? bank->child(1) : bank->child(0);
        EXPECT_TRUE(Trimmed(tone).startsWith(QLatin1String("pad"))) << Trimmed(tone).toStdString();
        EXPECT_EQ(tone->childCount(), c.subtones);
        ui.clear();
        ui.answer(Answer::No); // close without saving
        frame->runCommand(kClose);
        QApplication::processEvents();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

TEST_F(ToneCommandsTest, DeleteAsksAndOnlyYesDeletesByMenuOrKey) {
    auto* v = open("demo.s55", "a.s55");
    ASSERT_NE(v, nullptr);
    const int items = CountItems(v->tree());
    select(v, Item(v->tree(), {"RAM", "A", "SINE A4"}));
    ui.answer(Answer::No);
    run(kDelete);
    ASSERT_EQ(ui.shown().size(), 1u);
    EXPECT_EQ(ui.shown()[0].text, tone::text::kReallyDelete);
    EXPECT_EQ(CountItems(v->tree()), items);
    EXPECT_FALSE(frame->action(kUndo)->isEnabled());

    ui.answer(Answer::Yes);
    QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
    QApplication::sendEvent(v->tree(), &del);
    // The original goes with its subtone.
    EXPECT_EQ(CountItems(v->tree()), items - 2);
    EXPECT_EQ(Item(v->tree(), {"RAM", "A", "SINE A4"}), nullptr);
    run(kUndo);
    ASSERT_NE(Item(v->tree(), {"RAM", "A", "SINE A4"}), nullptr);
    EXPECT_NE(Item(v->tree(), {"RAM", "A", "SINE A4", "SINE LO"}), nullptr);
}

TEST_F(ToneCommandsTest, RenameByLabelEditStoresEightCharactersAndUndoes) {
    auto* v = open("demo.s55", "a.s55");
    ASSERT_NE(v, nullptr);
    QTreeWidgetItem* saw = Item(v->tree(), {"RAM", "B", "SAW C3"});
    select(v, saw);
    saw->setText(0, QStringLiteral("AB"));
    EXPECT_EQ(saw->text(0), QStringLiteral("AB      "));
    EXPECT_TRUE(ui.shown().empty());
    saw->setText(0, QStringLiteral("LONGERTHANEIGHT"));
    EXPECT_EQ(saw->text(0), QStringLiteral("LONGERTH"));
    run(kUndo);
    EXPECT_EQ(saw->text(0), QStringLiteral("AB      "));
    run(kUndo);
    EXPECT_EQ(Trimmed(saw), QStringLiteral("SAW C3"));
    run(kRedo);
    EXPECT_EQ(saw->text(0), QStringLiteral("AB      "));
}

TEST_F(ToneCommandsTest, SaveToneThenLoadToneIntoAnImageOfAnotherFamily) {
    auto* from = open("demo.s55", "a.s55");
    ASSERT_NE(from, nullptr);
    select(from, Item(from->tree(), {"RAM", "A", "SINE A4"}));
    choose(dir / "sine.ton", 0);
    run(kSaveTone);
    ASSERT_EQ(requests.back().filters, QStringList({"Roland tone (*.ton)", "Roland subtone (*.ston)"}));
    EXPECT_EQ(requests.back().proposedName, QStringLiteral("SINE A4 ")); // the stored name, blanks kept
    // 6 + 2 records + the wave's whole segments.
    const auto ton = test::ReadFile(dir / "sine.ton");
    ASSERT_GT(ton.size(), 6u + 2u * 128u);
    EXPECT_EQ(std::string(ton.begin(), ton.begin() + 4), "RTON");
    EXPECT_EQ(ton[5], 2);
    choose(dir / "sine.ston", 1);
    run(kSaveTone);
    EXPECT_EQ(test::ReadFile(dir / "sine.ston").size(), 134u);

    auto* to = open("demo.sdk", "b.sdk");
    ASSERT_NE(to, nullptr);
    select(to, Item(to->tree(), {"RAM", "B"}));
    choose(dir / "sine.ton");
    run(kLoadTone);
    EXPECT_TRUE(ui.shown().empty());
    QTreeWidgetItem* loaded = Item(to->tree(), {"RAM", "B", "SINE A4"});
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(Trimmed(loaded->child(0)), QStringLiteral("SINE LO"));
    // Saved again from there, the tone file is the same but for the bank and places.
    select(to, loaded);
    choose(dir / "again.ton", 0);
    run(kSaveTone);
    EXPECT_EQ(test::ReadFile(dir / "again.ton").size(), ton.size());
}

TEST_F(ToneCommandsTest, RefusalsShowTheirTextAndChangeNothing) {
    auto* v = open("demo.s55", "a.s55");
    ASSERT_NE(v, nullptr);
    test::WriteFile(dir / "text.wav", {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd', '!'});
    auto cut = Wav(1, 1000);
    cut.resize(60);
    cut[4] = 0xFF; // the RIFF size says more than there is
    test::WriteFile(dir / "cut.wav", cut);
    test::WriteFile(dir / "text.ton", std::vector<std::uint8_t>(200, 'x'));
    test::WriteFile(dir / "mono.wav", Wav(1, 4000));
    auto sub = test::ReadFile(test::BinDir() / "default.ston");

    struct Case {
        std::initializer_list<const char*> target;
        int command;
        std::string file;
        std::string_view message;
    };
    const Case cases[] = {
        {{"RAM", "A"}, kLoadWave, "text.wav", tone::text::kNotWave},
        {{"RAM", "A"}, kLoadTone, "text.ton", tone::text::kNotRton},
        {{"RAM", "A"}, kLoadTone, "missing.ton", tone::text::kCantOpenFile},
        {{"RAM", "A"}, kLoadTone, (test::BinDir() / "default.ston").string(), tone::text::kSubtoneIntoRam},
        {{"RAM", "A", "SINE A4", "SINE LO"}, kLoadWave, "mono.wav", tone::text::kSubtoneIntoSubtone},
    };
    const auto image = test::ReadFile(dir / "a.s55");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        select(v, Item(v->tree(), c.target));
        const int items = CountItems(v->tree());
        ui.clear();
        const std::filesystem::path p = c.file.front() == '/' ? std::filesystem::path(c.file) : dir / c.file;
        choose(p);
        run(c.command);
        ASSERT_EQ(ui.shown().size(), 1u);
        EXPECT_EQ(ui.shown()[0].text, c.message);
        EXPECT_EQ(ui.shown()[0].title, "Tone Editor");
        EXPECT_EQ(CountItems(v->tree()), items);
        EXPECT_FALSE(frame->action(kUndo)->isEnabled());
    }
    // A truncated WAV is refused with whatever the conversion found wrong.
    select(v, Item(v->tree(), {"RAM", "A"}));
    ui.clear();
    choose(dir / "cut.wav");
    run(kLoadWave);
    ASSERT_EQ(ui.shown().size(), 1u);
    EXPECT_FALSE(frame->action(kUndo)->isEnabled());
    EXPECT_FALSE(frame->action(kSave)->isEnabled());
    EXPECT_EQ(test::ReadFile(dir / "a.s55"), image);
}

TEST_F(ToneCommandsTest, SelectionDecidesTheEnabledCommands) {
    QGuiApplication::clipboard()->setText(QStringLiteral("not a tone"));
    auto* v = open("demo.sdk", "a.sdk");
    ASSERT_NE(v, nullptr);
    const std::set<int> selection = {kDelete, kLoadTone, kSaveTone, kLoadWave, kSaveWave, kCopy, kCut, kPaste};
    struct Case {
        std::initializer_list<const char*> item;
        std::set<int> on;
    };
    const Case cases[] = {
        {{"RAM"}, {}},
        {{"RAM", "A"}, {kLoadTone, kLoadWave}},
        {{"ROM", "B"}, {kLoadTone, kLoadWave}},
        {{"RAM", "A", "SINE A4"}, {kDelete, kLoadTone, kSaveTone, kLoadWave, kSaveWave, kCopy, kCut}},
        {{"RAM", "A", "SINE A4", "SINE LO"}, {kDelete, kLoadTone, kSaveTone, kLoadWave, kSaveWave, kCopy, kCut}},
    };
    auto enabled = [&] {
        std::set<int> on;
        for (int id : selection)
            if (frame->action(id)->isEnabled()) on.insert(id);
        return on;
    };
    for (const Case& c : cases) {
        select(v, Item(v->tree(), c.item));
        EXPECT_EQ(enabled(), c.on) << *c.item.begin();
    }
    // A tone on the clipboard enables Paste wherever Load Tone could act, at once.
    select(v, Item(v->tree(), {"RAM", "A", "SINE A4"}));
    run(kCopy);
    EXPECT_TRUE(frame->action(kPaste)->isEnabled());
    select(v, Item(v->tree(), {"ROM", "B"}));
    EXPECT_EQ(enabled(), (std::set<int>{kLoadTone, kLoadWave, kPaste}));
    // A subtone takes no import: Load Tone says so, Paste is not offered.
    select(v, Item(v->tree(), {"RAM", "A", "SINE A4", "SINE LO"}));
    EXPECT_FALSE(frame->action(kPaste)->isEnabled());
    select(v, Item(v->tree(), {"RAM"}));
    EXPECT_EQ(enabled(), std::set<int>{});
}

TEST_F(ToneCommandsTest, PlayIsEnabledForATonesWaveAndOtherwiseSaysWhy) {
    auto* v = open("demo.s55", "a.s55");
    ASSERT_NE(v, nullptr);
    QAction* play = frame->action(kPlay);
    ASSERT_NE(play, nullptr);
    EXPECT_EQ(play->text(), QStringLiteral("&Play"));
    EXPECT_TRUE(frame->contextMenu()->actions().contains(play));
    EXPECT_TRUE(frame->menuBar()->findChild<QMenu*>(QStringLiteral("Special"))->actions().contains(play));
    const bool device = quilla::HaveOutputDevice();
    struct Case {
        std::initializer_list<const char*> item;
        bool noSound;
        tone::PlayBlock why;
    };
    for (const Case& c : {
             Case{{"RAM", "A"}, false, tone::PlayBlock::NoTone},
             Case{{"RAM", "A", "SINE A4"}, false, device ? tone::PlayBlock::None : tone::PlayBlock::NoDevice},
             Case{{"RAM", "A", "SINE A4", "SINE LO"}, false, device ? tone::PlayBlock::None : tone::PlayBlock::NoDevice},
             Case{{"RAM", "B", "SAW C3"}, true, tone::PlayBlock::SoundOff},
         }) {
        SCOPED_TRACE(*c.item.begin());
        settings.noSound = c.noSound ? 1 : 0;
        select(v, Item(v->tree(), c.item));
        EXPECT_EQ(play->isEnabled(), c.why == tone::PlayBlock::None);
        EXPECT_EQ(play->toolTip().toStdString(), c.why == tone::PlayBlock::None ? "Play" : tone::PlayBlockText(c.why));
        if (c.why != tone::PlayBlock::None) {
            // Space on a tone that cannot play does nothing (and no message).
            QKeyEvent space(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier);
            QApplication::sendEvent(v->tree(), &space);
            EXPECT_FALSE(v->player()->playing());
            EXPECT_TRUE(ui.shown().empty());
        }
    }
}

// With an output (the null-sink test runs this with a PulseAudio server of its own and
// VELDIN_EXPECT_SOUND set), Space plays and stops, and Escape, another selection and the
// menu entry stop it too.
TEST_F(ToneCommandsTest, SpaceStartsAndStopsPlayingTheSelectedTone) {
    if (!quilla::HaveOutputDevice()) {
        ASSERT_EQ(qgetenv("VELDIN_EXPECT_SOUND"), QByteArray()) << "the test's sound server has no output";
        return; // what runs without an output is the case above
    }
    auto* v = open("demo.s55", "a.s55");
    ASSERT_NE(v, nullptr);
    auto press = [&](Qt::Key k) {
        QKeyEvent e(QEvent::KeyPress, k, Qt::NoModifier);
        QApplication::sendEvent(v->tree(), &e);
    };
    QAction* play = frame->action(kPlay);
    select(v, Item(v->tree(), {"RAM", "A", "SINE A4"}));
    press(Qt::Key_Space);
    ASSERT_TRUE(v->player()->playing());
    EXPECT_TRUE(play->isChecked());
    // The sink takes the first samples within the first feed.
    for (int i = 0; i < 50 && v->player()->startLatencyMs() < 0; ++i) {
        QEventLoop wait;
        QTimer::singleShot(10, &wait, &QEventLoop::quit);
        wait.exec();
    }
    EXPECT_GE(v->player()->startLatencyMs(), 0);
    press(Qt::Key_Space);
    EXPECT_FALSE(v->player()->playing());
    EXPECT_FALSE(play->isChecked());

    press(Qt::Key_Space);
    press(Qt::Key_Escape);
    EXPECT_FALSE(v->player()->playing());
    run(kPlay);
    EXPECT_TRUE(v->player()->playing());
    select(v, Item(v->tree(), {"RAM", "B", "SAW C3"}));
    EXPECT_FALSE(v->player()->playing()) << "another selection ends the sound";
    run(kPlay);
    run(kPlay);
    EXPECT_FALSE(v->player()->playing());
    EXPECT_TRUE(ui.shown().empty());
    // Another window's activation ends the sound, and the entry is no longer checked.
    run(kPlay);
    auto* other = open("demo.s55", "b.s55");
    ASSERT_NE(other, nullptr);
    EXPECT_FALSE(v->player()->playing());
    EXPECT_FALSE(play->isChecked());
    activate(v);
    // The window closes (at the end of the test) while stopped sinks still wait for
    // their deletion and one plays: that once crashed inside the sink's destructor.
    run(kPlay);
    EXPECT_EQ(test::ReadFile(dir / "a.s55"), test::ReadFile(test::DemoImage("demo.s55")));
}

TEST_F(ToneCommandsTest, SaveWaveAndDragOutWriteTheToneAsWav) {
    auto* v = open("demo.s55", "a.s55");
    ASSERT_NE(v, nullptr);
    select(v, Item(v->tree(), {"RAM", "B", "SAW C3"}));
    choose(dir / "saw.wav");
    run(kSaveWave);
    EXPECT_EQ(requests.back().filters, QStringList({"Wave File (*.wav)"}));
    EXPECT_EQ(requests.back().defaultSuffix, QStringLiteral("wav"));
    const auto wav = test::ReadFile(dir / "saw.wav");
    ASSERT_GT(wav.size(), 44u + 2u * 12288u);
    EXPECT_EQ(std::string(wav.begin(), wav.begin() + 4), "RIFF");
    // Dragged out of the tree, the tone is the same file for the file manager, and the
    // tone itself for another window's tree (not a WAV conversion).
    std::unique_ptr<QMimeData> m(v->toneDragData());
    ASSERT_NE(m, nullptr);
    ASSERT_EQ(m->urls().size(), 1);
    EXPECT_TRUE(m->urls()[0].toLocalFile().endsWith(QStringLiteral("/SAW C3.wav")));
    EXPECT_EQ(test::ReadFile(m->urls()[0].toLocalFile().toStdString()), wav);
    EXPECT_FALSE(m->data(QString::fromLatin1(tone::kToneMimeType.data())).isEmpty());
    // Loaded back into the other bank it is the same length of tone.
    select(v, Item(v->tree(), {"RAM", "A"}));
    choose(dir / "saw.wav");
    run(kLoadWave);
    ASSERT_NE(Item(v->tree(), {"RAM", "A", "saw.wav"}), nullptr);
    EXPECT_EQ(v->infoLine(tone::kLineLength)->text(), QStringLiteral("Lenght: 0.4 s"));
    // A file that cannot be created is said so.
    choose(dir / "no" / "such" / "dir.wav");
    run(kSaveWave);
    ASSERT_EQ(ui.shown().size(), 1u);
    EXPECT_EQ(ui.shown()[0].text, veldin::text::kCantCreateFile);
    select(v, Item(v->tree(), {"RAM", "A"}));
    EXPECT_EQ(v->toneDragData(), nullptr) << "a group has no wave";
}

TEST_F(ToneCommandsTest, CancelledChooserDoesNothing) {
    auto* v = open("demo.s55", "a.s55");
    ASSERT_NE(v, nullptr);
    select(v, Item(v->tree(), {"RAM", "A", "SINE A4"}));
    for (int id : {kLoadTone, kSaveTone, kLoadWave, kSaveWave}) run(id);
    EXPECT_EQ(requests.size(), 4u);
    EXPECT_TRUE(ui.shown().empty());
    EXPECT_FALSE(frame->action(kUndo)->isEnabled());
}

TEST_F(ToneCommandsTest, NoTextIsCutAtAnyFontSizeAndTheFrameShowsTheWholePanel) {
    const QFont original = QApplication::font();
    int n = 0;
    for (int points : {8, 11, 16, 22}) {
        SCOPED_TRACE(points);
        QFont f = original;
        f.setPointSize(points);
        QApplication::setFont(f);
        SetUp(); // a frame made with this font
        frame->show();
        auto* v = open("demo.sdk", "f" + std::to_string(n++) + ".sdk");
        ASSERT_NE(v, nullptr);
        QApplication::processEvents();
        const QFontMetrics fm(v->font());
        // Every tone's panel, and the memory figures in the status bar.
        for (QTreeWidgetItemIterator walk(v->tree()); *walk; ++walk) {
            v->tree()->setCurrentItem(*walk);
            for (QLabel* l : v->findChildren<QLabel*>()) {
                if (l->wordWrap() || l->text().isEmpty()) continue;
                EXPECT_LE(fm.horizontalAdvance(l->text()), l->contentsRect().width()) << l->text().toStdString();
                EXPECT_LE(fm.height(), l->contentsRect().height()) << l->text().toStdString();
            }
            QLabel* figures = frame->statusPart(0);
            EXPECT_LE(figures->fontMetrics().horizontalAdvance(figures->text()), figures->contentsRect().width());
        }
        // The memo text fits its box, and the window shows the panel down to its last line.
        EXPECT_LE(v->memoText()->heightForWidth(v->memoText()->width()), v->memoText()->height());
        // (as far as the screen allows: the largest font needs more than its height)
        EXPECT_TRUE(v->height() >= v->minimumSizeHint().height() ||
                    frame->height() >= frame->screen()->availableGeometry().height())
            << v->height() << " < " << v->minimumSizeHint().height();
        EXPECT_TRUE(frame->statusBar()->isVisible());
        EXPECT_GE(frame->height(), frame->statusBar()->geometry().bottom());
        frame.reset();
    }
    QApplication::setFont(original);
}

TEST_F(ToneCommandsTest, EveryControlHasAnAccessibleNameAndTheLauncherButtonsCanBePressed) {
    frame->show();
    auto* v = open("demo.s55", "a.s55");
    ASSERT_NE(v, nullptr);
    QApplication::processEvents();
    for (QWidget* w : frame->findChildren<QWidget*>()) {
        // Hidden buttons count too: assistive technology lists them.
        if (!w->isVisible() && !qobject_cast<QAbstractButton*>(w)) continue;
        const bool control = qobject_cast<QAbstractButton*>(w) || qobject_cast<QAbstractItemView*>(w) ||
                             qobject_cast<QLabel*>(w) || qobject_cast<QGroupBox*>(w);
        if (!control) continue;
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
        ASSERT_NE(a, nullptr);
        EXPECT_FALSE(a->text(QAccessible::Name).isEmpty()) << w->metaObject()->className() << " "
                                                           << w->objectName().toStdString();
    }
    EXPECT_EQ(QAccessible::queryAccessibleInterface(v->tree())->text(QAccessible::Name), QStringLiteral("Tone tree"));
    for (QAction* menu : frame->menuBar()->actions())
        for (QAction* a : menu->menu()->actions())
            if (!a->isSeparator()) {
                EXPECT_FALSE(a->text().isEmpty());
            }

    // The launcher's drawn buttons: named by their face, pressed through their action.
    for (const launcher::ButtonInfo& info : launcher::Buttons()) {
        launcher::BitmapButton b(info, nullptr);
        int clicks = 0;
        b.clicked = [&] { ++clicks; };
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(&b);
        ASSERT_NE(a, nullptr);
        EXPECT_EQ(a->role(), QAccessible::Button);
        EXPECT_EQ(a->text(QAccessible::Name).toStdString(), info.label);
        EXPECT_FALSE(info.label.empty());
        ASSERT_NE(a->actionInterface(), nullptr);
        a->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        EXPECT_EQ(clicks, 1);
        b.setEnabled(false);
        a->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        EXPECT_EQ(clicks, 1) << "a disabled button does nothing";
    }
}

TEST_F(ToneCommandsTest, MemoEditorCentresEachFieldAsOneUndoStep) {
    auto* v = open("demo.s55", "a.s55");
    ASSERT_NE(v, nullptr);
    ASSERT_TRUE(v->editMemoButton()->isEnabled());
    const QString shown = v->memoText()->text();
    ui::MemoDialog* d = v->editMemo();
    EXPECT_EQ(d->windowTitle(), QStringLiteral("MEMO Editor"));
    for (int i = 0; i < 8; ++i) EXPECT_EQ(d->field(i)->isEnabled(), i < 5) << i;
    EXPECT_EQ(d->field(0)->text(), QStringLiteral("VELDIN DEMO "));
    struct Case {
        int field;
        const char* typed;
        const char* stored;
    };
    const Case cases[] = {
        {0, "ABC", "    ABC     "},
        {1, "ABCDEFGHIJKL", "ABCDEFGHIJKL"},
        {2, "", "            "},
        {3, "AB", "     AB     "},
    };
    for (const Case& c : cases) d->field(c.field)->setText(QLatin1String(c.typed));
    d->findChild<QPushButton*>(QStringLiteral("ctl1"))->click();
    const frame::MemoFields now = frame::CurrentMemo(*frame->activeDocument());
    for (const Case& c : cases) EXPECT_EQ(now.memo[static_cast<std::size_t>(c.field)], c.stored) << c.typed;
    EXPECT_TRUE(v->memoText()->text().startsWith(QStringLiteral("    ABC      ABCDEFGHIJKL")))
        << v->memoText()->text().toStdString();
    run(kUndo);
    EXPECT_EQ(v->memoText()->text(), shown);
    run(kRedo);
    EXPECT_TRUE(v->memoText()->text().startsWith(QStringLiteral("    ABC ")));
    EXPECT_FALSE(frame->action(kRedo)->isEnabled());
}

TEST_F(ToneCommandsTest, SystemDiskMemoWritesOnlyTheThreeSystemLines) {
    // A W-30 system disk: its key in the header, its three lines in sector 0.
    std::vector<std::uint8_t> image(737280, 0);
    std::memcpy(&image[4], "W-30", 4);
    image[12] = 0x01;
    std::memcpy(&image[32], "OLD FIRST LINE", 14);
    test::WriteFile(dir / "s.sys", image);
    ASSERT_TRUE(frame->openImage(dir / "s.sys"));
    ASSERT_TRUE(frame->activeDocument()->definition().isSystem);
    auto* v = dynamic_cast<quilla::ToneView*>(frame->activeWindow()->view());
    ASSERT_NE(v, nullptr);
    ASSERT_NE(v->editMemoButton(), nullptr);
    ui::MemoDialog* d = v->editMemo();
    for (int i = 0; i < 8; ++i) EXPECT_EQ(d->field(i)->isEnabled(), i >= 5) << i;
    EXPECT_EQ(d->field(5)->text().trimmed(), QStringLiteral("OLD FIRST LINE"));
    EXPECT_EQ(d->field(5)->maxLength(), 31);
    d->field(5)->setText(QStringLiteral("W-30"));
    d->field(7)->setText(QString(31, QLatin1Char('z')));
    d->apply();
    run(kSave);
    const auto after = test::ReadFile(dir / "s.sys");
    for (std::size_t i = 0; i < after.size(); ++i) {
        const bool line = i >= 32 && i < 128 && i % 32 != 31;
        if (!line) {
            ASSERT_EQ(after[i], image[i]) << "offset " << i;
        }
    }
    // 31 characters: 13 blanks before, 14 after.
    EXPECT_EQ(std::string(after.begin() + 32, after.begin() + 63), std::string(13, ' ') + "W-30" + std::string(14, ' '));
    EXPECT_EQ(std::string(after.begin() + 64, after.begin() + 95), std::string(31, ' '));
    EXPECT_EQ(std::string(after.begin() + 96, after.begin() + 127), std::string(31, 'z'));
}

TEST_F(ToneCommandsTest, SongImageShowsOnlyTheDiskAndTypeLines) {
    auto* v = open("demo.sng", "a.sng");
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->tree(), nullptr);
    EXPECT_EQ(v->editMemoButton(), nullptr);
    EXPECT_EQ(v->findChildren<QLabel*>().size(), 2);
    EXPECT_EQ(v->findChildren<QLabel*>()[1]->text(), QStringLiteral(" Type: Song"));
}

TEST_F(ToneCommandsTest, CopyAndPasteBetweenWindowsOfTwoFamiliesEqualsSaveToneAndLoadTone) {
    auto* from = open("demo.s55", "a.s55");
    ASSERT_NE(from, nullptr);
    select(from, Item(from->tree(), {"RAM", "A", "SINE A4"}));
    key(from, QKeySequence::Copy);
    choose(dir / "sine.ton");
    run(kSaveTone);
    const auto saved = test::ReadFile(dir / "sine.ton");
    ASSERT_EQ(Bytes(ClipboardTone()), saved);
    // File managers get the same bytes as a file.
    const QList<QUrl> urls = QGuiApplication::clipboard()->mimeData()->urls();
    ASSERT_EQ(urls.size(), 1);
    EXPECT_TRUE(urls[0].toLocalFile().endsWith(QStringLiteral("/SINE A4.ton"))) << urls[0].toString().toStdString();
    EXPECT_EQ(test::ReadFile(urls[0].toLocalFile().toStdString()), saved);

    frame->show();
    frame->activateWindow();
    auto* pasted = open("demo.sdk", "b.sdk");
    auto* loaded = open("demo.sdk", "c.sdk");
    ASSERT_TRUE(pasted && loaded);
    activate(pasted);
    // The activated window's keys are its tree's, not its first button's.
    EXPECT_TRUE(test::WaitFor([&] { return QApplication::focusWidget() == pasted->tree(); }))
        << (QApplication::focusWidget() ? QApplication::focusWidget()->objectName().toStdString() : "none");
    select(pasted, Item(pasted->tree(), {"RAM", "B"}));
    key(pasted, QKeySequence::Paste);
    EXPECT_TRUE(ui.shown().empty()) << ui.texts().front();
    ASSERT_NE(Item(pasted->tree(), {"RAM", "B", "SINE A4", "SINE LO"}), nullptr);
    // One undo step takes the whole tone away again.
    run(kUndo);
    EXPECT_EQ(Item(pasted->tree(), {"RAM", "B", "SINE A4"}), nullptr);
    EXPECT_FALSE(frame->action(kUndo)->isEnabled());
    run(kRedo);
    run(kSave);
    activate(loaded);
    select(loaded, Item(loaded->tree(), {"RAM", "B"}));
    choose(dir / "sine.ton");
    run(kLoadTone);
    run(kSave);
    EXPECT_EQ(test::ReadFile(dir / "b.sdk"), test::ReadFile(dir / "c.sdk"));
    EXPECT_NE(test::ReadFile(dir / "b.sdk"), test::ReadFile(test::DemoImage("demo.sdk")));
}

TEST_F(ToneCommandsTest, CutCopiesAndDeletesWithoutAskingAndUndoBringsTheToneBack) {
    auto* v = open("demo.s55", "a.s55");
    ASSERT_NE(v, nullptr);
    const int items = CountItems(v->tree());
    select(v, Item(v->tree(), {"RAM", "A", "SINE A4"}));
    key(v, QKeySequence::Cut);
    EXPECT_TRUE(ui.shown().empty());
    EXPECT_EQ(CountItems(v->tree()), items - 2);
    ASSERT_FALSE(ClipboardTone().isEmpty());
    EXPECT_EQ(ClipboardTone().left(4), QByteArray("RTON"));
    EXPECT_EQ(ClipboardTone()[5], 2) << "the original and its subtone";
    run(kUndo);
    EXPECT_EQ(CountItems(v->tree()), items);
    EXPECT_FALSE(frame->action(kUndo)->isEnabled()) << "the cut was one step";
    // Pasted back onto its bank it is the same tone in a new place.
    select(v, Item(v->tree(), {"RAM", "B"}));
    run(kPaste);
    EXPECT_NE(Item(v->tree(), {"RAM", "B", "SINE A4", "SINE LO"}), nullptr);
}

TEST_F(ToneCommandsTest, PasteOfForeignOrDamagedClipboardDataIsRefused) {
    auto* v = open("demo.s55", "a.s55");
    ASSERT_NE(v, nullptr);
    test::WriteFile(dir / "notes.txt", {'h', 'i'});
    const QString mime = QString::fromLatin1(tone::kToneMimeType.data());
    auto data = [&](int kind) {
        auto* m = new QMimeData;
        if (kind == 0) m->setData(mime, QByteArray("RTON\x00\x01 short", 12));
        if (kind == 1) m->setData(mime, QByteArray(300, 'x'));
        if (kind == 2) m->setUrls({QUrl::fromLocalFile(QString::fromStdString((dir / "notes.txt").string()))});
        if (kind == 3) m->setUrls({QUrl(QStringLiteral("https://example.org/kick.wav"))});
        return m;
    };
    const std::string_view messages[] = {tone::text::kClipboardDamaged, tone::text::kClipboardDamaged,
                                          tone::text::kUnknownFileKind, tone::text::kUnknownFileKind};
    const auto image = test::ReadFile(dir / "a.s55");
    select(v, Item(v->tree(), {"RAM", "A"}));
    const int items = CountItems(v->tree());
    for (int kind = 0; kind < 4; ++kind) {
        SCOPED_TRACE(kind);
        QGuiApplication::clipboard()->setMimeData(data(kind));
        ui.clear();
        run(kPaste);
        ASSERT_EQ(ui.shown().size(), 1u);
        EXPECT_EQ(ui.shown()[0].text, messages[kind]);
        EXPECT_EQ(CountItems(v->tree()), items);
        EXPECT_FALSE(frame->action(kUndo)->isEnabled());
    }
    QGuiApplication::clipboard()->setText(QStringLiteral("SINE A4"));
    EXPECT_FALSE(frame->action(kPaste)->isEnabled()) << "text is no tone";
}

TEST_F(ToneCommandsTest, DroppedFilesImportInOrderOneStepEachAndTheFirstRefusalStops) {
    frame->show();
    test::WriteFile(dir / "one.wav", Wav(1, 3000));
    test::WriteFile(dir / "two.wav", Wav(1, 5000));
    test::WriteFile(dir / "bad.wav", {'n', 'o', 't', ' ', 'a', ' ', 'w', 'a', 'v', 'e'});
    test::WriteFile(dir / "notes.txt", {'h', 'i'});
    struct Case {
        std::initializer_list<const char*> onto;
        std::vector<std::string> files;
        std::vector<const char*> added; // under `onto`, in order
        std::string_view message;       // empty: none
    };
    const Case cases[] = {
        {{"RAM", "A"}, {"one.wav", "two.wav"}, {"one.wav", "two.wav"}, {}},
        {{"RAM", "A"}, {"one.wav", "bad.wav", "two.wav"}, {"one.wav"}, tone::text::kNotWave},
        {{"RAM", "A", "SINE A4"}, {"one.wav"}, {"one.wav"}, {}},
        {{"RAM", "A"}, {"notes.txt"}, {}, tone::text::kUnknownFileKind},
        {{"RAM", "A"}, {"one.wav", "notes.txt"}, {}, tone::text::kUnknownFileKind},
        {{"RAM", "A", "SINE A4", "SINE LO"}, {"one.wav"}, {}, tone::text::kSubtoneIntoSubtone},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.files.back());
        auto* v = open("demo.s55", "d" + std::to_string(n++) + ".s55");
        ASSERT_NE(v, nullptr);
        QApplication::processEvents();
        ui.clear();
        QTreeWidgetItem* onto = Item(v->tree(), c.onto);
        ASSERT_NE(onto, nullptr);
        const int before = onto->childCount();
        std::vector<std::filesystem::path> paths;
        for (const auto& f : c.files) paths.push_back(dir / f);
        ASSERT_TRUE(drop(v, onto, paths));
        ASSERT_EQ(ui.shown().size(), c.message.empty() ? 0u : 1u) << ui.texts().front();
        if (!c.message.empty()) {
            EXPECT_EQ(ui.shown()[0].text, c.message);
        }
        onto = Item(v->tree(), c.onto);
        ASSERT_EQ(onto->childCount(), before + static_cast<int>(c.added.size()));
        std::vector<QString> labels;
        for (int i = before; i < onto->childCount(); ++i) labels.push_back(Trimmed(onto->child(i)));
        for (std::size_t i = 0; i < c.added.size(); ++i) EXPECT_EQ(labels[i], QLatin1String(c.added[i]));
        // One undo step for each file taken.
        for (std::size_t i = 0; i < c.added.size(); ++i) run(kUndo);
        EXPECT_FALSE(frame->action(kUndo)->isEnabled());
        EXPECT_EQ(Item(v->tree(), c.onto)->childCount(), before);
        frame->runCommand(kClose);
        QApplication::processEvents();
    }
    // Disk images alone are left to the frame, which opens them.
    auto* v = open("demo.s55", "last.s55");
    ASSERT_NE(v, nullptr);
    std::filesystem::copy_file(test::DemoImage("demo.sdk"), dir / "other.sdk");
    const int items = CountItems(v->tree());
    const std::size_t windows = frame->documentWindows().size();
    ui.clear();
    ASSERT_TRUE(drop(v, Item(v->tree(), {"RAM", "A"}), {dir / "other.sdk"}));
    EXPECT_EQ(frame->documentWindows().size(), windows + 1);
    EXPECT_EQ(frame->activeDocument()->path(), dir / "other.sdk");
    EXPECT_EQ(CountItems(v->tree()), items);
    EXPECT_TRUE(ui.shown().empty());
}

// Pictures for a person to look at: the window after an import, the memo editor and the
// stereo question as real dialogs. Into $VELDIN_SCREENSHOTS (the screenshots target sets
// build/screenshots), else into the test's folder.
TEST_F(ToneCommandsTest, ScreenshotsOfTheWindowAfterAnImportAndOfEachDialog) {
    const char* env = std::getenv("VELDIN_SCREENSHOTS");
    const std::filesystem::path out = env && *env ? std::filesystem::path(env) : dir.path();
    frame->show();
    auto* v = open("demo.s55", "a.s55");
    ASSERT_NE(v, nullptr);
    test::WriteFile(dir / "kick.wav", Wav(1, 20000));
    test::WriteFile(dir / "pad.wav", Wav(2, 8000));
    select(v, Item(v->tree(), {"RAM", "B"}));
    choose(dir / "kick.wav");
    run(kLoadWave);
    ASSERT_NE(Item(v->tree(), {"RAM", "B", "kick.wav"}), nullptr);
    QApplication::processEvents();
    auto save = [&](QWidget* w, const char* name) {
        const QString path = QString::fromStdString((out / name).string());
        EXPECT_TRUE(w->grab().save(path)) << name;
        EXPECT_EQ(QImage(path).size(), w->size() * w->devicePixelRatio()) << name;
    };
    save(frame.get(), "tone-editor-import.png");

    ui::MemoDialog* memo = v->editMemo();
    QApplication::processEvents();
    for (QLineEdit* field : memo->findChildren<QLineEdit*>())
        EXPECT_GE(field->width(), field->fontMetrics().horizontalAdvance(QString(12, QLatin1Char('W'))));
    save(memo, "memo-editor.png");
    memo->close();

    // The real question box: pictured, then answered Cancel (nothing is imported).
    ui::QtUserInteraction dialogs(frame.get());
    frame->setInteraction(&dialogs);
    QString asked;
    QTimer::singleShot(0, frame.get(), [&] {
        ASSERT_TRUE(test::WaitFor([] { return qobject_cast<QMessageBox*>(QApplication::activeModalWidget()); }));
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        asked = box->text();
        QApplication::processEvents();
        save(box, "stereo-question.png");
        box->button(QMessageBox::Cancel)->click();
    });
    select(v, Item(v->tree(), {"RAM", "A"}));
    const int items = CountItems(v->tree());
    choose(dir / "pad.wav");
    run(kLoadWave);
    frame->setInteraction(&ui);
    EXPECT_EQ(asked.toStdString(), tone::text::kStereoQuestion);
    EXPECT_EQ(CountItems(v->tree()), items);
}

} // namespace
