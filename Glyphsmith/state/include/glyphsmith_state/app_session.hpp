#pragma once

// What the app does between its store and its windows, with no window of its
// own: the preview mode the canvas and the "Aperçu" menu show, the images given
// to the app, the current editor's compliance report kept current, and the free
// icon kept saved. The views bind to it; tests drive it on a settable clock and
// a task queue.
//
// Confined to the main thread, like the store it works on.

#include <QList>
#include <QObject>
#include <QUrl>
#include <chrono>
#include <memory>

#include "glyphsmith_state/clock.hpp"
#include "glyphsmith_state/preview_mode.hpp"
#include "glyphsmith_state/project_store.hpp"

namespace glyphsmith_state {

class ComplianceTrigger;
class Debounce;

class AppSession : public QObject {
    Q_OBJECT
public:
    // The current editor's report is asked for this long after the last change of its inputs.
    static constexpr std::chrono::milliseconds reportDelay{400};

    // `store` and `clock` must outlive the session. The free icon is saved
    // `freeIconSaveDelay` after its last change, once the saves have started.
    AppSession(ProjectStore& store, const Clock& clock,
               std::chrono::milliseconds freeIconSaveDelay = std::chrono::milliseconds(1000),
               QObject* parent = nullptr);
    ~AppSession() override;

    // What the canvas shows; starts at icon.
    PreviewMode previewMode() const { return previewMode_; }
    void setPreviewMode(PreviewMode mode);

    // Image files given to the app (arguments, a second launch, a drop on the
    // canvas): they become photos of the current editor, and the canvas shows
    // the photo at once, before they have loaded.
    void openImages(const QList<QUrl>& urls);

    // From the first call (the main window shown) on, the free icon is saved one
    // delay after each change of the free editor's model, and once one delay
    // after this call even without a change. Calling it again changes nothing.
    void startFreeIconAutosave();
    // The termination save: the free editor's model now.
    void saveFreeIconNow();

signals:
    void previewModeChanged();

private:
    ProjectStore& store_;
    const Clock& clock_;
    PreviewMode previewMode_ = PreviewMode::icon;
    // The current editor's.
    std::unique_ptr<ComplianceTrigger> reports_;
    std::unique_ptr<Debounce> freeIconSave_;
    bool autosaving_ = false;
};

}  // namespace glyphsmith_state
