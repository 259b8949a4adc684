#include "tone/ui/ToneParameterDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSlider>
#include <QVBoxLayout>
#include <cmath>

#include "tone/ui/EnvelopeDialog.h"

namespace veldin::quilla {
namespace {

QString Q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
QString Id(int id) { return QStringLiteral("ctl%1").arg(id); }
constexpr const char* kNoWave = "Can't show graph. ROM wave is not available.";
QColor Colour(tone::Rgb c) { return QColor(c.r, c.g, c.b); }

// The pictures of the LFO modes and the level curves, as wide as three of their rows.
QIcon ShapeIcon(int comboId, int index, int height) {
    const int w = 3 * height;
    QPixmap pm(w, height);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x1d, 0x3a, 0x5f), 1.4));
    QPainterPath path;
    const double top = 1.5, bottom = height - 1.5;
    if (comboId == 1208 && index == 0) { // a sine
        path.moveTo(1, height / 2.0);
        for (int x = 1; x < w; ++x) path.lineTo(x, height / 2.0 - (bottom - top) / 2 * std::sin((x - 1) * 2 * M_PI / (w - 2)));
    } else if (comboId == 1208) { // sample and hold: a staircase of random-looking steps
        static constexpr double kSteps[] = {0.3, 0.9, 0.1, 0.6, 0.8, 0.2};
        const double step = (w - 2) / 6.0;
        path.moveTo(1, top + (bottom - top) * kSteps[0]);
        for (int i = 0; i < 6; ++i) {
            const double y = top + (bottom - top) * kSteps[i];
            path.lineTo(1 + step * i, y);
            path.lineTo(1 + step * (i + 1), y);
        }
    } else { // level curve k: from linear (0) over ever steeper exponential and log shapes
        static constexpr double kPower[] = {1.0, 2.0, 4.0, 0.5, 0.25, 8.0};
        path.moveTo(1, bottom);
        for (int x = 1; x < w; ++x) {
            const double t = (x - 1) / double(w - 2);
            path.lineTo(x, bottom - (bottom - top) * std::pow(t, kPower[index]));
        }
    }
    p.drawPath(path);
    return QIcon(pm);
}

QString ComboItemName(int comboId, int index, std::string_view item) {
    if (comboId == 1409 || comboId == 1507) return QStringLiteral("Curve %1").arg(index);
    return Q(item);
}

bool IsPictureCombo(int id) { return id == 1208 || id == 1409 || id == 1507; }

QLineEdit* NumberEdit(QWidget* parent, int id, int maxLength, bool allowMinus, const QString& name) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(Id(id));
    e->setMaxLength(maxLength);
    e->setAccessibleName(name);
    // Only digits (and a minus for signed fields) are typed.
    e->setValidator(new QRegularExpressionValidator(
        QRegularExpression(allowMinus ? QStringLiteral("-?[0-9]*") : QStringLiteral("[0-9]*")), e));
    e->setFixedWidth(e->fontMetrics().horizontalAdvance(QString(maxLength + 1, QLatin1Char('0'))) + 12);
    return e;
}

} // namespace

WaveGraphWidget::WaveGraphWidget(QWidget* parent) : QWidget(parent) {
    setObjectName(Id(1001));
    setAccessibleName(QStringLiteral("Wave graph"));
    setFixedSize(tone::kGraphWidth, tone::kGraphHeight);
}

void WaveGraphWidget::show(const tone::WaveGraph* graph, int scroll) {
    graph_ = graph;
    scroll_ = scroll;
    update();
}

void WaveGraphWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().window());
    p.setPen(palette().color(QPalette::WindowText));
    p.drawRect(0, 0, tone::kGraphWidth - 1, tone::kGraphHeight - 1);
    if (!graph_) {
        p.drawLine(0, 0, tone::kGraphWidth - 1, tone::kGraphHeight - 1);
        p.drawLine(0, tone::kGraphHeight - 1, tone::kGraphWidth - 1, 0);
        // Wrapped inside the frame, so a large font is not cut off.
        const QRect box = rect().adjusted(8, 8, -8, -8);
        const QRect need = p.fontMetrics().boundingRect(box, Qt::AlignCenter | Qt::TextWordWrap, QLatin1String(kNoWave));
        p.fillRect(need.adjusted(-4, -2, 4, 2), palette().window());
        p.drawText(box, Qt::AlignCenter | Qt::TextWordWrap, QLatin1String(kNoWave));
        return;
    }
    p.setPen(QColor(0x9a, 0xa3, 0xad));
    p.drawLine(1, tone::kGraphCentre, tone::kGraphVisible, tone::kGraphCentre);
    const auto& cols = graph_->columns;
    const std::size_t from = std::min(static_cast<std::size_t>(std::max(scroll_, 0)), cols.size());
    const std::size_t count = std::min(cols.size() - from, static_cast<std::size_t>(tone::kGraphVisible));
    QPolygon line(static_cast<int>(count));
    for (std::size_t i = 0; i < count; ++i) line.setPoint(static_cast<int>(i), 1 + static_cast<int>(i), cols[from + i]);
    p.setPen(QColor(0x1d, 0x3a, 0x5f));
    p.drawPolyline(line);
    const QFontMetrics fm = p.fontMetrics();
    for (const tone::GraphMarker& m : graph_->markers) {
        if (m.column < static_cast<std::int64_t>(from) || m.column >= static_cast<std::int64_t>(from + tone::kGraphVisible))
            continue;
        const int x = 1 + static_cast<int>(m.column - static_cast<std::int64_t>(from));
        p.setPen(Colour(m.colour));
        p.drawLine(x, 1, x, tone::kGraphHeight - 2);
        // The label in a dark box to the right of its line: white and the light marker
        // colours would not show on the window background.
        const QString text = Q(m.label);
        const QRect box(x + 2, 2 + m.labelRow * (fm.height() + 2), fm.horizontalAdvance(text) + 4, fm.height());
        p.fillRect(box, Colour(tone::kSegmentColour));
        p.setPen(m.colour == tone::kSegmentColour ? QColor(Qt::white) : Colour(m.colour));
        p.drawText(box, Qt::AlignCenter, text);
    }
}

ToneParameterDialog::ToneParameterDialog(const tone::ToneRecord& record, std::optional<std::vector<std::uint16_t>> samples,
                                         std::int64_t waveLength, bool s50, PlaybackDevice output, QWidget* parent)
    : QDialog(parent), working_(record), result_(record), samples_(std::move(samples)), waveLength_(waveLength), s50_(s50),
      output_(std::move(output)) {
    setObjectName(QStringLiteral("dlg902"));
    setWindowTitle(Q(record.displayName()));
    sliders_.resize(tone::ParameterSliders().size());
    edits_.resize(tone::ParameterSliders().size());
    checks_.resize(tone::ParameterChecks().size());
    combos_.resize(tone::ParameterCombos().size());
    auto* grid = new QGridLayout(this);
    grid->addWidget(buildGraph(), 0, 0, 1, 2);
    grid->addWidget(buildLoop(), 0, 2);
    grid->addWidget(buildGroup(QStringLiteral("LFO"), 1200, 1299), 1, 0);
    grid->addWidget(buildGroup(QStringLiteral("Pitch"), 1300, 1399), 1, 1);
    grid->addWidget(buildGroup(QStringLiteral("Output"), 1600, 1699), 1, 2);
    grid->addWidget(buildGroup(QStringLiteral("TVF"), 1400, 1499), 2, 0, 1, 2);
    grid->addWidget(buildGroup(QStringLiteral("TVA"), 1500, 1599), 2, 2);

    auto* buttons = new QHBoxLayout;
    auto button = [&](const QString& text, int id) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(Id(id));
        // Enter in an edit box confirms the number; it must not press a button.
        b->setAutoDefault(false);
        buttons->addWidget(b);
        return b;
    };
    play_ = button(QStringLiteral("Play"), 1);
    play_->setCheckable(true); // pressed while the tone sounds
    player_ = new TonePlayer(this);
    player_->stopped = [this] { play_->setChecked(false); };
    if (!samples_) output_ = {std::nullopt, Q(tone::PlayBlockText(tone::PlayBlock::NoWave))};
    play_->setEnabled(output_.device.has_value());
    play_->setToolTip(output_.why);
    connect(play_, &QPushButton::clicked, this, [this] { togglePlay(); });
    buttons->addStretch();
    connect(button(QStringLiteral("Apply"), 1100), &QPushButton::clicked, this, [this] { apply(); });
    connect(button(QStringLiteral("Cancel"), 2), &QPushButton::clicked, this, &QDialog::reject);
    grid->addLayout(buttons, 3, 0, 1, 3);

    // Every control from the record.
    const tone::ParameterValues v = tone::ValuesOf(record);
    const auto sliders = tone::ParameterSliders();
    for (std::size_t i = 0; i < sliders.size(); ++i) {
        sliders_[i]->setValue(tone::SliderPosition(sliders[i].mapping, record.bytes()[sliders[i].offset]));
        edits_[i]->setText(QString::number(v.sliders[i]));
    }
    const auto checks = tone::ParameterChecks();
    for (std::size_t i = 0; i < checks.size(); ++i) {
        checks_[i]->setChecked(v.checks[i]);
        if (checks[i].polarity) checks_[i]->setText(Q(tone::PolarityCaption(checks[i].label, v.checks[i])));
    }
    for (std::size_t i = 0; i < combos_.size(); ++i) combos_[i]->setCurrentIndex(v.combos[i]);
    points_[0]->setText(QString::number(v.points.start));
    points_[1]->setText(QString::number(v.points.loop));
    points_[2]->setText(QString::number(v.points.end));
    key_->setText(Q(v.origKey));
    rebuildGraph();
}

QWidget* ToneParameterDialog::buildGraph() {
    auto* box = new QWidget(this);
    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(0, 0, 0, 0);
    graphWidget_ = new WaveGraphWidget(box);
    grid->addWidget(graphWidget_, 0, 0);
    scroll_ = new QSlider(Qt::Horizontal, box);
    scroll_->setObjectName(Id(2000));
    scroll_->setAccessibleName(QStringLiteral("Graph position"));
    scroll_->setFixedWidth(tone::kGraphWidth);
    grid->addWidget(scroll_, 1, 0);
    auto* zoomLabel = new QLabel(QStringLiteral("Zoom"), box);
    zoom_ = new QSlider(Qt::Vertical, box);
    zoom_->setObjectName(Id(1118));
    zoom_->setAccessibleName(QStringLiteral("Zoom"));
    zoomLabel->setBuddy(zoom_);
    const int zmax = samples_ ? tone::GraphZoomMax(samples_->size()) : 0;
    zoom_->setRange(0, zmax);
    zoom_->setValue(zmax);
    zoom_->setInvertedAppearance(true);
    auto* zoomColumn = new QVBoxLayout;
    zoomColumn->addWidget(zoomLabel, 0, Qt::AlignHCenter);
    zoomColumn->addWidget(zoom_, 1, Qt::AlignHCenter);
    grid->addLayout(zoomColumn, 0, 1);
    grid->setColumnStretch(2, 1);
    connect(zoom_, &QSlider::valueChanged, this, [this] { rebuildGraph(); });
    connect(scroll_, &QSlider::valueChanged, this, [this](int c) { scrollTo(c); });
    return box;
}

QWidget* ToneParameterDialog::buildLoop() {
    auto* box = new QGroupBox(QStringLiteral("Loop"), this);
    auto* grid = new QGridLayout(box);
    int row = 0;
    auto labelled = [&](const QString& text, QWidget* w) {
        auto* l = new QLabel(text, box);
        l->setBuddy(w);
        grid->addWidget(l, row, 0);
        grid->addWidget(w, row++, 1);
    };
    const tone::ComboControl& mode = tone::ParameterCombos()[0];
    auto* combo = new QComboBox(box);
    combo->setObjectName(Id(mode.id));
    combo->setAccessibleName(QStringLiteral("Loop Mode"));
    for (std::string_view item : mode.items) combo->addItem(Q(item));
    combos_[0] = combo;
    labelled(QStringLiteral("Mode"), combo);
    const char* names[] = {"Start:", "Loop:", "End:"};
    const tone::PointField fields[] = {tone::PointField::Start, tone::PointField::Loop, tone::PointField::End};
    for (int i = 0; i < 3; ++i) {
        points_[i] = NumberEdit(box, 1102 + i, 6, false, QString::fromLatin1(names[i]).chopped(1));
        connect(points_[i], &QLineEdit::returnPressed, this, [this, f = fields[i]] { pointConfirmed(f); });
        labelled(QString::fromLatin1(names[i]), points_[i]);
    }
    auto* length = new QLabel(QString::number(static_cast<std::int64_t>(working_.endPoint()) - working_.startPoint()), box);
    length->setObjectName(Id(1105));
    length->setAccessibleName(QStringLiteral("Lenght"));
    labelled(QStringLiteral("Lenght"), length);
    // "C--1" for the lowest keys needs a fourth character.
    key_ = new QLineEdit(box);
    key_->setObjectName(Id(1106));
    key_->setMaxLength(4);
    key_->setAccessibleName(QStringLiteral("Orig.Key"));
    key_->setFixedWidth(key_->fontMetrics().horizontalAdvance(QStringLiteral("C#-10")) + 12);
    labelled(QStringLiteral("Orig.Key"), key_);
    grid->setRowStretch(row, 1);
    return box;
}

std::size_t ToneParameterDialog::sliderColumn(const tone::SliderControl& c, const QString& group, QWidget* parent) {
    const auto i = static_cast<std::size_t>(&c - tone::ParameterSliders().data());
    const bool vertical = tone::IsVertical(c.mapping);
    auto* s = new QSlider(vertical ? Qt::Vertical : Qt::Horizontal, parent);
    s->setObjectName(Id(c.sliderId));
    s->setAccessibleName(group + QLatin1Char(' ') + Q(c.label));
    if (c.mapping == tone::SliderMapping::VerticalInvertedSigned) s->setRange(-c.max, -c.min);
    else if (c.mapping == tone::SliderMapping::VerticalInverted) s->setRange(0, 127);
    else s->setRange(c.min, c.max);
    // Position 0 of a vertical slider is its top: the highest value.
    if (vertical) s->setInvertedAppearance(true);
    if (vertical) s->setMinimumHeight(100);
    else s->setMinimumWidth(128);
    auto* e = NumberEdit(parent, c.editId, 3, c.min < 0, s->accessibleName() + QStringLiteral(" value"));
    sliders_[i] = s;
    edits_[i] = e;
    connect(s, &QSlider::valueChanged, this, [this, &c](int pos) { sliderMoved(c, pos); });
    connect(e, &QLineEdit::returnPressed, this, [this, &c] { editConfirmed(c); });
    return i;
}

QWidget* ToneParameterDialog::buildGroup(const QString& title, int firstId, int lastId) {
    auto* box = new QGroupBox(title, this);
    auto* grid = new QGridLayout(box);
    auto inGroup = [&](int id) { return id >= firstId && id <= lastId; };
    // Vertical sliders as columns on the left: caption, slider, value.
    int column = 0;
    for (const tone::SliderControl& c : tone::ParameterSliders()) {
        if (!inGroup(c.sliderId) || !tone::IsVertical(c.mapping)) continue;
        const std::size_t i = sliderColumn(c, title, box);
        auto* l = new QLabel(Q(c.label), box);
        l->setBuddy(sliders_[i]);
        grid->addWidget(l, 0, column, Qt::AlignHCenter);
        grid->addWidget(sliders_[i], 1, column, Qt::AlignHCenter);
        grid->addWidget(edits_[i], 2, column, Qt::AlignHCenter);
        ++column;
    }
    // Checks and combos in a column of their own.
    auto* side = new QVBoxLayout;
    const auto checks = tone::ParameterChecks();
    for (const tone::CheckControl& c : checks) {
        if (!inGroup(c.id)) continue;
        QAbstractButton* b = nullptr;
        if (c.polarity) {
            auto* push = new QPushButton(Q(tone::PolarityCaption(c.label, true)), box);
            push->setCheckable(true);
            push->setAutoDefault(false);
            // The caption follows the pressed state: "-" pressed (1), "+" released.
            connect(push, &QPushButton::toggled, push,
                    [push, &c](bool on) { push->setText(Q(tone::PolarityCaption(c.label, on))); });
            b = push;
        } else {
            b = new QCheckBox(Q(c.label), box);
        }
        b->setObjectName(Id(c.id));
        b->setAccessibleName(Q(c.label));
        checks_[static_cast<std::size_t>(&c - checks.data())] = b;
        side->addWidget(b);
    }
    // The envelope of the TVF (bytes 107-124) or the TVA (51-68) in the envelope editor.
    if (firstId == 1400 || firstId == 1500) {
        auto* env = new QPushButton(QStringLiteral("Envelope"), box);
        env->setObjectName(Id(firstId == 1400 ? 1408 : 1506));
        env->setAccessibleName(title + QStringLiteral(" Envelope"));
        env->setCheckable(true);
        env->setAutoDefault(false);
        const std::size_t offset = firstId == 1400 ? 107 : 51;
        connect(env, &QPushButton::clicked, this, [this, env, offset] { editEnvelope(env, offset); });
        side->addWidget(env);
    }
    const auto combos = tone::ParameterCombos();
    for (const tone::ComboControl& c : combos.subspan(1)) {
        if (!inGroup(c.id)) continue;
        auto* combo = new QComboBox(box);
        combo->setObjectName(Id(c.id));
        combo->setAccessibleName(title + QLatin1Char(' ') + Q(c.label));
        const int h = std::max(12, combo->fontMetrics().height());
        if (IsPictureCombo(c.id)) combo->setIconSize(QSize(3 * h, h));
        for (std::size_t i = 0; i < c.items.size(); ++i) {
            const int index = static_cast<int>(i);
            if (IsPictureCombo(c.id)) {
                combo->addItem(ShapeIcon(c.id, index, h), QString());
                combo->setItemData(index, ComboItemName(c.id, index, c.items[i]), Qt::AccessibleTextRole);
                combo->setItemData(index, ComboItemName(c.id, index, c.items[i]), Qt::ToolTipRole);
            } else {
                combo->addItem(Q(c.items[i]));
            }
        }
        combos_[static_cast<std::size_t>(&c - combos.data())] = combo;
        auto* row = new QHBoxLayout;
        auto* l = new QLabel(Q(c.label), box);
        l->setBuddy(combo);
        row->addWidget(l);
        row->addWidget(combo, 1);
        side->addLayout(row);
    }
    side->addStretch();
    grid->addLayout(side, 0, column, 3, 1);
    // Horizontal sliders in rows below: caption, slider, value.
    int row = 3;
    for (const tone::SliderControl& c : tone::ParameterSliders()) {
        if (!inGroup(c.sliderId) || tone::IsVertical(c.mapping)) continue;
        const std::size_t i = sliderColumn(c, title, box);
        auto* l = new QLabel(Q(c.label), box);
        l->setBuddy(sliders_[i]);
        grid->addWidget(l, row, 0, 1, std::max(column, 1));
        auto* line = new QHBoxLayout;
        line->addWidget(sliders_[i], 1);
        line->addWidget(edits_[i]);
        grid->addLayout(line, row, std::max(column, 1), 1, 1);
        ++row;
        if (c.sliderId == 1601) { // the volume's scale
            auto* scale = new QHBoxLayout;
            scale->addWidget(new QLabel(QStringLiteral("0"), box));
            scale->addStretch();
            scale->addWidget(new QLabel(QStringLiteral("127"), box));
            scale->addSpacing(edits_[i]->width());
            grid->addLayout(scale, row++, std::max(column, 1));
        }
    }
    grid->setRowStretch(row, 1);
    if (s50_ && firstId == 1400) box->setEnabled(false);
    return box;
}

void ToneParameterDialog::sliderMoved(const tone::SliderControl& c, int position) {
    if (moving_) return;
    const auto i = static_cast<std::size_t>(&c - tone::ParameterSliders().data());
    edits_[i]->setText(QString::number(tone::SliderValue(c.mapping, position)));
}

void ToneParameterDialog::editConfirmed(const tone::SliderControl& c) {
    const auto i = static_cast<std::size_t>(&c - tone::ParameterSliders().data());
    const int v = tone::ClampToField(c, edits_[i]->text().toLongLong());
    // The slider moves to the clamped value; the edit keeps the text as typed.
    moving_ = true;
    sliders_[i]->setValue(tone::SliderPosition(c.mapping, static_cast<std::uint8_t>(v & 0xFF)));
    moving_ = false;
}

tone::LoopPoints ToneParameterDialog::typedPoints() const {
    return {points_[0]->text().toLongLong(), points_[1]->text().toLongLong(), points_[2]->text().toLongLong()};
}

void ToneParameterDialog::pointConfirmed(tone::PointField field) {
    const tone::LoopPoints now = typedPoints();
    const std::int64_t typed = field == tone::PointField::Start ? now.start : field == tone::PointField::Loop ? now.loop : now.end;
    const tone::LoopPoints p = tone::ConfirmPoint(now, field, typed, waveLength_);
    points_[0]->setText(QString::number(p.start));
    points_[1]->setText(QString::number(p.loop));
    points_[2]->setText(QString::number(p.end));
    rebuildMarkers();
}

void ToneParameterDialog::rebuildGraph() {
    if (!samples_) {
        graphWidget_->show(nullptr, 0);
        scroll_->setRange(0, 0);
        return;
    }
    graph_ = tone::BuildGraph(*samples_, zoom_->value());
    rebuildMarkers();
    scroll_->setRange(0, tone::GraphScrollMax(graph_.columns.size()));
    scroll_->setPageStep(tone::kGraphVisible);
    scrollTo(scroll_->value());
}

void ToneParameterDialog::rebuildMarkers() {
    if (!samples_) return;
    graph_.markers = tone::GraphMarkers(samples_->size(), graph_.columns.size(), typedPoints());
    graphWidget_->update();
}

void ToneParameterDialog::scrollTo(int column) { graphWidget_->show(samples_ ? &graph_ : nullptr, column); }

EnvelopeDialog* ToneParameterDialog::editEnvelope(QPushButton* button, std::size_t offset) {
    auto* d = new EnvelopeDialog(std::span<std::uint8_t, 18>(working_.bytes().data() + offset, 18), this);
    d->setAttribute(Qt::WA_DeleteOnClose);
    connect(d, &QDialog::finished, button, [button] { button->setChecked(false); });
    d->open();
    return d;
}

void ToneParameterDialog::togglePlay() {
    if (player_->playing()) return player_->stop();
    // The values being edited, before Apply.
    const tone::LoopPoints p = tone::ConfirmPoint(typedPoints(), tone::PointField::End, typedPoints().end, waveLength_);
    const tone::PlayRegion region{p.start, p.loop, p.end, std::max(0, combos_[0]->currentIndex())};
    const bool on = samples_ && output_.device &&
                    player_->play(tone::SignedSamples(*samples_), region, working_.rate(), *output_.device);
    play_->setChecked(on);
}

void ToneParameterDialog::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Escape && player_->playing()) return player_->stop();
    QDialog::keyPressEvent(e);
}

void ToneParameterDialog::apply() {
    tone::ParameterValues v;
    v.points = typedPoints();
    v.origKey = key_->text().toStdString();
    const auto sliders = tone::ParameterSliders();
    for (std::size_t i = 0; i < sliders.size(); ++i) {
        bool ok = false;
        const qlonglong typed = edits_[i]->text().toLongLong(&ok);
        // An emptied edit box keeps what its slider shows.
        v.sliders.push_back(ok ? typed : tone::SliderValue(sliders[i].mapping, sliders_[i]->value()));
    }
    for (QAbstractButton* b : checks_) v.checks.push_back(b->isChecked());
    for (QComboBox* c : combos_) v.combos.push_back(c->currentIndex());
    result_ = tone::ApplyValues(working_, v, s50_, waveLength_);
    accept();
}

} // namespace veldin::quilla
