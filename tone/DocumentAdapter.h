#pragma once
// The disk image document seen through the narrow interface of the tone logic: reads
// come from the undo store's working copy, every tone change becomes one undo step.

#include "core/Document.h"
#include "tone/ToneDocument.h"

namespace veldin::tone {

class DocumentAdapter final : public ToneDocument {
public:
    explicit DocumentAdapter(Document& doc) : doc_(doc) {}

    const DiskDefinition& definition() const override { return doc_.definition(); }
    bool read(std::uint32_t offset, std::span<std::uint8_t> out) const override { return doc_.read(offset, out).ok(); }
    Status record(const ToneOperation& op) override;

    // Undo and redo of the document, in the form the tone editor refreshes from.
    Result<StepResult> undo();
    Result<StepResult> redo();

private:
    Document& doc_;
};

} // namespace veldin::tone
