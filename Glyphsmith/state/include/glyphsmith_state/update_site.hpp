#pragma once

// The maker's update site, a setting of the build (GLYPHSMITH_UPDATE_SITE). The
// update check fetches its version file there and the messages about that check
// name its host.

#include <QString>
#include <QUrl>

namespace glyphsmith_state {

// The site's address; empty when the build sets none.
QUrl updateSiteAddress();
// The site's host name; empty when the build sets no site.
QString updateSiteHost();

}  // namespace glyphsmith_state
