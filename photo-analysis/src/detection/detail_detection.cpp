#include "detection/detail_detection.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <numeric>

#include "detection/pictogram_matcher.hpp"
#include "detection/ribs.hpp"
#include "icon_geometry/face_shape.hpp"
#include "icon_geometry/ink_mask.hpp"
#include "icon_geometry/polygon.hpp"
#include "photo_analysis/shape_fitting.hpp"
#include "platform/over_white.hpp"
#include "raster/grid.hpp"

namespace photo_analysis::detail_detection {

using icon_geometry::BezierPath;
using icon_geometry::FaceShape;
using icon_geometry::DistanceTransform::distances;

namespace {

// The element a full ascending sort puts at index count div 2; 0 for none.
float upperMedian(std::vector<float>& values) {
    if (values.empty()) return 0;
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

// Twice the largest distance from a set cell to the nearest unset one.
double thickness(const std::vector<bool>& grid, int width, int height) {
    std::vector<bool> empty(grid.size());
    for (std::size_t i = 0; i < grid.size(); ++i) empty[i] = !grid[i];
    const std::vector<float> d = distances(empty, width, height);
    float largest = 0;
    for (std::size_t i = 0; i < d.size(); ++i) {
        if (grid[i]) largest = std::max(largest, d[i]);
    }
    return 2.0 * largest;
}

// The half side of the local background window: ⌊radius × H⌋, at least 2, at
// most what covers the whole grid.
int backgroundRadius(const FeatureDetection::Options& options, int width, int height) {
    const double r = std::floor(options.backgroundRadius * height);
    if (!(r >= 2)) return 2;
    return static_cast<int>(std::min(r, static_cast<double>(width) + height));
}

std::vector<BezierPath> movedStrokes(const ComponentRaster& raster, const std::vector<bool>& grid,
                                     double minimumLength) {
    std::vector<BezierPath> paths = strokePaths(grid, raster.width, raster.height, minimumLength);
    for (BezierPath& path : paths) path = path.translated(raster.originX, raster.originY);
    return paths;
}

bool finite(Vector2 p) {
    return std::isfinite(p.x) && std::isfinite(p.y);
}

bool finite(const icon_geometry::Rect& r) {
    return std::isfinite(r.x) && std::isfinite(r.y) && std::isfinite(r.width) && std::isfinite(r.height);
}

bool finite(const BezierPath& path) {
    return finite(path.bounds()) &&
           std::all_of(path.subpaths.begin(), path.subpaths.end(), [](const auto& s) { return s.isFinite(); });
}

// The outlines of a ring: the fitted shape on the middle of its stroke, the
// bare outline, or strokes along a ring too thin to be a button.
void classifyRing(const Components::Component& mark, const ComponentRaster& raster, double t, Centroid centroid,
                  const WorkingFace& face, const FeatureDetection::Options& options,
                  std::vector<DetectedFeature>& out) {
    const double H = face.height;
    const double L = std::max(mark.maxX - mark.minX + 1, mark.maxY - mark.minY + 1);
    const double S = std::min(mark.maxX - mark.minX + 1, mark.maxY - mark.minY + 1);
    std::vector<std::vector<Vector2>> contours = traceContours(raster.grid, raster.width, raster.height);
    if (contours.empty()) return;
    std::vector<double> areas(contours.size());
    for (std::size_t i = 0; i < contours.size(); ++i) areas[i] = std::abs(icon_geometry::signedArea(contours[i]));
    std::vector<std::size_t> order(contours.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return areas[a] > areas[b]; });
    const double rasterArea = static_cast<double>(raster.width) * raster.height;
    const bool inner = contours.size() >= 2 && areas[order[0]] < 0.6 * rasterArea;
    std::vector<Vector2> points = std::move(contours[order[inner ? 1 : 0]]);
    if (points.size() < 8) return;
    for (Vector2& p : points) p = {p.x + raster.originX, p.y + raster.originY};
    const BezierPath path = smoothedClosedPath(points, 0.8);

    const std::optional<FaceFit> fit = ShapeFitting::fit(points);
    bool accepted = false;
    if (fit) {
        const icon_geometry::Rect box = fit->shape.outline().bounds();
        const double bw = box.width, bh = box.height;
        const bool aligned = std::abs(std::sin(2 * fit->rotation)) < 0.17;
        const bool round = fit->kind == FaceFit::Kind::ellipse && std::abs(bw - bh) < 0.08 * std::max(bw, bh);
        accepted = std::abs(fit->center.x - centroid.x) < 0.25 * L && std::abs(fit->center.y - centroid.y) < 0.25 * L &&
                   fit->rms < 0.035 * L && finite(box) && std::max(bw, bh) <= 1.5 * L && (aligned || round);
    }

    std::optional<FaceShape> shape;
    Vector2 centre{centroid.x, centroid.y};
    if (accepted) {
        shape = fit->shape.scaled(1 / H, 1 / H);
        // Brought to the middle of the ring's stroke: inwards from the outer
        // edge, outwards from the inner one.
        const double delta = std::min(0.03 * H, t) / H * (inner ? -1.0 : 1.0);
        const icon_geometry::Rect box = shape->outline().bounds();
        const double w = box.width, h = box.height;
        if (delta < w && delta < h) shape = shape->scaled((w - delta) / w, (h - delta) / h);
        centre = fit->center;
    } else if (inner) {
        const std::vector<bool> filled = fillHoles(raster.grid, raster.width, raster.height);
        if (thickness(filled, raster.width, raster.height) < 0.3 * S) {
            for (const BezierPath& stroke : movedStrokes(raster, filled, 0.8 * options.minimumMarkSize * H)) {
                out.push_back({DetectedFeature::Stroke{stroke.mapPoints([&](Vector2 p) { return face.toFace(p); })}});
            }
        }
        return;
    }
    const icon_geometry::Rect bounds = path.bounds();
    if (bounds.isNull() || std::min(bounds.width, bounds.height) < 0.012 * H) return;
    out.push_back({DetectedFeature::Outline{path.mapPoints([&](Vector2 p) { return face.toFace(p); }), shape,
                                            face.toFace(centre)}});
}

}  // namespace

Vector2 WorkingFace::toFace(Vector2 p) const {
    const double H = height;
    const double aspect = width / H;
    return {p.x / H - aspect / 2, p.y / H - 0.5};
}

std::optional<WorkingFace> workingFace(const RgbaView& image, const std::optional<FaceShape>& shape,
                                       const FeatureDetection::Options& options) {
    std::optional<LabImage> lab = labImage(image, options.workingHeight);
    if (!lab) return std::nullopt;
    WorkingFace face;
    face.width = lab->width;
    face.height = lab->height;
    face.lab = std::move(*lab);
    const int W = face.width;
    const int H = face.height;
    const std::size_t cells = grid::cellCount(W, H);
    const double aspect = static_cast<double>(W) / H;

    const BezierPath outline = shape ? shape->outline() : FaceShape::roundedRectangle(aspect, 1, 0).outline();
    face.face = rasterizeMask(outline, W, H);
    if (face.face.size() != cells) return std::nullopt;

    std::vector<bool> outside(cells);
    for (std::size_t i = 0; i < cells; ++i) outside[i] = !face.face[i];
    face.edgeDistance = distances(outside, W, H);
    if (face.edgeDistance.size() != cells) return std::nullopt;
    // Compared in 32 bits, as the distances are.
    const float margin = static_cast<float>(options.margin * H);
    face.inner.assign(cells, false);
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < W; ++x) {
            const std::size_t i =
                static_cast<std::size_t>(y) * static_cast<std::size_t>(W) + static_cast<std::size_t>(x);
            const float border = static_cast<float>(std::min(std::min(x + 1, y + 1), std::min(W - x, H - y)));
            float& d = face.edgeDistance[i];
            d = std::min(d, border);
            if (d > margin) {
                face.inner[i] = true;
                ++face.innerCount;
            }
        }
    }
    if (face.innerCount == 0) return std::nullopt;

    const Lab faceColour = medianLab(face.inner, face.lab.pixels);
    std::vector<bool> coloured(cells, false);
    for (std::size_t i = 0; i < cells; ++i) {
        coloured[i] = face.inner[i] && colourDifference(face.lab.pixels[i], faceColour) > options.regionContrast;
    }
    const double smallestRegion = options.minimumRegionShare * static_cast<double>(face.innerCount);
    std::vector<bool> regions(cells, false);
    for (const Components::Component& region : Components(coloured, W, H).list) {
        if (!(static_cast<double>(region.pixels.size()) >= smallestRegion)) continue;
        for (const std::int64_t p : region.pixels) regions[static_cast<std::size_t>(p)] = true;
    }
    face.region = fillHoles(regions, W, H);
    return face;
}

ContrastPass contrastPass(const WorkingFace& face, const std::vector<bool>& excluded, int radius,
                          const FeatureDetection::Options& options) {
    const int W = face.width;
    const int H = face.height;
    const std::size_t cells = grid::cellCount(W, H);
    const std::vector<Lab>& pixels = face.lab.pixels;
    std::vector<bool> inRegion(cells, false);
    std::vector<bool> elsewhere(cells, false);
    bool anyInRegion = false;
    bool anyElsewhere = false;
    for (std::size_t i = 0; i < cells; ++i) {
        if (!face.inner[i] || excluded[i]) continue;
        if (face.region[i]) {
            inRegion[i] = anyInRegion = true;
        } else {
            elsewhere[i] = anyElsewhere = true;
        }
    }
    // A mask without pixels has the background (0, 0, 0) everywhere.
    const std::vector<Lab> regionBackground =
        anyInRegion ? localBackground(inRegion, radius, W, H, pixels) : std::vector<Lab>(cells);
    const std::vector<Lab> background =
        anyElsewhere ? localBackground(elsewhere, radius, W, H, pixels) : std::vector<Lab>(cells);

    ContrastPass pass;
    pass.contrast.assign(cells, 0.0f);
    std::vector<float> values;
    values.reserve(face.innerCount);
    for (std::size_t i = 0; i < cells; ++i) {
        if (!face.inner[i]) continue;
        const float c = colourDifference(pixels[i], face.region[i] ? regionBackground[i] : background[i]);
        pass.contrast[i] = c;
        values.push_back(c);
    }
    const float median = upperMedian(values);
    for (float& v : values) v = std::abs(v - median);
    const float deviation = upperMedian(values);
    pass.median = median;
    pass.sigma = 1.4826 * deviation;
    pass.threshold = std::max(pass.median + 5 * pass.sigma, options.minimumContrast);
    return pass;
}

MarkPixels markPixels(const WorkingFace& face, const FeatureDetection::Options& options) {
    const int W = face.width;
    const int H = face.height;
    const std::size_t cells = grid::cellCount(W, H);
    const int radius = backgroundRadius(options, W, H);

    const ContrastPass first = contrastPass(face, std::vector<bool>(cells, false), radius, options);
    std::vector<bool> seeds(cells, false);
    for (std::size_t i = 0; i < cells; ++i) seeds[i] = face.inner[i] && first.contrast[i] > first.threshold;
    const std::vector<float> nearSeed = distances(seeds, W, H);
    std::vector<bool> excluded(cells, false);
    for (std::size_t i = 0; i < cells; ++i) excluded[i] = nearSeed[i] <= 2;

    ContrastPass second = contrastPass(face, excluded, radius, options);
    std::vector<bool> strong(cells, false);
    for (std::size_t i = 0; i < cells; ++i) strong[i] = face.inner[i] && second.contrast[i] > second.threshold;
    const double weak = std::max(second.median + 3 * second.sigma, 0.7 * options.minimumContrast);
    const std::vector<float> nearStrong = distances(strong, W, H);
    MarkPixels result;
    result.marks.assign(cells, false);
    for (std::size_t i = 0; i < cells; ++i) {
        result.marks[i] = face.inner[i] && (strong[i] || (second.contrast[i] > weak && nearStrong[i] <= 2));
    }
    result.contrast = std::move(second.contrast);
    result.threshold = second.threshold;
    return result;
}

std::vector<TextLines::Rectangle> textRectangles(const RgbaView& image, const WorkingFace& face,
                                                 const FeatureDetection::Options& options, TextRecognizer* recognizer) {
    if (!options.excludesText || recognizer == nullptr) return {};
    // The recogniser reads the face at the working size: its boxes are relative,
    // and a face at photo resolution would cost it seconds.
    const std::optional<std::vector<std::uint8_t>> rgb = platform::overWhite(image, face.width, face.height);
    if (!rgb) return {};
    std::vector<std::uint8_t> rgba(grid::cellCount(face.width, face.height) * 4);
    for (std::size_t i = 0, j = 0; j < rgb->size(); i += 4, j += 3) {
        rgba[i] = (*rgb)[j];
        rgba[i + 1] = (*rgb)[j + 1];
        rgba[i + 2] = (*rgb)[j + 2];
        rgba[i + 3] = 255;
    }
    return TextLines::recognize(*recognizer, RgbaView{face.width, face.height, rgba, true}, face.width, face.height);
}

std::optional<std::vector<Components::Component>> marks(const std::vector<bool>& pixels, int width, int height,
                                                        double smallestMark) {
    std::vector<Components::Component> kept;
    const double fewestPixels = std::floor(smallestMark * smallestMark / 2);
    for (Components::Component& component : Components(pixels, width, height).list) {
        const double longer = std::max(component.maxX - component.minX + 1, component.maxY - component.minY + 1);
        if (longer >= smallestMark && static_cast<double>(component.pixels.size()) >= fewestPixels) {
            if (kept.size() == maximumMarks) return std::nullopt;
            kept.push_back(std::move(component));
        }
    }
    return kept;
}

void classify(const Components::Component& mark, const WorkingFace& face, const MarkPixels& pixels,
              const FeatureDetection::Options& options, double elongationBound, std::vector<DetectedFeature>& out) {
    if (mark.pixels.empty()) return;
    const double H = face.height;
    const double boxWidth = mark.maxX - mark.minX + 1;
    const double boxHeight = mark.maxY - mark.minY + 1;
    const double L = std::max(boxWidth, boxHeight);
    const double S = std::min(boxWidth, boxHeight);
    const double n = static_cast<double>(mark.pixels.size());
    double sumD = 0;
    double sumC = 0;
    for (const std::int64_t p : mark.pixels) {
        sumD += face.edgeDistance[static_cast<std::size_t>(p)];
        sumC += pixels.contrast[static_cast<std::size_t>(p)];
    }
    const double meanD = sumD / n;
    const double meanC = sumC / n;
    const auto mapped = [&](Vector2 p) { return face.toFace(p); };

    // A shadow or reflection along the face's edge.
    if (meanD < 0.06 * H && 3 * S < L) return;

    const ComponentRaster raster = componentRaster(mark);
    const double t = thickness(raster.grid, raster.width, raster.height);
    const Centroid centroid = componentCentroid(mark);

    if (L > 0.25 * H && static_cast<float>(meanC) < static_cast<float>(1.8 * pixels.threshold)) return;
    if (L > 0.5 * H && meanD < 0.1 * H) return;
    if (L > 0.25 * H && S < 0.06 * H && meanD < 0.12 * H) return;

    if (hasHoles(raster.grid, raster.width, raster.height)) {
        classifyRing(mark, raster, t, centroid, face, options, out);
        return;
    }
    const bool elongated = L > elongationBound * S;
    if (!elongated && t >= 0.55 * S && L <= options.dotMaximumSize * H) {
        out.push_back(
            {DetectedFeature::Dot{mapped({centroid.x, centroid.y}), 2 * std::sqrt(n / std::numbers::pi) / H}});
        return;
    }
    if (!elongated && t >= 0.4 * S) {
        if (n < 0.55 * boxWidth * boxHeight) return;
        std::vector<Vector2> points = largestContour(raster.grid, raster.width, raster.height);
        if (points.size() < 8) return;
        for (Vector2& p : points) p = {p.x + raster.originX, p.y + raster.originY};
        out.push_back({DetectedFeature::Outline{smoothedClosedPath(points, 0.8).mapPoints(mapped), std::nullopt,
                                                mapped({centroid.x, centroid.y})}});
        return;
    }
    for (const BezierPath& stroke : movedStrokes(raster, raster.grid, 0.8 * options.minimumMarkSize * H)) {
        out.push_back({DetectedFeature::Stroke{stroke.mapPoints(mapped)}});
    }
}

FeatureDetection::Detection features(const WorkingFace& face, MarkPixels& pixels,
                                     const std::vector<TextLines::Rectangle>& text,
                                     const FeatureDetection::Options& options, const TraceSink& trace,
                                     double elongationBound) {
    const int W = face.width;
    const int H = face.height;
    const std::size_t cells = grid::cellCount(W, H);
    const auto mapped = [&](Vector2 p) { return face.toFace(p); };
    std::vector<DetectedFeature> out;

    for (const bool across : {true, false}) {
        const std::optional<Ribs::Band> band = Ribs::find(face.lab.pixels, face.inner, W, H, across, H);
        if (!band) continue;
        for (const BezierPath& line : band->lines) out.push_back({DetectedFeature::Stroke{line.mapPoints(mapped)}});
        const int y0 = std::max(band->rows.lower, 0), y1 = std::min(band->rows.upper, H);
        const int x0 = std::max(band->columns.lower, 0), x1 = std::min(band->columns.upper, W);
        for (int y = y0; y < y1; ++y) {
            for (int x = x0; x < x1; ++x)
                pixels.marks[static_cast<std::size_t>(y) * static_cast<std::size_t>(W) + x] = false;
        }
    }

    const float deepMargin = static_cast<float>(2.5 * options.margin * H);
    std::vector<bool> deep(cells, false);
    for (std::size_t i = 0; i < cells; ++i) deep[i] = face.edgeDistance[i] > deepMargin;
    for (const BezierPath& path : boundaryPaths(face.region, deep, W, H, 4 * options.minimumMarkSize * H)) {
        out.push_back({DetectedFeature::Boundary{path.mapPoints(mapped)}});
    }

    const double m = options.minimumMarkSize * H;
    const std::optional<std::vector<Components::Component>> found = marks(pixels.marks, W, H, m);
    if (!found) return {std::move(out), FeatureDetection::Status::tooManyMarks};
    const std::vector<Components::Component>& list = *found;

    std::set<std::size_t> letters = TextLines::letterIndices(list, 0.07 * H);
    for (std::size_t i = 0; i < list.size(); ++i) {
        const Components::Component& mark = list[i];
        const double x = mark.minX, y = mark.minY;
        const double w = mark.maxX - mark.minX + 1, h = mark.maxY - mark.minY + 1;
        for (const TextLines::Rectangle& r : text) {
            const double overlapW = std::min(x + w, r.x + r.width) - std::max(x, r.x);
            const double overlapH = std::min(y + h, r.y + r.height) - std::max(y, r.y);
            if (overlapW > 0 && overlapH > 0 && overlapW * overlapH >= 0.75 * w * h) {
                letters.insert(i);
                break;
            }
        }
    }

    std::set<std::size_t> used;
    for (const PictogramMatcher::Match& match : PictogramMatcher::match(list, letters, W, H, trace)) {
        used.insert(match.members.begin(), match.members.end());
        out.push_back({DetectedFeature::Pictogram{match.pictogram, mapped(match.center), match.size / H}});
    }

    std::set<std::size_t> excluded = letters;
    excluded.insert(used.begin(), used.end());
    for (const FeatureDetection::ButtonEdges::Pair& pair : FeatureDetection::ButtonEdges::pairs(list, excluded, m, H)) {
        used.insert(pair.first);
        used.insert(pair.second);
        const double w = pair.size.x, h = pair.size.y;
        const FaceShape shape = FaceShape::roundedRectangle(w / H, h / H, std::min(w, h) * 0.25 / H);
        const Vector2 centre = mapped(pair.center);
        out.push_back({DetectedFeature::Outline{shape.outline().translated(centre.x, centre.y), shape, centre}});
    }

    for (std::size_t i = 0; i < list.size(); ++i) {
        if (letters.count(i) != 0 || used.count(i) != 0) continue;
        classify(list[i], face, pixels, options, elongationBound, out);
    }
    return {std::move(out), FeatureDetection::Status::complete};
}

bool isFinite(const DetectedFeature& feature) {
    struct Visitor {
        bool operator()(const DetectedFeature::Dot& dot) const {
            return finite(dot.center) && std::isfinite(dot.diameter);
        }
        bool operator()(const DetectedFeature::Outline& outline) const {
            return finite(outline.path) && finite(outline.center) &&
                   (!outline.shape || finite(outline.shape->outline().bounds()));
        }
        bool operator()(const DetectedFeature::Stroke& stroke) const { return finite(stroke.path); }
        bool operator()(const DetectedFeature::Boundary& boundary) const { return finite(boundary.path); }
        bool operator()(const DetectedFeature::Pictogram& mark) const {
            return finite(mark.center) && std::isfinite(mark.size);
        }
    };
    return std::visit(Visitor{}, feature.value);
}

}  // namespace photo_analysis::detail_detection
