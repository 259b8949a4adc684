#include "tone/ui/EnvelopeDialog.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSlider>
#include <QVBoxLayout>
#include <algorithm>

#include "platform/QtSettingsStore.h"

namespace veldin::quilla {
namespace {
QString Id(int id) { return QStringLiteral("ctl%1").arg(id); }
} // namespace

EnvelopeGraphWidget::EnvelopeGraphWidget(QWidget* parent) : QWidget(parent) {
    setAccessibleName(QStringLiteral("Envelope graph"));
    setFixedSize(tone::kEnvelopeGraphWidth, tone::kEnvelopeGraphHeight);
}

void EnvelopeGraphWidget::show(const std::vector<tone::EnvelopePoint>* points, int sustainStep) {
    points_ = points;
    sustain_ = sustainStep;
    update();
}

void EnvelopeGraphWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().window());
    const QColor ink(0x1d, 0x3a, 0x5f);
    p.setPen(palette().color(QPalette::WindowText));
    p.drawRect(0, 0, width() - 1, height() - 1);
    if (!points_) return;
    p.setRenderHint(QPainter::Antialiasing);
    QPoint from(tone::kEnvelopeLeft, 132); // level 0
    for (const tone::EnvelopePoint& pt : *points_) {
        const QPoint to(pt.x, pt.y);
        p.setPen(QPen(ink, 1.5));
        p.drawLine(from, to);
        from = to;
        if (pt.step == sustain_) {
            // The sustain plateau, white over a dark edge so it shows on any background.
            const QPoint plateau(pt.x + tone::kSustainPlateau, pt.y);
            p.setPen(QPen(ink, 4));
            p.drawLine(to, plateau);
            p.setPen(QPen(Qt::white, 2));
            p.drawLine(to, plateau);
            from = plateau;
        }
    }
    for (const tone::EnvelopePoint& pt : *points_) {
        p.setPen(QPen(ink, 1));
        p.setBrush(Qt::white);
        p.drawEllipse(QRect(pt.x - 3, pt.y - 3, 6, 6));
    }
}

void EnvelopeGraphWidget::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton && pressed) dragging_ = pressed(e->position().toPoint());
}

void EnvelopeGraphWidget::mouseMoveEvent(QMouseEvent* e) {
    if (dragging_ && moved) moved(e->position().toPoint());
}

void EnvelopeGraphWidget::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) dragging_ = false;
}

EnvelopeDialog::EnvelopeDialog(std::span<std::uint8_t, 18> target, QWidget* parent) : QDialog(parent), target_(target) {
    setObjectName(QStringLiteral("dlg903"));
    setWindowTitle(QStringLiteral("Envelope Editor"));
    std::copy(target.begin(), target.end(), env_.begin());
    auto* layout = new QVBoxLayout(this);

    auto* top = new QHBoxLayout;
    graph_ = new EnvelopeGraphWidget(this);
    top->addWidget(graph_);
    auto* zoomColumn = new QVBoxLayout;
    auto* zoomLabel = new QLabel(QStringLiteral("Zoom"), this);
    zoom_ = new QSlider(Qt::Vertical, this);
    zoom_->setObjectName(Id(1118));
    zoom_->setAccessibleName(QStringLiteral("Zoom"));
    zoom_->setRange(0, 4);
    zoom_->setValue(4 - tone::kEnvelopeZoomDefault);
    zoom_->setInvertedAppearance(true); // position 0 (the largest zoom) at the top
    zoomLabel->setBuddy(zoom_);
    zoomColumn->addWidget(zoomLabel, 0, Qt::AlignHCenter);
    zoomColumn->addWidget(zoom_, 1, Qt::AlignHCenter);
    top->addLayout(zoomColumn);
    top->addStretch();
    layout->addLayout(top);

    auto* steps = new QGridLayout;
    steps->addWidget(new QLabel(QStringLiteral("Level:"), this), 1, 0);
    steps->addWidget(new QLabel(QStringLiteral("Rate:"), this), 2, 0);
    for (int i = 0; i < tone::kEnvelopeSteps; ++i) {
        steps->addWidget(new QLabel(QString::number(i + 1), this), 0, i + 1, Qt::AlignHCenter);
        for (int k = 0; k < 2; ++k) {
            auto* e = new QLineEdit(this);
            e->setObjectName(Id(1100 + 2 * i + k));
            e->setMaxLength(3);
            e->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), e));
            e->setAccessibleName(QStringLiteral("%1 of step %2").arg(k ? QStringLiteral("Rate") : QStringLiteral("Level")).arg(i + 1));
            e->setFixedWidth(e->fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 12);
            connect(e, &QLineEdit::returnPressed, this, [this, i, k] { valueConfirmed(i, k == 0); });
            values_[static_cast<std::size_t>(2 * i + k)] = e;
            steps->addWidget(e, 1 + k, i + 1);
        }
    }
    layout->addLayout(steps);

    auto pointBox = [&](const QString& title, int sliderId, int shownId, QSlider*& slider, QLineEdit*& shown) {
        auto* box = new QGroupBox(title, this);
        auto* row = new QHBoxLayout(box);
        slider = new QSlider(Qt::Horizontal, box);
        slider->setObjectName(Id(sliderId));
        slider->setAccessibleName(title);
        shown = new QLineEdit(box);
        shown->setObjectName(Id(shownId));
        shown->setReadOnly(true);
        shown->setMaxLength(1);
        shown->setAccessibleName(title + QStringLiteral(" number"));
        shown->setFixedWidth(shown->fontMetrics().horizontalAdvance(QStringLiteral("00")) + 12);
        row->addWidget(slider, 1);
        row->addWidget(shown);
        return box;
    };
    auto* points = new QHBoxLayout;
    points->addWidget(pointBox(QStringLiteral("Sustain point"), 1119, 1117, sustain_, sustainShown_));
    points->addWidget(pointBox(QStringLiteral("End point"), 1120, 1116, end_, endShown_));
    end_->setRange(1, tone::kEnvelopeSteps - 1);
    layout->addLayout(points);

    auto* presets = new QGridLayout;
    presets->addWidget(new QLabel(QStringLiteral("Load"), this), 0, 0);
    presets->addWidget(new QLabel(QStringLiteral("Store"), this), 1, 0);
    for (int n = 1; n <= 4; ++n)
        for (int store = 0; store < 2; ++store) {
            auto* b = new QPushButton(QStringLiteral("Preset %1").arg(n), this);
            b->setObjectName(Id(1200 + 2 * (n - 1) + store));
            b->setAutoDefault(false);
            b->setAccessibleName(QStringLiteral("%1 Preset %2").arg(store ? QStringLiteral("Store") : QStringLiteral("Load")).arg(n));
            connect(b, &QPushButton::clicked, this, [this, n, store] { preset(n, store != 0); });
            presets->addWidget(b, store, n);
        }
    layout->addLayout(presets);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    apply_ = new QPushButton(QStringLiteral("Apply"), this);
    apply_->setObjectName(Id(1));
    apply_->setAutoDefault(false);
    connect(apply_, &QPushButton::clicked, this, [this] { apply(); });
    buttons->addWidget(apply_);
    layout->addLayout(buttons);

    connect(zoom_, &QSlider::valueChanged, this, [this] { refill(); });
    connect(sustain_, &QSlider::valueChanged, this, [this](int pos) {
        if (filling_) return;
        changed(tone::SetSustain(env_, pos));
        refill();
    });
    connect(end_, &QSlider::valueChanged, this, [this](int pos) {
        if (filling_) return;
        changed(tone::SetEndPoint(env_, pos));
        refill();
    });
    graph_->pressed = [this](QPoint at) {
        const auto hit = tone::HitPoint(points_, at.x(), at.y());
        if (!hit) return false;
        dragStep_ = points_[static_cast<std::size_t>(*hit)].step;
        dragLevel_ = tone::Level(env_, dragStep_);
        dragRate_ = tone::Rate(env_, dragStep_);
        dragFrom_ = at;
        return true;
    };
    graph_->moved = [this](QPoint at) {
        changed(tone::DragTo(env_, dragStep_, dragLevel_, dragRate_, dragFrom_.x(), dragFrom_.y(), at.x(), at.y()));
        refill();
    };
    refill();
    changed(false);
}

void EnvelopeDialog::refill() {
    filling_ = true;
    for (int i = 0; i < tone::kEnvelopeSteps; ++i) {
        values_[static_cast<std::size_t>(2 * i)]->setText(QString::number(env_[static_cast<std::size_t>(2 + 2 * i)]));
        values_[static_cast<std::size_t>(2 * i + 1)]->setText(QString::number(env_[static_cast<std::size_t>(3 + 2 * i)]));
    }
    end_->setValue(tone::EndPoint(env_));
    sustain_->setRange(0, tone::EndPoint(env_) - 1);
    sustain_->setValue(tone::SustainPoint(env_));
    sustainShown_->setText(QString::number(tone::SustainPoint(env_) + 1));
    endShown_->setText(QString::number(tone::EndPoint(env_) + 1));
    filling_ = false;
    points_ = tone::EnvelopePoints(env_, 4 - zoom_->value());
    graph_->show(&points_, tone::SustainPoint(env_));
}

void EnvelopeDialog::changed(bool yes) {
    changed_ = changed_ || yes;
    apply_->setEnabled(changed_);
}

void EnvelopeDialog::valueConfirmed(int step, bool level) {
    const qlonglong typed = values_[static_cast<std::size_t>(2 * step + (level ? 0 : 1))]->text().toLongLong();
    changed(level ? tone::SetLevel(env_, step, typed) : tone::SetRate(env_, step, typed));
    refill();
}

void EnvelopeDialog::apply() {
    std::copy(env_.begin(), env_.end(), target_.begin());
    changed_ = false;
    apply_->setEnabled(false);
}

void EnvelopeDialog::preset(int n, bool store) {
    QtSettingsStore settings;
    if (store) {
        tone::StorePreset(settings, n, env_);
        return;
    }
    // A preset never stored changes nothing; loading does not count as a change.
    if (const auto e = tone::LoadPreset(settings, n)) {
        env_ = *e;
        refill();
    }
}

} // namespace veldin::quilla
