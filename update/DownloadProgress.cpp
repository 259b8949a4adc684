#include "update/Interfaces.h"

#include "update/UpdateMessages.h"

namespace veldin::update {

int DownloadProgress::Percent(std::uint64_t bytes, std::uint64_t total) {
    if (total == 0) return 0;
    if (bytes >= total) return 100;
    // bytes < total here, so the product stays far below overflow for any 32-bit size;
    // larger totals are scaled down first.
    while (total > (std::uint64_t{1} << 40)) {
        total >>= 8;
        bytes >>= 8;
    }
    return static_cast<int>(bytes * 100 / total);
}

void DownloadProgress::sessionFailed() { view_.detail(text::kInternetOpenFailed); }

void DownloadProgress::connecting(std::string_view fileName) {
    fileName_ = std::string(fileName);
    total_ = 0;
    shown_ = -1;
    view_.progress(0);
    view_.detail(text::kConnectingWait);
    view_.detail(fileName_);
}

void DownloadProgress::openFailed() { view_.detail(text::kCantOpenSite); }

void DownloadProgress::requestSent() { view_.detail(text::kRequestSent); }

void DownloadProgress::length(std::optional<std::uint64_t> contentLength) {
    if (!contentLength) {
        view_.detail(text::kNoLength);
        return;
    }
    total_ = *contentLength;
    view_.detail(std::string(text::kDownloadingFile) + fileName_ + std::string(text::kLengthIs) +
                 std::to_string(total_) + std::string(text::kBytesDot));
}

void DownloadProgress::received(std::uint64_t bytesSoFar) {
    if (total_ == 0) return;
    const int p = Percent(bytesSoFar, total_);
    if (p == shown_) return;
    shown_ = p;
    view_.progress(p);
    view_.detail(std::to_string(p) + std::string(text::kPercentDownloaded));
}

void DownloadProgress::success(std::uint64_t bytes) {
    view_.detail(std::string(text::kSuccessWritten) + std::to_string(bytes) + std::string(text::kBytesWritten));
}

void DownloadProgress::finish() {
    view_.detail(text::kClickClose);
    view_.progress(100);
}

} // namespace veldin::update
