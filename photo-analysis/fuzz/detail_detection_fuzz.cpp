// Small face images with any options and any face shape through detail
// detection: it never crashes, every feature is finite, there is one face
// detail per feature, and the overlay paths of a feature are finite.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#include "photo_analysis/feature_detection.hpp"

using namespace photo_analysis;

namespace {

void require(bool condition) {
    if (!condition) __builtin_trap();
}

struct Reader {
    const std::uint8_t* data;
    std::size_t size;
    std::uint8_t byte() {
        if (size == 0) return 0;
        --size;
        return *data++;
    }
    // Mostly plain values, sometimes the ones that break arithmetic.
    double number(double scale) {
        const std::uint8_t kind = byte();
        switch (kind % 16) {
            case 0:
                return std::numeric_limits<double>::quiet_NaN();
            case 1:
                return std::numeric_limits<double>::infinity();
            case 2:
                return -1e300;
            case 3:
                return 1e300;
            default:
                return (static_cast<double>(byte()) - 32) / 128 * scale;
        }
    }
};

bool finite(const icon_geometry::BezierPath& path) {
    for (const auto& sub : path.subpaths) {
        if (!sub.isFinite()) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Reader in{data, size};
    const int width = 1 + in.byte() % 40;
    const int height = 1 + in.byte() % 40;
    FeatureDetection::Options options;
    options.excludesText = false;
    options.workingHeight = static_cast<int>(in.byte() % 80) - 8;
    options.margin = in.number(0.2);
    options.backgroundRadius = in.number(0.2);
    options.minimumContrast = in.number(20);
    options.regionContrast = in.number(60);
    options.minimumRegionShare = in.number(0.2);
    options.minimumMarkSize = in.number(0.1);
    options.dotMaximumSize = in.number(0.2);
    std::optional<icon_geometry::FaceShape> shape;
    switch (in.byte() % 4) {
        case 1:
            shape = icon_geometry::FaceShape::roundedRectangle(in.number(2), in.number(2), in.number(0.5));
            break;
        case 2:
            shape = icon_geometry::FaceShape::ellipse(in.number(2), in.number(2));
            break;
        case 3:
            shape = icon_geometry::FaceShape::superellipse(in.number(2), in.number(2), in.number(8));
            break;
        default:
            break;
    }
    // The rest is the image, two grey levels a byte, repeated to fill it.
    std::vector<std::uint8_t> rgba(static_cast<std::size_t>(width) * height * 4, 255);
    if (in.size > 0) {
        for (std::size_t i = 0; i < static_cast<std::size_t>(width) * height; ++i) {
            const std::uint8_t b = in.data[(i / 2) % in.size];
            const std::uint8_t grey = static_cast<std::uint8_t>(i % 2 == 0 ? (b & 0xF0) : (b << 4));
            rgba[i * 4] = rgba[i * 4 + 1] = rgba[i * 4 + 2] = grey;
        }
    }
    const RgbaView view{width, height, rgba, true};
    const std::vector<DetectedFeature> features = FeatureDetection::detect(view, shape, options, nullptr).features;
    for (const DetectedFeature& feature : features) {
        for (const auto& path : feature.paths()) require(finite(path));
    }
    require(FeatureDetection::faceDetails(features, 120, 80, static_cast<double>(width) / height).size() ==
            features.size());
    return 0;
}
