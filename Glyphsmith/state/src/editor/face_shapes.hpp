#pragma once

// The rules of the main face's outline as the editor edits it: its box and
// sizes, the setters' limits, its kind read by name, and the shapes it becomes.
// Plain functions of values, usable anywhere.

#include <optional>

#include "glyphsmith_state/editing_choices.hpp"
#include "icon_geometry/face_shape.hpp"
#include "icon_geometry/rect.hpp"

namespace glyphsmith_state {

// The bounding box of a face outline, in millimetres.
icon_geometry::Rect outlineBox(const icon_geometry::FaceShape& face);

struct FaceSize {
    double width;
    double height;
};

// The face's width and height as its edits take them: the sizes a shape stores,
// else (a polygon) its outline box. A superellipse's outline overshoots its
// stored sizes slightly; edits built on the box would grow the face a little at
// every slider step.
FaceSize storedFaceSize(const icon_geometry::FaceShape& face);

// A finite value clamped to [low, high]; anything else becomes `otherwise`.
double clampedOr(double value, double low, double high, double otherwise);

// The face setters' limits, shared by the entered values and the photo fits.
double clampedFaceSize(double value);
double clampedCornerRadius(double value);
double clampedExponent(double value);

// The kind of a face, read by its shape's name; a rounded polygon shows as a
// rounded rectangle.
ShapeKind shapeKindOf(const icon_geometry::FaceShape& face);

// The face of the kind at w × h: a rounded rectangle with corner radius 0.08 ×
// the smaller side, a superellipse with exponent 4.
icon_geometry::FaceShape faceOfKind(ShapeKind kind, double width, double height);

// The face at w × h, keeping its kind and its radius or exponent; a rounded
// polygon's vertices are stretched.
icon_geometry::FaceShape resizedFace(const icon_geometry::FaceShape& face, double width, double height);

// A rounded rectangle's corner radius, a superellipse's exponent, else 0.
double shapeParameter(const icon_geometry::FaceShape& face);

// The face with its radius (clamped to 0 … 10000) or exponent (1.2 … 100)
// changed; nothing for the kinds without either.
std::optional<icon_geometry::FaceShape> withShapeParameter(const icon_geometry::FaceShape& face, double value);

// A fitted outline at `scale`, its sizes held within the face setters' limits;
// nothing for a scale that is not finite and above 0.
std::optional<icon_geometry::FaceShape> scaledFit(const icon_geometry::FaceShape& fit, double scale);

}  // namespace glyphsmith_state
