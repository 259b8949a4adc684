#pragma once
// What the update logic needs from the world around it. The GUI implements the view with
// the dialog's status lines, list and progress bar; the console programs print; the tests
// record. Downloads, the desktop and a running launcher sit behind interfaces of their
// own so that the logic stays free of networking and process code.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/Result.h"

namespace veldin::update {

// One fetched file in the list: "Name", "Type", "Version", "Size", "Packed".
struct FetchRow {
    std::string name;
    std::string type;
    std::string version;
    std::string size;   // "1234 b"
    std::string packed; // "567 b"
};

class UpdateView {
public:
    virtual ~UpdateView() = default;
    virtual void status(std::string_view text) = 0; // main status line
    virtual void detail(std::string_view text) = 0; // detail status line
    virtual void progress(int percent) = 0;         // 0..100
    virtual void addRow(const FetchRow& row) = 0;
};

// Shows what a download goes through with the fixed texts, and the progress in percent,
// never above 100 and without dividing by an unknown or zero length.
class DownloadProgress {
public:
    explicit DownloadProgress(UpdateView& view) : view_(view) {}

    void sessionFailed();                                  // "InternetOpen failed"
    void connecting(std::string_view fileName);            // "Connecting...Please wait", the name
    void openFailed();                                     // "Can't open site"
    void requestSent();
    void length(std::optional<std::uint64_t> contentLength); // "Downloading file ..." or "Can't determine ..."
    void received(std::uint64_t bytesSoFar);
    void success(std::uint64_t bytes);                     // "Success, N bytes written."
    void finish();                                         // "Click Close button to exit", 100 %

    static int Percent(std::uint64_t bytes, std::uint64_t total);

private:
    UpdateView& view_;
    std::string fileName_;
    std::uint64_t total_ = 0;
    int shown_ = -1;
};

class Downloader {
public:
    virtual ~Downloader() = default;
    // The body of `url`, or the failure whose text the progress already showed.
    virtual Result<std::vector<std::uint8_t>> fetch(std::string_view url, DownloadProgress& progress) = 0;
};

class DesktopShell {
public:
    virtual ~DesktopShell() = default;
    // Opens the file with the program the desktop associates with it.
    virtual bool open(const std::filesystem::path& file) = 0;
};

// A launcher of the same installation that may be running.
class LauncherControl {
public:
    virtual ~LauncherControl() = default;
    virtual bool running() = 0;
    // Asks it to close as the user closing its window would, which lets it ask to save.
    virtual bool requestClose() = 0;
    virtual bool waitForExit(std::chrono::milliseconds timeout) = 0;
    virtual bool terminate() = 0;
};

} // namespace veldin::update
