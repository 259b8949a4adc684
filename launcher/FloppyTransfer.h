#pragma once
// The floppy transfer: identifying a floppy, reading it into a disk image file, writing
// an image file onto it, and formatting it with an external formatter. Each operation is
// plain logic that runs on the launcher's worker thread (or in the command-line tool);
// it reaches the user only through the sector loop's context (the Sector Invalid
// question), the progress interface and its result, which carries the fixed text to
// show, if any (title "VELDIN").

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "core/ChildProcess.h"
#include "core/DiskDefinition.h"
#include "core/DiskMemo.h"
#include "core/FloppyDevice.h"
#include "core/SectorLoop.h"
#include "launcher/FormatCommand.h"

namespace veldin {

// What a floppy (or an image file) is: the row that classifies its sector 0 and its memo.
struct DiskIdentity {
    DiskDefinition definition;
    DiskMemo memo;
};

struct OpenedDrive {
    std::unique_ptr<FloppyDevice> device;
    DiskIdentity identity;
};

// Opens the drive ("Accessing floppy drive...") and identifies its disk: sector 0 is read
// through the loop without progress and classified; when the row has a memo sector,
// that sector is read and decoded. A sector that cannot be read counts as zero bytes, so
// an unreadable disk is "Unknown". Fails with the drive's failure (Read and Write refuse
// a medium other than 720 KB; Format takes any).
Result<OpenedDrive> OpenAndIdentify(FloppyDrive& drive, DriveAccess access, const LoopContext& context);

// The same identification of an image held in memory (at least its first sectors).
DiskIdentity IdentifyImage(std::span<const std::uint8_t> image);

// Reading starts only from a disk that a row other than the fallback row classified:
// "Couldn't continue, floppy is not Roland S50/S330/S550/W30!" (warning) otherwise.
Status CheckReadable(const DiskIdentity& identity);

// What the user interface does when the user starts a prepared stage: the state becomes
// Running and an earlier stop request is forgotten. Done before the worker starts, so a
// stop pressed at once is not lost.
void BeginTransfer(SectorLoopControl& control);

struct TransferResult {
    TransferState state = TransferState::Failed; // also left in the control's state
    std::optional<Failure> failure;              // the message to show, if any
    LoopEnd loopEnd = LoopEnd::Completed;        // how the sector loop ended
    // Sectors that failed and were skipped: zero bytes in the image that was read, left
    // as they were on the floppy that was written. Never silent: an image with skipped
    // sectors is not a true copy.
    std::vector<std::uint32_t> skipped;
    std::filesystem::path image; // read: the file written
};

// Chooses the output file once the floppy has been read: a "Save..." dialog without a
// requester, `RequesterImagePath` with one, the given path in the command-line tool.
// Nothing: the user cancelled, the operation ends without a message.
using OutputChooser = std::function<std::optional<std::filesystem::path>(const DiskIdentity&)>;

// Reads sectors 0-1439 (progress after every sector) into a zero-filled whole-disk
// buffer and saves it: the new file is written beside the chosen path and renamed over
// it, so an existing file of that name is replaced whole or not at all. A failed or
// stopped read writes no file.
TransferResult ReadFloppyToImage(FloppyDevice& device, const DiskIdentity& identity, const LoopContext& context,
                                 SectorProgress* progress, const OutputChooser& chooseOutput);

// Checks the image file (opened for reading only: "Can't open source file!", and exactly
// 737,280 bytes: "Couldn't continue, invalid size of diskimage!"), tells `identified`
// what it holds (the panel then describes the image; false from it ends the operation as
// cancelled before any sector is written), and writes sectors 0-1439 with progress.
TransferResult WriteImageToFloppy(FloppyDevice& device, const std::filesystem::path& imageFile,
                                  const LoopContext& context, SectorProgress* progress,
                                  const std::function<bool(const DiskIdentity&)>& identified = {});

// Writing over a Roland disk of another kind than the image is asked once more; the
// question names what the floppy holds. Nothing when the floppy is unknown or of the
// image's own kind.
std::optional<std::string> OverwriteQuestion(const DiskIdentity& floppy, const DiskIdentity& image);

// The file that a read for a module gets: in the disk image directory, named by the
// memo's title with " * , / : < ? \ | replaced by '_', blanks and tabs trimmed, and
// "Unknown" when nothing is left; the extension is the classifying row's.
std::filesystem::path RequesterImagePath(const std::filesystem::path& imageDirectory, const DiskIdentity& identity);
std::string ImageNameFromTitle(std::string_view title);

// The "Save..." filter for a row's extension ("Roland S550 (*.s55)"), empty for none.
std::string_view SaveFilterFor(std::string_view extension);

struct FormatResult {
    std::size_t stepsRun = 0;  // steps started
    ProcessOutcome last;       // of the last step started
    std::string program;       // the program of that step
    bool completed() const { return last.started && !last.stopped && last.exitCode == 0; }
};

// Runs the formatter on the drive's device path, step after step, each only when the one
// before it succeeded, so that no later step touches a device the first one refused.
// The drive must be closed. The stop request ends the running step (and the ones it
// started) at once. The formatter's own success is reported in the result; the requester
// is told that formatting has ended either way.
FormatResult FormatFloppy(const FloppyDrive& drive, const FormatCommand& command, ChildProcessRunner& runner,
                          SectorLoopControl& control);

// What the user is told after formatting: nothing when it completed or was stopped.
std::optional<Failure> FormatFailure(const FormatResult& result);

} // namespace veldin
