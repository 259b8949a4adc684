#pragma once
// The patch's keyboard under the tree: a piano strip over the patch's key range, each
// key coloured by the tone it plays in key map 1 and, for the key modes that layer or
// switch two maps, key map 2 as a second row. Hovering a key names the note and the tone.
// patch::KeyStrip decides everything; this widget paints it.

#include <QWidget>
#include <optional>

#include "patch/KeyStrip.h"

namespace veldin::brisko {

class KeyStripView final : public QWidget {
public:
    explicit KeyStripView(QWidget* parent);

    // The strip of the selected patch; none clears it.
    void show(const patch::KeyStrip& strip, const patch::PatchAreas& areas);
    void clear();
    const patch::KeyStrip& strip() const { return strip_; }

    // The row and key under a point of the widget, none outside the keys.
    std::optional<std::pair<int, int>> keyAt(QPoint at) const;
    // The text a hover over that point shows; empty outside the keys.
    QString textAt(QPoint at) const;
    // The colour a key of that colour index is painted with (-1: a key that plays nothing).
    static QColor ToneColour(int index, bool black);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* e) override;
    bool event(QEvent* e) override;

private:
    QRectF keyRect(int row, int key) const;
    int whiteKeys() const;
    int rowHeight() const;

    patch::KeyStrip strip_;
    const patch::PatchAreas* areas_ = nullptr;
};

} // namespace veldin::brisko
