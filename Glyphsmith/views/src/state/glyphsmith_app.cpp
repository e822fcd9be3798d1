#include "glyphsmith_views/glyphsmith_app.hpp"

#include <QFileInfo>

#include "glyphsmith_state/photo_files.hpp"
#include "glyphsmith_state/site_version_fetcher.hpp"
#include "glyphsmith_state/thread_pool_task_runner.hpp"
#include "glyphsmith_views/app_info.hpp"
#include "glyphsmith_views/dialog_file_panels.hpp"

namespace glyphsmith_views {

using glyphsmith_state::DriverEditor;

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

    freeIconTimer_.setSingleShot(true);
    freeIconTimer_.setInterval(services_.freeIconSaveDelay);
    connect(&freeIconTimer_, &QTimer::timeout, this, &GlyphsmithApp::saveFreeIconNow);
    // Only the free editor's model is watched: editing a driver never rewrites the free icon.
    connect(&store_->freeEditor(), &DriverEditor::modelChanged, this, [this] {
        if (autosaving_) freeIconTimer_.start();
    });
}

GlyphsmithApp::~GlyphsmithApp() = default;

void GlyphsmithApp::setPreviewMode(PreviewMode mode) {
    if (mode == previewMode_) return;
    previewMode_ = mode;
    emit previewModeChanged();
}

void GlyphsmithApp::openImages(const QList<QUrl>& urls) {
    if (urls.isEmpty()) return;
    store_->currentEditor().addPhotos(urls, false, true);
    setPreviewMode(PreviewMode::overlay);
}

void GlyphsmithApp::startFreeIconAutosave() {
    if (autosaving_) return;
    autosaving_ = true;
    freeIconTimer_.start();
}

void GlyphsmithApp::saveFreeIconNow() {
    freeIconTimer_.stop();
    if (auto* freeIcon = store_->freeIcon()) freeIcon->save(store_->freeEditor().model());
}

void GlyphsmithApp::runLaunchUpdateCheck() {
    updates_->checkForUpdatesAtLaunch();
}

}  // namespace glyphsmith_views
