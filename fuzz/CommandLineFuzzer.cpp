// The launcher's command line, as one line (split as the launcher splits it) and as the
// NUL-separated arguments a program gets. Properties checked: no argument keeps a
// quote, and quoting every argument and joining them gives a line that splits to the
// same arguments; every image to open is one of the arguments, exists, and goes to the
// Tone, Patch or MIDI Editor (a bare path the one of its kind); usage is shown only when nothing opens; and every request
// handed to a running launcher arrives as itself.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "launcher/CommandLine.h"
#include "launcher/InstanceMessages.h"
#include "launcher/ModuleHost.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace veldin::launcher;
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    const std::vector<std::string> split = SplitCommandLine(text);
    std::string joined;
    for (const std::string& a : split) {
        if (a.find('"') != std::string::npos) std::abort();
        joined += (joined.empty() ? "\"" : " \"") + a + "\"";
    }
    if (SplitCommandLine(joined) != split) std::abort();

    std::vector<std::string> args;
    for (std::size_t start = 0; start <= text.size();) {
        const std::size_t end = std::min(text.find('\0', start), text.size());
        args.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    // A file exists when its name has an odd byte count.
    const auto exists = [](const std::filesystem::path& p) { return p.string().size() % 2 == 1; };
    // A bare path's kind: by its byte count, none, the Tone or the MIDI Editor.
    const auto kind = [](const std::filesystem::path& p) {
        constexpr int kinds[] = {0, kToneButton, kMidiButton};
        return kinds[p.string().size() / 2 % 3];
    };
    const CommandLineResult r = ParseCommandLine(args, exists, kind);
    // Without -o options every image goes where its kind says.
    if (std::none_of(args.begin(), args.end(), [](const std::string& a) { return a.starts_with("-o"); }))
        for (const OpenRequest& o : r.opens)
            if (o.button != kind(o.path)) std::abort();
    if (r.showUsage && !r.opens.empty()) std::abort();
    InstanceReader reader;
    for (const OpenRequest& o : r.opens) {
        if (o.button != kToneButton && o.button != kPatchButton && o.button != kMidiButton) std::abort();
        if (!exists(o.path) || std::find(args.begin(), args.end(), o.path.string()) == args.end()) std::abort();
        reader.feed(OpenMessage(o));
        const auto m = reader.next();
        if (!m || m->close || !(m->open == o)) std::abort();
    }
    if (reader.broken()) std::abort();
    return 0;
}
