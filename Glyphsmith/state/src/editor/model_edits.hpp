#pragma once

// The model edits of the editor as plain functions of the model's values: what
// each operation does to the model, without the editor's fields and signals.
// Values out of range are the caller's to refuse or clamp first.

#include <cstddef>
#include <optional>
#include <vector>

#include "glyphsmith_state/editing_choices.hpp"
#include "icon_geometry/camera.hpp"
#include "icon_geometry/icon_model.hpp"
#include "icon_geometry/model_template.hpp"
#include "icon_geometry/vector.hpp"

namespace glyphsmith_state {

// Where a moved detail may go, in face millimetres.
inline constexpr double maximumDetailCoordinate = 10000;
// The smallest dimension a part may be given, excluded, and the largest, included.
inline constexpr double smallestPartDimension = 0.1;
inline constexpr double largestPartDimension = 10000;
inline constexpr double largestPartOffset = 10000;
inline constexpr double largestPartTurn = 60;

// True removes the model's camera; false keeps it, or gives the default camera.
void useBrandCamera(icon_geometry::IconModel& model, bool uses);
// True keeps the current bevel or sets the default one; false removes it.
void setBevel(icon_geometry::ExtrudedBody& body, bool bevel);

// The index of a detail of the body; nothing out of range.
std::optional<std::size_t> detailIndex(const icon_geometry::ExtrudedBody& body, std::optional<int> index);
// Appends the template's detail at the face point; its index.
std::size_t addDetail(icon_geometry::ExtrudedBody& body, DetailTemplate detailTemplate, icon_geometry::Vector2 point);
// The detail at the index (in range) moved so that its centre is (x, y).
void moveDetailCenter(icon_geometry::ExtrudedBody& body, std::size_t index, double x, double y);

// The template's model, keeping the camera (or its absence).
icon_geometry::IconModel modelFromTemplate(icon_geometry::ModelTemplate modelTemplate,
                                           const std::optional<icon_geometry::Camera>& camera);
// A part built from the template, sized after the model's main body.
icon_geometry::BodyPart partFromTemplate(PartTemplate partTemplate, const icon_geometry::IconModel& model);
// [width, height, depth] of an extruded part, [diameter, height] of a revolved one.
std::vector<double> partDimensions(const icon_geometry::BodyPart& part);
// Sets the dimension at `which`, as partDimensions numbers them.
void setPartDimension(icon_geometry::BodyPart& part, int which, double value);

}  // namespace glyphsmith_state
