#pragma once

// How the editor's operations change its model, shared by its source files.

#include <cmath>

#include "glyphsmith_state/driver_editor.hpp"
#include "icon_geometry/model_input.hpp"
#include "icon_geometry/rect.hpp"
#include "support/observed_field.hpp"

namespace glyphsmith_state {

// The bounding box of a face outline, in millimetres.
inline icon_geometry::Rect outlineBox(const icon_geometry::FaceShape& face) {
    return face.outline().bounds();
}

struct FaceSize {
    double width;
    double height;
};

// The face's width and height as its edits take them: the sizes a shape stores,
// else (a polygon) its outline box. A superellipse's outline overshoots its
// stored sizes slightly; edits built on the box would grow the face a little at
// every slider step.
inline FaceSize storedFaceSize(const icon_geometry::FaceShape& face) {
    return std::visit(
        [&](const auto& shape) -> FaceSize {
            if constexpr (requires { shape.width; }) {
                return {shape.width, shape.height};
            } else {
                const icon_geometry::Rect box = outlineBox(face);
                return {box.width, box.height};
            }
        },
        face.value);
}

// A finite value clamped to [low, high]; anything else becomes `otherwise`.
inline double clampedOr(double value, double low, double high, double otherwise) {
    return std::isfinite(value) ? std::min(std::max(value, low), high) : otherwise;
}

// The face setters' limits, shared by the entered values and the photo fits.
inline double clampedFaceSize(double value) {
    return clampedOr(value, 1, 10000, 1);
}
inline double clampedCornerRadius(double value) {
    return clampedOr(value, 0, 10000, 0);
}
inline double clampedExponent(double value) {
    return clampedOr(value, 1.2, 100, 1.2);
}

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
