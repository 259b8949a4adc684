#include "patch/ui/KeyStripView.h"

#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

#include "core/Names.h"

namespace veldin::brisko {

using patch::KeyStrip;

namespace {
// One hue per tone of the patch, in the order the patch plays them.
constexpr QRgb kPalette[] = {0x2f8f4e, 0x2c5d9a, 0xd95d1e, 0x8e44ad, 0xc0392b, 0x16a085, 0xb7950b, 0x5d6d7e};
} // namespace

KeyStripView::KeyStripView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("keyStrip"));
    setAccessibleName(QStringLiteral("Key map"));
    setMouseTracking(true);
    setAttribute(Qt::WA_AlwaysShowToolTips);
}

void KeyStripView::show(const KeyStrip& strip, const patch::PatchAreas& areas) {
    strip_ = strip;
    areas_ = &areas;
    setAccessibleDescription(strip_.empty() ? QString()
                                            : QStringLiteral("%1 to %2").arg(QString::fromStdString(NoteName(strip_.firstKey)),
                                                                             QString::fromStdString(NoteName(strip_.lastKey))));
    update();
}

void KeyStripView::clear() {
    strip_ = KeyStrip{};
    setAccessibleDescription(QString());
    update();
}

QColor KeyStripView::ToneColour(int index, bool black) {
    if (index < 0) return black ? QColor(0x22, 0x22, 0x22) : QColor(Qt::white);
    const QColor c = QColor::fromRgb(kPalette[static_cast<std::size_t>(index) % std::size(kPalette)]);
    return black ? c.darker(160) : c.lighter(150);
}

int KeyStripView::rowHeight() const {
    // The rows share the strip's height: one row of a single map is twice as tall.
    return std::max(8, (height() - 4 - 2 * (strip_.rows - 1)) / std::max(1, strip_.rows));
}

QSize KeyStripView::sizeHint() const { return QSize(200, 4 * std::max(14, fontMetrics().height()) + 6); }

int KeyStripView::whiteKeys() const {
    int n = 0;
    for (int k = strip_.firstKey; k <= strip_.lastKey; ++k) n += KeyStrip::IsBlack(k) ? 0 : 1;
    return n;
}

QRectF KeyStripView::keyRect(int row, int key) const {
    const double w = (width() - 4.0) / std::max(1, whiteKeys());
    int whitesBefore = 0;
    for (int k = strip_.firstKey; k < key; ++k) whitesBefore += KeyStrip::IsBlack(k) ? 0 : 1;
    const double top = 2.0 + row * (rowHeight() + 2);
    if (!KeyStrip::IsBlack(key)) return QRectF(2.0 + whitesBefore * w, top, w, rowHeight());
    // A black key sits over the line between two white keys, on their upper part.
    return QRectF(2.0 + whitesBefore * w - w * 0.3, top, w * 0.6, rowHeight() * 0.6);
}

std::optional<std::pair<int, int>> KeyStripView::keyAt(QPoint at) const {
    if (strip_.empty()) return std::nullopt;
    for (int row = 0; row < strip_.rows; ++row) {
        // Black keys lie on top: they are found first.
        for (int pass = 0; pass < 2; ++pass)
            for (int k = strip_.firstKey; k <= strip_.lastKey; ++k)
                if (KeyStrip::IsBlack(k) == (pass == 0) && keyRect(row, k).contains(at)) return std::pair{row, k};
    }
    return std::nullopt;
}

QString KeyStripView::textAt(QPoint at) const {
    const auto hit = keyAt(at);
    if (!hit || !areas_) return {};
    return QString::fromStdString(patch::KeyText(strip_, *areas_, hit->first, hit->second));
}

void KeyStripView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().window());
    if (strip_.empty()) return;
    p.setPen(QPen(QColor(0x55, 0x55, 0x55), 1));
    for (int row = 0; row < strip_.rows; ++row)
        for (int pass = 0; pass < 2; ++pass)
            for (int k = strip_.firstKey; k <= strip_.lastKey; ++k) {
                const bool black = KeyStrip::IsBlack(k);
                if (black != (pass == 1)) continue;
                p.setBrush(ToneColour(strip_.colourAt(row, k), black));
                p.drawRect(keyRect(row, k));
            }
}

bool KeyStripView::event(QEvent* e) {
    if (e->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(e);
        const QString text = textAt(help->pos());
        if (text.isEmpty()) QToolTip::hideText();
        else QToolTip::showText(help->globalPos(), text, this);
        return true;
    }
    return QWidget::event(e);
}

} // namespace veldin::brisko
