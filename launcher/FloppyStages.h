#pragma once
// The floppy stages of the launcher as rules: which stage the F-keys are in, what each
// key does there, who asked for the operation (the launcher's user, a module, a dropped
// file) and when the launcher counts as busy. The window shows the stage, runs what the
// rules ask for (opening the drive, the worker) and reports back here.
//
//   (none) --FLOPPY--> Menu --F1/F2/F3--> open drive --ok--> Read/Write/Format prepared
//   module request or dropped file ------> open drive           |F1 start   |F2 Cancel -> Menu
//   Running --worker ends / F1 Stop--> (none)                   v
//                                                            Running

#include <cstdint>
#include <optional>
#include <string>

#include "core/ModuleMessages.h"
#include "launcher/FloppyPanel.h"
#include "launcher/FloppyRequester.h"

namespace veldin {

// What the window does after a key, a request or a drop.
enum class StageAction : std::uint8_t {
    None,
    OpenDrive,   // show "Accessing floppy drive...", open the drive for `operation()`
    Start,       // start the prepared operation on the worker
    Stop,        // set the stop request of the running operation
    BackToMenu,  // close the drive, show the menu
    EndStage,    // close the drive; the stage is over ("System ready")
};

class FloppyStages {
public:
    // Some floppy stage is shown: the main buttons and the modules' floppy commands wait.
    bool active() const { return stage_.has_value() || opening_; }
    std::optional<FloppyStage> stage() const { return stage_; }
    FloppyOperation operation() const { return operation_; }
    // The file to write (a module's or a dropped one); empty: the user chooses one.
    const std::string& imagePath() const { return imagePath_; }
    std::optional<msg::ModuleCode> requester() const { return requester_.requester(); }
    std::optional<FloppyOperation> requestedOperation() const { return requester_.operation(); }

    // The FLOPPY button: the menu, unless a stage is on already.
    bool enterMenu();
    // A module's request. Refused (false, nothing changed) while a requester is set or an
    // operation is being prepared or runs; accepted from the menu or with no stage on.
    StageAction request(msg::ModuleCode module, FloppyOperation operation, std::string path = {});
    // A dropped file starts the Write stage; ignored while any stage is on.
    StageAction drop(std::string path);
    // F1-F5 (1-5).
    StageAction functionKey(int n);

    // The drive was opened for the operation (its prepared stage is shown), or could not
    // be (the stage is over: EndStage).
    void driveOpened();
    StageAction driveFailed();
    // The user started the prepared stage.
    void started() { stage_ = FloppyStage::Running; }
    // The stage ended (worker done, refused or cancelled): back to no stage. The requester,
    // if any, is handed back once so the window can send it its result.
    std::optional<msg::ModuleCode> end();

private:
    StageAction prepare(FloppyOperation operation);

    std::optional<FloppyStage> stage_;
    bool opening_ = false; // between OpenDrive and driveOpened / driveFailed
    FloppyOperation operation_ = FloppyOperation::Read;
    std::string imagePath_;
    RequesterSlot requester_;
};

// The prepared stage of an operation.
FloppyStage PreparedStage(FloppyOperation operation);

} // namespace veldin
