#pragma once
// Downloads over http:// and https:// with Qt Network: direct, through the system's proxy
// settings, or through the proxy that the user typed. Always from the server, never from
// a cache; an answer other than 2xx, a body shorter than its stated length, or no data
// for `timeout` is a failure.

#include <chrono>

#include "update/Backend.h"

namespace veldin::update {

class HttpDownloader final : public Downloader {
public:
    HttpDownloader(ConnectionSettings connection, DownloadOptions options,
                   std::chrono::milliseconds timeout = std::chrono::seconds(30));
    Result<std::vector<std::uint8_t>> fetch(std::string_view url, DownloadProgress& progress) override;

private:
    ConnectionSettings connection_;
    DownloadOptions options_;
    std::chrono::milliseconds timeout_;
};

// Qt Network needs an application object; the command-line tool has none of its own.
void EnsureCoreApplication();

} // namespace veldin::update
