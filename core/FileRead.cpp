#include "core/FileRead.h"

#include <fstream>

namespace veldin {

Result<std::vector<std::uint8_t>> ReadFileBytes(const std::filesystem::path& path, std::string_view failureText) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) return Fail(failureText);
    try {
        std::ifstream in(path, std::ios::binary);
        if (!in) return Fail(failureText);
        std::vector<std::uint8_t> bytes;
        constexpr std::size_t kPiece = 64 * 1024;
        for (;;) {
            const std::size_t had = bytes.size();
            bytes.resize(had + kPiece);
            // read() goes through the stream's sentry, so a failing read sets badbit
            // instead of throwing.
            in.read(reinterpret_cast<char*>(bytes.data() + had), static_cast<std::streamsize>(kPiece));
            bytes.resize(had + static_cast<std::size_t>(in.gcount()));
            if (in.bad()) return Fail(failureText);
            if (!in) return bytes;
        }
    } catch (const std::exception&) {
        return Fail(failureText);
    }
}

} // namespace veldin
