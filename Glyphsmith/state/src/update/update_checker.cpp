#include "glyphsmith_state/update_checker.hpp"

#include "support/observed_field.hpp"

namespace glyphsmith_state {

UpdateChecker::UpdateChecker(std::shared_ptr<VersionFetching> fetcher,
                             std::shared_ptr<UpdatePreferencesStoring> preferences, QString currentVersion,
                             QString currentBuild, std::shared_ptr<const Clock> clock, QObject* parent)
    : QObject(parent),
      fetcher_(std::move(fetcher)),
      preferences_(std::move(preferences)),
      currentVersion_(std::move(currentVersion)),
      currentBuild_(std::move(currentBuild)),
      clock_(std::move(clock)),
      checksAtLaunch_(preferences_->checksAtLaunch()) {}

void UpdateChecker::setAvailable(std::optional<RemoteVersion> version) {
    assignObserved(*this, available_, std::move(version), &UpdateChecker::availableChanged);
}
void UpdateChecker::setIsUpToDate(bool upToDate) {
    assignObserved(*this, isUpToDate_, upToDate, &UpdateChecker::isUpToDateChanged);
}
void UpdateChecker::setError(std::optional<AppError> error) {
    assignObserved(*this, error_, std::move(error), &UpdateChecker::errorChanged);
}
void UpdateChecker::setChecking(bool checking) {
    assignObserved(*this, isChecking_, checking, &UpdateChecker::isCheckingChanged);
}
void UpdateChecker::setChecksAtLaunch(bool checks) {
    preferences_->setChecksAtLaunch(checks);
    assignObserved(*this, checksAtLaunch_, checks, &UpdateChecker::checksAtLaunchChanged);
}

void UpdateChecker::checkForUpdatesAtLaunch() {
    assertMainThread(this);
    if (!checksAtLaunch_) return;
    if (const std::optional<QDateTime> last = preferences_->lastCheck()) {
        const qint64 elapsed = last->secsTo(clock_->now());
        // A negative time means the clock went back: the stored date proves
        // nothing, so the check runs rather than wait until that date.
        if (elapsed >= 0 && elapsed < launchCheckInterval) return;
    }
    checkForUpdates(false);
}

void UpdateChecker::checkForUpdates(bool interactive) {
    assertMainThread(this);
    if (isChecking_) return;
    setChecking(true);
    if (!fetcher_) {
        if (interactive) setError(AppError::updateCheckFailed());
        setChecking(false);
        return;
    }
    // Nothing arrives once the checker is gone.
    fetcher_->fetchVersionData(this,
                               [this, interactive](VersionData data) { finishCheck(interactive, std::move(data)); });
}

void UpdateChecker::finishCheck(bool interactive, VersionData data) {
    assertMainThread(this);
    const auto* failure = std::get_if<VersionFetchFailure>(&data);
    // A site that answers with more than a version file can hold has answered:
    // its file is what cannot be read.
    if (failure && *failure != VersionFetchFailure::tooLarge) {
        // Not stored as a check, so the next launch tries again.
        if (interactive) setError(AppError::updateCheckFailed());
        setChecking(false);
        return;
    }
    // Stored before decoding: a file that cannot be read still counts as a check.
    preferences_->setLastCheck(clock_->now().toUTC());
    const std::optional<RemoteVersion> remote =
        failure ? std::nullopt : RemoteVersion::decode(std::get<QByteArray>(data));
    if (!remote) {
        if (interactive) setError(AppError::unreadableVersionFile());
        setChecking(false);
        return;
    }
    if (remote->isNewer(currentVersion_, currentBuild_))
        setAvailable(remote);
    else if (interactive)
        setIsUpToDate(true);
    setChecking(false);
}

}  // namespace glyphsmith_state
