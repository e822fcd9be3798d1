#include "glyphsmith_state/update_site.hpp"

namespace glyphsmith_state {

QUrl updateSiteAddress() {
    return QUrl(QStringLiteral(GLYPHSMITH_UPDATE_SITE));
}

QString updateSiteHost() {
    return updateSiteAddress().host();
}

}  // namespace glyphsmith_state
