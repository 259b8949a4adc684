#pragma once
// The Disc Editor's dialogs: the main dialog that chooses the source (a CD-ROM drive or
// a disc image file), the wait dialog that runs each read on a thread of its own, and the
// export dialog that lists a Roland CD's groups and sounds and writes one sound area as a
// disk image. The disc logic is cd/; these only show, ask and forward.

#include <QDialog>
#include <filesystem>
#include <functional>
#include <memory>

#include "bus/FrameLink.h"
#include "cd/BatchExport.h"
#include "cd/CdTables.h"
#include "cd/DiscEditorState.h"
#include "cd/SoundAreaExport.h"
#include "core/ModuleSettings.h"
#include "core/Settings.h"
#include "core/UserInteraction.h"

class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace veldin::dorrel {

// Runs `job` on a thread of its own while "Please Wait..." is shown; the GUI keeps
// handling events meanwhile. `blockOwner`: the wait dialog is modal to `owner`;
// otherwise the owner stays usable (its Cancel button).
void RunWaiting(QWidget* owner, const std::function<void()>& job, bool blockOwner = true);

// What a batch export writes: the sounds of the selected group or of the whole disc,
// for one family, into one folder.
struct BatchChoice {
    bool wholeDisc = false;
    cd::SamplerFamily family = cd::SamplerFamily::W30;
    std::filesystem::path folder;
};
// What the batch question shows: the selected group and how many sounds each choice has.
struct BatchQuestion {
    QString groupText;
    std::size_t groupSounds = 0, discSounds = 0;
};

// What the dialogs ask a person, replaceable for tests: the save dialog's path and
// family, the disc image to read, and the batch export's choice (which comes in with
// the last one). An empty path or false means Cancel.
struct Choosers {
    std::function<std::filesystem::path(QWidget*, const std::filesystem::path& dir, const QString& suggested,
                                        cd::SamplerFamily& family)> saveAs;
    std::function<std::filesystem::path(QWidget*, const std::filesystem::path& dir)> discImage;
    std::function<bool(QWidget*, const BatchQuestion& question, BatchChoice& choice)> batch;
};
Choosers StandardChoosers();

// "Batch Export": which sounds, which sampler family, which folder.
class BatchExportDialog final : public QDialog {
public:
    BatchExportDialog(const BatchQuestion& question, const BatchChoice& defaults, QWidget* parent);
    BatchChoice choice() const;

    QRadioButton* groupButton() const { return group_; }
    QRadioButton* discButton() const { return disc_; }
    QComboBox* family() const { return family_; }
    QLineEdit* folder() const { return folder_; }
    QPushButton* exportButton() const { return export_; }

private:
    QRadioButton* group_ = nullptr;
    QRadioButton* disc_ = nullptr;
    QComboBox* family_ = nullptr;
    QLineEdit* folder_ = nullptr;
    QPushButton* export_ = nullptr;
};

class ExportDialog final : public QDialog {
public:
    ExportDialog(cd::DiscSource& disc, std::filesystem::path mainDir, std::filesystem::path imageDir,
                 UserInteraction& ui, Choosers choosers, QWidget* parent);
    // Reads the tables (in the wait dialog); false when the dialog must not open (the
    // message was shown).
    bool load();

    QComboBox* groups() const { return groups_; }
    QListWidget* sounds() const { return sounds_; }
    QProgressBar* progress() const { return progress_; }
    QPushButton* cancelButton() const { return cancel_; }
    QPushButton* exportButton() const { return export_; }
    QPushButton* batchButton() const { return batch_; }
    QLabel* line(int i) const { return lines_[i]; }
    // Exports the selected sound; returns when the export has ended.
    void exportSelected();
    // Asks for a batch and exports it; returns when the batch has ended and its summary
    // was shown.
    void exportBatch();

protected:
    void reject() override;

private:
    void fillSounds(int group);
    // Runs `job` on the wait dialog's thread with the progress bar over `blocks` and
    // Cancel usable; the other controls are off meanwhile. True when it was cancelled.
    bool runCancellable(std::uint64_t blocks,
                        const std::function<void(cd::CancellableDisc&, const cd::ReadProgress&)>& job);
    // After a run: closes the dialog when a close came while it ran; true then.
    bool closedWhileRunning();

    cd::DiscSource& disc_;
    std::filesystem::path mainDir_, imageDir_;
    UserInteraction& ui_;
    Choosers choosers_;
    cd::CdTables tables_;
    QLabel* lines_[cd::kDescriptionLines] = {};
    QComboBox* groups_ = nullptr;
    QListWidget* sounds_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QPushButton* export_ = nullptr;
    QPushButton* batch_ = nullptr;
    cd::CancellableDisc* running_ = nullptr;
    bool closeWhenDone_ = false;
    BatchChoice lastBatch_;
};

class DiscEditorDialog final : public QDialog {
public:
    // `store` null: defaults, nothing written (tools, tests that do not care).
    DiscEditorDialog(bus::Handle launcher, std::filesystem::path mainDir, SettingsStore* store, UserInteraction& ui,
                     Choosers choosers = StandardChoosers(), QWidget* parent = nullptr);
    ~DiscEditorDialog() override;

    // Settings, drive list; false when the settings cannot be used (message shown).
    bool start();
    bus::FrameLink& link() { return *link_; }
    const DiscEditorSettings& settings() const { return settings_; }
    void setClosedByLauncher() { closedByLauncher_ = true; }
    bool closedByLauncher() const { return closedByLauncher_; }

    QRadioButton* cdRom() const { return cdRom_; }
    QRadioButton* imageFile() const { return imageFile_; }
    QComboBox* drives() const { return drives_; }
    QLineEdit* imagePath() const { return imagePath_; }
    // The button of that text (its object name is its control id, "ctl1010").
    QPushButton* button(const char* text) const;
    // The export dialog while it runs (tests drive it).
    ExportDialog* exportDialog() const { return exportDialog_; }

    void apply();
    void exportFromSource();
    void browseImage();
    void about();
    void help();

protected:
    void moveEvent(QMoveEvent* e) override;
    void done(int r) override;

private:
    void ping();
    void listDrives();
    void updateSource();

    std::filesystem::path mainDir_, imageDir_;
    SettingsStore* store_;
    UserInteraction& ui_;
    Choosers choosers_;
    DiscEditorSettings settings_;
    bool chosenAtOpening_ = false;
    bool closedByLauncher_ = false;
    bool placed_ = false;
    std::unique_ptr<bus::FrameLink> link_;
    QRadioButton* cdRom_ = nullptr;
    QRadioButton* imageFile_ = nullptr;
    QComboBox* drives_ = nullptr;
    QLineEdit* imagePath_ = nullptr;
    QPushButton* browse_ = nullptr;
    QPushButton *apply_ = nullptr, *build_ = nullptr, *about_ = nullptr, *help_ = nullptr, *export_ = nullptr;
    ExportDialog* exportDialog_ = nullptr;
};

} // namespace veldin::dorrel
