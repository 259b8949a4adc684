#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <random>

namespace veldin::test {

void ScriptedUi::message(std::string_view text, std::string_view title, Icon icon) {
    shown_.push_back({std::string(text), std::string(title), icon, false});
}

Answer ScriptedUi::ask(std::string_view text, std::string_view title, Buttons, Icon icon) {
    shown_.push_back({std::string(text), std::string(title), icon, true});
    if (answers_.empty()) {
        ADD_FAILURE() << "unexpected question: " << text;
        return Answer::Cancel;
    }
    const Answer a = answers_.front();
    answers_.pop_front();
    return a;
}

std::vector<std::string> ScriptedUi::texts() const {
    std::vector<std::string> out;
    for (const auto& s : shown_) out.push_back(s.text);
    return out;
}

TempDir::TempDir() {
    std::random_device rd;
    for (int i = 0; i < 100; ++i) {
        auto p = std::filesystem::temp_directory_path() / ("veldin-test-" + std::to_string(rd()));
        std::error_code ec;
        if (std::filesystem::create_directory(p, ec)) {
            path_ = p;
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary directory");
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::vector<std::uint8_t> ReadFile(const std::filesystem::path& path) {
    // One read, not a character at a time: images are read often and sanitizer builds are slow.
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) return {};
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(in.tellg()));
    in.seekg(0);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

void WriteFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::filesystem::path BinDir() { return VELDIN_BIN_DIR; }
std::filesystem::path DemoImage(const std::string& name) { return BinDir() / "demo" / name; }

} // namespace veldin::test
