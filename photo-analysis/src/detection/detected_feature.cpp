#include "photo_analysis/detected_feature.hpp"

#include "icon_geometry/face_shape.hpp"

namespace photo_analysis {

std::vector<icon_geometry::BezierPath> DetectedFeature::paths() const {
    struct Visitor {
        std::vector<icon_geometry::BezierPath> operator()(const Dot& dot) const {
            return {icon_geometry::FaceShape::ellipse(dot.diameter, dot.diameter)
                        .outline()
                        .translated(dot.center.x, dot.center.y)};
        }
        std::vector<icon_geometry::BezierPath> operator()(const Outline& outline) const { return {outline.path}; }
        std::vector<icon_geometry::BezierPath> operator()(const Stroke& stroke) const { return {stroke.path}; }
        std::vector<icon_geometry::BezierPath> operator()(const Boundary& boundary) const { return {boundary.path}; }
        std::vector<icon_geometry::BezierPath> operator()(const Pictogram& mark) const {
            return mark.pictogram.contours(mark.center, mark.size);
        }
    };
    return std::visit(Visitor{}, value);
}

}  // namespace photo_analysis
