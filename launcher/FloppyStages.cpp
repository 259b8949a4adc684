#include "launcher/FloppyStages.h"

namespace veldin {

FloppyStage PreparedStage(FloppyOperation operation) {
    switch (operation) {
    case FloppyOperation::Read: return FloppyStage::ReadPrepared;
    case FloppyOperation::Write: return FloppyStage::WritePrepared;
    case FloppyOperation::Format: return FloppyStage::FormatPrepared;
    }
    return FloppyStage::ReadPrepared;
}

bool FloppyStages::enterMenu() {
    if (active()) return false;
    stage_ = FloppyStage::Menu;
    imagePath_.clear();
    return true;
}

StageAction FloppyStages::prepare(FloppyOperation operation) {
    operation_ = operation;
    stage_.reset();
    opening_ = true;
    return StageAction::OpenDrive;
}

StageAction FloppyStages::request(msg::ModuleCode module, FloppyOperation operation, std::string path) {
    // One operation at a time: only the menu gives way to a module.
    if (opening_ || (stage_ && *stage_ != FloppyStage::Menu)) return StageAction::None;
    if (!requester_.accept(module, operation)) return StageAction::None;
    imagePath_ = std::move(path);
    return prepare(operation);
}

StageAction FloppyStages::drop(std::string path) {
    if (active()) return StageAction::None;
    imagePath_ = std::move(path);
    return prepare(FloppyOperation::Write);
}

StageAction FloppyStages::functionKey(int n) {
    if (!stage_) return StageAction::None;
    switch (*stage_) {
    case FloppyStage::Menu:
        if (n == 1) return prepare(FloppyOperation::Read);
        if (n == 2) return prepare(FloppyOperation::Write);
        if (n == 3) return prepare(FloppyOperation::Format);
        return n == 4 ? StageAction::EndStage : StageAction::None;
    case FloppyStage::ReadPrepared:
    case FloppyStage::WritePrepared:
    case FloppyStage::FormatPrepared:
        if (n == 1) return StageAction::Start;
        if (n != 2) return StageAction::None;
        // Cancel: the menu again, and a path handed in goes with the stage it was for.
        stage_ = FloppyStage::Menu;
        imagePath_.clear();
        return StageAction::BackToMenu;
    case FloppyStage::Running: return n == 1 ? StageAction::Stop : StageAction::None;
    }
    return StageAction::None;
}

void FloppyStages::driveOpened() {
    opening_ = false;
    stage_ = PreparedStage(operation_);
}

StageAction FloppyStages::driveFailed() {
    opening_ = false;
    return StageAction::EndStage;
}

std::optional<msg::ModuleCode> FloppyStages::end() {
    stage_.reset();
    opening_ = false;
    imagePath_.clear();
    const auto r = requester_.requester();
    requester_.forget();
    return r;
}

} // namespace veldin
