#pragma once

// The app's view of itself: its name, version, build, interface language and
// product slug, and its three web addresses. The values come from the build
// (the project's version and build number, the update site) and from the app id
// under which the desktop knows the program.

#include <QString>
#include <QStringList>
#include <QUrl>
#include <optional>

namespace glyphsmith_views {

// What the running program says about itself; tests describe other programs.
struct BundleInfo {
    std::optional<QString> displayName;
    std::optional<QString> name;
    std::optional<QString> shortVersion;
    std::optional<QString> version;
    // Reverse domain name, as in the desktop entry's file name.
    std::optional<QString> identifier;
    // The interface languages the program offers, in the user's order of preference.
    QStringList preferredLocalizations;

    // Glyphsmith as built: its version and build number, its app id, and the
    // user's interface languages as the system gives them.
    static BundleInfo main();
};

// "org.glyphsmith.Glyphsmith": the desktop entry, the icon and the single-instance socket use it.
QString applicationId();

namespace AppInfo {
// The display name, else the name, else "App".
QString name(const BundleInfo& bundle = BundleInfo::main());
// "—" when absent.
QString version(const BundleInfo& bundle = BundleInfo::main());
QString build(const BundleInfo& bundle = BundleInfo::main());
// "en" when the first preferred interface language is English, else "fr".
QString interfaceLanguage(const BundleInfo& bundle = BundleInfo::main());
// The last non-empty piece of the identifier (its first when the last is "com"), lower-cased.
QString productSlug(const BundleInfo& bundle = BundleInfo::main());
}  // namespace AppInfo

namespace AppLinks {
// The maker's site, from the build's update site; nothing when it forms no address.
std::optional<QUrl> site();
// The site followed by "/glyphsmith/version.json" (one "/" between them), the
// file the update check fetches.
std::optional<QUrl> versionFile();
// The site's text, "/en" in an English interface, "/", the product slug.
QString productPage(const BundleInfo& bundle = BundleInfo::main());
// The same rules over a given site text, for tests.
std::optional<QUrl> siteFrom(const QString& text);
QString productPage(const QString& siteText, const BundleInfo& bundle);
}  // namespace AppLinks

}  // namespace glyphsmith_views
