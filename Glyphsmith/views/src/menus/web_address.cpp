#include "glyphsmith_views/web_address.hpp"

#include <QDesktopServices>

namespace glyphsmith_views {

bool isWebAddress(const QUrl& url) {
    if (!url.isValid() || url.host().isEmpty()) return false;
    const QString scheme = url.scheme().toLower();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}

bool openWebAddress(const QUrl& url) {
    if (!isWebAddress(url)) return false;
    return QDesktopServices::openUrl(url);
}

}  // namespace glyphsmith_views
