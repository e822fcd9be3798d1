#pragma once

// The version file on the maker's update site, fetched over HTTP(S). Nothing is
// sent but the request; nothing is kept between fetches (no cache, no cookies,
// no credentials, no connection).

#include <QUrl>
#include <chrono>
#include <memory>

#include "glyphsmith_state/update_site.hpp"
#include "glyphsmith_state/version_fetching.hpp"

namespace glyphsmith_state {

class SiteVersionFetcher final : public VersionFetching {
public:
    struct Limits {
        // A transfer that moves no data for this long fails.
        std::chrono::milliseconds transferTimeout{15000};
        // A transfer that trickles on fails after this long in all.
        std::chrono::milliseconds totalTimeout{60000};
        // A longer body is cut off and fails.
        qint64 maximumBodySize = 1 << 20;
    };

    explicit SiteVersionFetcher(QUrl url);
    SiteVersionFetcher(QUrl url, Limits limits);

    // The fetcher of the site's "/glyphsmith/version.json", the build's update
    // site unless told another; none when the site is empty or not a valid
    // address, so that the checks fail.
    static std::shared_ptr<SiteVersionFetcher> forUpdateSite(const QUrl& site = updateSiteAddress());

    const QUrl& url() const { return url_; }
    const Limits& limits() const { return limits_; }

    // A GET of `url`. Only a final answer with status 200, after the redirects
    // that do not leave https for http, gives the body; TLS errors are never
    // ignored.
    void fetchVersionData(QObject* context, Completion done) override;

private:
    QUrl url_;
    Limits limits_;
};

}  // namespace glyphsmith_state
