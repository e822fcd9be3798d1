#pragma once

// The app's check for a newer version of itself: once a day at launch when the
// user allows it, and whenever the user asks. Confined to the main thread; each
// observed field has its own change signal, sent only when the value changes.
// The check sets `available`, `isUpToDate` and `error` and never clears them:
// the views that show them do.

#include <QObject>
#include <QString>
#include <memory>
#include <optional>

#include "glyphsmith_state/app_error.hpp"
#include "glyphsmith_state/clock.hpp"
#include "glyphsmith_state/remote_version.hpp"
#include "glyphsmith_state/update_preferences.hpp"
#include "glyphsmith_state/version_fetching.hpp"

namespace glyphsmith_state {

class UpdateChecker : public QObject {
    Q_OBJECT
public:
    // Launch checks are at least this far apart.
    static constexpr qint64 launchCheckInterval = 86400;  // seconds

    // Without a fetcher (the build names no update site) every check fails.
    // The preferences are required.
    UpdateChecker(std::shared_ptr<VersionFetching> fetcher, std::shared_ptr<UpdatePreferencesStoring> preferences,
                  QString currentVersion, QString currentBuild,
                  std::shared_ptr<const Clock> clock = std::make_shared<SystemClock>(), QObject* parent = nullptr);

    const QString& currentVersion() const { return currentVersion_; }
    const QString& currentBuild() const { return currentBuild_; }

    // ----- Observed fields -----

    // The newer version found.
    const std::optional<RemoteVersion>& available() const { return available_; }
    void setAvailable(std::optional<RemoteVersion> version);
    // A check the user asked for found nothing newer.
    bool isUpToDate() const { return isUpToDate_; }
    void setIsUpToDate(bool upToDate);
    // Why a check the user asked for failed.
    const std::optional<AppError>& error() const { return error_; }
    void setError(std::optional<AppError> error);
    // A check is running; another one started meanwhile returns at once.
    bool isChecking() const { return isChecking_; }
    // Whether the app checks at launch; setting it also stores it in the preferences.
    bool checksAtLaunch() const { return checksAtLaunch_; }
    void setChecksAtLaunch(bool checks);

    // ----- Checks -----

    // The launch check: an automatic check when checks at launch are allowed and
    // the last one is a day old or more. A last check dated after now (a clock
    // that was set back) does not hold the checks off.
    void checkForUpdatesAtLaunch();
    // Fetches the version file and compares it with the running version. A newer
    // version is set in `available` either way; `interactive` (the user asked)
    // also sets `isUpToDate` when there is none, and `error` on failure.
    // Returns once the fetch has started; the outcome arrives on the main thread.
    void checkForUpdates(bool interactive);

signals:
    void availableChanged();
    void isUpToDateChanged();
    void errorChanged();
    void isCheckingChanged();
    void checksAtLaunchChanged();

private:
    void setChecking(bool checking);
    void finishCheck(bool interactive, VersionData data);

    std::shared_ptr<VersionFetching> fetcher_;
    std::shared_ptr<UpdatePreferencesStoring> preferences_;
    QString currentVersion_;
    QString currentBuild_;
    std::shared_ptr<const Clock> clock_;
    std::optional<RemoteVersion> available_;
    bool isUpToDate_ = false;
    std::optional<AppError> error_;
    bool isChecking_ = false;
    bool checksAtLaunch_ = true;
};

}  // namespace glyphsmith_state
