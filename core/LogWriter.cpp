#include "core/LogWriter.h"

#include <cinttypes>

namespace veldin {

LogWriter::~LogWriter() { close(); }

bool LogWriter::open(const std::filesystem::path& path) {
    close();
    file_ = std::fopen(path.string().c_str(), "wb");
    return file_ != nullptr;
}

void LogWriter::close() {
    if (file_) std::fclose(file_);
    file_ = nullptr;
}

void LogWriter::write(std::string_view text) {
    if (file_) std::fwrite(text.data(), 1, text.size(), file_);
}

void LogWriter::writeLine(std::string_view text) {
    write(text);
    write("\r\n");
}

void LogWriter::writeDecimal(std::int64_t value) {
    if (file_) std::fprintf(file_, "%" PRId64, value);
}

void LogWriter::writeHex4(std::uint32_t value) {
    if (file_) std::fprintf(file_, "%.4X", static_cast<unsigned>(value));
}

void LogWriter::writeHex8(std::uint32_t value) {
    if (file_) std::fprintf(file_, "%.8X", static_cast<unsigned>(value));
}

} // namespace veldin
