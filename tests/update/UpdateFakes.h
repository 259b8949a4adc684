#pragma once
// Stand-ins for the world around the update logic: a view that records, downloaders that
// serve from memory or from a folder, a desktop that records what it was asked to open,
// and a launcher that closes, or refuses to, on request.

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "tests/support/TestSupport.h"
#include "update/Interfaces.h"
#include "update/UpdateMessages.h"
#include "update/Url.h"

namespace veldin::update::test {

class RecordingView final : public UpdateView {
public:
    void status(std::string_view t) override { statuses.emplace_back(t); }
    void detail(std::string_view t) override { details.emplace_back(t); }
    void progress(int p) override { percents.push_back(p); }
    void addRow(const FetchRow&) override {}

    std::vector<std::string> statuses, details;
    std::vector<int> percents;
};

// Serves file names (the part after the last "/") from memory, and records what was asked.
class MapDownloader final : public Downloader {
public:
    Result<std::vector<std::uint8_t>> fetch(std::string_view url, DownloadProgress&) override {
        const std::string name(FileNameOfUrl(url));
        requested.push_back(name);
        auto it = files.find(name);
        if (it == files.end() || broken.count(name)) return Fail(text::kCantOpenSite);
        return it->second;
    }

    std::map<std::string, std::vector<std::uint8_t>> files;
    std::set<std::string> broken;
    std::vector<std::string> requested;
};

class RecordingShell final : public DesktopShell {
public:
    bool open(const std::filesystem::path& file) override {
        opened.push_back(file);
        return true;
    }
    std::vector<std::filesystem::path> opened;
};

// Reads every file of a folder into a MapDownloader, as a server serving that folder.
inline void ServeFolder(MapDownloader& d, const std::filesystem::path& folder) {
    for (const auto& e : std::filesystem::directory_iterator(folder))
        d.files[e.path().filename().string()] = veldin::test::ReadFile(e.path());
}

} // namespace veldin::update::test
