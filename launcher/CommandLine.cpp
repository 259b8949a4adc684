#include "launcher/CommandLine.h"

#include <algorithm>

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

CommandLineResult ParseCommandLine(const std::vector<std::string>& args,
                                   const std::function<bool(const std::filesystem::path&)>& fileExists) {
    CommandLineResult r;
    int button = 0;
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
            default: break; // -o with another letter is ignored
            }
            continue;
        }
        if (button != 0 && fileExists(a)) r.opens.push_back({button, a});
    }
    r.showUsage = anyGiven && r.opens.empty();
    return r;
}

} // namespace veldin::launcher
