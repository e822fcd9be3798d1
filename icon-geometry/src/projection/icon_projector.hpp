#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "icon_geometry/camera.hpp"
#include "icon_geometry/icon_drawing.hpp"
#include "icon_geometry/icon_model.hpp"

namespace icon_geometry {

// Places every part of a model in space, looks at the whole through the camera,
// draws each part as strokes, fills and holes, orders the parts back to front
// and fits the result into the 960 canvas.
struct IconProjector {
    // One body as projected, before depth ordering and fitting.
    struct Projected {
        BezierPath silhouette;
        std::vector<IconElement> elements;
        // What the fit must also enclose; the null rectangle when nothing.
        Rect extraBounds = Rect::null();
        // Larger is farther from the eye.
        double depthKey = 0;
        // The elements that can only be sized once the fit scale (canvas units per
        // projected unit) is known.
        std::function<std::vector<IconElement>(double scale)> finish;
    };

    std::vector<BodyPart> parts;
    Orientation orientation;
    Camera camera;

    // The bodies of the icon in canvas coordinates, back to front, each with its
    // fitted silhouette as occluder. Empty when the model measures nothing.
    std::vector<IconBody> project() const;

    // The perspective the parts are seen through: the camera a number of the
    // front extent's diagonals away, backed off where the model reaches toward
    // it (see the source). `centre` is the point the view is centred on.
    static PerspectiveProjection projectionFor(const std::vector<BodyPart>& parts, Orientation orientation,
                                               const Camera& view, double diagonal, Vector3 centre);

    static Projected projectExtruded(const ExtrudedBody& body, double curveStep, const Pose& pose,
                                     const PerspectiveProjection& projection);
};

}  // namespace icon_geometry
