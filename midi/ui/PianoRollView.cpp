#include "midi/ui/PianoRollView.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPaintEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>

namespace veldin::fennet {

namespace {
bool BlackKey(int key) {
    const int k = key % 12;
    return k == 1 || k == 3 || k == 6 || k == 8 || k == 10;
}
} // namespace

class PianoRollCanvas final : public QWidget {
public:
    explicit PianoRollCanvas(PianoRollView& view, QWidget* parent) : QWidget(parent), view_(view) {
        setObjectName(QStringLiteral("pianoRollCanvas"));
        setAccessibleName(QStringLiteral("Piano roll notes"));
    }

    void refit() {
        const auto& song = view_.song();
        const auto& l = view_.layout();
        if (song) setFixedSize(std::max(l.width(*song), 10), l.height());
        else setFixedSize(0, 0); // no scroll bars for nothing
        // Without a song there is nothing to draw: the caption says why.
        setVisible(song.has_value());
        update();
    }

protected:
    void paintEvent(QPaintEvent* e) override {
        QPainter p(this);
        const QRect area = e->rect();
        const midi::RollLayout& l = view_.layout();
        p.fillRect(area, QColor(0xfb, 0xfa, 0xf6));
        // Key rows: the black keys a shade darker, each C with a line below it.
        for (int key = l.lowKey; key <= l.highKey; ++key) {
            const QRect row(area.left(), l.y(key), area.width(), l.keyHeight);
            if (BlackKey(key)) p.fillRect(row, QColor(0xec, 0xea, 0xe3));
            if (key % 12 == 0) {
                p.setPen(QColor(0xc8, 0xc4, 0xb8));
                p.drawLine(row.left(), row.bottom(), row.right(), row.bottom());
            }
        }
        // The header band stays at the top of what is in view.
        const int top = visibleRegion().boundingRect().top();
        const auto& song = view_.song();
        const auto band = [&] { p.fillRect(QRect(area.left(), top, area.width(), l.header), QColor(0x34, 0x3d, 0x49)); };
        if (!song) return band();
        // Measure lines with their numbers in the header band.
        const QFontMetrics fm(font());
        const auto starts = midi::MeasureStarts(*song, song->endTick);
        int lastLabel = -1000;
        for (std::size_t i = 0; i < starts.size(); ++i) {
            const int x = l.x(starts[i]);
            if (x < area.left() - 40 || x > area.right() + 1) continue;
            p.setPen(QColor(0xb0, 0xab, 0x9e));
            p.drawLine(x, l.header, x, height());
        }
        for (const midi::RollNote& n : song->notes) {
            const auto r = l.noteRect(n);
            const QRect bar(r.x, r.y + 1, r.w, std::max(1, r.h - 1));
            if (!bar.intersects(area)) continue;
            const QColor c = PianoRollView::TrackColour(n.track);
            p.fillRect(bar, c);
            p.setPen(c.darker(150));
            p.drawRect(bar.adjusted(0, 0, -1, -1));
        }
        band();
        for (std::size_t i = 0; i < starts.size(); ++i) {
            const int x = l.x(starts[i]);
            if (x < area.left() - 40 || x > area.right() + 1) continue;
            const QString number = QString::number(i + 1);
            if (x - lastLabel <= fm.horizontalAdvance(number) + 6) continue;
            p.setPen(QColor(0xdd, 0xe3, 0xea));
            p.drawText(QRect(x + 3, top, fm.horizontalAdvance(number) + 4, l.header), Qt::AlignLeft | Qt::AlignVCenter,
                       number);
            lastLabel = x;
        }
    }

private:
    PianoRollView& view_;
};

PianoRollView::PianoRollView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("pianoRoll"));
    setAccessibleName(QStringLiteral("Piano roll"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 2, 0, 0);
    layout->setSpacing(2);
    auto* bar = new QHBoxLayout;
    caption_ = new QLabel(this);
    caption_->setObjectName(QStringLiteral("pianoRollCaption"));
    caption_->setAccessibleName(QStringLiteral("Piano roll song"));
    caption_->setTextFormat(Qt::PlainText);
    caption_->setWordWrap(true); // a long song name in a narrow window takes two lines
    bar->addWidget(caption_, 1);
    zoomOut_ = new QToolButton(this);
    zoomOut_->setText(QStringLiteral("\u2212"));
    zoomOut_->setAccessibleName(QStringLiteral("Zoom out"));
    zoomOut_->setToolTip(QStringLiteral("Zoom out"));
    zoomIn_ = new QToolButton(this);
    zoomIn_->setText(QStringLiteral("+"));
    zoomIn_->setAccessibleName(QStringLiteral("Zoom in"));
    zoomIn_->setToolTip(QStringLiteral("Zoom in"));
    bar->addWidget(zoomOut_);
    bar->addWidget(zoomIn_);
    layout->addLayout(bar);
    scroll_ = new QScrollArea(this);
    scroll_->setObjectName(QStringLiteral("pianoRollScroll"));
    scroll_->setAccessibleName(QStringLiteral("Piano roll"));
    canvas_ = new PianoRollCanvas(*this, scroll_);
    scroll_->setWidget(canvas_);
    scroll_->setWidgetResizable(false);
    scroll_->viewport()->installEventFilter(this);
    // The header band moves with the view: the whole canvas is drawn again.
    connect(scroll_->verticalScrollBar(), &QScrollBar::valueChanged, canvas_, [this] { canvas_->update(); });
    layout->addWidget(scroll_, 1);
    connect(zoomIn_, &QToolButton::clicked, this, [this] { zoom(1); });
    connect(zoomOut_, &QToolButton::clicked, this, [this] { zoom(-1); });
    fitToFont();
    clear(QStringLiteral("No song selected"));
}

QWidget* PianoRollView::canvas() const { return canvas_; }

QSize PianoRollView::minimumSizeHint() const {
    const int bars = zoomIn_->sizeHint().height() + 2 + scroll_->horizontalScrollBar()->sizeHint().height() + 4;
    return QSize(zoomIn_->sizeHint().width() * 4, bars + layout_.header + 13 * layout_.keyHeight);
}

QColor PianoRollView::TrackColour(int track) {
    // Sixteen tracks, sixteen hues far enough apart to tell the tracks apart.
    static const QColor colours[16] = {
        {0x2c, 0x6f, 0xbb}, {0xd9, 0x5d, 0x1e}, {0x2f, 0x8f, 0x4e}, {0x9b, 0x3f, 0xb5}, {0xc9, 0x2a, 0x4a},
        {0x1f, 0x9e, 0x9e}, {0xb8, 0x8a, 0x1c}, {0x5b, 0x5f, 0xd6}, {0x7a, 0x9a, 0x22}, {0xd1, 0x4f, 0x9a},
        {0x3d, 0x8b, 0xc9}, {0x8a, 0x5a, 0x2c}, {0x4b, 0xa8, 0x6e}, {0xa0, 0x40, 0x40}, {0x60, 0x70, 0x80},
        {0xc0, 0x70, 0x20}};
    return colours[((track % 16) + 16) % 16];
}

void PianoRollView::fitToFont() {
    // Rows as high as half a line of text (so a key is easy to hit), the header one line.
    const QFontMetrics fm(font());
    layout_.keyHeight = std::max(5, fm.height() / 2);
    layout_.header = fm.height() + 6;
    canvas_->refit();
}

void PianoRollView::changeEvent(QEvent* e) {
    if (e->type() == QEvent::FontChange) fitToFont();
    QWidget::changeEvent(e);
}

void PianoRollView::setSong(midi::RollSong song, const QString& title) {
    midi::FitKeys(layout_, song);
    caption_->setText(QStringLiteral("%1 \u2014 %2, %3 notes on %4 tracks")
                          .arg(title, QString::fromStdString(midi::HeaderText(song)))
                          .arg(song.notes.size())
                          .arg(song.trackNames.size()));
    song_ = std::move(song);
    canvas_->refit();
    scroll_->horizontalScrollBar()->setValue(0);
    // The notes in view: the scroll starts at the middle of the keys used.
    scroll_->verticalScrollBar()->setValue((canvas_->height() - scroll_->viewport()->height()) / 2);
}

void PianoRollView::clear(const QString& reason) {
    song_.reset();
    caption_->setText(reason);
    canvas_->refit();
}

void PianoRollView::zoom(int steps) {
    layout_.pixelsPerTick = midi::ZoomStep(layout_.pixelsPerTick, steps);
    canvas_->refit();
}

bool PianoRollView::eventFilter(QObject* watched, QEvent* e) {
    if (watched == scroll_->viewport() && e->type() == QEvent::Wheel) {
        auto* w = static_cast<QWheelEvent*>(e);
        if (w->modifiers() & Qt::ControlModifier) {
            zoom(w->angleDelta().y() > 0 ? 1 : -1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, e);
}

} // namespace veldin::fennet
