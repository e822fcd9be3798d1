#include "glyphsmith_state/update_preferences.hpp"

namespace glyphsmith_state {
namespace {

QString checksAtLaunchKey() {
    return QStringLiteral("updates.checksAtLaunch");
}
QString lastCheckKey() {
    return QStringLiteral("updates.lastCheck");
}

}  // namespace

UserDefaultsUpdatePreferences::UserDefaultsUpdatePreferences(UserDefaults defaults) : defaults_(std::move(defaults)) {}

bool UserDefaultsUpdatePreferences::checksAtLaunch() const {
    const QJsonValue stored = defaults_.value(checksAtLaunchKey());
    return stored.isBool() ? stored.toBool() : true;
}

void UserDefaultsUpdatePreferences::setChecksAtLaunch(bool checks) {
    defaults_.setValue(checksAtLaunchKey(), checks);
}

std::optional<QDateTime> UserDefaultsUpdatePreferences::lastCheck() const {
    const QJsonValue stored = defaults_.value(lastCheckKey());
    if (!stored.isString()) return std::nullopt;
    const QDateTime date = QDateTime::fromString(stored.toString(), Qt::ISODateWithMs);
    if (!date.isValid()) return std::nullopt;
    return date.toUTC();
}

void UserDefaultsUpdatePreferences::setLastCheck(std::optional<QDateTime> date) {
    if (!date || !date->isValid()) {
        // An undefined value removes the key.
        defaults_.setValue(lastCheckKey(), QJsonValue(QJsonValue::Undefined));
        return;
    }
    defaults_.setValue(lastCheckKey(), date->toUTC().toString(Qt::ISODateWithMs));
}

}  // namespace glyphsmith_state
