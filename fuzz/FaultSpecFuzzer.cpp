// The fault options of the file-backed drive, one by one and as a whole plan. Property
// checked: whatever parses is in range and prints back to a text that parses to the same
// fault (or geometry).
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/FileFloppy.h"

namespace {

std::string Print(const veldin::SectorFault& f) {
    using Kind = veldin::SectorFault::Kind;
    const std::string s = std::to_string(f.sector) + ":";
    if (f.kind == Kind::Always) return s + "always";
    return s + (f.kind == Kind::FailTimes ? "fail=" : "slow=") + std::to_string(f.value);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace veldin;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (const auto f = ParseFault(text)) {
        if (f->sector >= kSectorCount) std::abort();
        if (f->kind == SectorFault::Kind::Always && f->value != 0) std::abort();
        if (ParseFault(Print(*f)) != f) std::abort();
    }
    if (const auto g = ParseGeometry(text)) {
        for (int v : {g->tracks, g->heads, g->sectors})
            if (v < 0 || v > 255) std::abort();
        const std::string again =
            std::to_string(g->tracks) + "x" + std::to_string(g->heads) + "x" + std::to_string(g->sectors);
        if (ParseGeometry(again) != g) std::abort();
    }
    if (const auto plan = ParseFaultPlan(text)) {
        for (const auto& f : plan->faults)
            if (f.sector >= kSectorCount || ParseFault(Print(f)) != f) std::abort();
        if (plan->slowMs > 60000) std::abort();
    }
    return 0;
}
