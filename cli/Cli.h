#pragma once
// Shared pieces of veldin-cli: exit codes, how fixed texts reach the terminal, and a
// small JSON writer.

#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "core/Result.h"

namespace veldin::cli {

// kIncomplete: the operation ended, but with sectors skipped (named on standard error).
enum Exit : int { kOk = 0, kRefused = 1, kUsage = 2, kIncomplete = 3 };

using Args = std::vector<std::string>;

struct Command {
    std::string_view name;
    std::string_view synopsis; // "info IMAGE [--json]"
    std::string_view help;     // full text for "veldin-cli CMD --help"
    int (*run)(const Args& args, std::ostream& out, std::ostream& err);
};

// The fixed texts carry the line breaks the user has always seen ("\n\r"); a terminal
// wants plain newlines.
std::string TerminalText(std::string_view text);

// Prints "veldin-cli: " + the failure's text to `err` and returns kRefused.
int Refuse(std::ostream& err, const Failure& failure);
int UsageError(std::ostream& err, std::string_view command, std::string_view problem);

bool WantsHelp(const Args& args);

// Minimal JSON output: objects, arrays, strings, numbers and booleans, written in order.
class JsonWriter {
public:
    explicit JsonWriter(std::ostream& out) : out_(out) {}
    JsonWriter& beginObject();
    JsonWriter& endObject();
    JsonWriter& beginArray();
    JsonWriter& endArray();
    JsonWriter& key(std::string_view k);
    JsonWriter& value(std::string_view s);
    JsonWriter& value(const char* s) { return value(std::string_view(s)); }
    JsonWriter& value(long long n);
    JsonWriter& value(bool b);
    JsonWriter& null();

private:
    void separate();
    std::ostream& out_;
    std::vector<bool> first_;
    bool afterKey_ = false;
};

// Bytes of sampler texts are not always ASCII; bytes above 7Eh are read as Latin-1.
std::string JsonEscape(std::string_view s);

} // namespace veldin::cli
