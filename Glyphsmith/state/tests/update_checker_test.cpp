#include "glyphsmith_state/update_checker.hpp"

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <memory>

#include "glyphsmith_state_testing/queued_version_fetcher.hpp"
#include "glyphsmith_state_testing/settable_clock.hpp"

using namespace glyphsmith_state;
using namespace Qt::Literals::StringLiterals;
using glyphsmith_state_testing::QueuedVersionFetcher;
using glyphsmith_state_testing::SettableClock;

namespace {

constexpr const char* newer = R"({"version": "2.2", "build": "50", "url": "https://example.org/glyphsmith"})";
constexpr const char* same = R"({"version": "2.1.0", "build": 40, "url": "https://example.org/glyphsmith"})";
constexpr const char* garbage = "<html>Bientôt</html>";

class UpdateCheck : public ::testing::Test {
protected:
    QTemporaryDir folder;
    std::shared_ptr<QueuedVersionFetcher> fetcher = std::make_shared<QueuedVersionFetcher>();
    std::shared_ptr<SettableClock> clock = std::make_shared<SettableClock>();

    QString preferencesPath() const { return folder.filePath(u"preferences.json"_s); }
    std::shared_ptr<UserDefaultsUpdatePreferences> preferences() const {
        return std::make_shared<UserDefaultsUpdatePreferences>(UserDefaults(preferencesPath()));
    }
    std::unique_ptr<UpdateChecker> checker(std::shared_ptr<VersionFetching> withFetcher) const {
        return std::make_unique<UpdateChecker>(std::move(withFetcher), preferences(), u"2.1"_s, u"40"_s, clock);
    }
    std::unique_ptr<UpdateChecker> checker() const { return checker(fetcher); }
    QJsonObject stored() const {
        QFile file(preferencesPath());
        if (!file.open(QIODevice::ReadOnly)) return {};
        return QJsonDocument::fromJson(file.readAll()).object();
    }
};

TEST_F(UpdateCheck, AtLaunchFetchesOnceADayWhenAllowed) {
    struct Case {
        const char* name;
        bool checksAtLaunch;
        std::optional<qint64> lastCheckSecondsAgo;
        bool fetches;
    };
    const Case cases[] = {
        {"never checked", true, std::nullopt, true},
        {"23 hours ago", true, 23 * 3600, false},
        {"a second short of a day", true, 86399, false},
        {"24 hours ago", true, 86400, true},
        {"a week ago", true, 7 * 86400, true},
        {"checks at launch off", false, std::nullopt, false},
        {"checks at launch off, a week ago", false, 7 * 86400, false},
        // A clock set back: the stored date lies ahead and proves nothing.
        {"a day in the future", true, -86400, true},
        {"a second in the future", true, -1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(preferencesPath());
        auto prefs = preferences();
        prefs->setChecksAtLaunch(c.checksAtLaunch);
        if (c.lastCheckSecondsAgo) prefs->setLastCheck(clock->now().addSecs(-*c.lastCheckSecondsAgo));
        auto queued = std::make_shared<QueuedVersionFetcher>();
        const auto subject = checker(queued);
        subject->checkForUpdatesAtLaunch();
        EXPECT_EQ(queued->requestCount(), c.fetches ? 1u : 0u);
        EXPECT_EQ(subject->isChecking(), c.fetches);
    }
}

TEST_F(UpdateCheck, StoresTheLastCheckOnlyOnceTheSiteHasAnswered) {
    struct Case {
        const char* name;
        VersionData answer;
        bool stored;
        std::optional<AppError> error;
    };
    const Case cases[] = {
        {"unreachable", VersionFetchFailure::network, false, AppError::updateCheckFailed()},
        {"status 404", VersionFetchFailure::badServerResponse, false, AppError::updateCheckFailed()},
        {"a file too large", VersionFetchFailure::tooLarge, true, AppError::unreadableVersionFile()},
        {"undecodable", QByteArray(garbage), true, AppError::unreadableVersionFile()},
        {"up to date", QByteArray(same), true, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(preferencesPath());
        const auto subject = checker();
        subject->checkForUpdates(true);
        clock->advance(std::chrono::minutes(1));
        fetcher->answer(c.answer);
        EXPECT_FALSE(subject->isChecking());
        EXPECT_EQ(subject->error(), c.error);
        if (c.stored) {
            // ISO 8601 in UTC, the date the answer came.
            EXPECT_EQ(stored().value(u"updates.lastCheck"_s).toString(), clock->now().toString(Qt::ISODateWithMs));
            EXPECT_TRUE(stored().value(u"updates.lastCheck"_s).toString().endsWith(u'Z'));
            EXPECT_EQ(preferences()->lastCheck(), clock->now());
        } else {
            EXPECT_FALSE(stored().contains(u"updates.lastCheck"_s));
        }
    }
}

TEST_F(UpdateCheck, ShowsFailuresAndTheUpToDateStateOnlyWhenAsked) {
    struct Case {
        const char* name;
        bool interactive;
        VersionData answer;
        bool available;
        bool upToDate;
        std::optional<AppError> error;
    };
    const Case cases[] = {
        {"asked, newer", true, QByteArray(newer), true, false, std::nullopt},
        {"asked, same", true, QByteArray(same), false, true, std::nullopt},
        {"asked, unreachable", true, VersionFetchFailure::network, false, false, AppError::updateCheckFailed()},
        {"asked, garbage", true, QByteArray(garbage), false, false, AppError::unreadableVersionFile()},
        {"automatic, newer", false, QByteArray(newer), true, false, std::nullopt},
        {"automatic, same", false, QByteArray(same), false, false, std::nullopt},
        {"automatic, unreachable", false, VersionFetchFailure::network, false, false, std::nullopt},
        {"automatic, garbage", false, QByteArray(garbage), false, false, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto subject = checker();
        QSignalSpy availableChanged(subject.get(), &UpdateChecker::availableChanged);
        QSignalSpy upToDateChanged(subject.get(), &UpdateChecker::isUpToDateChanged);
        QSignalSpy errorChanged(subject.get(), &UpdateChecker::errorChanged);
        QSignalSpy checkingChanged(subject.get(), &UpdateChecker::isCheckingChanged);
        subject->checkForUpdates(c.interactive);
        fetcher->answer(c.answer);
        EXPECT_EQ(subject->available().has_value(), c.available);
        if (c.available) {
            EXPECT_EQ(subject->available()->version, u"2.2"_s);
        }
        EXPECT_EQ(subject->isUpToDate(), c.upToDate);
        EXPECT_EQ(subject->error(), c.error);
        // Only the fields that changed tell their observers.
        EXPECT_EQ(availableChanged.count(), c.available ? 1 : 0);
        EXPECT_EQ(upToDateChanged.count(), c.upToDate ? 1 : 0);
        EXPECT_EQ(errorChanged.count(), c.error ? 1 : 0);
        EXPECT_EQ(checkingChanged.count(), 2);
    }
}

TEST_F(UpdateCheck, WithoutAFetcherFailsWhenAsked) {
    const auto subject = checker(nullptr);
    subject->checkForUpdates(false);
    EXPECT_EQ(subject->error(), std::nullopt);
    QSignalSpy errorChanged(subject.get(), &UpdateChecker::errorChanged);
    subject->checkForUpdates(true);
    subject->checkForUpdates(true);
    EXPECT_EQ(subject->error(), AppError::updateCheckFailed());
    EXPECT_EQ(errorChanged.count(), 1);
    EXPECT_FALSE(subject->isChecking());
    EXPECT_FALSE(stored().contains(u"updates.lastCheck"_s));
}

TEST_F(UpdateCheck, ASecondCheckWhileOneRunsReturnsAtOnce) {
    const auto subject = checker();
    subject->checkForUpdates(false);
    subject->checkForUpdates(true);
    subject->checkForUpdatesAtLaunch();
    EXPECT_EQ(fetcher->requestCount(), 1u);
    fetcher->answer(same);
    // The running check was the automatic one: nothing to show.
    EXPECT_FALSE(subject->isUpToDate());
    EXPECT_FALSE(subject->isChecking());
    subject->checkForUpdates(true);
    EXPECT_EQ(fetcher->requestCount(), 2u);
    fetcher->answer(same);
    EXPECT_TRUE(subject->isUpToDate());
}

TEST_F(UpdateCheck, NeverClearsWhatItFound) {
    const auto subject = checker();
    subject->checkForUpdates(true);
    fetcher->answer(newer);
    subject->checkForUpdates(true);
    fetcher->answer(VersionFetchFailure::network);
    EXPECT_TRUE(subject->available());
    EXPECT_EQ(subject->error(), AppError::updateCheckFailed());
    subject->checkForUpdates(true);
    fetcher->answer(same);
    EXPECT_TRUE(subject->available());
    EXPECT_TRUE(subject->isUpToDate());
    EXPECT_EQ(subject->error(), AppError::updateCheckFailed());
    // The views clear them.
    subject->setAvailable(std::nullopt);
    subject->setIsUpToDate(false);
    subject->setError(std::nullopt);
    EXPECT_FALSE(subject->available() || subject->isUpToDate() || subject->error());
}

TEST_F(UpdateCheck, AnAnswerForACheckerThatIsGoneIsDropped) {
    auto subject = checker();
    subject->checkForUpdates(true);
    subject.reset();
    fetcher->answer(newer);
    EXPECT_FALSE(stored().contains(u"updates.lastCheck"_s));
}

TEST_F(UpdateCheck, ChecksAtLaunchComesFromAndGoesToThePreferences) {
    EXPECT_TRUE(checker()->checksAtLaunch());
    {
        const auto subject = checker();
        QSignalSpy changed(subject.get(), &UpdateChecker::checksAtLaunchChanged);
        subject->setChecksAtLaunch(false);
        subject->setChecksAtLaunch(false);
        EXPECT_EQ(changed.count(), 1);
    }
    EXPECT_EQ(stored().value(u"updates.checksAtLaunch"_s), QJsonValue(false));
    // The next launch starts with it off and checks nothing.
    const auto next = checker();
    EXPECT_FALSE(next->checksAtLaunch());
    next->checkForUpdatesAtLaunch();
    EXPECT_EQ(fetcher->requestCount(), 0u);
}

TEST_F(UpdateCheck, StoredValuesOfAnotherKindReadAsTheirDefaults) {
    const std::pair<const char*, QJsonValue> cases[] = {
        {"text", u"false"_s},
        {"a number", 0},
        {"null", QJsonValue::Null},
        {"an array", QJsonArray{false}},
    };
    for (const auto& [name, value] : cases) {
        SCOPED_TRACE(name);
        UserDefaults(preferencesPath()).setValue(u"updates.checksAtLaunch"_s, value);
        UserDefaults(preferencesPath()).setValue(u"updates.lastCheck"_s, value);
        EXPECT_TRUE(preferences()->checksAtLaunch());
        EXPECT_EQ(preferences()->lastCheck(), std::nullopt);
    }
    UserDefaults(preferencesPath()).setValue(u"updates.lastCheck"_s, u"hier"_s);
    EXPECT_EQ(preferences()->lastCheck(), std::nullopt);
    // A date written with an offset is the same instant.
    UserDefaults(preferencesPath()).setValue(u"updates.lastCheck"_s, u"2026-01-01T14:00:00+02:00"_s);
    EXPECT_EQ(preferences()->lastCheck(), QDateTime(QDate(2026, 1, 1), QTime(12, 0), Qt::UTC));
    preferences()->setLastCheck(std::nullopt);
    EXPECT_FALSE(stored().contains(u"updates.lastCheck"_s));
}

}  // namespace
