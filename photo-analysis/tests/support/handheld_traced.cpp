#include "handheld_traced.hpp"

#include <opencv2/imgproc.hpp>

#include "handheld_common.hpp"
#include "handheld_looks.hpp"
#include "handheld_shapes.hpp"
#include "test_photo/image_files.hpp"

namespace handheld_photos::internal {

bool savedAsPng(const Shot& shot) {
    return shot.backdrop == Backdrop::transparency || (shot.backdrop == Backdrop::flatWhite && shot.png);
}

void save(HandheldPhoto& photo, const Shot& shot, int width, int height, std::vector<std::uint8_t> rgba) {
    const auto upright = test_photo::rgbaImage(width, height, std::move(rgba));
    const auto stored = test_photo::storedForOrientation(upright, shot.orientation);
    photo.file = savedAsPng(shot) ? test_photo::encodePng(stored, shot.orientation == 1 ? 0 : shot.orientation)
                                  : test_photo::encodeJpeg(stored, shot.quality, shot.orientation);
    photo.photo = photo_analysis::Photo::decode(photo.file);
}

namespace {

constexpr double degree = std::numbers::pi / 180;

// Everything a traced shot is made of, in the device's frame.
struct Scene {
    Shot shot;
    int width = 0, height = 0;
    Camera camera;
    Model model;
    bool product = false;
    double wallZ = 0;
    WallSurface wall;
    cv::Vec3d backdrop;  // linear: white, or nothing on transparency
    Vector3 toLight;
    double ambient = 0, shadowStrength = 0, softness = 0;
    // Light from above: the device lighter at its top than at its foot.
    double shadeSlope = 0, shadeMiddle = 0, shadeHalf = 1;
    double blurSigma = 0, noiseGain = 0, vignette = 0;
    // A band along the outline `rimWidth` pixels wide, its colour times rimFactor.
    double rimFactor = 1, rimWidth = 0;
    // A soft shadow under a product, in photo pixels.
    double contactStrength = 0;
    Vector2 contactCentre, contactSize{1, 1};
};

void place(Camera& camera, Vector3 centre, Vector2 offset, double distance) {
    camera.translation = Vector3{offset.x * distance / camera.focal, offset.y * distance / camera.focal, distance} -
                         camera.rotation * centre;
    camera.eye = camera.toDevice * (camera.translation * -1);
}

// The size in pixels of the box from `low` to `high` as the camera sees it.
Vector2 projectedSize(const Camera& camera, Vector3 low, Vector3 high) {
    double minX = 1e18, maxX = -1e18, minY = 1e18, maxY = -1e18;
    for (int i = 0; i < 8; ++i) {
        const Vector2 p = camera.project({i & 1 ? high.x : low.x, i & 2 ? high.y : low.y, i & 4 ? high.z : low.z});
        minX = std::min(minX, p.x), maxX = std::max(maxX, p.x), minY = std::min(minY, p.y), maxY = std::max(maxY, p.y);
    }
    return {maxX - minX, maxY - minY};
}

Scene setUp(const Shot& shot) {
    Scene s;
    s.shot = shot;
    s.product = shot.backdrop != Backdrop::wall;
    // Numbers of their own, apart from the printed box's.
    Random random(mix(shot.seed * 0x51ed2705ULL + 0x3c6ef372ULL));
    s.width = shot.portrait ? 900 : 1200;
    s.height = shot.portrait ? 1200 : 900;
    const cv::Vec3d shade = plasticColour(shot.device, random);
    cv::Vec3d plastic = linearColour(shade);
    // A white sensor's face is the white of the page it is shown on: a little
    // overexposed, so that its noise clips too.
    const bool paperWhite = shot.silhouette == Silhouette::climateSensor && shot.device == Device::pureWhite;
    if (paperWhite) plastic = cv::Vec3d::all(1.03);

    Camera& camera = s.camera;
    camera.width = s.width, camera.height = s.height;
    const double longSide = std::max(s.width, s.height), shortSide = std::min(s.width, s.height);
    // A phone's main camera on a wall; a longer lens for a product.
    camera.focal = longSide * (s.product ? random.uniform(1.3, 2.2) : random.uniform(0.72, 1.1));
    camera.halfDiagonal = std::hypot(s.width, s.height) / 2;
    const double k1 = random.uniform(-0.05, 0.025), vignette = random.uniform(0.06, 0.16);
    const double roll = random.uniform(-2.5, 2.5);
    camera.k1 = s.product ? 0 : k1;
    s.vignette = s.product ? 0 : vignette;
    camera.rotation = turnAboutZ(((s.product ? 0 : roll) + shot.rollDegrees) * degree) *
                      turnAboutX(shot.pitchDegrees * degree) * turnAboutY(shot.yawDegrees * degree);
    camera.toDevice = camera.rotation.t();

    // The device is built once to frame it, then again with its thin parts as
    // wide as the camera's scale makes them.
    const Random shapes(mix(shot.seed + 0x6a09e667ULL));
    const Model probe = buildModel(shot, plastic, Scale{}, shapes);
    const double fill = s.product ? random.uniform(0.6, 0.76) : random.uniform(0.5, 0.68);
    const double offsetX = random.uniform(-0.05, 0.05) * s.width, offsetY = random.uniform(-0.05, 0.05) * s.height;
    const Vector2 offset = s.product ? Vector2{0, 0} : Vector2{offsetX, offsetY};
    const Vector3 centre = (probe.frameLow + probe.frameHigh) * 0.5;
    const Vector3 extent = probe.frameHigh - probe.frameLow;
    double distance = camera.focal * std::max(extent.x, extent.y) / (fill * shortSide);
    for (int i = 0; i < 4; ++i) {
        place(camera, centre, offset, distance);
        const Vector2 size = projectedSize(camera, probe.frameLow, probe.frameHigh);
        distance *= std::max(size.x / (fill * s.width), size.y / (fill * s.height));
    }
    place(camera, centre, offset, distance);
    const double mmPerPixel = distance / camera.focal;
    s.model = buildModel(shot, plastic, {mmPerPixel, {s.width / 2 * mmPerPixel, s.height / 2 * mmPerPixel}}, shapes);

    // One light from above and to a side; in a studio a softer one and more of
    // the room's.
    const double side = random.sign();
    const double lx = random.uniform(0.25, 0.7), ly = random.uniform(-0.85, -0.3);
    s.toLight = Vector3{side * lx, s.product ? ly - 0.1 : ly, -1}.normalized();
    s.ambient = s.product ? random.uniform(0.55, 0.7) : random.uniform(0.35, 0.55);
    s.shadowStrength = random.uniform(0.3, 0.5);
    s.softness = random.uniform(4, 8);
    s.shadeSlope = paperWhite ? 0 : random.uniform(0.03, 0.09);
    s.shadeMiddle = (s.model.low.y + s.model.high.y) / 2;
    s.shadeHalf = std::max((s.model.high.y - s.model.low.y) / 2, 1.0);

    s.wallZ = s.model.high.z + s.model.wallGap;
    s.wall = {shot.wall, shot.seed, wallPaint(shot.wall, shot.device, shade, random)};
    drawFalloff(s.wall, distance * s.width / 2 / camera.focal, random);
    if (s.product) s.wall.gradientSlope = 0;
    s.backdrop = shot.backdrop == Backdrop::transparency ? cv::Vec3d::all(0) : cv::Vec3d::all(1);

    const double blur = random.uniform(0.5, 1.1), crisp = random.uniform(0.3, 0.6);
    s.blurSigma = !s.product ? blur : shot.backdrop == Backdrop::flatWhite ? crisp : 0;
    const double noise = random.uniform(0.02, 0.06);
    s.noiseGain = s.product ? noise / 5 : noise;

    const double rim = random.uniform(0.12, 0.25), rimWidth = random.uniform(1.5, 3);
    const double grey = random.uniform(0.7, 0.8), greyWidth = random.uniform(1, 3);
    if (paperWhite)
        s.rimFactor = grey, s.rimWidth = greyWidth;
    else if (shot.rim != Rim::none)
        s.rimFactor = shot.rim == Rim::lighter ? 1 + rim : 1 - rim, s.rimWidth = rimWidth;

    const double contact = random.uniform(0.04, 0.1), flat = random.uniform(0.08, 0.15);
    if (shot.backdrop == Backdrop::flatWhite && shot.contactShadow) {
        const Model& m = s.model;
        const double z = (m.low.z + m.high.z) / 2, middle = (m.low.x + m.high.x) / 2;
        const Vector2 left = camera.project({m.low.x, m.high.y, z}), right = camera.project({m.high.x, m.high.y, z});
        s.contactStrength = contact;
        s.contactCentre = camera.project({middle, m.high.y, z});
        const double halfWidth = 0.45 * std::abs(right.x - left.x);
        s.contactSize = {halfWidth, halfWidth * flat + 3};
    }
    return s;
}

// The distance to the device is a lower bound of how far a ray may step
// without entering it.
bool trace(const Model& model, Vector3 origin, Vector3 direction, double pixel, double& t) {
    const auto span = model.span(origin, direction);
    if (!span) return false;
    t = span->first;
    for (int i = 0; i < 256 && t <= span->second; ++i) {
        const double h = model.distance(origin + direction * t);
        if (h < 0.15 * pixel * t) return true;
        t += h;
    }
    return false;
}

Vector3 normalAt(const Model& model, Vector3 p) {
    constexpr double e = 0.01;
    const Vector3 a{1, -1, -1}, b{-1, -1, 1}, c{-1, 1, -1}, d{1, 1, 1};
    return (a * model.distance(p + a * e) + b * model.distance(p + b * e) + c * model.distance(p + c * e) +
            d * model.distance(p + d * e))
        .normalized();
}

// The soft shadow at a point of the wall: the nearest the way to the light
// passes by the device, over how far it has gone, so that the penumbra widens
// with the distance from the part that casts it.
double lightReaching(const Scene& s, Vector3 p) {
    const auto span = s.model.span(p, s.toLight);
    if (!span) return 1;
    double t = std::max(span->first, 0.3), open = 1, previous = 1e10;
    for (int i = 0; i < 128 && t < span->second; ++i) {
        const double h = s.model.distance(p + s.toLight * t);
        if (h < 1e-3) return 0;
        const double y = h * h / (2 * previous), aside = std::sqrt(std::max(h * h - y * y, 0.0));
        open = std::min(open, s.softness * aside / std::max(t - y, 1e-4));
        previous = h;
        t += std::clamp(h, 0.3, 25.0);
    }
    open = std::clamp(open, 0.0, 1.0);
    return open * open * (3 - 2 * open);
}

double shadowAt(const Scene& s, Vector3 p) {
    // Right beside the device the wall sees less of the room.
    const Model& m = s.model;
    double contact = 0;
    if (p.x > m.low.x - 30 && p.x < m.high.x + 30 && p.y > m.low.y - 30 && p.y < m.high.y + 30)
        contact = 0.22 * std::exp(-std::max(m.distance(p), 0.0) / 4);
    return (1 - s.shadowStrength * (1 - lightReaching(s, p))) * (1 - contact);
}

Sample deviceAt(const Scene& s, Vector3 p, Vector3 d, double t, std::size_t part) {
    const Vector3 n = normalAt(s.model, p);
    const Material& m = s.model.materials[s.model.parts[part].material];
    cv::Vec3d albedo = m.colour;
    if (m.print != Print::none && n.z < -0.8) {
        const double ink = inkAt(m, {p.x, p.y}, t / s.camera.focal);
        albedo = albedo * (1 - ink) + m.ink * ink;
    }
    const Vector3 L = s.toLight;
    const double lambert = std::max(n.dot(L), 0.0) / -L.z;
    const double light = (s.ambient + (1 - s.ambient) * lambert) * s.wall.falloff(p.x, p.y);
    const double shade = 1 + s.shadeSlope * std::clamp((s.shadeMiddle - p.y) / s.shadeHalf, -1.0, 1.0);
    const double gloss = m.gloss * std::pow(std::max(n.dot((L - d).normalized()), 0.0), 40);
    const cv::Vec3d lit = albedo * (light * shade) + cv::Vec3d::all(gloss);
    cv::Vec3d colour = lit;
    if (m.finish == Finish::metal) {
        // A bright ceiling above, a dark floor below: the thread's flanks
        // reflect one or the other.
        const Vector3 r = d - n * (2 * d.dot(n));
        const double sky = 0.12 + 0.88 * smoothstep(-0.4, 0.5, -r.y);
        colour = albedo * (sky * (0.55 + 0.45 * light)) + cv::Vec3d::all(gloss);
    } else if (m.finish == Finish::glow) {
        const double f = smoothstep(m.glowFrom, m.glowTo, p.y);
        colour = m.glow * (1 - f) + lit * f;
    }
    return {colour, static_cast<std::uint8_t>(1 + std::min<std::size_t>(part, 254))};
}

Sample sampleAt(const Scene& s, double px, double py) {
    const Camera& camera = s.camera;
    const Vector3 o = camera.eye, d = camera.ray(px, py);
    double t = 0;
    if (trace(s.model, o, d, 1 / camera.focal, t)) {
        const Vector3 p = o + d * t;
        const Part& part = s.model.partAt(p);
        return deviceAt(s, p, d, t, static_cast<std::size_t>(&part - s.model.parts.data()));
    }
    if (s.product) {
        const double dx = (px - s.contactCentre.x) / s.contactSize.x, dy = (py - s.contactCentre.y) / s.contactSize.y;
        return {s.backdrop * (1 - s.contactStrength * std::exp(-0.5 * (dx * dx + dy * dy))), 0};
    }
    const double tw = (s.wallZ - o.z) / std::max(d.z, 1e-6);
    const Vector3 p = o + d * tw;
    const double footprint = tw / camera.focal / std::max(d.z, 0.05);
    return {s.wall.colourAt(p.x, p.y, footprint) * (s.wall.falloff(p.x, p.y) * shadowAt(s, p)), 0};
}

// A chamfer along the outline: the device's pixels within rimWidth of the
// background, partly covered ones by their share.
void drawRim(Film& film, double factor, double width) {
    if (factor == 1) return;
    cv::Mat inside = film.coverage >= 128, distance;
    cv::distanceTransform(inside, distance, cv::DIST_L2, cv::DIST_MASK_PRECISE);
    for (int y = 0; y < film.coverage.rows; ++y)
        for (int x = 0; x < film.coverage.cols; ++x) {
            const double share = film.coverage.at<std::uint8_t>(y, x) / 255.0;
            if (share == 0) continue;
            const double weight = share * (1 - smoothstep(width - 0.5, width + 0.5, distance.at<float>(y, x)));
            film.colour.at<cv::Vec3d>(y, x) *= 1 + (factor - 1) * weight;
        }
}

// Beyond full white the sensor clips after its noise.
double exposed(double v) {
    return v <= 1 ? toDisplay(v) : 255 * (1.055 * std::pow(v, 1 / 2.4) - 0.055);
}

// A product photo: the backdrop untouched, low noise on the device only; on
// transparency the coverage is the alpha and the colour premultiplied by it.
std::vector<std::uint8_t> productPixels(const Film& film, bool transparent, double noiseGain, Random& noise) {
    const int w = film.colour.cols, h = film.colour.rows;
    std::vector<std::uint8_t> rgba(static_cast<std::size_t>(w) * h * 4, 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double share = film.coverage.at<std::uint8_t>(y, x) / 255.0, alpha = transparent ? share : 1;
            std::uint8_t* out = &rgba[(static_cast<std::size_t>(y) * w + x) * 4];
            out[3] = static_cast<std::uint8_t>(std::lround(255 * alpha));
            if (alpha == 0) continue;
            const cv::Vec3d c = film.colour.at<cv::Vec3d>(y, x) / alpha;
            for (int k = 0; k < 3; ++k) {
                double v = exposed(c[k]);
                if (share > 0) v += share * noise.normal() * std::sqrt(0.6 * 0.6 + noiseGain * v);
                out[k] =
                    static_cast<std::uint8_t>(std::clamp(std::lround(std::clamp(v, 0.0, 255.0) * alpha), 0L, 255L));
            }
        }
    return rgba;
}

}  // namespace

HandheldPhoto traced(const Shot& shot) {
    const Scene s = setUp(shot);
    Film film = expose(s.width, s.height, [&](double px, double py) { return sampleAt(s, px, py); });
    drawRim(film, s.rimFactor, s.rimWidth);
    if (s.blurSigma > 0) cv::GaussianBlur(film.colour, film.colour, cv::Size(), s.blurSigma);
    Random noise(mix(shot.seed * 7919 + 29));
    std::vector<std::uint8_t> rgba =
        s.product ? productPixels(film, shot.backdrop == Backdrop::transparency, s.noiseGain, noise)
                  : sensorPixels(film.colour, s.vignette, s.noiseGain, noise);

    HandheldPhoto photo;
    photo.truth = {s.width, s.height, std::vector<std::uint8_t>(film.coverage.datastart, film.coverage.dataend)};
    photo.hasFace = s.model.face.has_value();
    if (photo.hasFace)
        for (std::size_t i = 0; i < 4; ++i) photo.faceCorners[i] = s.camera.project((*s.model.face)[i]);
    save(photo, shot, s.width, s.height, std::move(rgba));
    return photo;
}

}  // namespace handheld_photos::internal
