#pragma once
// A module that asks the launcher for a floppy operation (the requester) and what it is
// told at the end. One requester at a time: a request while another is pending is
// refused.

#include <cstdint>
#include <optional>
#include <string>

#include "core/ModuleMessages.h"
#include "launcher/FloppyTransfer.h"

namespace veldin {

enum class FloppyOperation : std::uint8_t { Read, Write, Format };

// The operation of a module's `LM_FLOPPY_REQUEST` (lParam 1040 read, 1042 format);
// nothing for any other value.
std::optional<FloppyOperation> RequestedOperation(std::uint32_t lParam);

class RequesterSlot {
public:
    // Records the requester; false, changing nothing, while another one is recorded.
    bool accept(msg::ModuleCode module, FloppyOperation operation);
    void forget() { requester_.reset(); }
    std::optional<msg::ModuleCode> requester() const { return requester_; }
    std::optional<FloppyOperation> operation() const { return requester_ ? std::optional(operation_) : std::nullopt; }

private:
    std::optional<msg::ModuleCode> requester_;
    FloppyOperation operation_ = FloppyOperation::Read;
};

// `EDM_FLOPPY_RESULT` for the requester: wParam 1040 with the new image's path (or 0:
// an empty path), 1041 with 1 when written, else 0, and 1008 with 0 after formatting.
struct FloppyResultMessage {
    std::uint32_t wParam = 0;
    std::uint32_t lParam = 0; // 1041, 1008
    std::string path;         // 1040: empty means lParam 0

    friend bool operator==(const FloppyResultMessage&, const FloppyResultMessage&) = default;
};

FloppyResultMessage ReadResultMessage(const TransferResult& result);
FloppyResultMessage WriteResultMessage(const TransferResult& result);
FloppyResultMessage FormatResultMessage();

// What a requester is told when the stage ends: the result of the operation that ran when
// it is the one asked for (`ran` nothing: none ran), else that it was not done.
FloppyResultMessage RequesterResult(FloppyOperation requested, std::optional<FloppyOperation> ran,
                                    const TransferResult& result);

} // namespace veldin
