#pragma once
// The tone parameter dialog: every parameter of one tone record, the wave graph with
// its points, and the envelope editors. tone::ToneParameters holds the rules; this only
// shows, asks and forwards. Accepting it leaves the record to write in result().

#include <QDialog>
#include <QWidget>
#include <map>
#include <optional>
#include <vector>

#include "tone/ToneParameters.h"
#include "tone/ui/TonePlayer.h"

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;

namespace veldin::quilla {

// The 370 x 159 picture of the wave: columns from the scroll position, the markers in
// the visible range, or the diagonals and a message when the image holds no wave.
class WaveGraphWidget final : public QWidget {
public:
    explicit WaveGraphWidget(QWidget* parent);
    void show(const tone::WaveGraph* graph, int scroll);
    QSize sizeHint() const override { return {tone::kGraphWidth, tone::kGraphHeight}; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    const tone::WaveGraph* graph_ = nullptr;
    int scroll_ = 0;
};

class EnvelopeDialog;

class ToneParameterDialog final : public QDialog {
public:
    // `samples`: the tone's whole wave, absent when the image does not hold it;
    // `waveLength`: the bound of End; `output`: where Play plays.
    ToneParameterDialog(const tone::ToneRecord& record, std::optional<std::vector<std::uint16_t>> samples,
                        std::int64_t waveLength, bool s50, PlaybackDevice output, QWidget* parent);

    // The record "Apply" read back from the controls.
    const tone::ToneRecord& result() const { return result_; }
    // The record the envelope editors work on.
    tone::ToneRecord& working() { return working_; }
    const tone::WaveGraph& graph() const { return graph_; }
    WaveGraphWidget* graphWidget() const { return graphWidget_; }
    TonePlayer* player() const { return player_; }

protected:
    // Escape stops playing first; pressed again it closes.
    void keyPressEvent(QKeyEvent* e) override;

private:
    QWidget* buildGraph();
    QWidget* buildLoop();
    QWidget* buildGroup(const QString& title, int firstId, int lastId);
    // Makes the slider and edit of `c`; returns its index in the table.
    std::size_t sliderColumn(const tone::SliderControl& c, const QString& group, QWidget* parent);
    void sliderMoved(const tone::SliderControl& c, int position);
    void editConfirmed(const tone::SliderControl& c);
    void pointConfirmed(tone::PointField field);
    void rebuildGraph();
    void rebuildMarkers();
    void scrollTo(int column);
    tone::LoopPoints typedPoints() const;
    // Opens the envelope editor on the envelope at `offset` of the working record.
    EnvelopeDialog* editEnvelope(QPushButton* button, std::size_t offset);
    void apply();
    void togglePlay();

    tone::ToneRecord working_;
    tone::ToneRecord result_;
    std::optional<std::vector<std::uint16_t>> samples_;
    std::int64_t waveLength_;
    bool s50_;
    tone::WaveGraph graph_;
    WaveGraphWidget* graphWidget_ = nullptr;
    QSlider* zoom_ = nullptr;
    QSlider* scroll_ = nullptr;
    QLineEdit* points_[3] = {};
    QLineEdit* key_ = nullptr;
    std::vector<QSlider*> sliders_;    // in the order of tone::ParameterSliders()
    std::vector<QLineEdit*> edits_;
    std::vector<QAbstractButton*> checks_; // in the order of tone::ParameterChecks()
    std::vector<QComboBox*> combos_;   // in the order of tone::ParameterCombos()
    bool moving_ = false;              // a slider moved by its edit box
    PlaybackDevice output_;
    TonePlayer* player_ = nullptr;
    QPushButton* play_ = nullptr;
};

} // namespace veldin::quilla
