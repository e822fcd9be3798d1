// Face geometry from arbitrary numbers: corners, points and quadrilaterals that
// may be huge, tiny or not numbers must give absent results, never a crash or a
// huge allocation.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "face/face_finding_detail.hpp"
#include "photo_analysis/face_rectification.hpp"
#include "photo_analysis/shape_fitting.hpp"

namespace {

using namespace photo_analysis;

struct Reader {
    const std::uint8_t* data;
    std::size_t size;
    double next() {
        double v = 0;
        if (size >= sizeof v) {
            std::memcpy(&v, data, sizeof v);
            data += sizeof v;
            size -= sizeof v;
        }
        return v;
    }
    Vector2 point() { return {next(), next()}; }
};

// A 48 × 32 photo with a 24 × 16 subject in its middle.
const SubjectMask& smallMask() {
    static const SubjectMask mask = [] {
        SubjectMask m{48, 32, std::vector<std::uint8_t>(48 * 32, 0)};
        for (int y = 8; y < 24; ++y) {
            for (int x = 12; x < 36; ++x) m.coverage[static_cast<std::size_t>(y) * 48 + x] = 255;
        }
        return m;
    }();
    return mask;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Reader in{data, size};
    const FaceCorners corners{in.point(), in.point(), in.point(), in.point()};
    const double ratio = in.next();
    if (const auto r =
            Rectification::make(corners, 48, 32, std::isfinite(ratio) ? std::optional(ratio) : std::nullopt)) {
        (void)r->photoToFace.inverted();
        const Photo photo(48, 32, std::vector<std::uint8_t>(48 * 32 * 4, 200));
        (void)r->rectifiedImage(photo, 16);
    }
    std::vector<Vector2> points;
    while (in.size >= 16 && points.size() < 48) points.push_back(in.point());
    (void)ShapeFitting::fit(points);
    (void)ShapeFitting::cornerRadius(points, corners.topLeft.x, corners.topLeft.y);
    std::vector<RectangleObservation> observations;
    for (std::size_t i = 0; i + 4 < points.size() && observations.size() < 12; i += 4) {
        observations.push_back({points[i], points[i + 1], points[i + 2], points[i + 3], ratio});
    }
    (void)face_finding_detail::bestQuadrilateral(observations, smallMask(), 48, 32);
    for (const Vector2 p : points) (void)face_finding_detail::passesEdgeTest(p, std::abs(ratio), smallMask());
    return 0;
}
