#pragma once

// How the editor's operations store a changed model, shared by its source files.

#include "glyphsmith_state/driver_editor.hpp"
#include "icon_geometry/model_input.hpp"
#include "support/observed_field.hpp"

namespace glyphsmith_state {

template <class Change>
bool DriverEditor::changeModel(Change&& change) {
    assertMainThread(this);
    icon_geometry::IconModel next = model_;
    change(next);
    // The guarded input refuses what it cannot bound: a model saved beyond its
    // limits would read back as no model at all.
    if (!icon_geometry::ModelInput::isStorable(next)) return false;
    // Accepted, but nothing to tell.
    if (next == model_) return true;
    model_ = std::move(next);
    emit modelChanged();
    return true;
}

template <class Change>
bool DriverEditor::changeMainBody(Change&& change) {
    if (!model_.hasExtrudedPrimaryBody()) return false;
    return changeModel([&](icon_geometry::IconModel& model) { model.changePrimaryBody(change); });
}

template <class Change>
bool DriverEditor::changePart(int index, Change&& change) {
    if (!isPartIndex(index)) return false;
    return changeModel([&](icon_geometry::IconModel& model) { change(model.parts[static_cast<std::size_t>(index)]); });
}

}  // namespace glyphsmith_state
