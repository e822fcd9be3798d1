#include "glyphsmith_state/app_session.hpp"

#include "glyphsmith_state/follow_current_editor.hpp"
#include "session/compliance_trigger.hpp"
#include "support/debounce.hpp"
#include "support/observed_field.hpp"

namespace glyphsmith_state {

AppSession::AppSession(ProjectStore& store, const Clock& clock, std::chrono::milliseconds freeIconSaveDelay,
                       QObject* parent)
    : QObject(parent),
      store_(store),
      clock_(clock),
      freeIconSave_(std::make_unique<Debounce>(clock, freeIconSaveDelay, this, [this] { saveFreeIconNow(); })) {
    // Another editor is another report key: the wait starts again, even for an equal model.
    followCurrentEditor(store_, this, [this](DriverEditor& editor, QObject&) {
        reports_ = std::make_unique<ComplianceTrigger>(store_, editor, clock_, reportDelay);
    });
    // Only the free editor's model is watched: editing a driver never rewrites the free icon.
    connect(&store_.freeEditor(), &DriverEditor::modelChanged, this, [this] {
        if (autosaving_) freeIconSave_->start();
    });
}

AppSession::~AppSession() = default;

void AppSession::setPreviewMode(PreviewMode mode) {
    assignObserved(*this, previewMode_, mode, &AppSession::previewModeChanged);
}

void AppSession::openImages(const QList<QUrl>& urls) {
    if (urls.isEmpty()) return;
    store_.currentEditor().addPhotos(urls, false, true);
    setPreviewMode(PreviewMode::overlay);
}

void AppSession::startFreeIconAutosave() {
    if (autosaving_) return;
    autosaving_ = true;
    freeIconSave_->start();
}

void AppSession::saveFreeIconNow() {
    freeIconSave_->stop();
    if (FreeIconStoring* freeIcon = store_.freeIcon()) freeIcon->save(store_.freeEditor().model());
}

}  // namespace glyphsmith_state
