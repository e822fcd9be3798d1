#include "glyphsmith_views/app_info.hpp"

#include <QLocale>

#include "glyphsmith_state/site_version_fetcher.hpp"
#include "glyphsmith_state/update_site.hpp"
#include "glyphsmith_version.hpp"

namespace glyphsmith_views {

namespace {

QString fromView(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

const QString noValue = QStringLiteral("\u2014");

}  // namespace

QString applicationId() {
    return QStringLiteral("org.glyphsmith.Glyphsmith");
}

BundleInfo BundleInfo::main() {
    BundleInfo bundle;
    bundle.name = QStringLiteral("Glyphsmith");
    bundle.shortVersion = fromView(glyphsmith::shortVersion);
    bundle.version = fromView(glyphsmith::buildNumber);
    bundle.identifier = applicationId();
    // The interface is French; an English user gets the English addresses.
    bundle.preferredLocalizations = QLocale::system().uiLanguages();
    return bundle;
}

namespace AppInfo {

QString name(const BundleInfo& bundle) {
    if (bundle.displayName) return *bundle.displayName;
    if (bundle.name) return *bundle.name;
    return QStringLiteral("App");
}

QString version(const BundleInfo& bundle) {
    return bundle.shortVersion.value_or(noValue);
}

QString build(const BundleInfo& bundle) {
    return bundle.version.value_or(noValue);
}

QString interfaceLanguage(const BundleInfo& bundle) {
    if (bundle.preferredLocalizations.isEmpty()) return QStringLiteral("fr");
    const QLocale locale(bundle.preferredLocalizations.first());
    return locale.language() == QLocale::English ? QStringLiteral("en") : QStringLiteral("fr");
}

QString productSlug(const BundleInfo& bundle) {
    if (!bundle.identifier) return {};
    const QStringList pieces = bundle.identifier->split(u'.', Qt::SkipEmptyParts);
    if (pieces.isEmpty()) return {};
    const QString& piece = pieces.last() == QLatin1String("com") ? pieces.first() : pieces.last();
    return piece.toLower();
}

}  // namespace AppInfo

namespace AppLinks {

std::optional<QUrl> siteFrom(const QString& text) {
    if (text.isEmpty()) return std::nullopt;
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid() || url.scheme().isEmpty()) return std::nullopt;
    return url;
}

std::optional<QUrl> site() {
    static const std::optional<QUrl> address = siteFrom(glyphsmith_state::updateSiteAddress().toString());
    return address;
}

std::optional<QUrl> versionFile() {
    // The address the update check fetches: one rule for both.
    static const std::optional<QUrl> address = []() -> std::optional<QUrl> {
        const auto fetcher = glyphsmith_state::SiteVersionFetcher::forUpdateSite();
        if (!fetcher) return std::nullopt;
        return fetcher->url();
    }();
    return address;
}

QString productPage(const QString& siteText, const BundleInfo& bundle) {
    const QString english =
        AppInfo::interfaceLanguage(bundle) == QLatin1String("en") ? QStringLiteral("/en") : QString();
    return siteText + english + u'/' + AppInfo::productSlug(bundle);
}

QString productPage(const BundleInfo& bundle) {
    const auto base = site();
    return productPage(base ? base->toString() : QString(), bundle);
}

}  // namespace AppLinks

}  // namespace glyphsmith_views
