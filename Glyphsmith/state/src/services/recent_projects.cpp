#include "glyphsmith_state/recent_projects.hpp"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>

namespace glyphsmith_state {
namespace {

// Absolute and lexically clean, links left as they are.
QString normalisedFolder(const QString& path) {
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

}  // namespace

UserDefaultsRecentProjects::UserDefaultsRecentProjects(UserDefaults defaults, QString key)
    : defaults_(std::move(defaults)), key_(std::move(key)) {}

QStringList UserDefaultsRecentProjects::loadRecentProjects() const {
    const QJsonValue stored = defaults_.value(key_);
    if (!stored.isArray()) return {};
    QStringList folders;
    for (const QJsonValue& entry : stored.toArray()) {
        if (!entry.isString()) return {};
        if (const QString path = entry.toString(); !path.isEmpty()) folders.append(normalisedFolder(path));
    }
    return folders;
}

void UserDefaultsRecentProjects::saveRecentProjects(const QStringList& folders) {
    QJsonArray paths;
    for (const QString& folder : folders.first(std::min(folders.size(), maximumCount)))
        paths.append(normalisedFolder(folder));
    defaults_.setValue(key_, paths);
}

}  // namespace glyphsmith_state
