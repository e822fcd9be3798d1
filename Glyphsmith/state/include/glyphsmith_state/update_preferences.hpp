#pragma once

// What the update check keeps between launches: whether to check at launch,
// and when the last check reached the version file.

#include <QDateTime>
#include <optional>

#include "glyphsmith_state/user_defaults.hpp"

namespace glyphsmith_state {

class UpdatePreferencesStoring {
public:
    virtual ~UpdatePreferencesStoring() = default;
    virtual bool checksAtLaunch() const = 0;
    virtual void setChecksAtLaunch(bool checks) = 0;
    virtual std::optional<QDateTime> lastCheck() const = 0;
    virtual void setLastCheck(std::optional<QDateTime> date) = 0;
};

// In the user defaults: "updates.checksAtLaunch" as a boolean (true when absent
// or of another type), "updates.lastCheck" as ISO 8601 text in UTC (nothing when
// absent or not such a date).
class UserDefaultsUpdatePreferences final : public UpdatePreferencesStoring {
public:
    explicit UserDefaultsUpdatePreferences(UserDefaults defaults = UserDefaults());

    bool checksAtLaunch() const override;
    void setChecksAtLaunch(bool checks) override;
    std::optional<QDateTime> lastCheck() const override;
    // Nothing removes the key.
    void setLastCheck(std::optional<QDateTime> date) override;

private:
    UserDefaults defaults_;
};

}  // namespace glyphsmith_state
