// The launcher window's floppy stages: the menu, the prepared stages and the running
// operation on the worker, the module requests and the dropped files. The rules are
// FloppyStages'; this file shows them, asks and forwards.
#include <QFileDialog>

#include "launcher/FloppyOptions.h"
#include "launcher/FloppyTexts.h"
#include "launcher/ModuleHost.h"
#include "launcher/ui/FloppyWorker.h"
#include "launcher/ui/LauncherWindow.h"
#include "platform/Drives.h"
#include "platform/PosixProcess.h"

namespace veldin::launcher {

namespace {

QString Q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

struct PanelProgress final : SectorProgress {
    std::function<void(int)> cylinder;
    // The panel follows whole cylinders only: the other 17 of 18 reports change nothing.
    void progress(std::uint32_t finished) override {
        if (const auto left = CylindersLeft(finished)) cylinder(*left);
    }
};

DriveAccess AccessFor(FloppyOperation op) {
    switch (op) {
    case FloppyOperation::Read: return DriveAccess::Read;
    case FloppyOperation::Write: return DriveAccess::Write;
    case FloppyOperation::Format: return DriveAccess::Format;
    }
    return DriveAccess::Read;
}

// A chooser of the disk image directory, answered when it closes.
QFileDialog* ImageDialog(QWidget* parent, std::string_view title, const QString& dir, const QString& filter,
                         QFileDialog::AcceptMode mode) {
    auto* d = new QFileDialog(parent, Q(title), dir, filter);
    d->setObjectName(mode == QFileDialog::AcceptSave ? QStringLiteral("saveDialog") : QStringLiteral("loadDialog"));
    d->setOption(QFileDialog::DontUseNativeDialog);
    d->setAcceptMode(mode);
    d->setFileMode(mode == QFileDialog::AcceptSave ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    d->setAttribute(Qt::WA_DeleteOnClose);
    d->setWindowModality(Qt::WindowModal);
    return d;
}

} // namespace

LoopContext LauncherWindow::workerContext() { return LoopContext{control_, *workerUi_, text::kTitleLauncher}; }

void LauncherWindow::pressFloppyButton() {
    if (state_.busy() || !stages_.enterMenu()) return;
    enterFloppyBusy();
    showStage();
}

void LauncherWindow::dropImage(const std::filesystem::path& image) {
    if (state_.busy()) return;
    const StageAction a = stages_.drop(image.string());
    if (a == StageAction::None) return;
    enterFloppyBusy();
    floppyAction(a);
}

void LauncherWindow::floppyRequest(std::uint32_t module, std::uint32_t request, std::string path) {
    const std::optional<FloppyOperation> op =
        request == msg::kFloppyWrite ? std::optional(FloppyOperation::Write) : RequestedOperation(request);
    if (!op) return;
    const bool wasActive = stages_.active();
    const StageAction a = state_.busy() ? StageAction::None
                                        : stages_.request(static_cast<msg::ModuleCode>(module), *op, std::move(path));
    if (a == StageAction::None) {
        // Refused: the module hears at once that nothing was done, so it waits for nothing.
        const FloppyResultMessage m = RequesterResult(*op, std::nullopt, {});
        host_->sendFloppyResult(module, m.wParam, m.lParam, m.path);
        return;
    }
    raise();
    activateWindow();
    if (!wasActive) enterFloppyBusy();
    floppyAction(a);
}

void LauncherWindow::enterFloppyBusy() {
    syncBusy();
    host_->tellFloppyBusy(true);
    syncButtons();
}

void LauncherWindow::floppyAction(StageAction a) {
    switch (a) {
    case StageAction::None: return;
    case StageAction::OpenDrive: openDrive(); return;
    case StageAction::Start: startOperation(); return;
    case StageAction::Stop: control_.stopRequest.store(true); return;
    case StageAction::BackToMenu:
        device_.reset();
        drive_.reset();
        showStage();
        return;
    case StageAction::EndStage: finishStage(TransferResult{}); return;
    }
}

void LauncherWindow::showStage() {
    const auto stage = stages_.stage();
    if (!stage) return;
    const CaptionTable& table = CaptionsFor(*stage);
    state_.setCaptions(table.captions);
    if (table.listOnPanel) state_.setText(CaptionListing(table), Align::LeftTop);
    else showSummary(std::nullopt);
    refresh();
}

void LauncherWindow::showSummary(std::optional<int> counter) {
    state_.setText(SummaryText(shownIdentity_.memo, counter), Align::Right);
    refresh();
}

void LauncherWindow::openDrive() {
    state_.setText(std::string(text::kAccessingDrive), Align::Centre);
    state_.setCaptions({});
    refresh();
    const FloppyDeviceSettings devices = store_ ? LoadFloppyDeviceSettings(*store_) : FloppyDeviceSettings{};
    // Faults only apply to an image file that stands in for the drive.
    const FaultPlan faults = ParseFaultPlan(devices.faultsOf(settings_.floppy)).value_or(FaultPlan{});
    drive_ = DriveForPath(devices.device(settings_.floppy), faults);
    formatCommandLine_ = std::string(devices.formatCommandLine(drive_->kind()));
    control_.ioRepeat = settings_.ioRepeat;
    const DriveAccess access = AccessFor(stages_.operation());
    auto opened = std::make_shared<std::optional<Result<OpenedDrive>>>();
    worker_->run([this, access, opened] { opened->emplace(OpenAndIdentify(*drive_, access, workerContext())); },
                 [this, opened] { driveOpened(std::move(**opened)); });
}

void LauncherWindow::driveOpened(Result<OpenedDrive> opened) {
    if (!opened) {
        drive_.reset();
        ui_.report(opened.failure(), kTitle);
        floppyAction(stages_.driveFailed());
        return;
    }
    device_ = std::move(opened->device);
    floppyIdentity_ = shownIdentity_ = opened->identity;
    // The formatter needs the drive to itself.
    if (stages_.operation() == FloppyOperation::Format) device_.reset();
    stages_.driveOpened();
    showStage();
}

void LauncherWindow::startOperation() {
    switch (stages_.operation()) {
    case FloppyOperation::Read:
        if (Status readable = CheckReadable(floppyIdentity_); !readable) {
            ui_.report(readable.failure(), kTitle);
            floppyAction(StageAction::EndStage);
            return;
        }
        runRead();
        return;
    case FloppyOperation::Write: {
        if (!stages_.imagePath().empty()) {
            runWrite(stages_.imagePath());
            return;
        }
        const QString filter = Q(text::kImageFilterName) + QStringLiteral(" (") +
                               Q(text::kImageFilterPattern).replace(QLatin1Char(';'), QLatin1Char(' ')) +
                               QLatin1Char(')');
        QFileDialog* d = ImageDialog(this, text::kLoadDialogTitle, QString::fromUtf8(settings_.sdkPath), filter,
                                     QFileDialog::AcceptOpen);
        connect(d, &QFileDialog::fileSelected, this, [this](const QString& f) { runWrite(f.toStdString()); });
        connect(d, &QDialog::rejected, this, [this] {
            TransferResult cancelled;
            cancelled.state = TransferState::Cancelled;
            finishStage(cancelled);
        });
        d->open();
        return;
    }
    case FloppyOperation::Format: runFormat(); return;
    }
}

std::shared_ptr<SectorProgress> LauncherWindow::counterProgress() {
    auto progress = std::make_shared<PanelProgress>();
    progress->cylinder = [this](int left) {
        worker_->onGui<bool>(
            [this, left](std::function<void(bool)> reply) {
                showSummary(left);
                reply(true);
            },
            true);
    };
    return progress;
}

void LauncherWindow::beginRunning(FloppyOperation op) {
    stages_.started();
    BeginTransfer(control_);
    ran_ = op;
    state_.setCaptions(CaptionsFor(FloppyStage::Running).captions);
}

void LauncherWindow::runRead() {
    beginRunning(FloppyOperation::Read);
    showSummary(std::nullopt);

    const std::optional<std::filesystem::path> forRequester =
        stages_.requester() ? std::optional(RequesterImagePath(settings_.sdkPath, floppyIdentity_)) : std::nullopt;
    const std::shared_ptr<SectorProgress> progress = counterProgress();
    const OutputChooser choose = [this, forRequester](const DiskIdentity& id) -> std::optional<std::filesystem::path> {
        if (forRequester) return forRequester;
        using Answer = std::optional<std::filesystem::path>;
        const std::string extension(id.definition.extension);
        return worker_->onGui<Answer>(
            [this, extension](std::function<void(Answer)> reply) {
                QFileDialog* d = ImageDialog(this, text::kSaveDialogTitle, QString::fromUtf8(settings_.sdkPath),
                                             Q(SaveFilterFor(extension)), QFileDialog::AcceptSave);
                if (extension.size() > 1) d->setDefaultSuffix(QString::fromStdString(extension.substr(1)));
                connect(d, &QFileDialog::fileSelected, d,
                        [reply](const QString& f) { reply(std::filesystem::path(f.toStdString())); });
                connect(d, &QDialog::rejected, d, [reply] { reply(std::nullopt); });
                d->open();
            },
            std::nullopt);
    };
    auto result = std::make_shared<TransferResult>();
    worker_->run(
        [this, progress, choose, result] {
            *result = ReadFloppyToImage(*device_, floppyIdentity_, workerContext(), progress.get(), choose);
        },
        [this, result] { operationDone(*result); });
}

void LauncherWindow::runWrite(const std::filesystem::path& image) {
    beginRunning(FloppyOperation::Write);
    state_.clearText();
    refresh();

    const std::shared_ptr<SectorProgress> progress = counterProgress();
    // The panel now describes the image; a Roland disk of another kind is asked about.
    const auto identified = [this](const DiskIdentity& inImage) {
        return worker_->onGui<bool>(
            [this, inImage](std::function<void(bool)> reply) {
                shownIdentity_ = inImage;
                showSummary(std::nullopt);
                const auto question = OverwriteQuestion(floppyIdentity_, inImage);
                reply(!question || ui_.ask(*question, kTitle, veldin::Buttons::YesNo, Icon::Warning) == Answer::Yes);
            },
            false);
    };
    auto result = std::make_shared<TransferResult>();
    worker_->run(
        [this, image, progress, identified, result] {
            *result = WriteImageToFloppy(*device_, image, workerContext(), progress.get(), identified);
        },
        [this, result] { operationDone(*result); });
}

void LauncherWindow::runFormat() {
    beginRunning(FloppyOperation::Format);
    state_.setText(FormattingText(), Align::Centre);
    refresh();
    auto result = std::make_shared<TransferResult>();
    worker_->run(
        [this, result] {
            FormatResult formatted;
            if (const auto command = ParseFormatCommand(formatCommandLine_)) {
                PosixProcessRunner runner;
                formatted = FormatFloppy(*drive_, *command, runner, control_);
            }
            result->failure = FormatFailure(formatted);
            result->state = formatted.completed() ? TransferState::Succeeded
                            : formatted.last.stopped ? TransferState::Cancelled
                                                     : TransferState::Failed;
        },
        [this, result] { operationDone(*result); });
}

void LauncherWindow::operationDone(const TransferResult& result) {
    // The drive is closed before anything is shown, so a message never holds it.
    device_.reset();
    if (result.failure) ui_.report(*result.failure, kTitle);
    finishStage(result);
}

void LauncherWindow::finishStage(const TransferResult& result) {
    device_.reset();
    drive_.reset();
    const std::optional<FloppyOperation> requested = stages_.requestedOperation();
    if (const auto requester = stages_.end(); requester && requested) {
        const FloppyResultMessage m = RequesterResult(*requested, ran_, result);
        host_->sendFloppyResult(*requester, m.wParam, m.lParam, m.path);
    }
    ran_.reset();
    state_.showReady();
    syncBusy();
    host_->tellFloppyBusy(false);
    syncButtons();
    refresh();
}

} // namespace veldin::launcher
