// Windows on the offscreen platform: the real Tone Editor library started by the module
// host, tiny module libraries, the frame's commands by disk kind, the Close question, and
// a second launcher handing its command line to the first.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QLibrary>
#include <QPushButton>
#include <QLineEdit>
#include <QTreeWidget>

#include <QCheckBox>
#include <QComboBox>
#include <QTabBar>

#include "core/MemorySettingsStore.h"
#include "core/ModuleSettings.h"
#include "tone/ui/TonePreferences.h"
#include "launcher/LauncherSettings.h"
#include "launcher/ui/OptionsDialog.h"
#include "frame/ui/AboutDialog.h"
#include "frame/ui/ModuleFrame.h"
#include "launcher/ui/LauncherWindow.h"
#include "launcher/ui/QtLibraryLoader.h"
#include "tone/ui/ToneView.h"
#include "tests/gui/GuiHelpers.h"
#include "tests/support/GuiTestApp.h"
#include "tests/support/TestSupport.h"

using namespace veldin;
using test::WaitFor;
using namespace veldin::frame;
using namespace veldin::launcher;

namespace {

ui::ModuleFrame* ToneFrame() { return test::FrameOf(msg::kToneEditor); }

quilla::ToneView* ActiveToneView(ui::ModuleFrame* f) {
    ui::DocumentWindow* w = f ? f->activeWindow() : nullptr;
    return w ? dynamic_cast<quilla::ToneView*>(w->view()) : nullptr;
}

class GuiTest : public ::testing::Test {
protected:
    void TearDown() override { test::CloseFrameOf(msg::kToneEditor); }
    test::ScriptedUi ui;
};

std::unique_ptr<ui::ModuleFrame> MakeToneFrame(UserInteraction& ui, std::uint32_t* expansion = nullptr) {
    auto views = [expansion](Document& doc, ui::ModuleFrame& frame, QWidget* parent) -> ui::DocumentView* {
        return new quilla::ToneView(doc, frame, parent, expansion);
    };
    return std::make_unique<ui::ModuleFrame>(ui::ModuleIdentity{"Tone Editor", msg::kToneEditor, "Quilla.html"}, 0,
                                             test::BinDir(), views, &ui);
}

std::set<int> EnabledIds(const ui::ModuleFrame& f) {
    std::set<int> on;
    for (int id : DocumentCommands())
        if (f.action(id)->isEnabled()) on.insert(id);
    return on;
}

} // namespace

TEST_F(GuiTest, TinyModuleLibraryIsLoadedAndHandshakeRuns) {
    QtLibraryLoader loader(QStringLiteral(VELDIN_TEST_MODULE_DIR));
    // The slot of the Patch Editor loads "Brisko"; the loader maps it to the test module.
    struct Renaming final : LibraryLoader {
        QtLibraryLoader& inner;
        explicit Renaming(QtLibraryLoader& l) : inner(l) {}
        std::unique_ptr<ModuleLibrary> load(std::string_view stem, std::string& why) override {
            return inner.load(stem == "Brisko" ? "TestModule" : stem == "Fennet" ? "TestModuleNoStart" : stem, why);
        }
    } renaming(loader);
    ModuleHost h(renaming, ui, 2);
    h.pressButton(kPatchButton);
    const ModuleSlot* s = h.slotByCode(msg::kPatchEditor);
    EXPECT_EQ(s->state, ModuleState::Running);
    EXPECT_NE(s->window, 0u);
    QLibrary lib(QStringLiteral(VELDIN_TEST_MODULE_DIR "/TestModule"));
    auto closeRequests = reinterpret_cast<int (*)()>(lib.resolve("TestModuleCloseRequests"));
    ASSERT_NE(closeRequests, nullptr);
    EXPECT_EQ(closeRequests(), 0);
    bus::MessageBus::instance().send(s->window, msg::EDM_LAUNCHER_REPLY, msg::LM_MODULE_HELLO, 1234);
    EXPECT_EQ(closeRequests(), 1);

    h.pressButton(kMidiButton);
    EXPECT_EQ(h.slotByCode(msg::kMidiEditor)->state, ModuleState::Failed);
    EXPECT_FALSE(h.slotByCode(msg::kMidiEditor)->buttonEnabled);
    h.closeAll();
    EXPECT_EQ(s->state, ModuleState::Closed);
    EXPECT_TRUE(ui.shown().size() == 1 && ui.shown()[0].text == kCouldntStart);
}

TEST_F(GuiTest, CommandsFollowTheDiskKind) {
    auto f = MakeToneFrame(ui);
    EXPECT_TRUE(EnabledIds(*f).empty());
    ASSERT_TRUE(f->openImage(test::DemoImage("demo.sng")));
    EXPECT_EQ(EnabledIds(*f), (std::set<int>{kSendToMidi, kClose, kTile, kCascade, kArrange, kNextWindow, kCloseAll}));
    // The Window menu lists the document window.
    EXPECT_NE(f->findChild<QAction*>(QStringLiteral("ctl1805")), nullptr);
}

TEST_F(GuiTest, UndoRedoAndCloseAsksOnlyWithUnsavedChangesAndCancelKeepsTheWindow) {
    test::TempDir dir;
    std::filesystem::copy_file(test::DemoImage("demo.s55"), dir / "a.s55");
    auto f = MakeToneFrame(ui);
    ASSERT_TRUE(f->openImage(dir / "a.s55"));
    f->runCommand(kClose);
    ASSERT_TRUE(WaitFor([&] { return f->documentWindows().empty(); }));
    EXPECT_TRUE(ui.shown().empty()) << "nothing changed, nothing to ask";

    ASSERT_TRUE(f->openImage(dir / "a.s55"));
    const std::vector<std::uint8_t> bytes = {0x41};
    Operation op;
    op.code = 530;
    op.blocks.push_back(Block{134u * 512u, bytes});
    ASSERT_TRUE(f->activeDocument()->record(op).ok());
    f->updateCommands();
    EXPECT_TRUE(f->action(kSave)->isEnabled());
    // Undo and Redo go through the frame's actions.
    f->action(kUndo)->trigger();
    EXPECT_TRUE(f->action(kRedo)->isEnabled());
    f->action(kRedo)->trigger();
    EXPECT_TRUE(f->action(kUndo)->isEnabled());

    ui.answer(Answer::Cancel);
    f->runCommand(kClose);
    WaitFor([] { return false; }, 300); // a window that wrongly closes would be gone now
    EXPECT_EQ(f->documentWindows().size(), 1u);
    ASSERT_EQ(ui.shown().size(), 1u);
    EXPECT_TRUE(ui.shown()[0].question);

    ui.answer(Answer::No);
    f->runCommand(kClose);
    EXPECT_TRUE(WaitFor([&] { return f->documentWindows().empty(); }));
    EXPECT_EQ(ui.shown().size(), 2u);
    EXPECT_EQ(test::ReadFile(dir / "a.s55"), test::ReadFile(test::DemoImage("demo.s55"))) << "No does not save";
}

TEST_F(GuiTest, LauncherQuitAsksOnThePanelFirst) {
    QtLibraryLoader loader(QStringLiteral(VELDIN_TEST_MODULE_DIR));
    LauncherWindow w(ui, loader, 2);
    w.show();
    w.close();
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(w.state().quitting());
    // The F2 key goes through its button, as a click on it would.
    QKeyEvent f2(QEvent::KeyRelease, Qt::Key_F2, Qt::NoModifier);
    QApplication::sendEvent(&w, &f2);
    EXPECT_FALSE(w.state().quitting());
    w.close();
    w.pressFunctionKey(1);
    EXPECT_FALSE(w.isVisible());
}

// A system installation's main directory lies deep in the user's data folder: the first
// run shows the whole disk image folder.
TEST_F(GuiTest, FirstRunOpensOptionsWithCancelDisabledShowsALongFolderWholeAndSaveWritesEverything) {
    test::TempDir dir;
    const auto deep = dir / "home/musician/.local/share/Brannick/VELDIN";
    MemorySettingsStore store;
    QtLibraryLoader loader(QStringLiteral(VELDIN_TEST_MODULE_DIR));
    LauncherWindow w(ui, loader, 2);
    w.start(&store, deep);
    EXPECT_TRUE(std::filesystem::is_directory(deep / "Diskimages"));
    auto* options = w.findChild<OptionsDialog*>();
    ASSERT_NE(options, nullptr);
    EXPECT_TRUE(options->isVisible());
    EXPECT_FALSE(options->cancelButton()->isEnabled());
    auto* edit = options->findChild<QLineEdit*>(QStringLiteral("ctl3100"));
    EXPECT_EQ(edit->text().toStdString(), (deep / "Diskimages").string());
    EXPECT_GE(edit->width(), edit->fontMetrics().horizontalAdvance(edit->text()));
    options->findChild<QLineEdit*>(QStringLiteral("ctl3102"))->setText(QStringLiteral("300"));
    options->findChild<QPushButton*>(QStringLiteral("ctl1"))->click();
    ASSERT_NE(store.find("", "IO Repeat"), nullptr);
    EXPECT_EQ(w.settings().ioRepeat, 44);
    EXPECT_NE(store.find("", "SDK Path"), nullptr);
    EXPECT_TRUE(ui.shown().empty());

    // A later start on what was saved opens no Options, and Configuration can cancel.
    LauncherWindow later(ui, loader, 2);
    later.start(&store, dir / "elsewhere");
    EXPECT_EQ(later.findChild<OptionsDialog*>(), nullptr);
    EXPECT_FALSE(std::filesystem::exists(dir / "elsewhere"));
    later.showOptions(false);
    ASSERT_NE(later.findChild<OptionsDialog*>(), nullptr);
    EXPECT_TRUE(later.findChild<OptionsDialog*>()->cancelButton()->isEnabled());
}

// ---------------------------------------------------------------- module settings

namespace {

// A main key as the launcher's set-up leaves it; the Tone Editor's subkey only when asked.
void PrepareMainKey(MemorySettingsStore& store, const std::filesystem::path& mainDir) {
    store.createKey("");
    store.writeText("", "Main Path", mainDir.string());
    store.writeText("", "SDK Path", mainDir.string());
}

std::uint32_t Dword(const MemorySettingsStore& store, std::string_view name) {
    const auto* v = store.find(kToneEditorKey, name);
    EXPECT_NE(v, nullptr) << name;
    if (!v || v->bytes.size() != 4) return 0;
    return v->bytes[0] | v->bytes[1] << 8 | v->bytes[2] << 16 | static_cast<std::uint32_t>(v->bytes[3]) << 24;
}

const std::vector<std::string> kOutputs = {"Default output", "Card (hw:0,0)"};

// A Tone Editor frame on settings in memory, below a main key as the launcher leaves it.
class ToneSettingsTest : public GuiTest {
protected:
    ToneSettingsTest() { PrepareMainKey(store, dir.path()); }
    std::unique_ptr<ui::ModuleFrame> started() {
        auto f = MakeToneFrame(ui, &settings.tree);
        EXPECT_TRUE(f->start(&store, quilla::ToneSettingsSpec(settings, kOutputs)));
        return f;
    }
    // The subkey as an earlier run left it.
    void saveEarlier(const ToneEditorSettings& s) {
        SaveSettings(store, kToneEditorKey, ToneEditorTable(), StorageOf(s), ui, "Tone Editor");
    }
    test::TempDir dir;
    MemorySettingsStore store;
    ToneEditorSettings settings;
};

} // namespace

TEST_F(ToneSettingsTest, FirstStartAsksForPreferencesThatCannotBeCancelledSaveEndsItAndHelpNeedsItsPage) {
    auto f = started();
    EXPECT_TRUE(f->firstStart());
    EXPECT_EQ(f->mainDirectory(), dir.path());
    ui::PreferencesDialog* d = f->showPreferences();
    ASSERT_NE(d, nullptr);
    EXPECT_FALSE(d->cancelButton()->isEnabled());
    auto* tonePath = qobject_cast<QLineEdit*>(d->control(3100));
    ASSERT_NE(tonePath, nullptr);
    EXPECT_EQ(tonePath->text().toStdString(), (dir / "Tones").string());
    tonePath->setText(QString::fromStdString((dir / "Mine").string()));
    d->saveButton()->click();
    EXPECT_EQ(FieldString(settings.tonePath), (dir / "Mine").string());
    ASSERT_NE(store.find(kToneEditorKey, "Tone Path"), nullptr);
    EXPECT_FALSE(f->firstStart());
    EXPECT_TRUE(ui.shown().empty());

    // The next start finds the subkey: no first start, and Cancel can be used.
    ToneEditorSettings again;
    auto g = MakeToneFrame(ui);
    ASSERT_TRUE(g->start(&store, quilla::ToneSettingsSpec(again, kOutputs)));
    EXPECT_FALSE(g->firstStart());
    EXPECT_EQ(FieldString(again.tonePath), (dir / "Mine").string());
    EXPECT_TRUE(g->showPreferences()->cancelButton()->isEnabled());
    // Help without its page says so.
    ui.clear();
    g->runCommand(kHelp);
    test::ExpectOneMessage(ui,
                           "Couldn't start Help! Please check if .chm file is present in VELDIN working directory.");
    EXPECT_EQ(ui.shown()[0].icon, Icon::Error);
}

TEST_F(GuiTest, WithoutMainPathTheFrameRefusesToStartAndWritesNothing) {
    MemorySettingsStore store;
    store.createKey("");
    store.writeDword("", "WinPosX", 5); // a launcher that quit before its Options were saved
    ToneEditorSettings settings;
    auto f = MakeToneFrame(ui);
    EXPECT_FALSE(f->start(&store, quilla::ToneSettingsSpec(settings, kOutputs)));
    test::ExpectOneMessage(ui, "Serious error has occured. Please reinstall VELDIN!");
    f->close();
    EXPECT_FALSE(store.keyExists(kToneEditorKey));
}

TEST_F(ToneSettingsTest, WindowPlacementFollowsTheSettingsAndTheLauncher) {
    ToneEditorSettings saved;
    saved.frame.winPosX = 40;
    saved.frame.winPosY = 30;
    saved.frame.winPosW = 640;
    saved.frame.winPosH = 480;
    saved.frame.winAlign = 0;
    saveEarlier(saved);
    auto f = started();
    EXPECT_EQ(f->pos(), QPoint(40, 30));
    EXPECT_EQ(f->size(), QSize(640, 480));

    // Aligned through the Appearance page: the flag counts at once, before any Save.
    ui::PreferencesDialog* d = f->showPreferences();
    qobject_cast<QCheckBox*>(d->control(3002))->setChecked(true);
    EXPECT_EQ(settings.frame.winAlign, 1);
    bus::MessageBus::instance().send(f->link().window(), msg::EDM_LAUNCHER_MOVED, 100, 50);
    EXPECT_EQ(f->pos(), QPoint(100, 250));
    d->cancelButton()->click();

    // Closing keeps position and size (the size only with "Save size && position").
    f->move(70, 80);
    f->close();
    EXPECT_EQ(Dword(store, "WinPosY"), 80u);
    EXPECT_EQ(Dword(store, "WinPosW"), 640u);
}

TEST_F(ToneSettingsTest, PreferencesDeviceListFollowsNoSoundAndTheTextureChangesAtOnce) {
    ToneEditorSettings saved;
    ASSERT_TRUE(SetToneEditorFirstStart(saved, dir.path()).ok());
    saved.playingDevice = 1;
    saved.frame.winTexture = 1;
    saveEarlier(saved);
    auto f = started();
    ui::PreferencesDialog* d = f->showPreferences();
    QTabBar* tabs = d->tabs();
    ASSERT_EQ(tabs->count(), 3);
    tabs->setCurrentIndex(2);
    auto* list = qobject_cast<QComboBox*>(d->control(3201));
    EXPECT_EQ(list->count(), 2);
    EXPECT_EQ(list->currentIndex(), 1);
    auto* noSound = qobject_cast<QCheckBox*>(d->control(3200));
    noSound->setChecked(true);
    EXPECT_EQ(list->count(), 1);
    EXPECT_EQ(list->currentText(), "No Sound");
    EXPECT_FALSE(list->isEnabled());
    d->saveButton()->click();
    EXPECT_EQ(settings.noSound, 1);
    EXPECT_EQ(settings.playingDevice, 1) << "No Sound keeps the chosen device";

    // Unchecked again, the devices come back with the saved one selected; a saved index
    // beyond the list selects the first.
    d = f->showPreferences();
    list = qobject_cast<QComboBox*>(d->control(3201));
    qobject_cast<QCheckBox*>(d->control(3200))->setChecked(false);
    EXPECT_EQ(list->count(), 2);
    EXPECT_EQ(list->currentIndex(), 1);
    d->cancelButton()->click();
    settings.playingDevice = 7;
    settings.noSound = 0;
    d = f->showPreferences();
    EXPECT_EQ(qobject_cast<QComboBox*>(d->control(3201))->currentIndex(), 0);

    // The texture goes at once with its check box.
    const QBrush textured = f->mdiArea()->background();
    qobject_cast<QCheckBox*>(d->control(3003))->setChecked(false);
    EXPECT_EQ(settings.frame.winTexture, 0);
    EXPECT_NE(f->mdiArea()->background(), textured);
    d->cancelButton()->click();
}

TEST_F(ToneSettingsTest, TreeExpansionSurvivesARebuildGoesOnToTheNextWindowAndIntoTheSettings) {
    auto f = started();
    ASSERT_TRUE(f->openImage(test::DemoImage("demo.s55")));
    QTreeWidget* tree = ActiveToneView(f.get())->tree();
    QTreeWidgetItem* ram = tree->topLevelItem(0);
    ram->setExpanded(true);
    ram->child(0)->setExpanded(true);  // RAM A
    ram->child(1)->setExpanded(false); // RAM B
    // A rebuilt tree keeps what the user opened and closed.
    ActiveToneView(f.get())->rebuildTree();
    tree = ActiveToneView(f.get())->tree();
    EXPECT_TRUE(tree->topLevelItem(0)->child(0)->isExpanded());
    EXPECT_FALSE(tree->topLevelItem(0)->child(1)->isExpanded());
    f->runCommand(kClose);
    ASSERT_TRUE(WaitFor([&] { return f->documentWindows().empty(); }));
    EXPECT_EQ(settings.tree, (1u << 1) | (1u << 4));

    ASSERT_TRUE(f->openImage(test::DemoImage("demo.s55")));
    tree = ActiveToneView(f.get())->tree();
    EXPECT_TRUE(tree->topLevelItem(0)->child(0)->isExpanded());
    EXPECT_FALSE(tree->topLevelItem(0)->child(1)->isExpanded());
    f->close();
    EXPECT_EQ(Dword(store, "Tree"), (1u << 1) | (1u << 4));
}

// The real Tone Editor library opens the image and closes again on a wrong handshake.
TEST_F(GuiTest, FirstRunHoldsCommandLineImagesUntilTheOptionsAreDoneAndAWrongHandshakeClosesTheEditor) {
    test::TempDir dir;
    MemorySettingsStore store;
    QtLibraryLoader loader(QString::fromStdString(test::BinDir().string()));
    LauncherWindow w(ui, loader, 2);
    w.start(&store, dir.path());
    w.openRequest({kToneButton, test::DemoImage("demo.s55")});
    const ModuleSlot* s = w.host().slotByCode(msg::kToneEditor);
    EXPECT_EQ(s->state, ModuleState::NotLoaded);
    auto* options = w.findChild<OptionsDialog*>();
    ASSERT_NE(options, nullptr);
    options->findChild<QPushButton*>(QStringLiteral("ctl1"))->click();
    ASSERT_EQ(s->state, ModuleState::Running) << s->failure;
    ASSERT_TRUE(WaitFor([] { return ActiveToneView(ToneFrame()) != nullptr; }));
    ui::ModuleFrame* f = ToneFrame();
    EXPECT_GT(ActiveToneView(f)->tree()->topLevelItemCount(), 0);
    EXPECT_EQ(f->findChild<QLabel*>(QStringLiteral("diskLine"))->text(), " Disk: S550");
    EXPECT_EQ(f->statusPart(1)->text(), "Octave: 4");
    EXPECT_TRUE(f->statusPart(0)->text().endsWith(" bytes free"));

    bus::MessageBus::instance().send(s->window, msg::EDM_LAUNCHER_REPLY, msg::LM_MODULE_HELLO, msg::kHandshake + 1);
    EXPECT_TRUE(WaitFor([] { return ToneFrame() == nullptr; }));
    EXPECT_EQ(s->state, ModuleState::Closed);
    EXPECT_TRUE(s->buttonEnabled);
}

TEST_F(GuiTest, AboutShowsBuildAndALinkThatLightsUnderTheMouse) {
    ui::AboutDialog d(QPixmap(16, 16), QStringLiteral("Tone Editor Module"), QStringLiteral("1.2.3.4"), nullptr);
    EXPECT_EQ(d.findChild<QLabel*>(QStringLiteral("ctl1000"))->text(), "1.2.3.4");
    auto* link = d.findChild<ui::LinkLabel*>(QStringLiteral("ctl1003"));
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor);
    const QColor before = link->palette().color(QPalette::WindowText);
    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QApplication::sendEvent(link, &enter);
    EXPECT_EQ(link->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(link, &leave);
    EXPECT_EQ(link->palette().color(QPalette::WindowText), before);
}
