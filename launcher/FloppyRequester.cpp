#include "launcher/FloppyRequester.h"

namespace veldin {

std::optional<FloppyOperation> RequestedOperation(std::uint32_t lParam) {
    if (lParam == msg::kFloppyRead) return FloppyOperation::Read;
    if (lParam == msg::kFloppyFormat) return FloppyOperation::Format;
    return std::nullopt;
}

bool RequesterSlot::accept(msg::ModuleCode module, FloppyOperation operation) {
    if (requester_) return false;
    requester_ = module;
    operation_ = operation;
    return true;
}

FloppyResultMessage ReadResultMessage(const TransferResult& result) {
    FloppyResultMessage m{msg::kFloppyRead, 0, {}};
    if (result.state == TransferState::Succeeded) m.path = result.image.string();
    return m;
}

FloppyResultMessage WriteResultMessage(const TransferResult& result) {
    return {msg::kFloppyWrite, result.state == TransferState::Succeeded ? 1u : 0u, {}};
}

FloppyResultMessage FormatResultMessage() { return {msg::kFloppyFormatDone, 0, {}}; }

FloppyResultMessage RequesterResult(FloppyOperation requested, std::optional<FloppyOperation> ran,
                                    const TransferResult& result) {
    static const TransferResult kNotDone{};
    const TransferResult& r = ran == requested ? result : kNotDone;
    switch (requested) {
    case FloppyOperation::Read: return ReadResultMessage(r);
    case FloppyOperation::Write: return WriteResultMessage(r);
    case FloppyOperation::Format: return FormatResultMessage();
    }
    return FormatResultMessage();
}

} // namespace veldin
