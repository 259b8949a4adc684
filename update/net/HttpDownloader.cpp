#include "update/net/HttpDownloader.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QUrl>

#include "update/UpdateMessages.h"
#include "update/Url.h"

namespace veldin::update {
namespace {

// The proxy of the connection type; false when the typed proxy is unusable.
bool SetProxy(QNetworkAccessManager& nam, const ConnectionSettings& c) {
    switch (c.type) {
    case ConnectionType::Direct:
        nam.setProxy(QNetworkProxy::NoProxy);
        return true;
    case ConnectionType::System:
        QNetworkProxyFactory::setUseSystemConfiguration(true);
        nam.setProxy(QNetworkProxy::DefaultProxy);
        return true;
    case ConnectionType::NamedProxy: {
        const auto p = ParseProxy(c.proxy);
        if (!p) return false;
        nam.setProxy(QNetworkProxy(QNetworkProxy::HttpProxy, QString::fromStdString(p->host), p->port));
        return true;
    }
    }
    return false;
}

QNetworkRequest MakeRequest(const std::string& url, const DownloadOptions& options, std::chrono::milliseconds timeout) {
    QNetworkRequest req(QUrl(QString::fromStdString(url)));
    req.setHeader(QNetworkRequest::UserAgentHeader, QString::fromUtf8(text::kAgent.data(), text::kAgent.size()));
    req.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    req.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    req.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    req.setTransferTimeout(static_cast<int>(timeout.count()));
    if (!options.caCertificates.empty() && QSslSocket::supportsSsl()) {
        QSslConfiguration conf = QSslConfiguration::defaultConfiguration();
        for (const auto& file : options.caCertificates) conf.addCaCertificates(QString::fromStdString(file.string()));
        req.setSslConfiguration(conf);
    }
    return req;
}

} // namespace

void EnsureCoreApplication() {
    if (QCoreApplication::instance()) return;
    static int argc = 1;
    static char name[] = "veldin";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* app = new QCoreApplication(argc, argv); // lives until the process ends
    (void)app;
}

HttpDownloader::HttpDownloader(ConnectionSettings connection, DownloadOptions options, std::chrono::milliseconds timeout)
    : connection_(std::move(connection)), options_(std::move(options)), timeout_(timeout) {}

Result<std::vector<std::uint8_t>> HttpDownloader::fetch(std::string_view rawUrl, DownloadProgress& progress) {
    EnsureCoreApplication();
    const std::string url = NormalizeUrl(rawUrl);
    QNetworkAccessManager nam;
    if (!SetProxy(nam, connection_)) {
        progress.sessionFailed();
        progress.finish();
        return Fail(text::kInternetOpenFailed);
    }
    progress.connecting(FileNameOfUrl(url));
    const std::string scheme = SchemeOf(url);
    if ((scheme != "http" && scheme != "https") || (scheme == "https" && !QSslSocket::supportsSsl())) {
        progress.openFailed();
        progress.finish();
        return Fail(text::kCantOpenSite);
    }

    QNetworkReply* reply = nam.get(MakeRequest(url, options_, timeout_));
    std::vector<std::uint8_t> body;
    std::optional<std::uint64_t> expected;
    bool answered = false, refused = false;
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::metaDataChanged, [&] {
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        if (answered || (status >= 300 && status < 400)) return; // redirects are followed
        answered = true;
        if (status < 200 || status >= 300) {
            // An error page is not the file: it is not kept. The reply is left to end by
            // itself; aborting it from here makes Qt report its error twice and warn.
            refused = true;
            return;
        }
        progress.requestSent();
        bool ok = false;
        const qlonglong length = reply->header(QNetworkRequest::ContentLengthHeader).toLongLong(&ok);
        if (ok && length >= 0) expected = static_cast<std::uint64_t>(length);
        progress.length(expected);
    });
    const auto take = [&] {
        const QByteArray chunk = reply->readAll();
        if (refused) return;
        body.insert(body.end(), chunk.begin(), chunk.end());
        if (!chunk.isEmpty()) progress.received(body.size());
    };
    QObject::connect(reply, &QNetworkReply::readyRead, take);
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    if (!reply->isFinished()) loop.exec();
    take();
    const bool failed = refused || reply->error() != QNetworkReply::NoError || !answered ||
                        (expected && *expected != body.size());
    reply->deleteLater();
    if (failed) {
        progress.openFailed();
        progress.finish();
        return Fail(text::kCantOpenSite);
    }
    progress.success(body.size());
    progress.finish();
    return body;
}

} // namespace veldin::update
