// The Disc Editor's dialogs on the offscreen platform with synthetic discs as ISO and raw
// images: the lists, an export byte for byte as veldin-cli writes it, Cancel, refused
// discs, the main dialog's source choice, and the real module library.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLibrary>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QThread>
#include <QTimer>
#include <chrono>
#include <optional>
#include <set>
#include <thread>

#include "bus/MessageBus.h"
#include "cd/CdMessages.h"
#include "cd/RawSector.h"
#include "cd/SyntheticDisc.h"
#include "cd/ui/DiscEditorDialogs.h"
#include "core/ModuleMessages.h"
#include "platform/DiscImageFile.h"
#include "platform/QtSettingsStore.h"
#include "tests/support/GuiTestApp.h"
#include "tests/support/TestSupport.h"

using namespace veldin;
using namespace veldin::dorrel;
namespace fs = std::filesystem;

namespace {

struct Discs {
    test::TempDir dir;
    cd::SyntheticDisc synth = cd::BuildSyntheticDisc();
    fs::path iso = dir / "disc.iso";
    fs::path raw = dir / "disc.bin";
    Discs() {
        test::WriteFile(iso, synth.iso);
        test::WriteFile(raw, cd::ToRawImage(synth.iso));
    }
};

// The save dialog answered by the test: a path (empty = Cancel) and a family; the batch
// question with `batch` (none = Cancel), noting what it was asked.
Choosers Answering(fs::path target, cd::SamplerFamily family, fs::path image = {},
                   std::optional<BatchChoice> batch = std::nullopt, BatchQuestion* asked = nullptr) {
    Choosers c;
    c.saveAs = [target, family](QWidget*, const fs::path&, const QString&, cd::SamplerFamily& f) {
        f = family;
        return target;
    };
    c.discImage = [image](QWidget*, const fs::path&) { return image; };
    c.batch = [batch, asked](QWidget*, const BatchQuestion& q, BatchChoice& choice) {
        if (asked) *asked = q;
        if (batch) choice = *batch;
        return batch.has_value();
    };
    return c;
}

std::set<std::string> FileNames(const fs::path& dir) {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) names.insert(e.path().filename().string());
    return names;
}

// A picture for a person to look at: build/screenshots/<name>.png.
bool SaveShot(QWidget* w, const char* name) {
    const fs::path shots = fs::path(VELDIN_BUILD_DIR) / "screenshots";
    fs::create_directories(shots);
    return w->grab().save(QString::fromStdString((shots / name).string()));
}

// veldin-cli's verdict on a disk image: its exit status.
int CliInfo(const fs::path& image) {
    QProcess p;
    p.start(QString::fromStdString((test::BinDir() / "veldin-cli").string()),
            {"info", QString::fromStdString(image.string())});
    return p.waitForFinished(60000) ? p.exitCode() : -1;
}

void WriteMainPath(QtSettingsStore& store) {
    const std::string main = test::BinDir().string();
    store.write("", "Main Path", RegType::Sz,
                std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(main.data()), main.size()));
}

std::unique_ptr<cd::DiscSource> Open(const fs::path& p) {
    auto image = platform::DiscImageFile::open(p);
    EXPECT_TRUE(image.ok());
    return image ? std::move(image).value() : nullptr;
}

// Reads slowly, so that Cancel falls in the middle of an area.
class SlowDisc final : public cd::DiscSource {
public:
    explicit SlowDisc(cd::DiscSource& inner) : inner_(inner) {}
    std::uint64_t blockCount() override { return inner_.blockCount(); }
    Status readBlocks(std::uint64_t first, std::span<std::uint8_t> out) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(15));
        return inner_.readBlocks(first, out);
    }

private:
    cd::DiscSource& inner_;
};

// An export dialog over the image at `source` (read slowly when asked), with the test's
// answers; loaded at once unless told otherwise.
struct Session {
    Session(const Discs& d, const fs::path& source, Choosers answers, bool slowly = false, bool loaded = true)
        : file(Open(source)), slow(*file),
          dialog(slowly ? static_cast<cd::DiscSource&>(slow) : *file, test::BinDir(), d.dir.path(), ui,
                 std::move(answers), nullptr) {
        if (loaded) {
            EXPECT_TRUE(dialog.load());
        }
    }
    std::unique_ptr<cd::DiscSource> file;
    SlowDisc slow;
    test::ScriptedUi ui;
    ExportDialog dialog;
};

// Which records a group lists: CdTables; here one group as the dialog shows it.
TEST(DiscEditor, ListsTheDescriptionGroupsAndTheSoundsOfTheChosenGroup) {
    Discs d;
    Session s(d, d.iso, Answering({}, cd::SamplerFamily::W30));
    for (int i = 0; i < 4; ++i) EXPECT_EQ(s.dialog.line(i)->text().toStdString(), d.synth.description[i]);
    ASSERT_EQ(s.dialog.groups()->count(), static_cast<int>(d.synth.groups.size()));
    EXPECT_EQ(s.dialog.groups()->itemText(1).toStdString(), d.synth.groups[1].listText);
    s.dialog.groups()->setCurrentIndex(1); // one sound, followed at once by another group's record
    ASSERT_EQ(s.dialog.sounds()->count(), 1);
    EXPECT_EQ(s.dialog.sounds()->item(0)->text().toStdString(), d.synth.sounds[d.synth.groups[1].firstRecord].listText);
    EXPECT_TRUE(s.ui.shown().empty());
}

TEST(DiscEditor, ExportIsByteIdenticalToTheCommandLine) {
    Discs d;
    const struct {
        fs::path source;
        cd::SamplerFamily family;
        const char* option;
    } cases[] = {{d.raw, cd::SamplerFamily::W30, "w30"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.option);
        const fs::path mine = d.dir / (std::string("gui-") + c.option + ".img");
        const fs::path cli = d.dir / (std::string("cli-") + c.option + ".img");
        Session s(d, c.source, Answering(mine, c.family));
        s.dialog.groups()->setCurrentIndex(0);
        s.dialog.sounds()->setCurrentRow(0);
        s.dialog.exportSelected();
        EXPECT_TRUE(s.ui.shown().empty()) << (s.ui.shown().empty() ? "" : s.ui.shown()[0].text);
        EXPECT_EQ(s.dialog.progress()->value(), s.dialog.progress()->maximum());
        QProcess p;
        p.start(QString::fromStdString((test::BinDir() / "veldin-cli").string()),
                {"cd", "export", QString::fromStdString(c.source.string()), "--group", "1", "--sound", "1", "--family",
                 c.option, QString::fromStdString(cli.string())});
        ASSERT_TRUE(p.waitForFinished(60000));
        ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
        const auto a = test::ReadFile(mine), b = test::ReadFile(cli);
        EXPECT_TRUE(!a.empty() && a == b);
    }
}

TEST(DiscEditor, CancelMidExportLeavesNoFile) {
    Discs d;
    const fs::path target = d.dir / "cancelled.s55";
    Session s(d, d.iso, Answering(target, cd::SamplerFamily::S550), true);
    ExportDialog& dialog = s.dialog;
    // The full-size area, the longest of the disc, comes first.
    ASSERT_EQ(d.synth.sounds[0].units, cd::kMaxAreaUnits);
    dialog.groups()->setCurrentIndex(0);
    dialog.sounds()->setCurrentRow(0);
    bool cancelWasUsable = false;
    bool waitShown = false;
    QTimer::singleShot(60, &dialog, [&] {
        cancelWasUsable = dialog.cancelButton()->isEnabled() && !dialog.exportButton()->isEnabled();
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible() && w->windowTitle() == "Please Wait...") waitShown = SaveShot(w, "disc-editor-wait.png");
        dialog.cancelButton()->click();
    });
    dialog.exportSelected();
    EXPECT_TRUE(cancelWasUsable);
    EXPECT_TRUE(waitShown) << "the read runs in the wait dialog";
    EXPECT_FALSE(fs::exists(target));
    EXPECT_TRUE(s.ui.shown().empty()) << "a cancel is not a failure to report";
    for (const auto& e : fs::directory_iterator(d.dir.path()))
        EXPECT_TRUE(e.path() == d.iso || e.path() == d.raw) << e.path();
    EXPECT_TRUE(!dialog.cancelButton()->isEnabled() && dialog.exportButton()->isEnabled());
}

TEST(DiscEditor, BatchExportOfAGroupOrTheDiscWritesOneImagePerSound) {
    Discs d;
    const struct {
        fs::path source;
        bool wholeDisc;
        cd::SamplerFamily family;
        const char* extension;
    } cases[] = {{d.iso, false, cd::SamplerFamily::S550, ".s55"}, {d.raw, true, cd::SamplerFamily::S330, ".s33"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.source.string());
        const fs::path out = d.dir / (c.wholeDisc ? "disc" : "group");
        fs::create_directory(out);
        BatchQuestion asked;
        Session s(d, c.source, Answering({}, c.family, {}, BatchChoice{c.wholeDisc, c.family, out}, &asked));
        s.dialog.groups()->setCurrentIndex(0);
        s.dialog.exportBatch();
        EXPECT_EQ(asked.groupText.toStdString(), d.synth.groups[0].listText);
        EXPECT_EQ(asked.groupSounds, 2u);
        EXPECT_EQ(asked.discSounds, d.synth.sounds.size());

        std::set<std::string> expected;
        for (const auto& sound : d.synth.sounds)
            if (c.wholeDisc || sound.group == d.synth.sounds[d.synth.groups[0].firstRecord].group)
                expected.insert(sound.listText + c.extension);
        EXPECT_EQ(FileNames(out), expected); // each as the single export writes it: ExportBatch
        ASSERT_EQ(s.ui.shown().size(), 1u);
        EXPECT_EQ(s.ui.shown()[0].text, std::to_string(expected.size()) + " disk images written to\n" + out.string());
        EXPECT_TRUE(s.dialog.batchButton()->isEnabled());
    }
}

TEST(DiscEditor, CancelMidBatchKeepsWholeImagesAndSaysHowMany) {
    Discs d;
    const fs::path out = d.dir / "out";
    fs::create_directory(out);
    Session s(d, d.iso, Answering({}, cd::SamplerFamily::W30, {}, BatchChoice{true, cd::SamplerFamily::W30, out}), true);
    // The first area is the full one (437 blocks, 14 chunks of 15 ms): Cancel falls in
    // it or in the next.
    QTimer::singleShot(100, &s.dialog, [&] { s.dialog.cancelButton()->click(); });
    s.dialog.exportBatch();
    ASSERT_EQ(s.ui.shown().size(), 1u);
    EXPECT_TRUE(s.ui.shown()[0].text.starts_with("Cancelled: ")) << s.ui.shown()[0].text;
    EXPECT_LT(FileNames(out).size(), d.synth.sounds.size());
    for (const auto& name : FileNames(out)) EXPECT_EQ(CliInfo(out / name), 0) << name;
    EXPECT_TRUE(!s.dialog.cancelButton()->isEnabled() && s.dialog.batchButton()->isEnabled());
}

TEST(DiscEditor, ClosingTheDialogDuringAReadCancelsItAndCloses) {
    Discs d;
    const fs::path out = d.dir / "out";
    fs::create_directory(out);
    for (bool batch : {false, true}) {
        SCOPED_TRACE(batch ? "batch" : "single");
        Session s(d, d.iso,
                  Answering(out / "one.sdk", cd::SamplerFamily::W30, {}, BatchChoice{true, cd::SamplerFamily::W30, out}),
                  true);
        s.dialog.show();
        QTimer::singleShot(60, &s.dialog, [&] { s.dialog.close(); });
        batch ? s.dialog.exportBatch() : s.dialog.exportSelected(); // the full area comes first
        EXPECT_FALSE(s.dialog.isVisible());
        EXPECT_EQ(s.dialog.result(), QDialog::Rejected);
        EXPECT_TRUE(s.ui.shown().empty());
        EXPECT_TRUE(FileNames(out).empty());
    }
}

TEST(DiscEditor, BatchExportDialogAsksWhichSoundsFamilyAndFolder) {
    test::TempDir dir;
    BatchExportDialog dialog(BatchQuestion{"PIANO - 100%2", 2, 6}, BatchChoice{true, cd::SamplerFamily::S330, dir.path()},
                             nullptr);
    EXPECT_EQ(dialog.groupButton()->text(), "Every sound of the group PIANO - 100%2 (2)");
    EXPECT_TRUE(dialog.discButton()->isChecked());
    EXPECT_EQ(dialog.family()->currentData().toInt(), static_cast<int>(cd::SamplerFamily::S330));
    dialog.folder()->clear();
    EXPECT_FALSE(dialog.exportButton()->isEnabled()) << "no folder";
    dialog.folder()->setText(QString::fromStdString((dir / "x").string()));
    EXPECT_TRUE(dialog.exportButton()->isEnabled());
    dialog.groupButton()->click();
    dialog.family()->setCurrentIndex(0);
    const BatchChoice c = dialog.choice();
    EXPECT_FALSE(c.wholeDisc);
    EXPECT_EQ(c.family, cd::SamplerFamily::W30);
    EXPECT_EQ(c.folder, dir / "x");
    dialog.show();
    QApplication::processEvents();
    EXPECT_TRUE(SaveShot(&dialog, "disc-editor-batch.png"));
}

TEST(DiscEditor, RefusesADiscThatIsNotARolandCd) {
    Discs d;
    auto bytes = d.synth.iso;
    bytes[15] ^= 0x20; // the signature's last character
    const fs::path p = d.dir / "bad.iso";
    test::WriteFile(p, bytes);
    Session s(d, p, Answering({}, cd::SamplerFamily::W30), false, false);
    EXPECT_FALSE(s.dialog.load());
    ASSERT_EQ(s.ui.shown().size(), 1u);
    EXPECT_EQ(s.ui.shown()[0].text, text::kNotRolandCd);
    EXPECT_EQ(s.ui.shown()[0].title, "Disc Editor");
}

TEST(DiscEditor, MainDialogAsksForADriveAndOpensImages) {
    Discs d;
    test::ScriptedUi ui;
    DiscEditorDialog dialog(0, test::BinDir(), nullptr, ui, Answering({}, cd::SamplerFamily::W30, d.raw));
    ASSERT_TRUE(dialog.start());
    EXPECT_FALSE(dialog.button("Build")->isEnabled());
    // No drive was ever applied: Export warns and reads nothing.
    dialog.exportFromSource();
    ASSERT_EQ(ui.shown().size(), 1u);
    EXPECT_EQ(ui.shown()[0].text, text::kNoDriveChosen);
    EXPECT_EQ(ui.shown()[0].icon, Icon::Warning);
    ui.clear();

    dialog.imageFile()->click();
    EXPECT_FALSE(dialog.button("Export")->isEnabled()) << "no image chosen yet";
    for (auto* b : dialog.findChildren<QPushButton*>())
        if (b->text() == "Browse...") b->click();
    EXPECT_EQ(dialog.imagePath()->text().toStdString(), d.raw.string());
    ASSERT_TRUE(dialog.button("Export")->isEnabled());
    int groups = -1;
    // Once the export dialog is up (its tables were read in the wait dialog), close it.
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &dialog, [&] {
        ExportDialog* e = dialog.exportDialog();
        if (!e || !e->isVisible()) return;
        groups = e->groups()->count();
        e->close();
    });
    poll.start(10);
    dialog.exportFromSource();
    EXPECT_EQ(groups, static_cast<int>(d.synth.groups.size()));
    EXPECT_TRUE(ui.shown().empty());
    EXPECT_TRUE(dialog.button("Export")->isEnabled());
}

TEST(DiscEditor, EveryControlHasANameOrText) {
    Discs d;
    Session s(d, d.iso, Answering({}, cd::SamplerFamily::W30));
    ExportDialog& exportDialog = s.dialog;
    DiscEditorDialog main(0, test::BinDir(), nullptr, s.ui);
    BatchExportDialog batch(BatchQuestion{"PIANO", 2, 6}, BatchChoice{true, cd::SamplerFamily::S330, d.dir.path()},
                            nullptr);
    for (QWidget* w : {static_cast<QWidget*>(&exportDialog), static_cast<QWidget*>(&main), static_cast<QWidget*>(&batch)})
        for (QWidget* c : w->findChildren<QWidget*>()) {
            const bool control = qobject_cast<QAbstractButton*>(c) || qobject_cast<QComboBox*>(c) ||
                                 qobject_cast<QListWidget*>(c) || qobject_cast<QLineEdit*>(c) ||
                                 qobject_cast<QProgressBar*>(c);
            if (!control) continue;
            const auto* b = qobject_cast<QAbstractButton*>(c);
            EXPECT_TRUE(!c->accessibleName().isEmpty() || (b && !b->text().isEmpty())) << c->metaObject()->className();
        }
    // A picture of the export dialog with its groups and sounds.
    exportDialog.show();
    QApplication::processEvents();
    EXPECT_TRUE(SaveShot(&exportDialog, "disc-editor-export.png"));
}

TEST(DiscEditor, AMoveAloneLeavesSettingsThatLoadWithoutWarnings) {
    test::TempDir dir;
    const std::string file = (dir / "settings.conf").string();
    QtSettingsStore store(file);
    WriteMainPath(store);
    test::ScriptedUi ui;
    {
        DiscEditorDialog dialog(0, test::BinDir(), &store, ui);
        ASSERT_TRUE(dialog.start());
        dialog.show();
        dialog.move(dialog.pos() + QPoint(17, 9));
        QApplication::processEvents();
        ASSERT_TRUE(store.sync());
        // The process ends here without closing the dialog: what the move wrote is all.
        QtSettingsStore after(file);
        for (const auto& e : DiscEditorTable()) {
            if (e.usage == Usage::End) continue;
            EXPECT_TRUE(after.read(kDiscEditorKey, e.name, e.type)) << e.name;
        }
    }
    ui.clear();
    DiscEditorDialog next(0, test::BinDir(), &store, ui);
    ASSERT_TRUE(next.start());
    EXPECT_TRUE(ui.shown().empty()) << ui.shown().front().text;
}

// The real library as the launcher starts it: hello with code 68, a ping before each
// command, closed at the end; CloseEd ends the modal dialog.
TEST(DiscEditor, ModuleLibraryTalksToTheLauncher) {
    test::TempDir dir;
    const std::string file = (dir / "settings.conf").string();
    {
        QtSettingsStore store(file);
        WriteMainPath(store);
        ASSERT_TRUE(store.sync());
    }
    qputenv("VELDIN_SETTINGS", QByteArray::fromStdString(file));
    std::vector<std::pair<std::uint32_t, bus::Param>> heard;
    bus::Handle dialog = 0;
    bus::Endpoint launcher([&](std::uint32_t m, bus::Param w, bus::Param l) -> bus::Param {
        heard.emplace_back(m, w);
        if (m == msg::LM_MODULE_HELLO) dialog = static_cast<bus::Handle>(l);
        (void)l;
        return 0;
    });
    QLibrary lib(QString::fromStdString((test::BinDir() / "libDorrel.so").string()));
    ASSERT_TRUE(lib.load()) << lib.errorString().toStdString();
    using StartEdFn = int (*)(bus::Handle, int);
    using CloseEdFn = int (*)(bus::Handle);
    auto startEd = reinterpret_cast<StartEdFn>(lib.resolve("StartEd"));
    auto closeEd = reinterpret_cast<CloseEdFn>(lib.resolve("CloseEd"));
    ASSERT_TRUE(startEd && closeEd);
    bool aboutPinged = false;
    // Once the drives are listed (the wait dialog has gone) the main dialog is on top.
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* top = QApplication::activeModalWidget();
        if (!top || top->windowTitle() != "Disc Editor") return;
        poll.stop();
        // Build is there and disabled; Apply sends a ping first.
        const auto before = heard.size();
        for (auto* b : top->findChildren<QPushButton*>())
            if (b->text() == "Apply") b->click();
        aboutPinged = heard.size() > before && heard[before].first == msg::LM_MODULE_PING &&
                      heard[before].second == msg::kCdEditor;
        closeEd(launcher.handle());
    });
    poll.start(10);
    EXPECT_EQ(startEd(launcher.handle(), 2), 1);
    EXPECT_TRUE(aboutPinged);
    ASSERT_FALSE(heard.empty());
    EXPECT_EQ(heard.front().first, msg::LM_MODULE_HELLO);
    EXPECT_EQ(heard.front().second, msg::kCdEditor);
    EXPECT_NE(dialog, 0u);
    EXPECT_EQ(heard.back().first, msg::LM_MODULE_CLOSED);
    EXPECT_EQ(closeEd(launcher.handle()), 0) << "nothing left to close";
    qunsetenv("VELDIN_SETTINGS");
}

} // namespace
