#include "core/Document.h"
#include "core/InstallLayout.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "core/FileReplacement.h"
#include "core/Messages.h"

namespace veldin {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::array<SamplerChoiceInfo, 4> kChoices{{
    {SamplerChoice::W30, "Roland W30 (*.sdk)", "*.sdk", "W30", "W-30"},
    {SamplerChoice::S50, "Roland S-50 (*.s50)", "*.s50", "S50", "S-50"},
    {SamplerChoice::S330, "Roland S330 (*.s33)", "*.s33", "S330", "S330"},
    {SamplerChoice::S550, "Roland S550 (*.s55)", "*.s55", "S550", "S550"},
}};

// A new image is its template followed by this many zero bytes.
constexpr std::int64_t kBodySize = kImageSize - kSystemAreaSize; // 673,792 = 0xA4400

// On an S-50 disk only the first half of each patch-area sector is a patch; Save As to
// the S-50 clears the second half of sectors 126-133.
constexpr int kPatchAreaSectors = 8;
constexpr int kHalfSector = kSectorSize / 2;

std::filesystem::path TemplatePath(const Workspace& ws, SamplerChoice choice) {
    return FindDataFile(ws.mainDirectory, std::string(InfoOf(choice).templateName) + ".dat");
}

// The 64,512 bytes of a template file, or "Couldn't find Roland diskimage definitions!".
Result<Bytes> ReadTemplate(const Workspace& ws, SamplerChoice choice, std::int64_t& size) {
    const int handle = ws.files.open(TemplatePath(ws, choice), os::OpenMode::ReadOnly);
    if (handle == os::kNoHandle) return Fail(text::kNoTemplate);
    size = ws.files.size(handle);
    Bytes bytes(kSystemAreaSize);
    const bool ok = size >= 0 && ws.files.readAt(handle, 0, bytes) == std::min<std::int64_t>(size, kSystemAreaSize);
    ws.files.close(handle);
    if (!ok) return Fail(text::kNoTemplate);
    return bytes;
}

Status WriteReplacing(const Workspace& ws, const std::filesystem::path& path, std::span<const std::uint8_t> head,
                      std::span<const std::uint8_t> body) {
    auto file = FileReplacement::Begin(ws.files, path, {.failureText = text::kCantCreateFile, .permissions = std::nullopt, .refuseLockedTarget = true});
    if (!file) return file.failure();
    if (auto s = file->write(0, head); !s) return s;
    if (auto s = file->write(static_cast<std::int64_t>(head.size()), body); !s) return s;
    auto handle = file->commit();
    if (!handle) return handle.failure();
    ws.files.close(*handle);
    return {};
}

} // namespace

std::span<const SamplerChoiceInfo> SamplerChoices() { return kChoices; }

const SamplerChoiceInfo& InfoOf(SamplerChoice choice) {
    for (const auto& c : kChoices)
        if (c.choice == choice) return c;
    return kChoices[0];
}

Document::Document(const Workspace& workspace, std::filesystem::path path, int file)
    : workspace_(workspace), path_(std::move(path)), file_(file) {}

Document::~Document() {
    if (!open_) return;
    store_.reset();
    workspace_.files.close(file_);
}

Result<std::unique_ptr<Document>> Document::Open(const Workspace& ws, const std::filesystem::path& path) {
    os::FileOps& files = ws.files;
    const int file = files.open(path, os::OpenMode::ReadWrite);
    if (file == os::kNoHandle) return Fail(text::kCantOpenFile);
    std::unique_ptr<Document> doc(new Document(ws, path, file));

    // Held exclusively while the document lives, so that no second document, in this
    // process or another, opens the same image.
    switch (files.lockExclusive(file)) {
    case os::LockResult::Locked: break;
    case os::LockResult::Busy: return Fail(text::kCantOpenFile);
    case os::LockResult::Failed: return Fail(text::kCantLockOriginal);
    }
    if (files.size(file) != kImageSize) return Fail(text::kInvalidSize);
    if (files.readAt(file, 0, doc->header_) != kHeaderSize) return Fail(text::kCantOpenFile);
    doc->definition_ = ClassifyImage(doc->header_);
    if (doc->definition_.isFallback()) return Fail(text::kNotRolandImage);

    auto store = UndoStore::Start(ws, file);
    if (!store) return store.failure();
    doc->store_ = std::move(*store);
    return doc;
}

Result<std::unique_ptr<Document>> Document::New(const Workspace& ws, SamplerChoice choice,
                                                const std::filesystem::path& path) {
    std::int64_t templateSize = 0;
    auto head = ReadTemplate(ws, choice, templateSize);
    if (!head) return head.failure();
    // The new file would be the template and 673,792 zero bytes; Open would refuse it
    // for its size or its key, so it is refused before anything is written.
    if (templateSize != kSystemAreaSize) return Fail(text::kInvalidSize);
    if (ClassifyImage(*head).isFallback()) return Fail(text::kNotRolandImage);

    const Bytes body(kBodySize, 0);
    if (auto s = WriteReplacing(ws, path, *head, body); !s) return s.failure();
    return Open(ws, path);
}

Status Document::save() {
    if (!open_) return Fail(text::kNoDocument);
    return store_->save(path_, file_);
}

Status Document::saveAs(SamplerChoice choice, const std::filesystem::path& path) const {
    if (!open_) return Fail(text::kNoDocument);
    Bytes image(kImageSize);
    if (auto s = store_->read(0, image); !s) return Fail(text::kCantCreateFile);
    const auto imageSpan = std::span<const std::uint8_t>(image);
    if (InfoOf(choice).key == definition_.family())
        return WriteReplacing(workspace_, path, imageSpan, {});

    std::int64_t templateSize = 0;
    auto head = ReadTemplate(workspace_, choice, templateSize);
    if (!head) return head.failure();
    if (templateSize != kSystemAreaSize) return Fail(text::kNoTemplate); // would not give a 737,280-byte image
    std::span<std::uint8_t> body = std::span(image).subspan(kSystemAreaSize);
    if (choice == SamplerChoice::S50)
        for (int s = 0; s < kPatchAreaSectors; ++s)
            std::fill_n(body.begin() + s * kSectorSize + kHalfSector, kHalfSector, std::uint8_t{0});
    return WriteReplacing(workspace_, path, *head, body);
}

Document::CloseResult Document::close(UserInteraction& ui, std::string_view programName) {
    if (!open_) return CloseResult::Closed;
    if (store_->isModified()) {
        const std::string question = path_.string() + std::string(text::kNotSavedQuestion);
        switch (ui.ask(question, programName, Buttons::YesNoCancel, Icon::Question)) {
        case Answer::Yes:
            if (auto s = save(); !s) {
                // Closing now would lose the changes that the user asked to keep.
                ui.report(s.failure(), programName);
                return CloseResult::Cancelled;
            }
            break;
        case Answer::No: break;
        default: return CloseResult::Cancelled;
        }
    }
    store_->close();
    workspace_.files.close(file_);
    open_ = false;
    return CloseResult::Closed;
}

Result<Document*> DocumentSlot::get() const {
    if (!document_ || !document_->isOpen()) return Fail(text::kNoDocument);
    return document_.get();
}

bool HandoverPath::set(const std::filesystem::path& path) {
    if (path.native().size() >= kCapacity) return false;
    path_ = path;
    return true;
}

std::optional<std::filesystem::path> HandoverPath::take() {
    if (path_.empty()) return std::nullopt;
    return std::exchange(path_, {});
}

int DocumentFileOp(DocumentSlot& slot, int code, const FileOpRequest& request, const Workspace& ws,
                   UserInteraction& ui, std::string_view programName) {
    const auto report = [&](const Failure& f) { ui.report(f, programName); };
    switch (static_cast<FileOp>(code)) {
    case FileOp::New:
    case FileOp::Open: {
        if (request.path.empty() || !slot.empty()) return 0;
        auto doc = static_cast<FileOp>(code) == FileOp::New ? Document::New(ws, request.choice, request.path)
                                                             : Document::Open(ws, request.path);
        if (!doc) {
            report(doc.failure());
            return 0;
        }
        slot.attach(std::move(*doc));
        return 1;
    }
    case FileOp::Save: {
        auto doc = slot.get();
        if (!doc) {
            report(doc.failure());
            return 1;
        }
        auto s = (*doc)->save();
        if (!s) report(s.failure());
        return s ? 0 : 1;
    }
    case FileOp::SaveAs: {
        auto doc = slot.get();
        if (!doc) {
            report(doc.failure());
            return 0;
        }
        if (request.path.empty()) return 0;
        auto s = (*doc)->saveAs(request.choice, request.path);
        if (!s) report(s.failure());
        return s ? 1 : 0;
    }
    case FileOp::Close: {
        auto doc = slot.get();
        if (!doc) return 1; // a window without a document closes without question
        if ((*doc)->close(ui, programName) == Document::CloseResult::Cancelled) return 2;
        slot.detach();
        return 1;
    }
    }
    return 0;
}

} // namespace veldin
