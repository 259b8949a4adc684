#pragma once
// The envelope editor: one envelope of the tone being edited, as a graph whose points
// are dragged, eight level and rate edits, the sustain and end points, a zoom and four
// presets. tone::EnvelopeEditor holds the rules. "Apply" copies the envelope into the
// parameter dialog's working record; closing discards what was not applied.

#include <QDialog>
#include <QWidget>
#include <array>
#include <functional>
#include <span>

#include "tone/EnvelopeEditor.h"

class QLineEdit;
class QPushButton;
class QSlider;

namespace veldin::quilla {

class EnvelopeGraphWidget final : public QWidget {
public:
    explicit EnvelopeGraphWidget(QWidget* parent);
    void show(const std::vector<tone::EnvelopePoint>* points, int sustainStep);
    QSize sizeHint() const override { return {tone::kEnvelopeGraphWidth, tone::kEnvelopeGraphHeight}; }

    // A drag: the point index pressed (or none), then every cursor position.
    std::function<bool(QPoint)> pressed;
    std::function<void(QPoint)> moved;

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    const std::vector<tone::EnvelopePoint>* points_ = nullptr;
    int sustain_ = -1;
    bool dragging_ = false;
};

class EnvelopeDialog final : public QDialog {
public:
    // `target`: the 18 envelope bytes of the working record.
    EnvelopeDialog(std::span<std::uint8_t, 18> target, QWidget* parent);

    const tone::EnvelopeBytes& envelope() const { return env_; }
    const std::vector<tone::EnvelopePoint>& points() const { return points_; }
    EnvelopeGraphWidget* graph() const { return graph_; }

private:
    void refill();
    void changed(bool yes);
    void valueConfirmed(int step, bool level);
    void apply();
    void preset(int n, bool store);

    std::span<std::uint8_t, 18> target_;
    tone::EnvelopeBytes env_{};
    std::vector<tone::EnvelopePoint> points_;
    EnvelopeGraphWidget* graph_ = nullptr;
    std::array<QLineEdit*, 16> values_{}; // level, rate of step 0, then step 1 ...
    QSlider* sustain_ = nullptr;
    QSlider* end_ = nullptr;
    QSlider* zoom_ = nullptr;
    QLineEdit* sustainShown_ = nullptr;
    QLineEdit* endShown_ = nullptr;
    QPushButton* apply_ = nullptr;
    bool changed_ = false;
    bool filling_ = false;
    // The drag: step, its level and rate and the cursor at the start.
    int dragStep_ = -1, dragLevel_ = 0, dragRate_ = 0;
    QPoint dragFrom_;
};

} // namespace veldin::quilla
