#pragma once
// The piano-roll preview of the selected song: tracks in colours, notes as bars over
// measure lines, tempo and time signature on top; scrollable, zoomed by its buttons or
// Ctrl + wheel. midi::RollLayout decides where everything goes.

#include <QWidget>
#include <optional>

#include "midi/PianoRoll.h"

class QLabel;
class QScrollArea;
class QToolButton;

namespace veldin::fennet {

class PianoRollCanvas;

class PianoRollView final : public QWidget {
public:
    explicit PianoRollView(QWidget* parent);
    // The caption, the header band and an octave of rows.
    QSize minimumSizeHint() const override;

    // The song to show, or nothing with the reason in its place.
    void setSong(midi::RollSong song, const QString& title);
    void clear(const QString& reason);

    const std::optional<midi::RollSong>& song() const { return song_; }
    const midi::RollLayout& layout() const { return layout_; }
    QWidget* canvas() const;
    QLabel* caption() const { return caption_; }
    QToolButton* zoomInButton() const { return zoomIn_; }
    QToolButton* zoomOutButton() const { return zoomOut_; }
    void zoom(int steps);

    // The colour of a track's notes.
    static QColor TrackColour(int track);

protected:
    void changeEvent(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void fitToFont();

    std::optional<midi::RollSong> song_;
    midi::RollLayout layout_;
    QLabel* caption_ = nullptr;
    QToolButton* zoomIn_ = nullptr;
    QToolButton* zoomOut_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    PianoRollCanvas* canvas_ = nullptr;
};

} // namespace veldin::fennet
