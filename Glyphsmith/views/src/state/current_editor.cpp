#include "glyphsmith_views/current_editor.hpp"

namespace glyphsmith_views {

using glyphsmith_state::ProjectStore;

CurrentEditor::CurrentEditor(ProjectStore& store, QObject* parent)
    : QObject(parent), store_(store), shown_(&store.currentEditor()) {
    connect(&store_, &ProjectStore::currentEditorChanged, this, &CurrentEditor::check);
}

void CurrentEditor::check() {
    auto* current = &store_.currentEditor();
    if (current == shown_.data()) return;
    shown_ = current;
    emit changed();
}

}  // namespace glyphsmith_views
