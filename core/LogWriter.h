#pragma once
// The conversion logs ("wave2rton.txt", "ConversionLog-Song2MIDI.txt", "midi2song.txt",
// "fat12log.txt"): texts written as given, optionally ended by "\r\n", numbers in decimal
// or upper-case hexadecimal. One open log per writer; opening closes the previous one.
// A log that cannot be created makes every write a no-op: logging never stops a conversion.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

namespace veldin {

class LogWriter {
public:
    LogWriter() = default;
    ~LogWriter();
    LogWriter(const LogWriter&) = delete;
    LogWriter& operator=(const LogWriter&) = delete;

    bool open(const std::filesystem::path& path); // create anew, replacing
    void close();
    bool isOpen() const { return file_ != nullptr; }

    void write(std::string_view text);
    void writeLine(std::string_view text);         // text + "\r\n"
    void writeDecimal(std::int64_t value);
    void writeHex4(std::uint32_t value);           // "%.4X"
    void writeHex8(std::uint32_t value);           // "%.8X"
    template <class... Args>
    void writeFormatted(const char* format, Args... args) {
        if (!file_) return;
        std::fprintf(file_, format, args...);
    }

private:
    std::FILE* file_ = nullptr;
};

} // namespace veldin
