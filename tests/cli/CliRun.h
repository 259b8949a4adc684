#pragma once
// veldin-cli run in this process, with what it printed; and the files the commands read.

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "core/Bytes.h"
#include "tests/support/TestSupport.h"

namespace veldin::cli {

struct CliResult {
    int rc;
    std::string out, err;
};

inline CliResult Cli(Args args) {
    std::ostringstream out, err;
    const int rc = Main(args, out, err);
    return {rc, out.str(), err.str()};
}

// A command that must succeed; what it printed, for further checks.
inline CliResult Ok(const Args& args) {
    CliResult r = Cli(args);
    EXPECT_EQ(r.rc, 0) << testing::PrintToString(args) << "\n" << r.err;
    return r;
}

inline void ExpectHas(const std::string& text, std::string_view part) {
    EXPECT_NE(text.find(part), std::string::npos) << "'" << part << "' in:\n" << text;
}

// A refused command: its exit code and what it said. A message given with the program's
// prefix is the whole of stderr; any other is a part of it.
struct Refusal {
    Args args;
    int rc;
    std::string err = "";
};

inline void ExpectRefusals(const std::vector<Refusal>& refusals) {
    for (const Refusal& f : refusals) {
        SCOPED_TRACE(testing::PrintToString(f.args));
        const CliResult r = Cli(f.args);
        EXPECT_EQ(r.rc, f.rc) << r.err;
        if (f.err.starts_with("veldin-cli: ")) {
            EXPECT_EQ(r.err, f.err);
        } else {
            ExpectHas(r.err, f.err);
        }
    }
}

// A 16-bit PCM WAV whose sample i is i * slope.
inline std::vector<std::uint8_t> Wav16(std::size_t samples, int channels, std::uint32_t rate, int slope) {
    const auto ch = static_cast<std::size_t>(channels);
    std::vector<std::uint8_t> b(44 + samples * 2 * ch);
    const auto at = [&](std::size_t i) { return std::span(b).subspan(i); };
    const auto put = [&](std::size_t i, const char* id) { std::copy(id, id + 4, b.begin() + static_cast<long>(i)); };
    put(0, "RIFF");
    WriteLe32(static_cast<std::uint32_t>(b.size() - 8), at(4));
    put(8, "WAVE");
    put(12, "fmt ");
    WriteLe32(16, at(16));
    WriteLe16(1, at(20));
    WriteLe16(static_cast<std::uint16_t>(channels), at(22));
    WriteLe32(rate, at(24));
    WriteLe32(rate * 2u * static_cast<std::uint32_t>(channels), at(28));
    WriteLe16(static_cast<std::uint16_t>(2 * channels), at(32));
    WriteLe16(16, at(34));
    put(36, "data");
    WriteLe32(static_cast<std::uint32_t>(samples * 2 * ch), at(40));
    for (std::size_t i = 0; i < samples * ch; ++i)
        WriteLe16(static_cast<std::uint16_t>(i * static_cast<std::size_t>(slope)), at(44 + 2 * i));
    return b;
}

// An image made from a template of the build, as "new" makes it.
inline std::vector<std::uint8_t> EmptyImage(const std::string& templateFile) {
    auto img = test::ReadFile(test::BinDir() / templateFile);
    img.resize(737280, 0);
    return img;
}

} // namespace veldin::cli
