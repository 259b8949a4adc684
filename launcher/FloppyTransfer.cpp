#include "launcher/FloppyTransfer.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <new>

#include "core/Geometry.h"
#include "launcher/FloppyTexts.h"

namespace veldin {
namespace {

using Buffer = std::vector<std::uint8_t>;

std::optional<Buffer> WholeDiskBuffer() {
    try {
        return Buffer(static_cast<std::size_t>(kImageSize), 0);
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

TransferResult Ended(SectorLoopControl& control, TransferState state, std::optional<Failure> failure = {}) {
    control.state.store(state);
    TransferResult r;
    r.state = state;
    r.failure = std::move(failure);
    return r;
}

// One sector through the loop without progress; a sector that cannot be read stays zero.
std::array<std::uint8_t, kSectorSize> IdentificationRead(FloppyDevice& device, std::int32_t sector,
                                                         const LoopContext& context) {
    std::array<std::uint8_t, kSectorSize> bytes{};
    auto report = ReadSectors(device, sector, 1, bytes, context);
    if (!report || !report->completed() || !report->skipped.empty()) bytes.fill(0);
    return bytes;
}

DiskMemo MemoOf(const DiskDefinition& row, std::span<const std::uint8_t, kSectorSize> memoSector) {
    std::array<std::uint8_t, kSectorSize> copy{};
    std::copy(memoSector.begin(), memoSector.end(), copy.begin());
    return DecodeMemo(row, copy);
}

// Writes the image beside `target` and renames it over the target, so that a failure
// never leaves a cut-off image under the chosen name.
bool SaveImage(const std::filesystem::path& target, std::span<const std::uint8_t> bytes) {
    std::filesystem::path temp = target;
    temp += ".vdn-part";
    std::error_code ec;
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        out.flush();
        if (!out) {
            out.close();
            std::filesystem::remove(temp, ec);
            return false;
        }
    }
    std::filesystem::rename(temp, target, ec);
    if (ec) {
        std::filesystem::remove(temp, ec);
        return false;
    }
    return true;
}

bool IsNameReplaced(char c) {
    constexpr std::string_view kReplaced = "\"*,/:<?\\|";
    return kReplaced.find(c) != std::string_view::npos;
}

} // namespace

DiskIdentity IdentifyImage(std::span<const std::uint8_t> image) {
    DiskIdentity id;
    id.definition = ClassifyImage(image.first(std::min<std::size_t>(image.size(), kHeaderSize)));
    std::array<std::uint8_t, kSectorSize> memo{};
    const auto offset = SectorToOffset(id.definition.memoSector);
    if (id.definition.memoSector >= 0 && offset >= 0 && static_cast<std::size_t>(offset) + kSectorSize <= image.size())
        std::copy_n(image.begin() + offset, kSectorSize, memo.begin());
    id.memo = MemoOf(id.definition, memo);
    return id;
}

Result<OpenedDrive> OpenAndIdentify(FloppyDrive& drive, DriveAccess access, const LoopContext& context) {
    auto device = drive.open(access);
    if (!device) return device.failure();
    context.control.stopRequest.store(false);
    OpenedDrive opened;
    opened.device = std::move(*device);
    const auto sector0 = IdentificationRead(*opened.device, 0, context);
    opened.identity.definition = ClassifyImage(std::span<const std::uint8_t>(sector0).first(kHeaderSize));
    const std::int32_t memoSector = opened.identity.definition.memoSector;
    if (memoSector == 0) {
        opened.identity.memo = MemoOf(opened.identity.definition, sector0);
    } else {
        std::array<std::uint8_t, kSectorSize> memo{};
        if (memoSector > 0) memo = IdentificationRead(*opened.device, memoSector, context);
        opened.identity.memo = MemoOf(opened.identity.definition, memo);
    }
    context.control.state.store(TransferState::Prepared);
    return opened;
}

Status CheckReadable(const DiskIdentity& identity) {
    if (identity.definition.isFallback()) return Fail(text::kFloppyNotRoland, Icon::Warning);
    return {};
}

void BeginTransfer(SectorLoopControl& control) {
    control.stopRequest.store(false);
    control.state.store(TransferState::Running);
}

TransferResult ReadFloppyToImage(FloppyDevice& device, const DiskIdentity& identity, const LoopContext& context,
                                 SectorProgress* progress, const OutputChooser& chooseOutput) {
    auto& control = context.control;
    if (auto readable = CheckReadable(identity); !readable) return Ended(control, TransferState::Failed, readable.failure());
    auto buffer = WholeDiskBuffer();
    if (!buffer) return Ended(control, TransferState::Failed, Fail(text::kCantAllocate));

    auto loop = ReadSectors(device, 0, kSectorCount, *buffer, context, progress);
    if (!loop) return Ended(control, TransferState::Failed, loop.failure());
    if (!loop->completed()) {
        auto r = Ended(control, TransferState::Failed);
        r.loopEnd = loop->end;
        r.skipped = loop->skipped;
        return r;
    }
    // Skipped sectors keep the zero bytes the buffer was made with.
    const auto target = chooseOutput ? chooseOutput(identity) : std::nullopt;
    if (!target) return Ended(control, TransferState::Cancelled);
    if (!SaveImage(*target, *buffer)) return Ended(control, TransferState::Failed, Fail(text::kCantCreateOutput));
    auto r = Ended(control, TransferState::Succeeded);
    r.skipped = std::move(loop->skipped);
    r.image = *target;
    return r;
}

TransferResult WriteImageToFloppy(FloppyDevice& device, const std::filesystem::path& imageFile,
                                  const LoopContext& context, SectorProgress* progress,
                                  const std::function<bool(const DiskIdentity&)>& identified) {
    auto& control = context.control;
    auto buffer = WholeDiskBuffer();
    if (!buffer) return Ended(control, TransferState::Failed, Fail(text::kCantAllocate));
    std::error_code ec;
    std::ifstream in(imageFile, std::ios::binary);
    if (!in || std::filesystem::is_directory(imageFile, ec))
        return Ended(control, TransferState::Failed, Fail(text::kCantOpenSource));
    in.seekg(0, std::ios::end);
    if (static_cast<std::int64_t>(in.tellg()) != kImageSize)
        return Ended(control, TransferState::Failed, Fail(text::kInvalidSourceSize));
    in.seekg(0);
    if (!in.read(reinterpret_cast<char*>(buffer->data()), kImageSize))
        return Ended(control, TransferState::Failed, Fail(text::kCantOpenSource));
    in.close();
    if (identified && !identified(IdentifyImage(*buffer))) return Ended(control, TransferState::Cancelled);

    auto loop = WriteSectors(device, 0, kSectorCount, *buffer, context, progress);
    if (!loop) return Ended(control, TransferState::Failed, loop.failure());
    const bool written = loop->completed() && device.flush();
    auto r = Ended(control, written ? TransferState::Succeeded : TransferState::Failed);
    r.loopEnd = loop->end;
    r.skipped = std::move(loop->skipped);
    return r;
}

std::optional<std::string> OverwriteQuestion(const DiskIdentity& floppy, const DiskIdentity& image) {
    if (floppy.definition.isFallback() || floppy.definition == image.definition) return std::nullopt;
    return std::string(text::kOverwriteOtherKind) + std::string(text::kSamplerLabel) +
           std::string(floppy.definition.samplerName) + "  " + std::string(text::kTypeLabel) +
           std::string(floppy.definition.kindName) + std::string(text::kOverwriteOtherKindEnd);
}

std::string ImageNameFromTitle(std::string_view title) {
    std::string name(title);
    std::replace_if(name.begin(), name.end(), IsNameReplaced, '_');
    const auto isPad = [](char c) { return c == ' ' || c == '\t'; };
    const auto first = std::find_if_not(name.begin(), name.end(), isPad);
    const auto last = std::find_if_not(name.rbegin(), name.rend(), isPad).base();
    name = first < last ? std::string(first, last) : std::string();
    // Control bytes of a line memo would make a file name that no dialog can show.
    std::replace_if(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; },
                    '_');
    return name.empty() ? std::string(text::kUnknownImageName) : name;
}

std::filesystem::path RequesterImagePath(const std::filesystem::path& imageDirectory, const DiskIdentity& identity) {
    return imageDirectory / (ImageNameFromTitle(identity.memo.title) + std::string(identity.definition.extension));
}

std::string_view SaveFilterFor(std::string_view extension) {
    if (extension == ".sdk") return text::kFilterW30;
    if (extension == ".s50") return text::kFilterS50;
    if (extension == ".s33") return text::kFilterS330;
    if (extension == ".s55") return text::kFilterS550;
    if (extension == ".sys") return text::kFilterOs;
    if (extension == ".sng") return text::kFilterW30Song;
    return {};
}

FormatResult FormatFloppy(const FloppyDrive& drive, const FormatCommand& command, ChildProcessRunner& runner,
                          SectorLoopControl& control) {
    FormatResult result;
    for (const auto& step : ForDevice(command, drive.path())) {
        if (step.empty()) continue;
        ++result.stepsRun;
        result.program = step.front();
        result.last = runner.run(step, control.stopRequest);
        if (!result.completed()) break;
    }
    control.state.store(result.completed()      ? TransferState::Succeeded
                        : result.last.stopped ? TransferState::Cancelled
                                              : TransferState::Failed);
    return result;
}

std::optional<Failure> FormatFailure(const FormatResult& result) {
    if (result.completed() || result.last.stopped) return std::nullopt;
    if (result.stepsRun == 0 || !result.last.started) return Fail(text::kFormatterNotStarted);
    return Fail(text::kFormatterFailed);
}

} // namespace veldin
