#include "glyphsmith_state/site_version_fetcher.hpp"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QTimer>
#include <algorithm>
#include <optional>

namespace glyphsmith_state {
namespace {

// What one transfer has gathered so far.
struct Transfer {
    QByteArray body;
    std::optional<VersionFetchFailure> failure;
    bool delivered = false;
};

int milliseconds(std::chrono::milliseconds duration) {
    return static_cast<int>(std::clamp<std::chrono::milliseconds::rep>(duration.count(), 1, 24 * 3600 * 1000));
}

bool answeredOtherThanOk(const QNetworkReply* reply) {
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    return status.isValid() && status.toInt() != 200;
}

}  // namespace

SiteVersionFetcher::SiteVersionFetcher(QUrl url) : SiteVersionFetcher(std::move(url), Limits()) {}

SiteVersionFetcher::SiteVersionFetcher(QUrl url, Limits limits) : url_(std::move(url)), limits_(limits) {}

std::shared_ptr<SiteVersionFetcher> SiteVersionFetcher::forUpdateSite(const QUrl& site) {
    if (site.isEmpty() || !site.isValid() || site.isRelative()) return nullptr;
    QUrl file = site;
    QString path = site.path();
    while (path.endsWith(QLatin1Char('/'))) path.chop(1);
    file.setPath(path + QStringLiteral("/glyphsmith/version.json"));
    return std::make_shared<SiteVersionFetcher>(file);
}

void SiteVersionFetcher::fetchVersionData(QObject* context, Completion done) {
    // A manager of its own for each fetch, ended with the context: nothing
    // (cookies, credentials, open connections) carries over to the next fetch.
    auto* manager = new QNetworkAccessManager(context);
    manager->setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);

    QNetworkRequest request(url_);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setAttribute(QNetworkRequest::CookieLoadControlAttribute, QNetworkRequest::Manual);
    request.setAttribute(QNetworkRequest::CookieSaveControlAttribute, QNetworkRequest::Manual);
    request.setAttribute(QNetworkRequest::AuthenticationReuseAttribute, QNetworkRequest::Manual);
    request.setTransferTimeout(milliseconds(limits_.transferTimeout));

    QNetworkReply* reply = manager->get(request);
    // Qt holds no more than this much before the socket waits for a read.
    reply->setReadBufferSize(64 * 1024);
    auto transfer = std::make_shared<Transfer>();
    const qint64 maximum = limits_.maximumBodySize;
    const QPointer<QObject> guard(context);

    const auto cut = [reply, transfer](VersionFetchFailure failure) {
        if (transfer->failure) return;
        transfer->failure = failure;
        reply->abort();
    };
    const auto readBody = [reply, transfer, maximum, cut] {
        if (transfer->failure || !reply->isReadable()) return;
        if (transfer->body.size() + reply->bytesAvailable() > maximum) {
            cut(answeredOtherThanOk(reply) ? VersionFetchFailure::badServerResponse : VersionFetchFailure::tooLarge);
            return;
        }
        transfer->body += reply->readAll();
    };

    QObject::connect(reply, &QNetworkReply::readyRead, reply, readBody);
    QObject::connect(reply, &QNetworkReply::finished, reply,
                     [reply, manager, transfer, guard, readBody, done = std::move(done)] {
                         if (transfer->delivered) return;
                         transfer->delivered = true;
                         readBody();
                         VersionData data = transfer->body;
                         if (transfer->failure)
                             data = *transfer->failure;
                         else if (answeredOtherThanOk(reply))
                             data = VersionFetchFailure::badServerResponse;
                         else if (reply->error() != QNetworkReply::NoError ||
                                  !reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid())
                             data = VersionFetchFailure::network;
                         manager->deleteLater();
                         if (guard) done(std::move(data));
                     });
    QTimer::singleShot(milliseconds(limits_.totalTimeout), reply, [cut] { cut(VersionFetchFailure::network); });
}

}  // namespace glyphsmith_state
