// The Patch Editor window's commands end to end on copies of the demo images: the real
// frame and view, file choosers answered by the test, questions by a scripted UI, and
// the real "Map missing tone" dialog answered through its buttons.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QMimeData>
#include <QLabel>
#include <QLineEdit>
#include <QTabBar>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>
#include <QTreeWidget>

#include "core/MemorySettingsStore.h"
#include "core/ModuleMessages.h"
#include "core/ModuleSettings.h"
#include "frame/ui/PreferencesDialog.h"
#include "frame/ui/MemoDialog.h"
#include "frame/ui/ModuleFrame.h"
#include "launcher/ModuleHost.h"
#include "launcher/ui/QtLibraryLoader.h"
#include "patch/PatchTexts.h"
#include "patch/ui/MapToneDialog.h"
#include "patch/ui/PatchPreferences.h"
#include "patch/ui/PatchView.h"
#include "tests/cli/CliRun.h"
#include "tests/support/GuiChecks.h"
#include "tests/gui/GuiHelpers.h"
#include "tests/support/GuiTestApp.h"
#include "tests/support/TestSupport.h"
#include "tone/ui/ToneView.h"

using namespace veldin;
using namespace veldin::frame;
using test::FrameOf;
using test::WaitFor;
namespace ptext = veldin::patch::text;

namespace {

QString Trimmed(const QTreeWidgetItem* it) { return it->text(0).trimmed(); }

QTreeWidgetItem* Root(QTreeWidget* t) { return t->topLevelItem(0); }

// The patch item of this name under "Patches", or its tone item of `tone`.
QTreeWidgetItem* Item(QTreeWidget* t, const char* patch, const char* tone = nullptr) {
    QTreeWidgetItem* root = Root(t);
    for (int i = 0; root && i < root->childCount(); ++i) {
        QTreeWidgetItem* p = root->child(i);
        if (Trimmed(p) != QLatin1String(patch)) continue;
        if (!tone) return p;
        for (int k = 0; k < p->childCount(); ++k)
            if (Trimmed(p->child(k)) == QLatin1String(tone)) return p->child(k);
    }
    return nullptr;
}

QStringList PatchLabels(QTreeWidget* t) {
    QStringList out;
    for (int i = 0; i < Root(t)->childCount(); ++i) out << Root(t)->child(i)->text(0);
    return out;
}

// Answers the next modal "Map missing tone" dialog with `act` as soon as it shows.
void WhenMapDialogShows(std::function<void(brisko::MapToneDialog*)> act) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, act] {
        if (auto* d = dynamic_cast<brisko::MapToneDialog*>(QApplication::activeModalWidget())) {
            poll->stop();
            poll->deleteLater();
            act(d);
        }
    });
    poll->start(10);
}

class PatchCommandsTest : public test::FrameFixture {
protected:
    void SetUp() override {
        makeFrame(ui::ModuleIdentity{"Patch Editor", msg::kPatchEditor, "Brisko.html", &PatchEditorMenus()},
                  [](Document& doc, ui::ModuleFrame& frame, QWidget* parent) -> ui::DocumentView* {
                      return new brisko::PatchView(doc, frame, parent);
                  });
    }

    brisko::PatchView* open(const std::filesystem::path& image) {
        if (!frame->openImage(image)) return nullptr;
        return dynamic_cast<brisko::PatchView*>(frame->activeWindow()->view());
    }
    brisko::PatchView* openDemo(const std::string& as) {
        std::filesystem::copy_file(test::DemoImage("demo.s55"), dir / as);
        return open(dir / as);
    }
    // An S-550 image holding the demo's tones given, carried there as tone files in this
    // order, so that they sit at other positions than on the demo image. Each goes to its
    // bank of the demo, where its wave starts at the same segment.
    std::filesystem::path imageWithTones(const std::string& as, std::initializer_list<const char*> tones) {
        const auto path = dir / as;
        test::WriteFile(path, cli::EmptyImage("S550.dat"));
        for (const char* t : tones) {
            const char* bank = std::string_view(t).starts_with("SAW") ? "B" : "A";
            const std::string ton = (dir / (std::string(t) + ".ton")).string();
            auto r = cli::Cli({"tone", "save", test::DemoImage("demo.s55").string(), t, ton});
            EXPECT_EQ(r.rc, 0) << r.err;
            r = cli::Cli({"tone", "load", path.string(), ton, "--bank", bank});
            EXPECT_EQ(r.rc, 0) << r.err;
        }
        return path;
    }
    void select(brisko::PatchView* v, QTreeWidgetItem* it) {
        ASSERT_NE(it, nullptr);
        v->tree()->setCurrentItem(it);
    }
    // The 256 bytes of patch position `k` in the working copy.
    std::vector<std::uint8_t> record(int k) const {
        Document* d = frame->activeDocument();
        std::vector<std::uint8_t> b(256);
        EXPECT_TRUE(d->read(static_cast<std::uint32_t>(SectorToOffset(d->definition().patchSector)) + 256u * static_cast<std::uint32_t>(k), b).ok());
        return b;
    }
    // The tone name each key of patch `k` plays, both maps, as the image names its tones.
    std::vector<std::string> keyNames(brisko::PatchView* v, int k) const {
        const auto r = record(k);
        std::vector<std::string> out;
        for (std::size_t key = 17; key < 235; ++key) out.push_back(v->editor()->areas().toneName(r[key]));
        return out;
    }
    std::filesystem::path savedPatch(brisko::PatchView* v, const char* name, const std::string& file) {
        select(v, Item(v->tree(), name));
        choose(dir / file);
        run(kSaveTone);
        return dir / file;
    }
    QString freeText() const { return status(); }
};

// The tree, the panel lines of the patch a selected item belongs to, the key strip with
// both maps of a velocity switch and the name of the hovered key, and the memo.
TEST_F(PatchCommandsTest, WindowShowsTheTreeThePanelTheKeyStripTheFreePositionsAndTheMemo) {
    frame->show();
    auto* v = openDemo("a.s55");
    ASSERT_NE(v, nullptr);
    QApplication::processEvents();
    EXPECT_EQ(Trimmed(Root(v->tree())), QStringLiteral("Patches"));
    EXPECT_EQ(PatchLabels(v->tree()), QStringList({"SPLIT 3 WAY ", "SINE/SAW VSW"}));
    QTreeWidgetItem* split = Item(v->tree(), "SPLIT 3 WAY");
    EXPECT_EQ(split->childCount(), 3);
    EXPECT_FALSE(split->isExpanded());
    EXPECT_EQ(freeText(), QStringLiteral("Patch positions free: 14"));
    brisko::KeyStripView* keys = v->keyStrip();
    EXPECT_TRUE(keys->strip().empty()) << "nothing selected: no keyboard";
    EXPECT_GT(keys->y(), v->tree()->geometry().bottom());

    const QStringList vsw = {"Patch Number: 2", "Key Mode: V-SW"};
    struct Case {
        QTreeWidgetItem* item;
        QStringList lines;
        int rows;
        std::vector<std::uint8_t> tones; // by colour, in order
        QString low, high;               // hover texts over the first and last key of row 1
    };
    const int rowH = (keys->sizeHint().height() - 6) / 2;
    const Case cases[] = {
        {Item(v->tree(), "SINE/SAW VSW"), vsw, 2, {0, 2}, "C-0  SINE A4  (map 1)", "C-9  SINE A4  (map 1)"},
        // a tone keeps its patch's panel and keys
        {Item(v->tree(), "SINE/SAW VSW", "SINE A4"), vsw, 2, {0, 2}, "C-0  SINE A4  (map 1)", "C-9  SINE A4  (map 1)"},
        {Item(v->tree(), "SPLIT 3 WAY"), {"Patch Number: 1", "Key Mode: Norm"}, 1, {1, 2, 0}, "C-0  SINE LO ",
         "C-9  SINE A4 "},
        {Root(v->tree()), QStringList(2, QString()), 0, {}, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Trimmed(c.item).toStdString());
        select(v, c.item);
        for (int i = 0; i < c.lines.size(); ++i) EXPECT_EQ(v->panel().infoLine(i)->text(), c.lines[i]) << i;
        const patch::KeyStrip& s = keys->strip();
        if (!c.rows) {
            EXPECT_TRUE(s.empty());
            EXPECT_TRUE(keys->textAt(QPoint(3, 10)).isEmpty());
            continue;
        }
        EXPECT_EQ(s.rows, c.rows);
        EXPECT_EQ(s.tones, c.tones);
        EXPECT_EQ(keys->textAt(QPoint(3, keys->sizeHint().height() / 4 + 10)), c.low);
        EXPECT_EQ(keys->textAt(QPoint(keys->width() - 4, 2 + rowH - 3)), c.high);
    }
    // The velocity switch: every key of row 2 plays SAW C3.
    select(v, Item(v->tree(), "SINE/SAW VSW"));
    EXPECT_TRUE(keys->textAt(QPoint(keys->width() / 2, 2 + rowH + 2 + rowH - 3)).endsWith(QStringLiteral("SAW C3   (map 2)")));
    // The bender range and output share a row.
    EXPECT_EQ(v->panel().infoLine(3)->y(), v->panel().infoLine(4)->y());
    EXPECT_LT(v->panel().infoLine(3)->geometry().right(), v->panel().infoLine(4)->x());
    EXPECT_GE(v->tree()->x(), 114);
    const QString shown = v->panel().memoText()->text();
    EXPECT_EQ(shown.left(12), QStringLiteral("VELDIN DEMO "));

    // Edit Memo is the shared editor, and its steps follow in the memo box.
    v->panel().editMemoButton()->click();
    auto* d = v->findChild<ui::MemoDialog*>();
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->windowTitle(), QStringLiteral("MEMO Editor"));
    d->field(0)->setText(QStringLiteral("PATCHES"));
    d->apply();
    EXPECT_TRUE(v->panel().memoText()->text().startsWith(QStringLiteral("  PATCHES   "))) << v->panel().memoText()->text().toStdString();
    run(kUndo);
    EXPECT_EQ(v->panel().memoText()->text(), shown);
}

TEST_F(PatchCommandsTest, MenusAreThePatchEditorsAndFollowTheSelectionAndTheDiskKind) {
    auto* v = openDemo("a.s55");
    ASSERT_NE(v, nullptr);
    for (int absent : {kSendToPatch, kOptimize, kLoadWave, kSaveWave}) EXPECT_EQ(frame->action(absent), nullptr) << absent;
    EXPECT_TRUE(enabled(kSendToTone) && enabled(kSendToMidi));
    struct Case {
        QTreeWidgetItem* item;
        bool save;
    };
    for (const Case& c : {Case{Root(v->tree()), false}, Case{Item(v->tree(), "SPLIT 3 WAY"), true},
                          Case{Item(v->tree(), "SPLIT 3 WAY", "SAW C3"), true}}) {
        select(v, c.item);
        EXPECT_EQ(enabled(kSaveTone), c.save) << Trimmed(c.item).toStdString();
        EXPECT_TRUE(enabled(kLoadTone) && enabled(kDelete));
    }
    // A song image shows only its disk and type lines and offers no patch command.
    std::filesystem::copy_file(test::DemoImage("demo.sng"), dir / "a.sng");
    auto* song = open(dir / "a.sng");
    ASSERT_NE(song, nullptr);
    EXPECT_EQ(song->tree(), nullptr);
    EXPECT_EQ(song->panel().editMemoButton(), nullptr);
    EXPECT_EQ(song->findChildren<QLabel*>().size(), 2);
    EXPECT_FALSE(enabled(kLoadTone));
}

TEST_F(PatchCommandsTest, SavedOrCopiedPatchLoadsRenumberedIntoTheFirstFreePositionAndUndoRemovesIt) {
    auto* from = openDemo("a.s55");
    ASSERT_NE(from, nullptr);
    const auto split = keyNames(from, 0);
    const auto pat = savedPatch(from, "SPLIT 3 WAY", "split.pat");
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_TRUE(requests[0].save);
    const auto bytes = test::ReadFile(pat);
    ASSERT_EQ(bytes.size(), 264u + 3u * 20u);
    // Copy puts the same bytes on the clipboard; only a patch is copied.
    for (QTreeWidgetItem* it : {Root(from->tree()), Item(from->tree(), "SPLIT 3 WAY", "SAW C3")}) {
        select(from, it);
        EXPECT_FALSE(enabled(kCopy) || enabled(kCut));
    }
    select(from, Item(from->tree(), "SPLIT 3 WAY"));
    test::PressKey(from->tree(), Qt::Key_C, Qt::ControlModifier);
    const QByteArray clip = QApplication::clipboard()->mimeData()->data(QLatin1String(brisko::kPatchMimeType));
    EXPECT_EQ(std::vector<std::uint8_t>(clip.begin(), clip.end()), bytes);

    // SAW C3 first, then SINE A4 with its subtone: every number differs from the demo's.
    const auto moved = imageWithTones("moved.s55", {"SAW C3", "SINE A4"});
    const auto before = test::ReadFile(moved);
    auto* to = open(moved);
    ASSERT_NE(to, nullptr);
    ASSERT_EQ(to->editor()->areas().toneName(0), "SAW C3  ");
    EXPECT_EQ(freeText(), QStringLiteral("Patch positions free: 16"));
    choose(pat);
    run(kLoadTone);
    EXPECT_TRUE(ui.shown().empty()) << ui.texts().front();
    EXPECT_EQ(to->tree()->currentItem(), Item(to->tree(), "SPLIT 3 WAY"));
    EXPECT_EQ(freeText(), QStringLiteral("Patch positions free: 15"));
    // Each key plays the tone of the same name; the numbers are the target's.
    EXPECT_EQ(keyNames(to, 0), split);
    const auto loaded = record(0);
    EXPECT_NE(std::vector<std::uint8_t>(bytes.begin() + 8 + 17, bytes.begin() + 8 + 235),
              std::vector<std::uint8_t>(loaded.begin() + 17, loaded.begin() + 235));
    // Undo takes the item away; pasted, it is renumbered as the loaded file was, in one step.
    run(kUndo);
    EXPECT_EQ(Root(to->tree())->childCount(), 0);
    EXPECT_EQ(record(0), std::vector<std::uint8_t>(256, 0));
    test::PressKey(to->tree(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_TRUE(ui.shown().empty());
    EXPECT_EQ(keyNames(to, 0), split);
    run(kUndo);
    EXPECT_EQ(Root(to->tree())->childCount(), 0);
    run(kRedo);
    EXPECT_EQ(test::ReadFile(moved), before) << "only Save writes";
    run(kSave);
    EXPECT_NE(test::ReadFile(moved), before);
}

TEST_F(PatchCommandsTest, DeleteAsksCutDoesNotBothZeroAllBytesAndUndoRestoresThem) {
    auto* v = openDemo("a.s55");
    ASSERT_NE(v, nullptr);
    const auto kept = record(1);
    select(v, Item(v->tree(), "SINE/SAW VSW"));
    ui.answer(Answer::No);
    run(kDelete);
    test::ExpectOneMessage(ui, ptext::kReallyDelete, "Patch Editor");
    EXPECT_EQ(record(1), kept);

    ui.answer(Answer::Yes);
    test::PressKey(v->tree(), Qt::Key_Delete);
    EXPECT_EQ(record(1), std::vector<std::uint8_t>(256, 0));
    EXPECT_EQ(PatchLabels(v->tree()), QStringList({"SPLIT 3 WAY "}));
    run(kUndo);
    EXPECT_EQ(record(1), kept);
    EXPECT_EQ(PatchLabels(v->tree()), QStringList({"SPLIT 3 WAY ", "SINE/SAW VSW"}));

    // Cut takes it away in one step without asking; Paste brings it back.
    ui.clear();
    select(v, Item(v->tree(), "SINE/SAW VSW"));
    run(kCut);
    EXPECT_TRUE(ui.shown().empty()) << "Cut does not ask";
    EXPECT_EQ(record(1), std::vector<std::uint8_t>(256, 0));
    run(kPaste);
    EXPECT_EQ(record(1), kept) << "back in the first free position";
    run(kUndo);
    run(kUndo);
    EXPECT_EQ(record(1), kept);
    EXPECT_FALSE(enabled(kUndo));
}

TEST_F(PatchCommandsTest, OnlyPatchesAreDeletedOrRenamedAndANameKeepsTwelveCharactersZeroFilled) {
    auto* v = openDemo("a.s55");
    ASSERT_NE(v, nullptr);
    const auto image = test::ReadFile(dir / "a.s55");
    QTreeWidgetItem* tone = Item(v->tree(), "SPLIT 3 WAY", "SAW C3");
    const QString label = tone->text(0);
    select(v, tone);
    ui.answer(Answer::Yes);
    run(kDelete);
    ASSERT_EQ(ui.shown().size(), 2u);
    EXPECT_EQ(ui.shown()[1].text, ptext::kOnlyPatches);
    ui.clear();
    tone->setText(0, QStringLiteral("NEW NAME"));
    test::ExpectOneMessage(ui, ptext::kOnlyPatches);
    EXPECT_EQ(tone->text(0), label) << "the label stays";
    EXPECT_FALSE(enabled(kUndo));
    run(kSaveTone); // Save Patch of a tone item is refused too
    EXPECT_EQ(ui.shown().back().text, ptext::kOnlyPatches);
    EXPECT_TRUE(requests.empty());
    EXPECT_EQ(PatchLabels(v->tree()), QStringList({"SPLIT 3 WAY ", "SINE/SAW VSW"}));
    EXPECT_EQ(test::ReadFile(dir / "a.s55"), image);

    // A patch is renamed by editing its label, shown as the record keeps it.
    QTreeWidgetItem* it = Item(v->tree(), "SPLIT 3 WAY");
    ui.clear();
    select(v, it);
    it->setText(0, QStringLiteral("AB"));
    EXPECT_TRUE(ui.shown().empty());
    EXPECT_EQ(it->text(0), QStringLiteral("AB          "));
    const auto r = record(0);
    EXPECT_EQ(std::string(r.begin(), r.begin() + 12), std::string("AB") + std::string(10, '\0'));
    run(kUndo);
    EXPECT_EQ(it->text(0), QStringLiteral("SPLIT 3 WAY "));
}

TEST_F(PatchCommandsTest, MissingToneIsMappedKeptOrTheLoadCancelled) {
    auto* from = openDemo("a.s55");
    ASSERT_NE(from, nullptr);
    const auto pat = savedPatch(from, "SINE/SAW VSW", "vsw.pat");
    // The target has SAW C3 only: SINE A4, which plays every key of map 1, is missing.
    struct Case {
        const char* name;
        std::function<void(brisko::MapToneDialog*)> answer;
        bool loaded;
        std::string map1; // what every key of map 1 then names
    };
    const Case cases[] = {
        {"yes",
         [](brisko::MapToneDialog* d) {
             ASSERT_EQ(d->list()->count(), 1);
             emit d->list()->itemDoubleClicked(d->list()->item(0));
             d->yesButton()->click();
         },
         true, "SAW C3  "},
        {"no", [](brisko::MapToneDialog* d) { d->noButton()->click(); }, true, "kept"},
        {"cancel",
         [](brisko::MapToneDialog* d) {
             QApplication::processEvents();
             test::ExpectControlsNamed(d);
             EXPECT_GE(d->message()->height(), d->message()->heightForWidth(d->message()->width()));
             for (QPushButton* b : {d->yesButton(), d->noButton(), d->cancelButton()})
                 EXPECT_GE(b->width(), b->fontMetrics().horizontalAdvance(b->text().remove('&')));
             d->cancelButton()->click();
         },
         false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto* to = open(imageWithTones(std::string(c.name) + ".s55", {"SAW C3"}));
        ASSERT_NE(to, nullptr);
        const auto image = test::ReadFile(dir / (std::string(c.name) + ".s55"));
        QString message, title;
        WhenMapDialogShows([&](brisko::MapToneDialog* d) {
            message = d->message()->text();
            title = d->windowTitle();
            c.answer(d);
        });
        choose(pat);
        run(kLoadTone);
        EXPECT_EQ(title, QStringLiteral("Map missing tone"));
        EXPECT_TRUE(message.startsWith(QStringLiteral("Tone 'SINE A4 ' found in this patch is not on diskimage.\n\n")))
            << message.toStdString();
        EXPECT_TRUE(ui.shown().empty());
        EXPECT_EQ(Root(to->tree())->childCount(), c.loaded ? 1 : 0);
        EXPECT_EQ(enabled(kUndo), c.loaded);
        const auto r = record(0);
        if (!c.loaded) {
            EXPECT_EQ(r, std::vector<std::uint8_t>(256, 0));
            EXPECT_EQ(test::ReadFile(dir / (std::string(c.name) + ".s55")), image);
        } else {
            // Map 2's SAW C3 was found; map 1 went to the chosen tone or kept its number.
            EXPECT_EQ(to->editor()->areas().toneName(r[126]), "SAW C3  ");
            if (c.map1 == "kept") {
                EXPECT_EQ(r[17], 0) << "the file's number stays";
            } else {
                EXPECT_EQ(to->editor()->areas().toneName(r[17]), c.map1);
            }
            ui.answer(Answer::No); // closed unsaved
        }
        run(kClose);
        QApplication::processEvents();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        ui.clear();
    }
}

// Files and clipboard data that are no patch give their fixed message and change nothing.
TEST_F(PatchCommandsTest, BadFilesForeignClipboardDataAndAFullPatchAreaAreRefused) {
    auto* from = openDemo("a.s55");
    ASSERT_NE(from, nullptr);
    savedPatch(from, "SPLIT 3 WAY", "split.pat");
    test::WriteFile(dir / "text.pat", {'h', 'e', 'l', 'l', 'o', ' ', 'p', 'a', 't', 'c', 'h', '!'});
    auto* text = new QMimeData;
    text->setText(QStringLiteral("RPAT and more"));
    struct Case {
        const char* file;   // loaded; nullptr: `pasted` is on the clipboard
        QMimeData* pasted;
        std::string_view message;
        std::string_view title; // empty: not checked
        std::optional<Icon> icon;
    };
    const Case cases[] = {
        {"text.pat", nullptr, ptext::kNotRpat, ptext::kModuleFileTitle, Icon::Error},
        {"missing.pat", nullptr, ptext::kCantOpenFile, "Patch Editor", Icon::None},
        {nullptr, text, ptext::kNotRpat, {}, {}},
    };
    const auto image = test::ReadFile(dir / "a.s55");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file ? c.file : "pasted");
        ui.clear();
        if (c.file) {
            choose(dir / c.file);
            run(kLoadTone);
        } else {
            QApplication::clipboard()->setMimeData(c.pasted);
            run(kPaste);
        }
        test::ExpectOneMessage(ui, c.message, c.title);
        if (c.icon) {
            EXPECT_EQ(ui.shown()[0].icon, *c.icon);
        }
        EXPECT_EQ(Root(from->tree())->childCount(), 2);
        EXPECT_FALSE(enabled(kUndo));
    }
    // Filled up to the last position, the next load is refused before any chooser.
    for (int i = 0; i < 14; ++i) {
        choose(dir / "split.pat");
        run(kLoadTone);
    }
    EXPECT_EQ(freeText(), QStringLiteral("Patch positions free: 0"));
    const auto asked = requests.size();
    const auto full = record(15);
    ui.clear();
    run(kLoadTone);
    test::ExpectOneMessage(ui, ptext::kNoFreePatchPosition);
    EXPECT_EQ(requests.size(), asked);
    EXPECT_EQ(record(15), full);
    EXPECT_EQ(test::ReadFile(dir / "a.s55"), image);
}

TEST_F(PatchCommandsTest, NoTextIsCutAndEveryControlIsNamed) {
    const QFont original = QApplication::font();
    int n = 0;
    for (int points : {8, 22}) {
        SCOPED_TRACE(points);
        QFont f = original;
        f.setPointSize(points);
        QApplication::setFont(f);
        SetUp();
        frame->show();
        auto* v = openDemo("f" + std::to_string(n++) + ".s55");
        ASSERT_NE(v, nullptr);
        QApplication::processEvents();
        for (QTreeWidgetItemIterator walk(v->tree()); *walk; ++walk) {
            v->tree()->setCurrentItem(*walk);
            test::ExpectLabelsFit(v);
            QLabel* status = frame->statusPart(0);
            EXPECT_LE(status->fontMetrics().horizontalAdvance(status->text()), status->contentsRect().width());
        }
        // The whole panel shows, as far as the screen allows.
        EXPECT_TRUE(v->height() >= v->minimumSizeHint().height() ||
                    frame->height() >= frame->screen()->availableGeometry().height())
            << v->height() << " < " << v->minimumSizeHint().height();
        test::ExpectControlsNamed(frame.get());
        frame.reset();
    }
    QApplication::setFont(original);
}

TEST_F(PatchCommandsTest, FirstStartCreatesThePatchDirectoryAndItsPageSavesIt) {
    MemorySettingsStore store;
    store.createKey("");
    store.writeText("", "Main Path", dir.path().string());
    store.writeText("", "SDK Path", dir.path().string());
    PatchEditorSettings settings;
    ASSERT_TRUE(frame->start(&store, brisko::PatchSettingsSpec(settings)));
    EXPECT_TRUE(frame->firstStart());
    EXPECT_TRUE(std::filesystem::is_directory(dir / "Patches"));
    ui::PreferencesDialog* d = frame->showPreferences();
    ASSERT_NE(d, nullptr);
    EXPECT_FALSE(d->cancelButton()->isEnabled());
    EXPECT_EQ(d->tabs()->count(), 1) << "one page: the window group and the directory beside it";
    auto* path = qobject_cast<QLineEdit*>(d->control(3100));
    ASSERT_NE(path, nullptr);
    EXPECT_EQ(path->text().toStdString(), (dir / "Patches").string());
    path->setText(QString::fromStdString((dir / "Mine").string()));
    d->saveButton()->click();
    EXPECT_EQ(FieldString(settings.patchPath), (dir / "Mine").string());
    ASSERT_NE(store.find(kPatchEditorKey, "Patch Path"), nullptr);
    EXPECT_FALSE(frame->firstStart());

    // Load Patch starts in the directory the page set.
    makeFrame(ui::ModuleIdentity{"Patch Editor", msg::kPatchEditor, "Brisko.html", &PatchEditorMenus()},
              [&settings](Document& doc, ui::ModuleFrame& f, QWidget* parent) -> ui::DocumentView* {
                  return new brisko::PatchView(doc, f, parent, &settings);
              });
    std::filesystem::copy_file(test::DemoImage("demo.s55"), dir / "p.s55");
    ASSERT_TRUE(frame->openImage(dir / "p.s55"));
    frame->runCommand(kLoadTone);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].directory.toStdString(), (dir / "Mine").string());
    frame.reset(); // before the settings it shows
}

// The real library, started by the module host as the launcher's PATCH button and "-oP"
// start it; Send to Tone Editor hands the image over.
TEST(PatchModuleTest, LauncherStartsTheLibraryOpensTheImageAndSendsItToTheToneEditor) {
    test::TempDir dir;
    std::filesystem::copy_file(test::DemoImage("demo.s55"), dir / "p.s55");
    test::ScriptedUi ui;
    launcher::QtLibraryLoader loader(QString::fromStdString(test::BinDir().string()));
    launcher::ModuleHost host(loader, ui, 2);
    host.openFromCommandLine(launcher::kPatchButton, dir / "p.s55");
    const launcher::ModuleSlot* s = host.slotByCode(msg::kPatchEditor);
    ASSERT_EQ(s->state, launcher::ModuleState::Running) << s->failure;
    EXPECT_FALSE(s->buttonEnabled) << "the lamp shows the module running";
    ui::ModuleFrame* f = FrameOf(msg::kPatchEditor);
    ASSERT_NE(f, nullptr);
    EXPECT_TRUE(f->windowTitle().startsWith(QStringLiteral("Patch Editor")));
    auto* v = dynamic_cast<brisko::PatchView*>(f->activeWindow()->view());
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(Root(v->tree())->childCount(), 2);
    EXPECT_EQ(f->statusPart(0)->text(), QStringLiteral("Patch positions free: 14"));

    f->runCommand(kSendToTone);
    ASSERT_TRUE(WaitFor([] { return FrameOf(msg::kToneEditor) && FrameOf(msg::kToneEditor)->activeDocument(); }));
    EXPECT_EQ(FrameOf(msg::kToneEditor)->activeDocument()->path(), dir / "p.s55");
    EXPECT_EQ(f->activeDocument(), nullptr) << "the sender let the image go";
    // And back: the Tone Editor's Send to Patch Editor opens it here again.
    FrameOf(msg::kToneEditor)->runCommand(kSendToPatch);
    ASSERT_TRUE(WaitFor([&] { return f->activeDocument() != nullptr; }));
    EXPECT_EQ(f->activeDocument()->path(), dir / "p.s55");
    EXPECT_EQ(FrameOf(msg::kToneEditor)->activeDocument(), nullptr);
    for (std::uint32_t code : {msg::kToneEditor, msg::kPatchEditor}) {
        QPointer<ui::ModuleFrame> frame = FrameOf(code);
        frame->close();
        EXPECT_TRUE(WaitFor([&] { return frame.isNull(); }));
    }
    EXPECT_TRUE(WaitFor([&] { return s->state == launcher::ModuleState::Closed; }));
    EXPECT_TRUE(s->buttonEnabled);
}

} // namespace
