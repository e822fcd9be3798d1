#include "glyphsmith_views/current_editor.hpp"

namespace glyphsmith_views {

using glyphsmith_state::ProjectStore;

CurrentEditor::CurrentEditor(ProjectStore& store, QObject* parent)
    : QObject(parent), store_(store), shown_(&store.currentEditor()) {
    // Every store change that can give another current editor.
    for (auto signal :
         {&ProjectStore::selectedDriverIDChanged, &ProjectStore::editorsChanged, &ProjectStore::appChanged})
        connect(&store_, signal, this, &CurrentEditor::check);
}

void CurrentEditor::check() {
    auto* current = &store_.currentEditor();
    if (current == shown_.data()) return;
    shown_ = current;
    emit changed();
}

}  // namespace glyphsmith_views
