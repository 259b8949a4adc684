#include "launcher/CommandLine.h"

#include <algorithm>
#include <array>
#include <fstream>

#include "core/DiskDefinition.h"
#include "launcher/ModuleHost.h"

namespace veldin::launcher {

std::vector<std::string> SplitCommandLine(std::string_view line) {
    if (std::count(line.begin(), line.end(), '"') % 2 != 0) return {};
    std::vector<std::string> out;
    std::string cur;
    bool quoted = false, any = false;
    for (char c : line) {
        if (c == '"') {
            quoted = !quoted;
            any = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (any) out.push_back(cur);
            cur.clear();
            any = false;
        } else {
            cur += c;
            any = true;
        }
    }
    if (any) out.push_back(cur);
    return out;
}

int EditorForHeader(std::span<const std::uint8_t> header) {
    const DiskDefinition d = ClassifyImage(header);
    if (d.hasSounds) return kToneButton; // S-series and W-30 sound disks, W-30 system disks
    if (d.hasSongs) return kMidiButton;
    return 0;
}

int EditorForFile(const std::filesystem::path& path) {
    std::array<std::uint8_t, 16> header{};
    std::ifstream in(path, std::ios::binary);
    in.read(reinterpret_cast<char*>(header.data()), header.size());
    if (in.gcount() != static_cast<std::streamsize>(header.size())) return 0;
    return EditorForHeader(header);
}

CommandLineResult ParseCommandLine(const std::vector<std::string>& args,
                                   const std::function<bool(const std::filesystem::path&)>& fileExists,
                                   const std::function<int(const std::filesystem::path&)>& editorOf) {
    CommandLineResult r;
    constexpr int kByKind = -1; // no "-o" option yet: each file's kind picks its editor
    int button = kByKind;
    bool anyGiven = false;
    for (const std::string& a : args) {
        if (a.empty()) break;
        if (a.rfind("--", 0) == 0) continue;
        anyGiven = true;
        if (a.size() == 3 && a[0] == '-' && a[1] == 'o') {
            switch (a[2]) {
            case 'T': button = kToneButton; break;
            case 'P': button = kPatchButton; break;
            case 'M': button = kMidiButton; break;
            default:
                // -o with another letter is ignored, but it still ends the choice by kind:
                // "-oX disk.s55" opens nothing.
                if (button == kByKind) button = 0;
                break;
            }
            continue;
        }
        if (button == 0 || !fileExists(a)) continue;
        const int target = button == kByKind ? (editorOf ? editorOf(a) : 0) : button;
        if (target != 0) r.opens.push_back({target, a});
    }
    r.showUsage = anyGiven && r.opens.empty();
    return r;
}

} // namespace veldin::launcher
