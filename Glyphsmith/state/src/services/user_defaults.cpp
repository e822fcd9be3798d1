#include "glyphsmith_state/user_defaults.hpp"

#include <QJsonDocument>
#include <QStandardPaths>

#include "files.hpp"

namespace glyphsmith_state {

UserDefaults::UserDefaults(QString filePath) : filePath_(std::move(filePath)) {}

QString UserDefaults::standardFilePath() {
    return standardFile(QStandardPaths::AppConfigLocation, QStringLiteral("preferences.json"));
}

QJsonObject UserDefaults::values() const {
    const std::optional<QByteArray> bytes = readTextFile(filePath_);
    if (!bytes) return {};
    const QJsonDocument document = QJsonDocument::fromJson(*bytes);
    return document.isObject() ? document.object() : QJsonObject();
}

void UserDefaults::setValue(const QString& key, const QJsonValue& value) {
    QJsonObject stored = values();
    stored.insert(key, value);
    // QJsonObject keeps its keys sorted, so the file is written with sorted keys.
    (void)replaceFile(filePath_, QJsonDocument(stored).toJson(QJsonDocument::Indented));
}

}  // namespace glyphsmith_state
