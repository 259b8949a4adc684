#pragma once
// The disk image document seen through the narrow interface that the tone and patch
// logic share: reads come from the undo store's working copy, every change becomes one
// undo step, and undo and redo hand back what the editors refresh from.

#include "core/Document.h"
#include "tone/ToneDocument.h"

namespace veldin::patch {

class ImageDocument final : public tone::ToneDocument {
public:
    explicit ImageDocument(Document& doc) : doc_(doc) {}

    const DiskDefinition& definition() const override { return doc_.definition(); }
    bool read(std::uint32_t offset, std::span<std::uint8_t> out) const override { return doc_.read(offset, out).ok(); }
    Status record(const tone::ToneOperation& op) override;

    Result<tone::StepResult> undo();
    Result<tone::StepResult> redo();

private:
    Document& doc_;
};

} // namespace veldin::patch
