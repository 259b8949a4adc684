// The launcher's floppy stages through the real window, its F-key buttons and its
// dialogs, with an image file (and its injected faults) standing in for the drive.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDropEvent>
#include <QFileDialog>
#include <QMimeData>
#include <QPointer>
#include <QLineEdit>
#include <QKeyEvent>
#include <QUrl>

#include <cstring>
#include <fstream>

#include "core/MemorySettingsStore.h"
#include "core/ModuleMessages.h"
#include "frame/FrameCommands.h"
#include "frame/ui/ModuleFrame.h"
#include "launcher/FloppyOptions.h"
#include "launcher/FloppyPanel.h"
#include "launcher/FloppyTexts.h"
#include "launcher/FloppyTransfer.h"
#include "launcher/LauncherSettings.h"
#include "launcher/ui/LauncherWindow.h"
#include "launcher/ui/QtLibraryLoader.h"
#include "tests/gui/GuiHelpers.h"
#include "tests/support/GuiTestApp.h"
#include "tests/support/TestSupport.h"

using namespace veldin;
using namespace veldin::launcher;
using test::WaitFor;
namespace fs = std::filesystem;

namespace {

constexpr int kFloppyButton = 53;
constexpr int kF1 = 61, kF2 = 62, kF3 = 63;

QWidget* Shown(const QString& name) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == name && w->isVisible()) return w;
    return nullptr;
}

ui::ModuleFrame* ToneFrame() { return test::FrameOf(msg::kToneEditor); }

std::vector<std::uint8_t> Zeros() { return std::vector<std::uint8_t>(737280, 0); }

class FloppyStagesTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(images);
        // The demo S-550 disk with two marked sectors, so a zero-filled skip shows.
        source = test::ReadFile(test::DemoImage("demo.s55"));
        std::memset(source.data() + 17 * 512, 0xAB, 512);
        std::memset(source.data() + 300 * 512, 0xCD, 512);
        test::WriteFile(floppy, source);
        LauncherSettings s;
        SetFieldString(s.mainPath, test::BinDir().string());
        SetFieldString(s.sdkPath, images.string());
        SaveLauncherSettings(store, s, ui);
        store.writeText("", kDriveADeviceValue, floppy.string());
    }
    void TearDown() override { test::CloseFrameOf(msg::kToneEditor); }

    std::unique_ptr<LauncherWindow> launcher(const QString& modules = QStringLiteral(VELDIN_TEST_MODULE_DIR)) {
        loader = std::make_unique<QtLibraryLoader>(modules);
        auto w = std::make_unique<LauncherWindow>(ui, *loader, 2);
        w->start(&store, dir.path());
        w->show();
        return w;
    }
    static bool InStage(LauncherWindow& w, FloppyStage s) { return w.floppyStages().stage() == s; }
    static bool Ready(LauncherWindow& w) {
        return !w.floppyStages().active() && w.state().panel().text == kReady;
    }
    // Answers the Sector Invalid dialog of `sector` with the button `id`.
    static void AnswerSector(std::uint32_t sector, int id) {
        QWidget* d = nullptr;
        ASSERT_TRUE(WaitFor([&] { return (d = Shown(QStringLiteral("SectorInvalid"))) != nullptr; }));
        EXPECT_EQ(d->windowTitle().toStdString(), SectorInvalidText(sector));
        d->findChild<QAbstractButton*>(QStringLiteral("ctl%1").arg(id))->click();
        ASSERT_TRUE(WaitFor([&] { return Shown(QStringLiteral("SectorInvalid")) != d; }));
    }
    static void Choose(const char* dialog, const fs::path& file) {
        QFileDialog* d = nullptr;
        ASSERT_TRUE(WaitFor([&] { return (d = static_cast<QFileDialog*>(Shown(QLatin1String(dialog)))) != nullptr; }));
        // Typed into the name field and accepted with Enter, as a user does.
        auto* name = d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(name, nullptr);
        name->setText(QString::fromStdString(file.string()));
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(name, &enter);
    }
    static void Drop(LauncherWindow& w, const fs::path& file) {
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(file.string()))});
        QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&w, &enter);
        ASSERT_TRUE(enter.isAccepted());
        QDropEvent drop(QPointF(100, 100), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&w, &drop);
    }
    std::vector<std::string> imageFiles() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(images)) names.push_back(e.path().filename().string());
        return names;
    }

    test::TempDir dir;
    fs::path images = dir / "images";
    fs::path floppy = dir / "floppy.img";
    std::vector<std::uint8_t> source;
    MemorySettingsStore store;
    test::ScriptedUi ui;
    std::unique_ptr<QtLibraryLoader> loader;
};

TEST_F(FloppyStagesTest, ReadWithBadSectorsAnsweredIgnoreAndRetry) {
    // Sector 17 never reads; sector 300 reads on its fifth attempt, one after Retry; 400
    // and 500 never read, and the box checked at 400 skips 500 without asking.
    store.writeText("", kDriveAFaultsValue, "17:always 300:fail=4 400:always 500:always");
    std::memset(source.data() + 400 * 512, 0xEE, 1024);
    std::memset(source.data() + 500 * 512, 0xEE, 512);
    test::WriteFile(floppy, source);
    auto w = launcher();
    w->button(kFloppyButton)->press();
    ASSERT_TRUE(InStage(*w, FloppyStage::Menu));
    EXPECT_EQ(w->button(kF1)->accessibleName(), "Read");
    w->button(kToneButton)->press(); // the busy mark holds the main buttons
    EXPECT_EQ(w->host().slotByButton(kToneButton)->state, ModuleState::NotLoaded);

    w->button(kF1)->press();
    ASSERT_TRUE(WaitFor([&] { return InStage(*w, FloppyStage::ReadPrepared); }));
    EXPECT_EQ(w->state().panel().text, SummaryText(IdentifyImage(source).memo));
    w->button(kF1)->press();
    EXPECT_EQ(w->button(kF1)->accessibleName(), "Stop");
    AnswerSector(17, 2004);
    AnswerSector(300, 2003);
    QWidget* box = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (box = Shown(QStringLiteral("SectorInvalid"))) != nullptr; }));
    box->findChild<QAbstractButton*>(QStringLiteral("ctl2006"))->click();
    AnswerSector(400, 2004);
    Choose("saveDialog", images / "read.s55");
    ASSERT_TRUE(WaitFor([&] { return Ready(*w); }));
    EXPECT_EQ(w->button(kF1)->accessibleName(), "F1");

    const auto image = test::ReadFile(images / "read.s55");
    ASSERT_EQ(image.size(), 737280u);
    auto expected = source;
    for (std::size_t sector : {17, 400, 500}) std::memset(expected.data() + sector * 512, 0, 512);
    EXPECT_EQ(image, expected) << "zeros where ignored or skipped, the retried sector read";
    EXPECT_EQ(imageFiles(), std::vector<std::string>{"read.s55"});
    EXPECT_TRUE(ui.shown().empty());
}

TEST_F(FloppyStagesTest, AbortOrStopLeavesNoFile) {
    const struct {
        const char* name;
        const char* faults;
        bool stop;
    } kCases[] = {{"abort", "17:always", false}, {"stop", "slow-ms=2", true}};
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        store.writeText("", kDriveAFaultsValue, c.faults);
        auto w = launcher();
        w->button(kFloppyButton)->press();
        w->button(kF1)->press();
        ASSERT_TRUE(WaitFor([&] { return InStage(*w, FloppyStage::ReadPrepared); }));
        w->button(kF1)->press();
        if (c.stop) {
            // Stopped once the counter has moved on from the first cylinder.
            const std::string moved = SummaryText(IdentifyImage(source).memo, 78);
            ASSERT_TRUE(WaitFor([&] { return w->state().panel().text == moved; }, 20000));
            w->button(kF1)->press();
        } else {
            AnswerSector(17, 2005);
        }
        ASSERT_TRUE(WaitFor([&] { return Ready(*w); }, 20000));
        EXPECT_TRUE(imageFiles().empty());
        EXPECT_TRUE(ui.shown().empty());
    }
}

// Written from the menu over another kind of Roland disk, the launcher asks first; a
// dropped image goes onto a blank floppy without a question.
TEST_F(FloppyStagesTest, WriteAsksBeforeOverwritingAnotherKindOfRolandDisk) {
    const auto s50 = test::ReadFile(test::DemoImage("demo.s50"));
    const fs::path image = dir / "menu.s55";
    test::WriteFile(image, source);
    const struct {
        bool drop;
        std::vector<std::uint8_t> disk;
        std::optional<Answer> answer;
    } kCases[] = {{false, s50, Answer::No}, {false, s50, Answer::Yes}, {true, Zeros(), std::nullopt}};
    for (const auto& c : kCases) {
        test::WriteFile(floppy, c.disk);
        ui.clear();
        if (c.answer) ui.answer(*c.answer);
        auto w = launcher();
        if (c.drop) {
            Drop(*w, image);
        } else { // from the menu: Write, then the "Load..." chooser
            w->button(kFloppyButton)->press();
            w->button(kF2)->press();
        }
        ASSERT_TRUE(WaitFor([&] { return InStage(*w, FloppyStage::WritePrepared); }));
        EXPECT_EQ(w->state().panel().captions[0], "Ovrwrite");
        w->button(kF1)->press();
        if (!c.drop) Choose("loadDialog", image);
        ASSERT_TRUE(WaitFor([&] { return Ready(*w); }));
        ASSERT_EQ(ui.shown().size(), c.answer ? 1u : 0u);
        if (c.answer) {
            EXPECT_TRUE(ui.shown()[0].question);
            EXPECT_NE(ui.shown()[0].text.find("Sampler: S50  Type: Sound"), std::string::npos) << ui.shown()[0].text;
        }
        EXPECT_EQ(test::ReadFile(floppy), c.answer == Answer::No ? s50 : source);
    }
}

TEST_F(FloppyStagesTest, FormatRunsTheConfiguredFormatter) {
    const fs::path log = dir / "formatter.log";
    const std::string script = std::string(VELDIN_TEST_DATA_DIR) + "/fake-formatter.sh";
    const struct {
        std::string command;
        std::string_view message; // empty: none
        bool blanked;
        bool stop = false; // F1 while it runs
    } kCases[] = {
        {"sh " + script + " " + log.string() + " {device}", {}, true},
        {"sh " + script + " " + log.string() + " {device} 3", text::kFormatterFailed, true},
        {"no-such-formatter-of-veldin {device}", text::kFormatterNotStarted, false},
        {"sh -c 'sleep 60' {device}", {}, false, true},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.command);
        test::WriteFile(floppy, source);
        fs::remove(log);
        ui.clear();
        store.writeText("", kFileFormatCommandValue, c.command);
        auto w = launcher();
        w->button(kFloppyButton)->press();
        w->button(kF3)->press();
        ASSERT_TRUE(WaitFor([&] { return InStage(*w, FloppyStage::FormatPrepared); }));
        w->button(kF1)->press();
        EXPECT_EQ(w->state().panel().text, FormattingText());
        if (c.stop) w->button(kF1)->press(); // ends the formatter at once, not after its minute
        ASSERT_TRUE(WaitFor([&] { return Ready(*w); }, 20000));
        EXPECT_EQ(test::ReadFile(floppy), c.blanked ? Zeros() : source);
        if (c.blanked) {
            EXPECT_EQ(test::ReadFile(log).size(), floppy.string().size() + 1);
        }
        ASSERT_EQ(ui.shown().size(), c.message.empty() ? 0u : 1u);
        if (!c.message.empty()) {
            EXPECT_EQ(ui.shown()[0].text, c.message);
            EXPECT_EQ(ui.shown()[0].title, "VELDIN");
        }
    }
}

TEST_F(FloppyStagesTest, FaultsGiveTheirTextAndReturnToSystemReady) {
    const fs::path wrongSize = dir / "short.s55";
    test::WriteFile(wrongSize, std::vector<std::uint8_t>(737279, 0));
    const struct {
        const char* name;
        std::string device; // empty: the floppy image
        const char* faults;
        fs::path drop;      // empty: FLOPPY, Read, Read
        std::vector<std::uint8_t> disk;
        std::string_view text;
    } kCases[] = {
        {"missing drive", (dir / "no-drive").string(), "", {}, source, "Couldn't open floppy drive!"},
        {"image of the wrong size", "", "", wrongSize, Zeros(), text::kInvalidSourceSize},
        {"unreadable image", "", "", images, Zeros(), text::kCantOpenSource},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        test::WriteFile(floppy, c.disk);
        store.writeText("", kDriveADeviceValue, c.device.empty() ? floppy.string() : c.device);
        store.writeText("", kDriveAFaultsValue, c.faults);
        ui.clear();
        auto w = launcher();
        if (c.drop.empty()) {
            w->button(kFloppyButton)->press();
            w->button(kF1)->press();
            WaitFor([&] { return InStage(*w, FloppyStage::ReadPrepared) || Ready(*w); });
            if (InStage(*w, FloppyStage::ReadPrepared)) w->button(kF1)->press();
        } else {
            Drop(*w, c.drop);
            ASSERT_TRUE(WaitFor([&] { return InStage(*w, FloppyStage::WritePrepared); }));
            w->button(kF1)->press();
        }
        ASSERT_TRUE(WaitFor([&] { return Ready(*w); }));
        ASSERT_EQ(ui.shown().size(), 1u);
        EXPECT_EQ(ui.shown()[0].text, c.text);
        EXPECT_EQ(ui.shown()[0].title, "VELDIN");
        EXPECT_TRUE(imageFiles().empty());
        EXPECT_EQ(test::ReadFile(floppy), c.disk);
    }
}

TEST_F(FloppyStagesTest, ImportFromFloppyOpensTheImageInTheToneEditorAndExportWritesItBack) {
    auto w = launcher(QString::fromStdString(test::BinDir().string()));
    w->button(kToneButton)->press();
    ui::ModuleFrame* f = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (f = ToneFrame()) != nullptr; }));
    f->runCommand(frame::kImportFloppy);
    ASSERT_TRUE(WaitFor([&] { return InStage(*w, FloppyStage::ReadPrepared); }));
    EXPECT_FALSE(f->action(frame::kImportFloppy)->isEnabled()) << "the module hears that the launcher is busy";
    w->button(kF1)->press();
    const fs::path expected = RequesterImagePath(images, IdentifyImage(source));
    ASSERT_TRUE(WaitFor([&] { return f->activeDocument() != nullptr; }));
    EXPECT_EQ(f->activeDocument()->path(), expected);
    EXPECT_EQ(test::ReadFile(expected), source);
    ASSERT_TRUE(WaitFor([&] { return Ready(*w); }));
    EXPECT_TRUE(f->action(frame::kImportFloppy)->isEnabled());
    // A second request while the first is set is refused at once, and said so.
    f->runCommand(frame::kImportFloppy);
    ASSERT_TRUE(WaitFor([&] { return InStage(*w, FloppyStage::ReadPrepared); }));
    w->host().handle(msg::LM_FLOPPY_REQUEST, msg::kToneEditor, msg::kFloppyFormat);
    EXPECT_TRUE(InStage(*w, FloppyStage::ReadPrepared));
    w->button(kF2)->press(); // Cancel: the menu, then Exit
    EXPECT_TRUE(InStage(*w, FloppyStage::Menu));
    w->button(64)->press();
    EXPECT_TRUE(Ready(*w));

    // Export writes the module's image to the floppy; the requester waits meanwhile.
    test::WriteFile(floppy, Zeros());
    f->runCommand(frame::kExportFloppy);
    ASSERT_TRUE(WaitFor([&] { return InStage(*w, FloppyStage::WritePrepared); }));
    EXPECT_FALSE(f->isEnabled());
    w->button(kF1)->press();
    ASSERT_TRUE(WaitFor([&] { return Ready(*w); }));
    EXPECT_EQ(test::ReadFile(floppy), source);
    EXPECT_TRUE(f->isEnabled());
    EXPECT_NE(f->activeDocument(), nullptr) << "the document stays open";
    EXPECT_TRUE(ui.shown().empty());
}

} // namespace
