// The tone parameter dialog through its real widgets, opened by a double click in the
// Tone Editor window on copies of the demo images.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSlider>
#include <QTreeWidget>
#include <fstream>

#include "core/DiskDefinition.h"
#include "core/Geometry.h"
#include "core/ModuleMessages.h"
#include "frame/ui/ModuleFrame.h"
#include "tone/ui/EnvelopeDialog.h"
#include "tone/ui/ToneParameterDialog.h"
#include "tone/ui/ToneView.h"
#include "tests/gui/GuiHelpers.h"
#include "tests/support/GuiTestApp.h"
#include "tests/support/TestSupport.h"

using namespace veldin;
using namespace veldin::frame;

namespace {

QTreeWidgetItem* Find(QTreeWidget* tree, const char* label) {
    for (QTreeWidgetItemIterator walk(tree); *walk; ++walk)
        if ((*walk)->text(0).trimmed() == QLatin1String(label)) return *walk;
    return nullptr;
}

void Click(QWidget* w, QPoint at, QEvent::Type type) {
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent e(type, at, w->mapToGlobal(at), button, held, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

void Enter(QLineEdit* e, const QString& text) {
    e->setText(text);
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(e, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(e, &release);
}

// How many of 34 points along each diagonal of the graph have ink within a pixel.
int DiagonalInk(const QImage& img) {
    const QRgb bg = img.pixel(img.width() / 2 + 3, 3);
    int n = 0;
    for (int x = 15; x < 355; x += 10) {
        const int y = x * (img.height() - 1) / (img.width() - 1);
        for (int yy : {y, img.height() - 1 - y}) {
            bool ink = false;
            for (int dy = -1; dy <= 1; ++dy) ink = ink || img.pixel(x, std::clamp(yy + dy, 0, img.height() - 1)) != bg;
            n += ink;
        }
    }
    return n;
}

// A picture for a person to look at: build/screenshots/<name>.
void Shot(QWidget* w, const char* name) {
    const auto dir = std::filesystem::path(VELDIN_BIN_DIR).parent_path() / "screenshots";
    std::filesystem::create_directories(dir);
    QApplication::processEvents();
    EXPECT_TRUE(w->grab().save(QString::fromStdString((dir / name).string()))) << name;
}

template <class W>
W* Ctl(QWidget* d, int id) {
    return d->findChild<W*>(QStringLiteral("ctl%1").arg(id));
}

class ToneParameterDialogTest : public test::FrameFixture {
protected:
    void SetUp() override {
        makeFrame({"Tone Editor", msg::kToneEditor, "Quilla.html"},
                  [](Document& doc, ui::ModuleFrame& frame, QWidget* parent) -> ui::DocumentView* {
                      return new quilla::ToneView(doc, frame, parent);
                  });
    }
    void TearDown() override {
        QApplication::processEvents();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    quilla::ToneView* open(const std::string& demo, const std::string& as) {
        std::filesystem::copy_file(test::DemoImage(demo), dir / as);
        if (!frame->openImage(dir / as)) return nullptr;
        return dynamic_cast<quilla::ToneView*>(frame->activeWindow()->view());
    }

    // A double click on the tone's label, as a user does it.
    quilla::ToneParameterDialog* doubleClick(quilla::ToneView* v, const char* label) {
        QTreeWidgetItem* it = Find(v->tree(), label);
        if (!it) return nullptr;
        for (QTreeWidgetItem* up = it->parent(); up; up = up->parent()) up->setExpanded(true);
        frame->show();
        v->tree()->scrollToItem(it);
        QApplication::processEvents();
        const QPoint at = v->tree()->visualItemRect(it).center();
        QWidget* port = v->tree()->viewport();
        Click(port, at, QEvent::MouseButtonPress);
        Click(port, at, QEvent::MouseButtonRelease);
        Click(port, at, QEvent::MouseButtonDblClick);
        Click(port, at, QEvent::MouseButtonRelease);
        return v->findChild<quilla::ToneParameterDialog*>();
    }

    tone::ToneRecord record(quilla::ToneView* v, const char* label) {
        const QTreeWidgetItem* it = Find(v->tree(), label);
        const tone::ToneRef ref{static_cast<std::uint32_t>(it->data(0, Qt::UserRole + 2).toULongLong())};
        return *v->editor()->areas().find(ref);
    }

    void close(QDialog* d) {
        d->reject();
        QApplication::processEvents();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

};

TEST_F(ToneParameterDialogTest, OpensOnDoubleClickWithTheRecordInEveryControl) {
    auto* v = open("demo.s55", "a.s55");
    ASSERT_NE(v, nullptr);
    auto* d = doubleClick(v, "SINE A4");
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->windowTitle(), QStringLiteral("SINE A4 "));
    const tone::ToneRecord r = record(v, "SINE A4");
    EXPECT_EQ(Ctl<QLineEdit>(d, 1102)->text(), QString::number(r.startPoint()));
    EXPECT_EQ(Ctl<QLineEdit>(d, 1103)->text(), QString::number(r.loopPoint()));
    EXPECT_EQ(Ctl<QLineEdit>(d, 1104)->text(), QString::number(r.endPoint()));
    EXPECT_EQ(Ctl<QLabel>(d, 1105)->text(), QString::number(r.endPoint() - r.startPoint()));
    EXPECT_EQ(Ctl<QLineEdit>(d, 1106)->text(), QStringLiteral("A-4"));
    EXPECT_EQ(Ctl<QComboBox>(d, 1101)->currentText(), QStringLiteral("Fordward"));
    EXPECT_EQ(Ctl<QLineEdit>(d, 1602)->text(), QStringLiteral("127"));
    EXPECT_EQ(Ctl<QSlider>(d, 1601)->value(), 127);
    // Play is there when the system has a sound output, and says why when it is not.
    auto* play = Ctl<QAbstractButton>(d, 1);
    EXPECT_EQ(play->isEnabled(), quilla::ChoosePlaybackDevice(ToneEditorSettings{}).device.has_value());
    EXPECT_TRUE(play->isEnabled() || !play->toolTip().isEmpty());
    // Every slider sits where its mapping puts the byte, every control has a name.
    for (const tone::SliderControl& c : tone::ParameterSliders()) {
        auto* s = Ctl<QSlider>(d, c.sliderId);
        ASSERT_NE(s, nullptr) << c.sliderId;
        EXPECT_EQ(s->value(), tone::SliderPosition(c.mapping, r.bytes()[c.offset])) << c.sliderId;
        EXPECT_EQ(Ctl<QLineEdit>(d, c.editId)->maxLength(), 3);
    }
    for (QWidget* w : d->findChildren<QWidget*>()) {
        if (!w->objectName().startsWith(QLatin1String("ctl"))) continue;
        const auto* b = qobject_cast<QAbstractButton*>(w);
        EXPECT_FALSE(w->accessibleName().isEmpty() && (!b || b->text().isEmpty())) << w->objectName().toStdString();
    }
    EXPECT_EQ(d->graphWidget()->accessibleName(), QStringLiteral("Wave graph"));
    // The whole wave at the largest zoom step.
    auto* zoom = Ctl<QSlider>(d, 1118);
    EXPECT_EQ(zoom->maximum(), tone::GraphZoomMax(24576));
    EXPECT_EQ(zoom->value(), zoom->maximum());
    EXPECT_LE(d->graph().columns.size(), 368u);
    zoom->setValue(0);
    EXPECT_EQ(d->graph().columns.size(), 24576u);
    EXPECT_EQ(Ctl<QSlider>(d, 2000)->maximum(), 24576 - 368);
    close(d);
}

TEST_F(ToneParameterDialogTest, SlidersEditsAndPointsFollowEachOther) {
    auto* v = open("demo.s55", "a.s55");
    ASSERT_NE(v, nullptr);
    auto* d = doubleClick(v, "SINE A4");
    ASSERT_NE(d, nullptr);
    // Enter clamps for the slider, the edit keeps what was typed.
    Enter(Ctl<QLineEdit>(d, 1205), QStringLiteral("-99"));
    EXPECT_EQ(Ctl<QSlider>(d, 1204)->value(), 64); // LFO Offset -64, inverted
    EXPECT_EQ(Ctl<QLineEdit>(d, 1205)->text(), QStringLiteral("-99"));
    Ctl<QSlider>(d, 1200)->setValue(27);
    EXPECT_EQ(Ctl<QLineEdit>(d, 1201)->text(), QStringLiteral("100")); // 127 - position
    Ctl<QSlider>(d, 1301)->setValue(-12);
    EXPECT_EQ(Ctl<QLineEdit>(d, 1302)->text(), QStringLiteral("-12"));
    // Start beyond End becomes End, Loop follows; End beyond the wave stops at its end.
    Enter(Ctl<QLineEdit>(d, 1102), QStringLiteral("30000"));
    EXPECT_EQ(Ctl<QLineEdit>(d, 1102)->text(), QStringLiteral("24575"));
    EXPECT_EQ(Ctl<QLineEdit>(d, 1103)->text(), QStringLiteral("24575"));
    Enter(Ctl<QLineEdit>(d, 1104), QStringLiteral("999999"));
    EXPECT_EQ(Ctl<QLineEdit>(d, 1104)->text(), QStringLiteral("24576"));
    Enter(Ctl<QLineEdit>(d, 1104), QStringLiteral("100"));
    EXPECT_EQ(Ctl<QLineEdit>(d, 1102)->text(), QStringLiteral("100"));
    EXPECT_EQ(Ctl<QLineEdit>(d, 1103)->text(), QStringLiteral("100"));
    const auto& m = d->graph().markers;
    ASSERT_GE(m.size(), 3u);
    EXPECT_EQ(m.back().label, "End");
    EXPECT_EQ(m.back().column, 100 * static_cast<std::int64_t>(d->graph().columns.size()) / 24576);
    // Non-digits are refused.
    auto* cutoff = Ctl<QLineEdit>(d, 1413);
    cutoff->setText(QString());
    QKeyEvent letter(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    QApplication::sendEvent(cutoff, &letter);
    EXPECT_TRUE(cutoff->text().isEmpty());
    // The polarity caption follows its state.
    auto* pol = Ctl<QAbstractButton>(d, 1207);
    const bool was = pol->isChecked();
    pol->click();
    EXPECT_EQ(pol->text(), was ? QStringLiteral("Polarity +") : QStringLiteral("Polarity -"));
    close(d);
}

TEST_F(ToneParameterDialogTest, ApplyIsOneUndoStepThatRestoresTheRecordAndCancelChangesNothing) {
    auto* v = open("demo.s55", "a.s55");
    ASSERT_NE(v, nullptr);
    const tone::ToneRecord before = record(v, "SINE A4");
    const std::vector<std::uint8_t> area = v->editor()->areas().ram()->bytes;

    auto* d = doubleClick(v, "SINE A4");
    ASSERT_NE(d, nullptr);
    Enter(Ctl<QLineEdit>(d, 1103), QStringLiteral("2000"));
    Ctl<QLineEdit>(d, 1602)->setText(QStringLiteral("90"));
    Ctl<QLineEdit>(d, 1106)->setText(QStringLiteral("c4"));
    Ctl<QComboBox>(d, 1101)->setCurrentIndex(2);
    Ctl<QComboBox>(d, 1409)->setCurrentIndex(4);
    d->reject();
    EXPECT_EQ(record(v, "SINE A4"), before);
    EXPECT_FALSE(frame->action(kUndo)->isEnabled());
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    d = doubleClick(v, "SINE A4");
    ASSERT_NE(d, nullptr);
    Enter(Ctl<QLineEdit>(d, 1103), QStringLiteral("2000"));
    Ctl<QLineEdit>(d, 1602)->setText(QStringLiteral("90"));
    Ctl<QLineEdit>(d, 1106)->setText(QStringLiteral("c4"));
    Ctl<QComboBox>(d, 1101)->setCurrentIndex(2);
    Ctl<QComboBox>(d, 1409)->setCurrentIndex(4);
    Ctl<QAbstractButton>(d, 1100)->click();
    const tone::ToneRecord after = record(v, "SINE A4");
    EXPECT_EQ(after.loopPoint(), 2000u);
    EXPECT_EQ(after.loopLength(), after.endPoint() - 2000u);
    EXPECT_EQ(after.volume(), 90);
    EXPECT_EQ(after.origKey(), 61);
    EXPECT_EQ(after.loopMode(), 2);
    EXPECT_EQ(after.tvfLevelCurve(), 4);
    // The window's panel follows.
    EXPECT_EQ(v->infoLine(tone::kLineLoop)->text(), QStringLiteral("Loop: 2000"));
    EXPECT_TRUE(ui.shown().empty());

    frame->action(kUndo)->trigger();
    EXPECT_EQ(record(v, "SINE A4"), before);
    EXPECT_EQ(v->editor()->areas().ram()->bytes, area);
    EXPECT_FALSE(frame->action(kUndo)->isEnabled()) << "one step";
    frame->action(kRedo)->trigger();
    EXPECT_EQ(record(v, "SINE A4"), after);
}

TEST_F(ToneParameterDialogTest, S50DisksDisableAndKeepEveryTvfByte) {
    auto* v = open("demo.s50", "a.s50");
    ASSERT_NE(v, nullptr);
    const tone::ToneRecord before = record(v, "SAW C3");
    auto* d = doubleClick(v, "SAW C3");
    ASSERT_NE(d, nullptr);
    for (int id = 1400; id <= 1417; ++id)
        if (QWidget* w = Ctl<QWidget>(d, id)) {
            EXPECT_FALSE(w->isEnabled()) << id;
            if (auto* e = qobject_cast<QLineEdit*>(w)) e->setText(QStringLiteral("77"));
            if (auto* b = qobject_cast<QAbstractButton*>(w)) b->setChecked(!b->isChecked());
            if (auto* c = qobject_cast<QComboBox*>(w)) c->setCurrentIndex(5);
        }
    EXPECT_TRUE(Ctl<QWidget>(d, 1500)->isEnabled());
    Ctl<QLineEdit>(d, 1501)->setText(QStringLiteral("55"));
    Ctl<QAbstractButton>(d, 1100)->click();
    const tone::ToneRecord after = record(v, "SAW C3");
    for (std::size_t off : {38u, 39u, 40u, 42u, 43u, 44u, 45u, 46u, 47u, 49u})
        EXPECT_EQ(after.bytes()[off], before.bytes()[off]) << off;
    EXPECT_EQ(after.tvaKeyRate(), 55);
}

TEST_F(ToneParameterDialogTest, GraphPaintsTheWaveOrTheMessageForRomTones) {
    // A W-30 image with one tone in the second tone area, whose wave the image lacks.
    const DiskDefinition* w30 = nullptr;
    for (const DiskDefinition& def : DefinitionTable())
        if (def.extension == ".sdk" && def.toneSector2 >= 0) w30 = &def;
    ASSERT_NE(w30, nullptr);
    std::filesystem::copy_file(test::DemoImage("demo.sdk"), dir / "rom.sdk");
    {
        tone::ToneRecord rom;
        rom.setName("ROMPIANO");
        rom.setWaveBank(2); // the second area's bank A
        rom.setSegmentCount(22);
        rom.setEndPoint(20000);
        rom.setLoopPoint(10000);
        rom.setOrigKey(60);
        std::fstream f(dir / "rom.sdk", std::ios::in | std::ios::out | std::ios::binary);
        const auto at = SectorToOffset(w30->toneSector2);
        f.seekp(at);
        f.write(reinterpret_cast<const char*>(rom.bytes().data()), 128);
        f.seekp(at + static_cast<std::int64_t>(w30->toneCount2) * 128);
        f.write(reinterpret_cast<const char*>(rom.bytes().data()), 16);
    }
    ASSERT_TRUE(frame->openImage(dir / "rom.sdk"));
    auto* v = dynamic_cast<quilla::ToneView*>(frame->activeWindow()->view());
    ASSERT_NE(v, nullptr);
    auto* d = doubleClick(v, "ROMPIANO");
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(Ctl<QSlider>(d, 1118)->maximum(), 0);
    EXPECT_FALSE(Ctl<QAbstractButton>(d, 1)->isEnabled()) << "no wave to play";
    EXPECT_FALSE(Ctl<QAbstractButton>(d, 1)->toolTip().isEmpty());
    QImage noWave(d->graphWidget()->size(), QImage::Format_RGB32);
    d->graphWidget()->render(&noWave);
    // A diagonal runs through the frame's corners; an End typed stays inside the segments.
    EXPECT_GE(DiagonalInk(noWave), 2 * 34 - 8); // the message covers the crossing
    Shot(d, "tone-parameters-rom-tone.png");
    Enter(Ctl<QLineEdit>(d, 1104), QStringLiteral("999999"));
    EXPECT_EQ(Ctl<QLineEdit>(d, 1104)->text(), QString::number(22 * 12288));
    close(d);

    d = doubleClick(v, "SINE A4");
    ASSERT_NE(d, nullptr);
    QImage wave(d->graphWidget()->size(), QImage::Format_RGB32);
    d->graphWidget()->render(&wave);
    // No diagonals, but the wave and the End marker's line.
    EXPECT_LT(DiagonalInk(wave), 34);
    const int endX = 1 + static_cast<int>(d->graph().markers.back().column);
    EXPECT_EQ(QColor(wave.pixel(endX, 150)), QColor(255, 100, 100));
    int inked = 0;
    for (int y = 1; y < 158; ++y) inked += wave.pixel(40, y) != wave.pixel(12, 150);
    EXPECT_GT(inked, 0);
    Shot(d, "tone-parameters-ram-tone.png");
    close(d);
}

TEST_F(ToneParameterDialogTest, EnvelopeEditorDragsTypesAndAppliesOnlyWithTheDialogsApply) {
    auto* v = open("demo.s55", "a.s55");
    ASSERT_NE(v, nullptr);
    const tone::ToneRecord before = record(v, "SINE A4");
    for (bool applyTone : {false, true}) {
        SCOPED_TRACE(applyTone);
        auto* d = doubleClick(v, "SINE A4");
        ASSERT_NE(d, nullptr);
        auto* button = Ctl<QAbstractButton>(d, 1506);
        button->click();
        auto* env = d->findChild<quilla::EnvelopeDialog*>();
        ASSERT_NE(env, nullptr);
        EXPECT_EQ(env->windowTitle(), QStringLiteral("Envelope Editor"));
        EXPECT_EQ(env->graph()->accessibleName(), QStringLiteral("Envelope graph"));
        if (!applyTone) Shot(env, "envelope-editor.png");
        auto* apply = Ctl<QAbstractButton>(env, 1);
        EXPECT_FALSE(apply->isEnabled());
        // Drag the first point 10 pixels up and 5 to the right.
        ASSERT_FALSE(env->points().empty());
        const tone::EnvelopePoint p0 = env->points().front();
        const int level0 = tone::Level(env->envelope(), 0), rate0 = tone::Rate(env->envelope(), 0);
        const tone::EnvelopeBytes opened = env->envelope();
        Click(env->graph(), QPoint(p0.x, p0.y), QEvent::MouseButtonPress);
        Click(env->graph(), QPoint(p0.x + 5, p0.y - 10), QEvent::MouseMove);
        Click(env->graph(), QPoint(p0.x + 5, p0.y - 10), QEvent::MouseButtonRelease);
        EXPECT_EQ(tone::Level(env->envelope(), 0), std::min(127, level0 + 10));
        EXPECT_EQ(tone::Rate(env->envelope(), 0), std::max(1, rate0 - 5));
        EXPECT_NE(env->envelope(), opened);
        EXPECT_EQ(Ctl<QLineEdit>(env, 1100)->text(), QString::number(tone::Level(env->envelope(), 0)));
        EXPECT_TRUE(apply->isEnabled());
        // A level typed into the end step stays 0; a rate of 0 becomes 1.
        const int end = tone::EndPoint(env->envelope());
        Enter(Ctl<QLineEdit>(env, 1100 + 2 * end), QStringLiteral("99"));
        EXPECT_EQ(Ctl<QLineEdit>(env, 1100 + 2 * end)->text(), QStringLiteral("0"));
        Enter(Ctl<QLineEdit>(env, 1101), QStringLiteral("0"));
        EXPECT_EQ(tone::Rate(env->envelope(), 0), 1);
        // Presets: stored, changed, loaded back; one never stored changes nothing.
        const tone::EnvelopeBytes kept = env->envelope();
        Ctl<QAbstractButton>(env, 1201)->click(); // Store Preset 1
        Enter(Ctl<QLineEdit>(env, 1102), QStringLiteral("3"));
        EXPECT_NE(env->envelope(), kept);
        Ctl<QAbstractButton>(env, 1200)->click(); // Load Preset 1
        EXPECT_EQ(env->envelope(), kept);
        Ctl<QAbstractButton>(env, 1204)->click(); // Load Preset 3, never stored
        EXPECT_EQ(env->envelope(), kept);
        apply->click();
        EXPECT_FALSE(apply->isEnabled());
        EXPECT_TRUE(std::equal(kept.begin(), kept.end(), d->working().tvaEnvelope().begin()));
        env->reject();
        EXPECT_FALSE(button->isChecked());
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        if (!applyTone) {
            d->reject(); // Cancel after an envelope edit: nothing changes
            EXPECT_EQ(record(v, "SINE A4"), before);
            EXPECT_FALSE(frame->action(kUndo)->isEnabled());
            QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            continue;
        }
        Ctl<QAbstractButton>(d, 1100)->click();
        const tone::ToneRecord after = record(v, "SINE A4");
        EXPECT_TRUE(std::equal(kept.begin(), kept.end(), after.tvaEnvelope().begin()));
        EXPECT_TRUE(std::equal(before.tvfEnvelope().begin(), before.tvfEnvelope().end(), after.tvfEnvelope().begin()));
    }
}

} // namespace
