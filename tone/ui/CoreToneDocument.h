#pragma once
// The tone logic's view of an open disk image, over the core's document: reads come
// from the undo store's working copy and every change is recorded as one undo step.

#include "core/Document.h"
#include "tone/ToneDocument.h"

namespace veldin::quilla {

class CoreToneDocument final : public tone::ToneDocument {
public:
    explicit CoreToneDocument(Document& doc) : doc_(doc) {}
    const DiskDefinition& definition() const override { return doc_.definition(); }
    bool read(std::uint32_t offset, std::span<std::uint8_t> out) const override;
    Status record(const tone::ToneOperation& op) override;

private:
    Document& doc_;
};

} // namespace veldin::quilla
