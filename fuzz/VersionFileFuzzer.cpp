// Update details of any content. Properties checked: a file that parses is written back
// to exactly the bytes it was read from (bytes after the last entry are not part of the
// file: the written file is the shortest start of the input that parses, and it parses
// to the same details), and every name that the plan accepts is a plain
// file name, so no entry can lead outside the installation directory.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "update/Updater.h"
#include "update/VersionFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace veldin::update;
    const std::span<const std::uint8_t> in(data, size);
    auto details = ParseVersionFile(in);
    if (!details) return 0;
    const auto again = WriteVersionFile(*details);
    if (again.size() > size || !std::equal(again.begin(), again.end(), in.begin())) std::abort();
    if (ParseVersionFile(in.first(again.size() - 1))) std::abort();
    const auto reread = ParseVersionFile(again);
    if (!reread || reread->reserved != details->reserved || reread->entries != details->entries) std::abort();
    for (const auto& f : PlanUpdate(*details, "/nonexistent-veldin-install")) {
        if (!f.safeName) {
            if (f.decision.fetch) std::abort();
            continue;
        }
        for (const std::string* n : {&f.fullName, &f.packedName})
            if (n->empty() || n->find_first_of("/\\:") != std::string::npos || n->find("..") != std::string::npos)
                std::abort();
    }
    return 0;
}
