// The formatter's command line. Property checked: a parsed line has no empty step, and
// quoting its arguments and joining its steps again gives a line that parses to the
// same steps.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "launcher/FormatCommand.h"

namespace {

// Single quotes take everything literally but a quote, which goes outside as \'.
std::string Quoted(const std::string& arg) {
    std::string out = "'";
    for (char c : arg) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace veldin;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto command = ParseFormatCommand(text);
    if (!command) return 0;
    std::string line;
    for (const auto& step : command->steps) {
        if (step.empty()) std::abort();
        if (!line.empty()) line += " && ";
        for (const auto& arg : step) line += Quoted(arg) + " ";
    }
    if (ParseFormatCommand(line) != command) std::abort();
    (void)ForDevice(*command, "/dev/fd0");
    return 0;
}
