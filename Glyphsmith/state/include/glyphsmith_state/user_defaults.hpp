#pragma once

// The app's per-user preferences: one JSON object in "preferences.json" in the
// app's configuration folder, keys as the app names them ("recentProjects",
// "updates.checksAtLaunch", "updates.lastCheck"). JSON keeps the values' types
// across processes, which an INI file does not (a one-element list comes back as
// text). Every read goes to the file, so keys written by someone else survive.

#include <QJsonObject>
#include <QJsonValue>
#include <QString>

namespace glyphsmith_state {

class UserDefaults {
public:
    explicit UserDefaults(QString filePath = standardFilePath());

    // "preferences.json" in the configuration folder, else in the temporary
    // folder's "Glyphsmith".
    static QString standardFilePath();
    const QString& filePath() const { return filePath_; }

    // The stored object; empty when the file is missing or unreadable (not JSON,
    // not an object, not a regular file, too large).
    QJsonObject values() const;
    // The value under the key; undefined when absent.
    QJsonValue value(const QString& key) const { return values().value(key); }
    // Stores the value under the key, keeping every other stored key. Writes a
    // sound file even over an unreadable one; a failure is silent.
    void setValue(const QString& key, const QJsonValue& value);

private:
    QString filePath_;
};

}  // namespace glyphsmith_state
