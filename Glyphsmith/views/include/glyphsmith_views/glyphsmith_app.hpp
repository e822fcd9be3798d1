#pragma once

// The app object: it owns the three pieces of app-wide state (the project
// store, the preview mode in the session, and the update checker), each created
// once and shared by reference with every view and command for the life of the
// process, and the services they run on.

#include <QList>
#include <QObject>
#include <QUrl>
#include <chrono>
#include <memory>

#include "glyphsmith_state/app_session.hpp"
#include "glyphsmith_state/clock.hpp"
#include "glyphsmith_state/file_panels.hpp"
#include "glyphsmith_state/free_icon.hpp"
#include "glyphsmith_state/project_store.hpp"
#include "glyphsmith_state/recent_projects.hpp"
#include "glyphsmith_state/task_runner.hpp"
#include "glyphsmith_state/update_checker.hpp"
#include "glyphsmith_state/update_preferences.hpp"
#include "glyphsmith_state/version_fetching.hpp"

namespace glyphsmith_views {

// The files among these that are images, in order: local files whose content
// type (by name) is an image type, else whose extension, in any case, is one of
// the ten image extensions; a folder never is, whatever its name. The same
// filter for a drop on the canvas and for files given to the app.
QList<QUrl> acceptedImageFiles(const QList<QUrl>& urls);

// What the app's state runs on. `production()` gives the user's own files, a
// thread pool, the file dialogs and the update site; tests hand in doubles.
struct AppServices {
    std::unique_ptr<glyphsmith_state::RecentProjectsStoring> recents;
    // Absent: the free icon is never read nor saved.
    std::unique_ptr<glyphsmith_state::FreeIconStoring> freeIcon;
    std::unique_ptr<glyphsmith_state::TaskRunner> runner;
    std::unique_ptr<glyphsmith_state::FilePanels> panels;
    glyphsmith_state::ProjectStoreSeams storeSeams;
    std::shared_ptr<glyphsmith_state::UpdatePreferencesStoring> updatePreferences;
    // Absent: every update check fails.
    std::shared_ptr<glyphsmith_state::VersionFetching> fetcher;
    std::shared_ptr<const glyphsmith_state::Clock> clock = std::make_shared<glyphsmith_state::SystemClock>();
    // The free icon is saved this long after its last change.
    std::chrono::milliseconds freeIconSaveDelay{1000};

    static AppServices production();
};

class GlyphsmithApp : public QObject {
    Q_OBJECT
public:
    explicit GlyphsmithApp(AppServices services, QObject* parent = nullptr);
    ~GlyphsmithApp() override;

    glyphsmith_state::ProjectStore& store() const { return *store_; }
    glyphsmith_state::UpdateChecker& updates() const { return *updates_; }
    // The file panels the store's choose… operations show; null in tests that give none.
    glyphsmith_state::FilePanels* panels() const { return services_.panels.get(); }

    // The preview mode, the opened images, the compliance trigger and the free icon's saves.
    glyphsmith_state::AppSession& session() const { return *session_; }

private:
    AppServices services_;
    std::unique_ptr<glyphsmith_state::ProjectStore> store_;
    std::unique_ptr<glyphsmith_state::UpdateChecker> updates_;
    std::unique_ptr<glyphsmith_state::AppSession> session_;
};

}  // namespace glyphsmith_views
