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
        // A memory file system where there is one: rewriting a step file on a disk file
        // system waits for the disk, and the properties do not depend on it.
        std::error_code ec;
        const fs::path base = fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path();
        root = base / ("veldin-fuzz-" + std::to_string(rd()));
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

// One store for the whole run, with one valid step recorded; its file is kept so that
// the store can be brought back to a known step after every input.
struct Store {
    explicit Store(Setting& s) : ws{s.files, s.root / "main", s.root / "temp", s.random} {
        auto started = UndoStore::Start(ws, s.userFile);
        Check(started.ok());
        store = std::move(*started);
        const Bytes block(64, 0xEE);
        Check(store->record({.code = 7, .returnedBlock = 0, .parameter = 1, .blocks = {{512, block}}}).ok());
        validStep = ReadAll(store->stepPath(1));
    }
    // current step 1 (for undo) or 0 (for redo), with a valid step file 1.
    void bringTo(std::uint32_t step) {
        Put(store->stepPath(1), validStep.data(), validStep.size());
        if (store->state().currentStep == step) return;
        Check((step == 0 ? store->back() : store->forward()).ok());
    }
    Workspace ws;
    std::unique_ptr<UndoStore> store;
    Bytes validStep;
};

void HandOver(Store& s, const std::uint8_t* data, std::size_t size, bool undo) {
    s.bringTo(undo ? 1 : 0);
    UndoStore& store = *s.store;
    Put(store.stepPath(1), data, size);
    // Kept between runs: a fresh image-sized buffer each time costs more than the run.
    static Bytes before(kImageSize), after(kImageSize);
    const int wc = store.state().workingCopyHandle;
    Check(os::SystemFileOps().readAt(wc, 0, before) == kImageSize);
    const auto step = store.state().currentStep;

    if (size > 0) (void)store.peek(data[0] % 4, data[0] & 0x80 ? StepSide::New : StepSide::Old);
    const auto result = undo ? store.back() : store.forward();
    Check(os::SystemFileOps().size(wc) == kImageSize);
    Check(os::SystemFileOps().readAt(wc, 0, after) == kImageSize);
    if (!result.ok()) {
        Check(after == before);
        Check(store.state().currentStep == step);
    } else {
        Check(store.state().currentStep == (undo ? step - 1 : step + 1));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Setting setting;
    static Store store(setting);
    HandOver(store, data, size, true);
    HandOver(store, data, size, false);
    return 0;
}
