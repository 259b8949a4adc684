#pragma once
// The song logic on an open disk image document: reads come from its working copy and
// every change is one step of its undo store.

#include "core/Document.h"
#include "midi/SongImage.h"

namespace veldin::midi {

class DocumentSongImage final : public SongImage {
public:
    explicit DocumentSongImage(Document& document) : document_(document) {}
    Status read(std::uint32_t offset, std::span<std::uint8_t> out) const override { return document_.read(offset, out); }
    Status record(const ImageOperation& op) override;

    // Undo and redo of the document, handed back as the song logic's refresh needs them.
    Result<StepResult> undo();
    Result<StepResult> redo();

private:
    Document& document_;
};

// The store's answer in the song logic's terms (the operation code keeps its sign:
// renaming is operation -106).
StepResult FromStore(const veldin::StepResult& r);

} // namespace veldin::midi
