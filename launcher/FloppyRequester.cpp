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

} // namespace veldin
