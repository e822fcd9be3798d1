#include "glyphsmith_views/glyphsmith_app.hpp"

#include <QFileInfo>

#include "glyphsmith_state/photo_files.hpp"
#include "glyphsmith_state/site_version_fetcher.hpp"
#include "glyphsmith_state/thread_pool_task_runner.hpp"
#include "glyphsmith_views/app_info.hpp"
#include "glyphsmith_views/dialog_file_panels.hpp"

namespace glyphsmith_views {

QList<QUrl> acceptedImageFiles(const QList<QUrl>& urls) {
    QList<QUrl> accepted;
    for (const QUrl& url : urls) {
        if (!url.isLocalFile() || QFileInfo(url.toLocalFile()).isDir()) continue;
        if (glyphsmith_state::acceptsPhotoFile(url)) accepted << url;
    }
    return accepted;
}

AppServices AppServices::production() {
    AppServices services;
    services.recents = std::make_unique<glyphsmith_state::UserDefaultsRecentProjects>();
    services.freeIcon = std::make_unique<glyphsmith_state::ApplicationSupportFreeIcon>();
    services.runner = std::make_unique<glyphsmith_state::ThreadPoolTaskRunner>();
    services.panels = std::make_unique<DialogFilePanels>();
    services.updatePreferences = std::make_shared<glyphsmith_state::UserDefaultsUpdatePreferences>();
    services.fetcher = glyphsmith_state::SiteVersionFetcher::forUpdateSite();
    return services;
}

GlyphsmithApp::GlyphsmithApp(AppServices services, QObject* parent) : QObject(parent), services_(std::move(services)) {
    auto seams = services_.storeSeams;
    seams.panels = services_.panels.get();
    store_ = std::make_unique<glyphsmith_state::ProjectStore>(*services_.recents, services_.freeIcon.get(),
                                                              *services_.runner, std::move(seams));
    updates_ = std::make_unique<glyphsmith_state::UpdateChecker>(services_.fetcher, services_.updatePreferences,
                                                                 AppInfo::version(), AppInfo::build(), services_.clock);
    session_ = std::make_unique<glyphsmith_state::AppSession>(*store_, *services_.clock, services_.freeIconSaveDelay);
}

GlyphsmithApp::~GlyphsmithApp() = default;

}  // namespace glyphsmith_views
