#pragma once
// Shared helpers of the test suite: scripted user interaction, temporary directories,
// file helpers and the paths of the generated data.

#include <cstdint>
#include <deque>
#include <filesystem>
#include <string>
#include <vector>

#include "core/UserInteraction.h"

namespace veldin::test {

// Records every message and question; questions are answered from a script (and fail
// the test when the script runs dry).
class ScriptedUi final : public UserInteraction {
public:
    struct Shown {
        std::string text;
        std::string title;
        Icon icon;
        bool question;
    };

    void message(std::string_view text, std::string_view title, Icon icon) override;
    Answer ask(std::string_view text, std::string_view title, Buttons buttons, Icon icon) override;

    void answer(Answer a) { answers_.push_back(a); }
    const std::vector<Shown>& shown() const { return shown_; }
    std::vector<std::string> texts() const;
    void clear() { shown_.clear(); }

private:
    std::deque<Answer> answers_;
    std::vector<Shown> shown_;
};

// A fresh directory under the system's temporary folder, removed with its contents.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

std::vector<std::uint8_t> ReadFile(const std::filesystem::path& path);
void WriteFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);

// Folder of the programs and generated data files (templates, default.ston, demo/).
std::filesystem::path BinDir();
std::filesystem::path DemoImage(const std::string& name); // "demo.s55"

} // namespace veldin::test
