#pragma once

// An app object on doubles: recent projects and the free icon in memory, a task
// queue the test runs by hand, a settable clock, scripted panels, a fake project
// reader and writer, and an update fetcher that answers when told.

#include <QDateTime>
#include <QWidget>
#include <memory>
#include <optional>
#include <vector>

#include "glyphsmith_state/update_preferences.hpp"
#include "glyphsmith_state_testing/queued_task_runner.hpp"
#include "glyphsmith_state_testing/queued_version_fetcher.hpp"
#include "glyphsmith_state_testing/settable_clock.hpp"
#include "glyphsmith_state_testing/store_doubles.hpp"
#include "glyphsmith_views/glyphsmith_app.hpp"

namespace glyphsmith_views_testing {

using glyphsmith_state_testing::MemoryFreeIcon;

// The shown widget of type W whose accessible name is `name`; null when none or several.
template <class W>
W* named(QWidget* root, const QString& name) {
    W* found = nullptr;
    for (W* widget : root->findChildren<W*>()) {
        if (widget->accessibleName() != name || !widget->isVisibleTo(root)) continue;
        if (found) return nullptr;
        found = widget;
    }
    return found;
}

class MemoryUpdatePreferences final : public glyphsmith_state::UpdatePreferencesStoring {
public:
    bool checksAtLaunch() const override { return checks; }
    void setChecksAtLaunch(bool value) override { checks = value; }
    std::optional<QDateTime> lastCheck() const override { return last; }
    void setLastCheck(std::optional<QDateTime> date) override { last = std::move(date); }
    bool checks = true;
    std::optional<QDateTime> last;
};

// The doubles stay reachable through raw pointers; the app owns them.
struct AppFixture {
    glyphsmith_state_testing::QueuedTaskRunner* runner = nullptr;
    MemoryFreeIcon* freeIcon = nullptr;
    glyphsmith_state_testing::ScriptedFilePanels* panels = nullptr;
    std::shared_ptr<glyphsmith_state_testing::FakeProjectReader> reader =
        std::make_shared<glyphsmith_state_testing::FakeProjectReader>();
    std::shared_ptr<glyphsmith_state_testing::FakeProjectWriter> writer =
        std::make_shared<glyphsmith_state_testing::FakeProjectWriter>();
    std::shared_ptr<MemoryUpdatePreferences> preferences = std::make_shared<MemoryUpdatePreferences>();
    std::shared_ptr<glyphsmith_state_testing::QueuedVersionFetcher> fetcher =
        std::make_shared<glyphsmith_state_testing::QueuedVersionFetcher>();
    std::shared_ptr<glyphsmith_state_testing::SettableClock> clock =
        std::make_shared<glyphsmith_state_testing::SettableClock>();
    std::unique_ptr<glyphsmith_views::GlyphsmithApp> app;

    explicit AppFixture(std::chrono::milliseconds freeIconDelay = std::chrono::milliseconds(1000)) {
        glyphsmith_views::AppServices services;
        services.recents = std::make_unique<glyphsmith_state_testing::MemoryRecentProjects>();
        auto freeIconDouble = std::make_unique<MemoryFreeIcon>();
        freeIcon = freeIconDouble.get();
        services.freeIcon = std::move(freeIconDouble);
        auto runnerDouble = std::make_unique<glyphsmith_state_testing::QueuedTaskRunner>();
        runner = runnerDouble.get();
        services.runner = std::move(runnerDouble);
        auto panelsDouble = std::make_unique<glyphsmith_state_testing::ScriptedFilePanels>();
        panels = panelsDouble.get();
        services.panels = std::move(panelsDouble);
        services.storeSeams.reader = reader;
        services.storeSeams.writer = writer;
        services.updatePreferences = preferences;
        services.fetcher = fetcher;
        services.clock = clock;
        services.freeIconSaveDelay = freeIconDelay;
        app = std::make_unique<glyphsmith_views::GlyphsmithApp>(std::move(services));
    }

    glyphsmith_state::ProjectStore& store() const { return app->store(); }

    // A project at `folder` with drivers named as given (id = name lower-cased).
    homey_project::HomeyApp& addProject(const std::string& folder, const std::string& name,
                                        const std::vector<std::string>& driverNames) {
        homey_project::HomeyApp project;
        project.id = "com.example." + name;
        project.names = {{"en", name}};
        project.root = folder;
        for (const auto& driverName : driverNames) {
            homey_project::HomeyDriver driver;
            driver.id = driverName;
            driver.names = {{"en", driverName}};
            project.drivers.push_back(driver);
        }
        return reader->apps[folder] = project;
    }
};

}  // namespace glyphsmith_views_testing
