#include "handheld_scene.hpp"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include "handheld_common.hpp"
#include "handheld_looks.hpp"
#include "handheld_traced.hpp"

namespace handheld_photos {
namespace {

using namespace internal;

enum Surface { wallSurface, faceSurface, sideSurface };

// Everything a shot is made of, in the device's frame: millimetres, the face
// on z = 0 centred on the origin, x right, y down, z into the wall, which is the
// plane z = depth.
struct Setup {
    Shot shot;
    int width = 0, height = 0;
    double halfWidth = 0, halfHeight = 0, radius = 0, depth = 0;
    cv::Vec3d body, print, dot;  // linear
    Camera camera;
    double vignette = 0;
    Vector3 toLight;
    double ambient = 0, shadowStrength = 0, shadowReach = 0, penumbra = 0;
    Vector2 shadowOffset;
    Vector2 highlightCentre;
    double highlightSize = 0, highlightStrength = 0, highlightAngle = 0;
    bool highlightBand = false;
    WallSurface wall;
    double blurSigma = 0, noiseGain = 0;
    // A flat side's colour over the face's, in linear light; 0 where the light
    // shades the sides.
    double sideShare = 0;
    // The face as printed, linear RGB, `pixelsPerMm` per millimetre.
    cv::Mat faceTexture;
    double pixelsPerMm = 6;
};

void printFace(Setup& s) {
    const double w = 2 * s.halfWidth, h = 2 * s.halfHeight, side = std::min(w, h);
    const int tw = static_cast<int>(std::ceil(w * s.pixelsPerMm)), th = static_cast<int>(std::ceil(h * s.pixelsPerMm));
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, tw, th);
    cairo_t* cr = cairo_create(surface);
    cairo_scale(cr, s.pixelsPerMm, s.pixelsPerMm);
    cairo_translate(cr, w / 2, h / 2);
    const auto paint = [&](const cv::Vec3d& c) { cairo_set_source_rgb(cr, c[2], c[1], c[0]); };
    const auto display = [](const cv::Vec3d& c) {
        return cv::Vec3d(toDisplay(c[2]) / 255, toDisplay(c[1]) / 255, toDisplay(c[0]) / 255);
    };
    paint(display(s.body));
    cairo_paint(cr);
    paint(display(s.print));
    if (s.shot.rocker) {
        // Two tall buttons, a shade darker than the plate with the gap round
        // each drawn as a line, an LED near the top edge and "ECO" near the bottom.
        cairo_set_line_width(cr, 0.01 * side);
        for (const double x : {-0.17 * w, 0.17 * w}) {
            const double bw = 0.3 * w, bh = 0.6 * h, r = 0.04 * side;
            cairo_new_sub_path(cr);
            cairo_arc(cr, x + bw / 2 - r, -bh / 2 + r, r, -std::numbers::pi / 2, 0);
            cairo_arc(cr, x + bw / 2 - r, bh / 2 - r, r, 0, std::numbers::pi / 2);
            cairo_arc(cr, x - bw / 2 + r, bh / 2 - r, r, std::numbers::pi / 2, std::numbers::pi);
            cairo_arc(cr, x - bw / 2 + r, -bh / 2 + r, r, std::numbers::pi, 1.5 * std::numbers::pi);
            cairo_close_path(cr);
            paint(display(s.body * 0.94));
            cairo_fill_preserve(cr);
            paint(display(s.print));
            cairo_stroke(cr);
        }
        cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
        cairo_set_font_size(cr, 0.07 * h);
        cairo_text_extents_t extents;
        cairo_text_extents(cr, "ECO", &extents);
        cairo_move_to(cr, -extents.width / 2 - extents.x_bearing, 0.4 * h - extents.height / 2 - extents.y_bearing);
        cairo_show_text(cr, "ECO");
        paint(display(s.dot));
        cairo_arc(cr, 0, -0.42 * h, 0.022 * side, 0, 2 * std::numbers::pi);
        cairo_fill(cr);
    } else {
        // A ring round a button, a line, bars of a signal, a reading; and an indicator dot.
        cairo_set_line_width(cr, 0.018 * side);
        cairo_arc(cr, -0.2 * w, 0.2 * h, 0.12 * side, 0, 2 * std::numbers::pi);
        cairo_stroke(cr);
        cairo_set_line_width(cr, 0.012 * side);
        cairo_move_to(cr, -0.32 * w, -0.06 * h);
        cairo_line_to(cr, 0.32 * w, -0.06 * h);
        cairo_stroke(cr);
        for (int i = 0; i < 4; ++i) {
            const double barHeight = (0.05 + 0.035 * i) * h;
            cairo_rectangle(cr, (0.12 + 0.055 * i) * w, 0.3 * h - barHeight, 0.03 * w, barHeight);
        }
        cairo_fill(cr);
        cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
        cairo_set_font_size(cr, 0.13 * h);
        cairo_text_extents_t extents;
        cairo_text_extents(cr, "21.5", &extents);
        cairo_move_to(cr, -0.08 * w - extents.width / 2 - extents.x_bearing,
                      -0.22 * h - extents.height / 2 - extents.y_bearing);
        cairo_show_text(cr, "21.5");
        paint(display(s.dot));
        cairo_arc(cr, 0.34 * w, -0.34 * h, 0.028 * side, 0, 2 * std::numbers::pi);
        cairo_fill(cr);
    }
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    const cv::Mat bgra(th, tw, CV_8UC4, cairo_image_surface_get_data(surface),
                       static_cast<std::size_t>(cairo_image_surface_get_stride(surface)));
    s.faceTexture.create(th, tw, CV_64FC3);
    for (int y = 0; y < th; ++y)
        for (int x = 0; x < tw; ++x) {
            const cv::Vec4b p = bgra.at<cv::Vec4b>(y, x);
            s.faceTexture.at<cv::Vec3d>(y, x) = linearColour(p[2], p[1], p[0]);
        }
    cairo_surface_destroy(surface);
}

Setup setUp(const Shot& shot) {
    Setup s;
    s.shot = shot;
    Random random(shot.seed);
    s.width = shot.portrait ? 900 : 1200;
    s.height = shot.portrait ? 1200 : 900;
    Camera& camera = s.camera;
    camera.width = s.width, camera.height = s.height;
    // Wall switches, thermostats, sensors: face width, height, rounding, depth.
    constexpr std::array<std::array<double, 4>, 5> bodies{
        {{86, 86, 8, 28}, {120, 80, 10, 24}, {70, 110, 12, 34}, {80, 80, 14, 40}, {100, 70, 6, 22}}};
    std::array<double, 4> body = bodies[static_cast<std::size_t>(random.uniform(0, 5))];
    const bool shallow = shot.body >= Body::plate;
    if (shallow) {
        // Their own numbers, so that the other shots keep theirs.
        Random own(shot.seed * 31 + 11);
        static constexpr std::array<std::array<double, 3>, 3> kinds{{{86, 86, 8}, {120, 80, 10}, {70, 110, 12}}};
        if (shot.body == Body::plate) {
            const double side = own.uniform(78, 92);
            body = {side, side * (own.uniform() < 0.5 ? 1 : own.uniform(1.03, 1.1)), own.uniform(3, 16), 0};
        } else {
            const auto& kind = kinds[static_cast<std::size_t>(shot.body) - static_cast<std::size_t>(Body::switchBox)];
            body = {kind[0], kind[1], kind[2], 0};
        }
        body[3] = body[1] * own.uniform(0.12, 0.2);
    } else if (shot.body != Body::any) {
        // Its own numbers, so that the other shots keep theirs.
        Random plate(shot.seed * 31 + 7);
        const double side = plate.uniform(78, 92);
        body = {side, shot.body == Body::squarePlate ? side : side * plate.uniform(1.03, 1.1), plate.uniform(3, 16),
                plate.uniform(8, 16)};
    }
    s.halfWidth = body[0] / 2, s.halfHeight = body[1] / 2, s.radius = body[2], s.depth = body[3];
    const double tint = random.uniform(-4, 4);
    cv::Vec3d shade;  // as displayed
    if (shot.device == Device::light) {
        double grey = random.uniform(225, 240);
        // A rocker's plastic, about 236.
        if (shot.rocker) grey = 232 + 8 * (grey - 225) / 15;
        shade = {grey + tint, grey, grey - tint};
        s.print = linearColour(96, 100, 106);
    } else if (shot.device == Device::grey) {
        const double grey = random.uniform(110, 170);
        shade = {grey + tint / 2, grey, grey - tint / 2};
        s.print = linearColour(50, 52, 56);
    } else if (shot.device == Device::dark) {
        const double grey = random.uniform(20, 60);
        shade = {grey + tint / 2, grey, grey - tint / 2};
        s.print = linearColour(188, 190, 186);
    } else {
        shade = plasticColour(shot.device, random);
        s.print = luma(shade) > 140 ? linearColour(70, 72, 76) : linearColour(232, 232, 228);
    }
    s.body = linearColour(shade);
    s.dot = random.uniform() < 0.5 ? linearColour(60, 190, 90) : linearColour(70, 140, 230);
    printFace(s);
    if (shallow) {
        // The share in display brightness, over the face's own grey.
        const double face = toDisplay((s.body[0] + s.body[1] + s.body[2]) / 3);
        s.sideShare = toLinear((shot.device == Device::dark ? 1.2 : 0.55) * face) / toLinear(face);
    }

    // A phone's main camera (about 26 mm equivalent) or a slightly longer one.
    const double longSide = std::max(s.width, s.height), shortSide = std::min(s.width, s.height);
    camera.focal = longSide * random.uniform(0.72, 1.1);
    if (shot.normalLens) camera.focal = 1.2 * longSide;
    camera.halfDiagonal = std::hypot(s.width, s.height) / 2;
    // Mostly barrel.
    camera.k1 = random.uniform(-0.05, 0.025);
    s.vignette = random.uniform(0.06, 0.16);
    // The hand holds the phone a little askew.
    const double deg = std::numbers::pi / 180, roll = (random.uniform(-2.5, 2.5) + shot.rollDegrees) * deg;
    camera.rotation = turnAboutZ(roll) * turnAboutX(shot.pitchDegrees * deg) * turnAboutY(shot.yawDegrees * deg);
    const double size = random.uniform(0.42, 0.56) * shortSide;
    // Through a normal lens, the face's height 38 to 55 % of the photo's.
    const double distance = shot.normalLens
                                ? camera.focal * body[1] / ((0.38 + 0.17 * (size / shortSide - 0.42) / 0.14) * s.height)
                                : camera.focal * std::max(body[0], body[1]) / size;
    const double offsetX = random.uniform(-0.06, 0.06) * s.width, offsetY = random.uniform(-0.06, 0.06) * s.height;
    camera.translation = {offsetX * distance / camera.focal, offsetY * distance / camera.focal, distance};
    camera.toDevice = camera.rotation.t();
    camera.eye = camera.toDevice * (camera.translation * -1);

    // One broad light from above and to a side, and the room's light besides.
    s.toLight = Vector3{random.uniform(-0.6, 0.6), random.uniform(-0.8, -0.25), -1}.normalized();
    s.ambient = random.uniform(0.35, 0.55);
    s.shadowStrength = random.uniform(0.25, 0.5);
    s.shadowOffset = {-s.toLight.x / -s.toLight.z * s.depth, -s.toLight.y / -s.toLight.z * s.depth};
    s.shadowReach = std::hypot(s.shadowOffset.x, s.shadowOffset.y);
    s.penumbra = 2 + 0.6 * s.shadowReach;

    s.highlightBand = random.uniform() < 0.5;
    s.highlightCentre = {random.uniform(-0.3, 0.3) * body[0], random.uniform(-0.3, 0.3) * body[1]};
    s.highlightSize = random.uniform(0.12, 0.25) * std::min(body[0], body[1]);
    s.highlightAngle = random.uniform(0, std::numbers::pi);
    s.highlightStrength = shot.device == Device::light ? random.uniform(0.06, 0.15) : random.uniform(0.03, 0.08);
    // A flat side has a brightness of its own against a matte face's.
    if (shallow) s.highlightStrength = 0;

    s.wall = {shot.wall, shot.seed, wallPaint(shot.wall, shot.device, shade, random)};
    drawFalloff(s.wall, distance * s.width / 2 / camera.focal, random);
    if (shot.wall == Wall::litFromAbove) {
        // Paint of 231 in the middle, the light ±19.5 % from there to the photo's
        // top and bottom edges: 250 and 210.
        s.wall.gradientDirection = {0, -1};
        s.wall.gradientSlope = 0.195 * s.width / s.height;
    }
    s.blurSigma = random.uniform(0.5, 1.2);
    s.noiseGain = random.uniform(0.02, 0.06);
    return s;
}

struct Hit {
    double t = std::numeric_limits<double>::infinity();
    Vector3 normal;
    Surface surface = wallSurface;
};

// The first point of the device's body a ray meets: the face, a flat side or a
// rounded edge of the body.
Hit hitDevice(const Setup& s, Vector3 o, Vector3 d) {
    Hit hit;
    const auto consider = [&](double t, Vector3 n, Surface surface) {
        const double z = o.z + d.z * t;
        if (t > 0 && t < hit.t && z >= -1e-9 && z <= s.depth) hit = {t, n, surface};
    };
    const double hw = s.halfWidth, hh = s.halfHeight, r = s.radius;
    if (std::abs(d.z) > 1e-12) {
        const double t = -o.z / d.z;
        if (roundedRectDistance(o.x + d.x * t, o.y + d.y * t, hw, hh, r) <= 0) consider(t, {0, 0, -1}, faceSurface);
    }
    for (const double sign : {-1.0, 1.0}) {
        if (std::abs(d.x) > 1e-12) {
            const double t = (sign * hw - o.x) / d.x;
            if (std::abs(o.y + d.y * t) <= hh - r) consider(t, {sign, 0, 0}, sideSurface);
        }
        if (std::abs(d.y) > 1e-12) {
            const double t = (sign * hh - o.y) / d.y;
            if (std::abs(o.x + d.x * t) <= hw - r) consider(t, {0, sign, 0}, sideSurface);
        }
    }
    const double a = d.x * d.x + d.y * d.y;
    if (a < 1e-12) return hit;
    for (const double sx : {-1.0, 1.0})
        for (const double sy : {-1.0, 1.0}) {
            const double ox = o.x - sx * (hw - r), oy = o.y - sy * (hh - r);
            const double b = ox * d.x + oy * d.y, disc = b * b - a * (ox * ox + oy * oy - r * r);
            if (disc < 0) continue;
            const double t = (-b - std::sqrt(disc)) / a;
            const double px = ox + d.x * t, py = oy + d.y * t;
            if (px * sx >= 0 && py * sy >= 0) consider(t, {px / r, py / r, 0}, sideSurface);
        }
    return hit;
}

// The soft shadow of the body on the wall, and the darkening right next to it.
double shadowAt(const Setup& s, double u, double v) {
    // The body's outline swept along the light from the wall to the face's height;
    // its distance is convex along the sweep.
    const auto distance = [&](double k) {
        return roundedRectDistance(u - k * s.shadowOffset.x, v - k * s.shadowOffset.y, s.halfWidth, s.halfHeight,
                                   s.radius);
    };
    const double atWall = distance(0);
    const double contact = 0.25 * std::exp(-std::max(atWall, 0.0) / 3);
    // Beyond the sweep's reach and the penumbra there is no cast shadow.
    if (atWall - s.shadowReach > s.penumbra) return 1 - contact;
    double lo = 0, hi = 1;
    for (int i = 0; i < 24; ++i) {
        const double a = lo + (hi - lo) / 3, b = hi - (hi - lo) / 3;
        if (distance(a) < distance(b))
            hi = b;
        else
            lo = a;
    }
    const double cast = 1 - smoothstep(-s.penumbra, s.penumbra, distance((lo + hi) / 2));
    return (1 - s.shadowStrength * cast) * (1 - contact);
}

Sample sampleAt(const Setup& s, double px, double py) {
    const Camera& camera = s.camera;
    const Vector3 d = camera.ray(px, py);
    const Hit hit = hitDevice(s, camera.eye, d);
    if (hit.surface == wallSurface) {
        const double t = (s.depth - camera.eye.z) / std::max(d.z, 1e-6);
        const double u = camera.eye.x + d.x * t, v = camera.eye.y + d.y * t;
        const double footprint = t / camera.focal / std::max(d.z, 0.05);
        return {s.wall.colourAt(u, v, footprint) * (s.wall.falloff(u, v) * shadowAt(s, u, v)), wallSurface};
    }
    const Vector3 p = camera.eye + d * hit.t;
    const double lit = std::max(hit.normal.dot(s.toLight), 0.0) / -s.toLight.z;
    const double light = (s.ambient + (1 - s.ambient) * lit) * s.wall.falloff(p.x, p.y);
    if (hit.surface == sideSurface) {
        // The face faces the light fully: a flat side is a share of its light.
        if (s.sideShare > 0) return {s.body * (s.sideShare * s.wall.falloff(p.x, p.y)), sideSurface};
        return {s.body * light, sideSurface};
    }
    const double tx = std::clamp((p.x + s.halfWidth) * s.pixelsPerMm - 0.5, 0.0, s.faceTexture.cols - 1.001);
    const double ty = std::clamp((p.y + s.halfHeight) * s.pixelsPerMm - 0.5, 0.0, s.faceTexture.rows - 1.001);
    const int ix = static_cast<int>(tx), iy = static_cast<int>(ty);
    const double fx = tx - ix, fy = ty - iy;
    const cv::Mat& f = s.faceTexture;
    const cv::Vec3d albedo = (f.at<cv::Vec3d>(iy, ix) * (1 - fx) + f.at<cv::Vec3d>(iy, ix + 1) * fx) * (1 - fy) +
                             (f.at<cv::Vec3d>(iy + 1, ix) * (1 - fx) + f.at<cv::Vec3d>(iy + 1, ix + 1) * fx) * fy;
    const double hx = p.x - s.highlightCentre.x, hy = p.y - s.highlightCentre.y;
    const double across = s.highlightBand ? -hx * std::sin(s.highlightAngle) + hy * std::cos(s.highlightAngle)
                                          : std::sqrt(hx * hx + hy * hy);
    const double gloss = s.highlightStrength * std::exp(-0.5 * across * across / (s.highlightSize * s.highlightSize));
    return {albedo * light + cv::Vec3d::all(gloss), faceSurface};
}

}  // namespace

std::string describe(const Shot& shot) {
    static constexpr std::array<const char*, 13> walls{"white",  "coloured", "dark",          "graded", "wood",
                                                       "fabric", "grey",     "light grey",    "beige",  "sage green",
                                                       "blue",   "own-hue",  "lit from above"};
    static constexpr std::array<const char*, 11> devices{
        "light", "dark", "grey", "pure white", "pale grey", "mid grey", "red", "orange", "yellow", "green", "blue"};
    static constexpr std::array<const char*, 7> bodies{
        "", " square plate", " near-square plate", " plate", " switch", " thermostat", " panel"};
    static constexpr std::array<const char*, 12> silhouettes{
        "",      " plate", " disc",           " L bracket", " T valve", " lamp",
        " plug", " fan",   " climate sensor", " bulb",      " spot",    " relay module"};
    static constexpr std::array<const char*, 3> backdrops{"", " on flat white", " on transparency"};
    std::string name = std::string(devices[static_cast<std::size_t>(shot.device)]) + (shot.rocker ? " rocker" : "") +
                       bodies[static_cast<std::size_t>(shot.body)] +
                       silhouettes[static_cast<std::size_t>(shot.silhouette)];
    // Without a wall, the box is a product like the others.
    if (shot.silhouette == Silhouette::box && shot.backdrop != Backdrop::wall) name += " box";
    if (shot.backdrop == Backdrop::wall)
        name += std::string(" on ") + walls[static_cast<std::size_t>(shot.wall)] + " wall";
    else
        name += backdrops[static_cast<std::size_t>(shot.backdrop)];
    name += ", yaw " + std::to_string(static_cast<int>(std::lround(shot.yawDegrees)));
    if (shot.normalLens) name += ", pitch " + std::to_string(static_cast<int>(std::lround(shot.pitchDegrees)));
    if (shot.rollDegrees != 0) name += ", roll " + std::to_string(static_cast<int>(std::lround(shot.rollDegrees)));
    name += savedAsPng(shot) ? ", png" : ", q " + std::to_string(shot.quality);
    if (shot.portrait) name += ", portrait";
    if (shot.orientation != 1) name += ", exif " + std::to_string(shot.orientation);
    if (shot.rim != Rim::none) name += shot.rim == Rim::lighter ? ", lighter rim" : ", darker rim";
    if (shot.contactShadow && shot.backdrop == Backdrop::flatWhite) name += ", contact shadow";
    return name;
}

HandheldPhoto take(const Shot& shot) {
    if (shot.silhouette != Silhouette::box || shot.backdrop != Backdrop::wall) return traced(shot);
    const Setup s = setUp(shot);
    const int w = s.width, h = s.height;
    Film film = expose(w, h, [&](double px, double py) { return sampleAt(s, px, py); });
    // The lens blurs and darkens the corners; the sensor adds noise.
    cv::GaussianBlur(film.colour, film.colour, cv::Size(), s.blurSigma);
    Random noise(shot.seed * 7919 + 17);
    std::vector<std::uint8_t> rgba = sensorPixels(film.colour, s.vignette, s.noiseGain, noise);

    HandheldPhoto photo;
    photo.truth = {w, h, std::vector<std::uint8_t>(film.coverage.datastart, film.coverage.dataend)};
    const std::array<Vector3, 4> corners{Vector3{-s.halfWidth, -s.halfHeight, 0},
                                         Vector3{s.halfWidth, -s.halfHeight, 0}, Vector3{s.halfWidth, s.halfHeight, 0},
                                         Vector3{-s.halfWidth, s.halfHeight, 0}};
    for (std::size_t i = 0; i < 4; ++i) photo.faceCorners[i] = s.camera.project(corners[i]);
    save(photo, shot, w, h, std::move(rgba));
    return photo;
}

std::vector<Shot> sweepShots() {
    using enum Device;
    using enum Wall;
    // device, wall, yaw, pitch, quality, orientation, portrait
    std::vector<Shot> shots{
        {light, white, 0, 3, 85, 1, false},       {light, white, -25, 6, 80, 1, false},
        {light, white, 40, 2, 90, 6, false},      {light, white, 15, 8, 75, 1, false},
        {dark, white, 3, 5, 80, 1, false},        {dark, white, 30, 9, 75, 1, false},
        {dark, white, -45, 4, 85, 1, false},      {light, coloured, -4, 7, 90, 1, false},
        {light, coloured, 20, 3, 75, 1, true},    {dark, coloured, -35, 6, 80, 1, false},
        {dark, coloured, 0, 2, 90, 1, true},      {light, darkPaint, 0, 5, 80, 8, false},
        {light, darkPaint, 45, 10, 85, 1, false}, {dark, darkPaint, 17, 4, 85, 1, false},
        {light, graded, 2, 6, 80, 1, false},      {light, graded, 35, 3, 80, 1, false},
        {light, graded, -20, 8, 75, 1, true},     {light, graded, -42, 5, 90, 6, false},
        {dark, graded, 0, 7, 85, 1, false},       {dark, graded, 28, 2, 80, 1, false},
        {light, wood, 5, 4, 85, 1, false},        {light, wood, -30, 9, 80, 1, false},
        {dark, wood, 18, 6, 90, 8, false},        {dark, wood, -40, 3, 75, 1, false},
        {light, fabric, 1, 8, 80, 1, false},      {light, fabric, 38, 5, 85, 1, true},
        {dark, fabric, -22, 2, 80, 1, false},     {dark, fabric, 43, 7, 75, 6, false},
    };
    for (std::size_t i = 0; i < shots.size(); ++i) shots[i].seed = static_cast<unsigned>(1000 + 37 * i);
    return shots;
}

std::vector<Shot> plateShots() {
    using enum Device;
    using enum Wall;
    using enum Body;
    struct Plate {
        Device device;
        Wall wall;
        Body body;
        double yaw, pitch, roll;
        int quality, orientation;
        bool portrait;
    };
    const Plate plates[] = {
        {light, white, squarePlate, 0, 3, 4, 85, 1, false},
        {light, white, nearSquarePlate, 0, 2, 8, 80, 1, false},
        {light, white, squarePlate, 0, 5, 10, 90, 1, false},
        {light, white, nearSquarePlate, 0, 1, 0, 75, 6, false},
        {light, white, squarePlate, 0, 6, 6, 85, 1, true},
        {light, white, squarePlate, 15, 4, 2, 80, 1, false},
        {light, white, nearSquarePlate, -25, 6, 0, 85, 1, false},
        {light, white, squarePlate, 35, 3, 5, 90, 1, false},
        {light, white, nearSquarePlate, -45, 5, 3, 80, 1, false},
        {light, graded, squarePlate, 0, 4, 7, 85, 1, false},
        {light, graded, nearSquarePlate, 30, 5, 1, 80, 8, false},
        {grey, greyPaint, squarePlate, 0, 3, 3, 85, 1, false},
        {grey, greyPaint, nearSquarePlate, 0, 6, 9, 80, 1, true},
        {grey, greyPaint, squarePlate, 20, 4, 1, 90, 1, false},
        {grey, greyPaint, nearSquarePlate, -40, 6, 4, 75, 1, false},
        {light, greyPaint, squarePlate, 0, 2, 5, 85, 1, false},
    };
    std::vector<Shot> shots;
    for (const Plate& p : plates) {
        shots.push_back({p.device, p.wall, p.yaw, p.pitch, p.quality, p.orientation, p.portrait,
                         static_cast<unsigned>(5000 + 41 * shots.size()), p.roll, p.body});
    }
    return shots;
}

namespace {

// `count` picks among `values`, dealt from decks shuffled one after another, so
// that each value comes up as often as the count allows and pairs at random
// with the other factors.
std::vector<std::size_t> deal(std::size_t values, std::size_t count, Random& random) {
    std::vector<std::size_t> order;
    while (order.size() < count) {
        std::vector<std::size_t> deck(values);
        for (std::size_t i = 0; i < values; ++i) deck[i] = i;
        for (std::size_t i = values - 1; i > 0; --i) std::swap(deck[i], deck[random.below(i + 1)]);
        order.insert(order.end(), deck.begin(), deck.end());
    }
    order.resize(count);
    return order;
}

}  // namespace

std::vector<Shot> colourShots() {
    using enum Device;
    using enum Silhouette;
    static constexpr std::array colours{pureWhite, light, paleGrey, midGrey, dark, red, orange, yellow, green, blue};
    static constexpr std::array walls{Wall::white,     Wall::lightGreyPaint, Wall::beige,
                                      Wall::sageGreen, Wall::bluePaint,      Wall::ownHue};
    static constexpr std::array silhouettes{plate, disc, lBracket, tValve, lamp, plug, fan};
    constexpr std::size_t count = 70;
    Random random(5501);
    const auto colour = deal(colours.size(), count, random), wall = deal(walls.size(), count, random);
    const auto silhouette = deal(silhouettes.size(), count, random), view = deal(2, count, random);
    std::vector<Shot> shots;
    for (std::size_t i = 0; i < count; ++i) {
        Shot shot;
        shot.device = colours[colour[i]];
        shot.wall = walls[wall[i]];
        shot.silhouette = silhouettes[silhouette[i]];
        // From the front within a few degrees, or three-quarter so that the side shows.
        const double side = random.sign(), frontYaw = random.uniform(-4, 4), turnedYaw = random.uniform(20, 40);
        shot.yawDegrees = view[i] == 0 ? frontYaw : side * turnedYaw;
        shot.pitchDegrees = random.uniform(0, 8);
        shot.quality = 75 + 5 * static_cast<int>(random.below(4));
        const bool stored = random.below(8) == 0;
        shot.orientation = stored ? (side > 0 ? 6 : 8) : 1;
        shot.portrait = random.below(5) == 0;
        shot.rim = static_cast<Rim>(random.below(3));
        shot.seed = static_cast<unsigned>(7000 + 53 * i);
        shots.push_back(shot);
    }
    return shots;
}

std::vector<Shot> productShots() {
    using enum Device;
    using enum Silhouette;
    using enum Backdrop;
    struct Product {
        Device device;
        Silhouette silhouette;
        Backdrop backdrop;
        double yaw, pitch;
        int quality;  // 0: PNG
        bool contactShadow, portrait;
    };
    const Product products[] = {
        {pureWhite, climateSensor, flatWhite, 0, 4, 92, false, false},
        {pureWhite, climateSensor, flatWhite, 6, 8, 0, true, false},
        {pureWhite, climateSensor, flatWhite, -5, 2, 95, false, true},
        {pureWhite, bulb, flatWhite, 0, 10, 90, false, false},
        {pureWhite, bulb, flatWhite, 0, 6, 0, true, true},
        {pureWhite, spot, flatWhite, 20, 22, 93, false, false},
        {pureWhite, spot, flatWhite, -10, 15, 0, true, false},
        {pureWhite, fan, flatWhite, 0, 8, 92, false, true},
        {pureWhite, fan, flatWhite, 25, 12, 0, true, false},
        {pureWhite, box, flatWhite, 30, 15, 94, true, false},
        {paleGrey, disc, flatWhite, 0, 10, 90, false, false},
        {paleGrey, box, flatWhite, -30, 18, 0, false, false},
        {dark, box, flatWhite, 35, 15, 95, true, false},
        {dark, plug, flatWhite, -20, 10, 92, false, false},
        {red, lamp, flatWhite, 0, 8, 90, false, true},
        {blue, plug, flatWhite, 15, 12, 0, true, false},
        {light, plate, flatWhite, 0, 5, 94, false, false},
        {pureWhite, box, transparency, 30, 18, 0, false, false},
        {pureWhite, box, transparency, 0, 8, 0, false, false},
        {dark, relay, transparency, 0, 10, 0, false, false},
        {dark, relay, transparency, -28, 16, 0, false, false},
        {pureWhite, bulb, transparency, 0, 8, 0, false, false},
        {green, disc, transparency, 20, 12, 0, false, false},
        {pureWhite, climateSensor, transparency, 0, 4, 0, false, false},
    };
    std::vector<Shot> shots;
    for (const Product& p : products) {
        Shot shot;
        shot.device = p.device;
        shot.silhouette = p.silhouette;
        shot.backdrop = p.backdrop;
        shot.yawDegrees = p.yaw;
        shot.pitchDegrees = p.pitch;
        shot.png = p.quality == 0;
        shot.quality = p.quality == 0 ? 92 : p.quality;
        shot.contactShadow = p.contactShadow;
        shot.portrait = p.portrait;
        shot.seed = static_cast<unsigned>(9000 + 61 * shots.size());
        shots.push_back(shot);
    }
    return shots;
}

std::vector<Shot> threeQuarterShots() {
    using enum Device;
    using enum Wall;
    Random random(56);
    const auto whole = [&](double lo, double hi) { return std::round(random.uniform(lo, hi)); };
    constexpr std::array<int, 3> orientations{1, 6, 8};
    std::vector<Shot> shots;
    const auto add = [&](Shot shot) {
        shot.quality = static_cast<int>(whole(75, 90));
        shot.orientation = orientations[shots.size() % 3];
        shot.seed = static_cast<unsigned>(7000 + 43 * shots.size());
        shot.normalLens = true;
        shots.push_back(shot);
    };
    // Every body is seen light and dark, turned either way; each wall sees
    // both turns.
    const std::array<Wall, 5> walls{white, coloured, wood, graded, litFromAbove};
    const std::array<Body, 4> bodies{Body::plate, Body::switchBox, Body::thermostat, Body::panel};
    for (std::size_t w = 0; w < walls.size(); ++w) {
        for (std::size_t b = 0; b < bodies.size(); ++b) {
            Shot shot;
            shot.device = (w + b) % 2 == 0 ? light : dark;
            shot.wall = walls[w];
            shot.body = bodies[b];
            shot.yawDegrees = ((w / 2 + b) % 2 == 0 ? 1 : -1) * whole(24, 34);
            shot.pitchDegrees = whole(-12, 6);
            // The hand adds up to 2.5° of its own.
            shot.rollDegrees = whole(-3.5, 3.5);
            add(shot);
        }
    }
    for (int k = 0; k < 6; ++k) {
        Shot shot;
        shot.wall = litFromAbove;
        shot.body = Body::plate;
        shot.rocker = true;
        shot.yawDegrees = whole(-4, 4);
        shot.pitchDegrees = whole(-4, 4);
        shot.rollDegrees = whole(-3.5, 3.5);
        add(shot);
    }
    return shots;
}

}  // namespace handheld_photos
