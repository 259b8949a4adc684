// Corrupt step files handed to undo and to redo. Properties checked: a step that is
// refused leaves the working copy exactly as it was and the step counters unchanged; no
// write ever reaches outside the image's 737,280 bytes; the working copy keeps its size.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <span>
#include <vector>

#include "core/Geometry.h"
#include "core/UndoStore.h"

namespace {

namespace fs = std::filesystem;
using namespace veldin;
using Bytes = std::vector<std::uint8_t>;

// Aborts on any write to the working copy outside the image; skips flushing, which the
// properties do not depend on, to keep runs fast.
class GuardedFileOps final : public os::ForwardingFileOps {
public:
    GuardedFileOps() : ForwardingFileOps(os::SystemFileOps()) {}
    int open(const fs::path& p, os::OpenMode m) override {
        const int h = next().open(p, m);
        if (h != os::kNoHandle && p.filename() == "image.stp") workingCopy_ = h;
        return h;
    }
    bool writeAt(int h, std::int64_t o, std::span<const std::uint8_t> b) override {
        if (h == workingCopy_ && (o < 0 || o + static_cast<std::int64_t>(b.size()) > kImageSize)) std::abort();
        return next().writeAt(h, o, b);
    }
    bool sync(int) override { return true; }

private:
    int workingCopy_ = os::kNoHandle;
};

struct Setting {
    Setting() {
        std::random_device rd;
        root = fs::temp_directory_path() / ("veldin-fuzz-" + std::to_string(rd()));
        fs::create_directories(root / "main");
        fs::create_directories(root / "temp");
        Bytes image(kImageSize);
        for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i * 31 + (i >> 9));
        std::ofstream(root / "image.s55", std::ios::binary)
            .write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
        userFile = files.open(root / "image.s55", os::OpenMode::ReadOnly);
    }
    ~Setting() {
        files.close(userFile);
        std::error_code ec;
        fs::remove_all(root, ec);
    }
    GuardedFileOps files;
    MinStdRandom random;
    fs::path root;
    int userFile = os::kNoHandle;
};

Bytes ReadAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary | std::ios::ate);
    Bytes bytes(static_cast<std::size_t>(std::max<std::streamoff>(in.tellg(), 0)));
    in.seekg(0);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

void Put(const fs::path& p, const std::uint8_t* data, std::size_t size) {
    std::ofstream(p, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

void Check(bool ok) {
    if (!ok) std::abort();
}

// A store with one valid step recorded, then undone when `undone`.
std::unique_ptr<UndoStore> StoreWithOneStep(Setting& s, bool undone) {
    Workspace ws{s.files, s.root / "main", s.root / "temp", s.random};
    auto store = UndoStore::Start(ws, s.userFile);
    Check(store.ok());
    const Bytes block(64, 0xEE);
    Check((*store)->record({.code = 7, .returnedBlock = 0, .parameter = 1, .blocks = {{512, block}}}).ok());
    if (undone) Check((*store)->back().ok());
    return std::move(*store);
}

void HandOver(Setting& s, const std::uint8_t* data, std::size_t size, bool undo) {
    auto store = StoreWithOneStep(s, !undo);
    Put(store->stepPath(1), data, size);
    const Bytes before = ReadAll(store->workingCopyPath());
    const auto step = store->state().currentStep;

    if (size > 0) (void)store->peek(data[0] % 4, data[0] & 0x80 ? StepSide::New : StepSide::Old);
    const auto result = undo ? store->back() : store->forward();
    const Bytes after = ReadAll(store->workingCopyPath());
    Check(after.size() == static_cast<std::size_t>(kImageSize));
    if (!result.ok()) {
        Check(after == before);
        Check(store->state().currentStep == step);
    } else {
        Check(store->state().currentStep == (undo ? step - 1 : step + 1));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Setting setting;
    HandOver(setting, data, size, true);
    HandOver(setting, data, size, false);
    return 0;
}
