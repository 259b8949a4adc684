#pragma once
// The MIDI Editor's document window: the "Roland" group with disk and type, the volume
// label with "Apply", and the list of the disk's songs. It mirrors midi::SongEditor,
// which holds every rule, and runs the song commands of the frame.

#include <QDialog>
#include <QTreeWidget>
#include <functional>
#include <memory>
#include <optional>

#include "core/ModuleSettings.h"
#include "frame/ui/ModuleFrame.h"
#include "midi/DocumentSongImage.h"
#include "midi/MidiToSong.h"
#include "midi/SongEditor.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QMimeData;
class QPushButton;
class QSplitter;
class QTemporaryDir;

namespace veldin::fennet {

class PianoRollView;

// The song-name question of a MIDI import with "Prompt": one edit of 28 characters.
class SongNameDialog final : public QDialog {
public:
    SongNameDialog(const QString& proposed, QWidget* parent);
    QLineEdit* edit() const { return edit_; }

private:
    QLineEdit* edit_ = nullptr;
};

// The song list: a song dragged out of it becomes a MIDI file where it is dropped.
class SongListWidget final : public QTreeWidget {
public:
    using QTreeWidget::QTreeWidget;
    std::function<QMimeData*(const QList<QTreeWidgetItem*>&)> dragData;

protected:
    QMimeData* mimeData(const QList<QTreeWidgetItem*>& items) const override;
    QStringList mimeTypes() const override { return {QStringLiteral("text/uri-list")}; }
};

// The 16 x 16 image of a song row and of the module's windows.
QIcon SongIcon();

class SongView final : public ui::DocumentView, private midi::SongNamePrompt {
public:
    // `settings`: the module's settings (directories, conversion options); null runs on
    // the first-start defaults.
    SongView(Document& doc, ui::ModuleFrame& frame, QWidget* parent, const MidiEditorSettings* settings = nullptr);
    ~SongView() override;

    QSize minimumSizeHint() const override;
    std::set<int> selectionCommands() const override;
    bool runCommand(int id) override;
    void stepDone(const StepResult& step, bool undo) override;
    void documentClosing() override;

    QTreeWidget* list() const { return list_; }
    QLineEdit* labelEdit() const { return label_; }
    QPushButton* applyButton() const { return apply_; }
    QLabel* diskLine() const { return disk_; }
    QLabel* typeLine() const { return type_; }
    PianoRollView* pianoRoll() const { return roll_; }
    const midi::SongEditor* editor() const { return editor_ ? &*editor_ : nullptr; }
    // Files dropped on the list: MIDI files import like Load MIDI, song files like Load Song.
    void importFiles(const QStringList& paths);
    // What a drag of the current song carries: a MIDI file of it in a folder of this
    // window's, named as Save MIDI proposes. Null when the song cannot be converted.
    QMimeData* dragOut();

protected:
    void resizeEvent(QResizeEvent* e) override;
    void changeEvent(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    std::optional<std::string> askSongName(std::string_view proposed) override;
    void layoutControls();
    void fillList();
    void showFigures();
    void follow(const std::vector<midi::RefreshEvent>& events);
    QTreeWidgetItem* rowOf(int position) const;
    QTreeWidgetItem* makeRow(const midi::SongRow& row) const;
    void selectionChanged();
    void rowEdited(QTreeWidgetItem* item);
    void applyLabel();
    void deleteSong();
    void loadSong(const QString& path = {});
    void saveSong();
    // The Save chooser for the current song's file, then the file written.
    void saveBytes(std::span<const std::uint8_t> bytes, const QString& directory, const QString& filter,
                   const QString& suffix);
    void loadMidi(const QString& path = {});
    void saveMidi();
    void report(const Failure& f);
    // The preview follows the current song.
    void showRoll();
    QString songDirectory() const;
    QString midiDirectory() const;

    Document& doc_;
    ui::ModuleFrame& frame_;
    midi::DocumentSongImage image_;
    std::optional<midi::SongEditor> editor_;
    QGroupBox* roland_ = nullptr;
    QLabel* disk_ = nullptr;
    QLabel* type_ = nullptr;
    QGroupBox* diskBox_ = nullptr;
    QLabel* nameLabel_ = nullptr;
    QLineEdit* label_ = nullptr;
    QPushButton* apply_ = nullptr;
    QTreeWidget* list_ = nullptr;
    QSplitter* split_ = nullptr;
    std::unique_ptr<QTemporaryDir> dragDir_;
    PianoRollView* roll_ = nullptr;
    bool filling_ = false;
    int listTop_ = 47;
    int minWidth_ = 464;
    MidiEditorSettings defaults_;
    const MidiEditorSettings* settings_ = &defaults_; // read at each command: preferences may change
};

} // namespace veldin::fennet
