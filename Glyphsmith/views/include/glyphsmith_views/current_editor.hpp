#pragma once

// The store's current editor (the selected driver's, else the free icon's) as
// something a view can follow: `changed` is sent once the store has settled on
// another editor, and only then. Views follow this one signal, so that how the
// store tells of it stays in one place.

#include <QObject>
#include <QPointer>

#include "glyphsmith_state/driver_editor.hpp"
#include "glyphsmith_state/project_store.hpp"

namespace glyphsmith_views {

class CurrentEditor : public QObject {
    Q_OBJECT
public:
    explicit CurrentEditor(glyphsmith_state::ProjectStore& store, QObject* parent = nullptr);

    glyphsmith_state::DriverEditor& editor() const { return store_.currentEditor(); }

signals:
    void changed();

private:
    void check();

    glyphsmith_state::ProjectStore& store_;
    QPointer<glyphsmith_state::DriverEditor> shown_;
};

}  // namespace glyphsmith_views
