#include "test_photo/scene.hpp"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <numbers>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#include <random>

#include "icon_geometry/convex_hull.hpp"
#include "icon_geometry/pictogram.hpp"
#include "image_io/image.hpp"
#include "test_photo/image_files.hpp"

namespace test_photo {

using icon_geometry::Vector2;

namespace {

struct Vector3 {
    double x, y, z;
};

struct Camera {
    std::array<double, 9> r;
    std::array<double, 3> t;
    double f, cx, cy;

    Vector3 toCamera(Vector3 p) const {
        return {r[0] * p.x + r[1] * p.y + r[2] * p.z + t[0], r[3] * p.x + r[4] * p.y + r[5] * p.z + t[1],
                r[6] * p.x + r[7] * p.y + r[8] * p.z + t[2]};
    }
    Vector2 project(Vector3 p) const {
        const Vector3 c = toCamera(p);
        return {cx + f * c.x / c.z, cy + f * c.y / c.z};
    }
};

// Deterministic normal-ish noise: the sum of four uniforms, centred and scaled
// to unit variance, independent of the library's distributions.
struct Noise {
    std::mt19937 engine;
    explicit Noise(unsigned seed) : engine(seed) {}
    double uniform() { return static_cast<double>(engine()) / 4294967296.0; }
    double normal() { return (uniform() + uniform() + uniform() + uniform() - 2.0) * std::sqrt(3.0); }
};

struct SurfaceDeleter {
    void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
struct ContextDeleter {
    void operator()(cairo_t* c) const { cairo_destroy(c); }
};

void roundedRect(cairo_t* cr, double x, double y, double w, double h, double r) {
    r = std::clamp(r, 0.0, std::min(w, h) / 2);
    const double pi = std::numbers::pi;
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -pi / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, pi / 2);
    cairo_arc(cr, x + r, y + h - r, r, pi / 2, pi);
    cairo_arc(cr, x + r, y + r, r, pi, 3 * pi / 2);
    cairo_close_path(cr);
}

void addBezier(cairo_t* cr, const icon_geometry::BezierPath& path) {
    for (const icon_geometry::Subpath& sub : path.subpaths) {
        cairo_move_to(cr, sub.start.x, sub.start.y);
        for (const icon_geometry::PathSegment& s : sub.segments) {
            if (const auto* line = s.asLine()) cairo_line_to(cr, line->to.x, line->to.y);
            if (const auto* c = s.asCubic())
                cairo_curve_to(cr, c->control1.x, c->control1.y, c->control2.x, c->control2.y, c->to.x, c->to.y);
        }
        if (sub.isClosed) cairo_close_path(cr);
    }
}

void setColour(cairo_t* cr, Colour c) {
    cairo_set_source_rgb(cr, c.r, c.g, c.b);
}

// Draws the flat face in millimetres and records its details.
void drawFace(Scene& scene, double k) {
    const SceneOptions& o = scene.options;
    const double W = o.faceWidthMm, H = o.faceHeightMm, m = std::min(W, H);
    scene.texturePixelsPerMm = k;
    scene.textureWidth = std::max(1, static_cast<int>(std::ceil(W * k)));
    scene.textureHeight = std::max(1, static_cast<int>(std::ceil(H * k)));
    const std::unique_ptr<cairo_surface_t, SurfaceDeleter> surface(
        cairo_image_surface_create(CAIRO_FORMAT_ARGB32, scene.textureWidth, scene.textureHeight));
    const std::unique_ptr<cairo_t, ContextDeleter> context(cairo_create(surface.get()));
    cairo_t* cr = context.get();
    cairo_scale(cr, k, k);
    cairo_translate(cr, W / 2, H / 2);  // millimetres from the face centre
    roundedRect(cr, -W / 2, -H / 2, W, H, o.cornerRadiusMm);
    setColour(cr, o.face);
    cairo_fill(cr);
    setColour(cr, o.detail);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);

    const bool thermostat = o.layout == Layout::thermostat, rocker = o.layout == Layout::rocker;
    const auto record = [&](DetailKind kind, Vector2 centre, Vector2 size) {
        scene.details.push_back({kind, centre, size, centre * (1.0 / H), size * (1.0 / H)});
    };
    for (const DetailKind kind : o.details) {
        switch (kind) {
            case DetailKind::led: {
                const Vector2 c = thermostat ? Vector2{0.38 * W, -0.36 * H}
                                  : rocker   ? Vector2{0, -0.42 * H}
                                             : Vector2{0.30 * W, -0.36 * H};
                const double r = 0.025 * m;
                cairo_save(cr);
                cairo_set_source_rgb(cr, 0.1, 0.75, 0.3);
                cairo_arc(cr, c.x, c.y, r, 0, 2 * std::numbers::pi);
                cairo_fill(cr);
                cairo_restore(cr);
                record(kind, c, {2 * r, 2 * r});
                break;
            }
            case DetailKind::buttonRing: {
                if (rocker) {
                    // Two tall rockers side by side, a shade darker than the
                    // plate, with the gap round each drawn as a line.
                    const double w = 0.3 * W, h = 0.6 * H, line = 0.01 * m;
                    for (const double side : {-1.0, 1.0}) {
                        const Vector2 c{0.17 * W * side, 0.02 * H};
                        cairo_new_path(cr);
                        roundedRect(cr, c.x - w / 2, c.y - h / 2, w, h, 0.04 * m);
                        cairo_save(cr);
                        cairo_set_source_rgb(cr, 0.97 * o.face.r, 0.97 * o.face.g, 0.97 * o.face.b);
                        cairo_fill_preserve(cr);
                        cairo_restore(cr);
                        cairo_set_line_width(cr, line);
                        cairo_stroke(cr);
                        record(kind, c, {w + line, h + line});
                    }
                    break;
                }
                const double r = 0.08 * m, line = 0.012 * m;
                for (const double side : {-1.0, 1.0}) {
                    const Vector2 c =
                        thermostat ? Vector2{0.22 * W * side, 0.14 * H} : Vector2{0.2 * W * side, 0.24 * H};
                    cairo_new_path(cr);
                    cairo_arc(cr, c.x, c.y, r, 0, 2 * std::numbers::pi);
                    cairo_set_line_width(cr, line);
                    cairo_stroke(cr);
                    record(kind, c, {2 * r + line, 2 * r + line});
                }
                break;
            }
            case DetailKind::separator: {
                const double line = 0.01 * m, y = thermostat ? -0.02 * H : 0.06 * H;
                cairo_move_to(cr, -0.38 * W, y);
                cairo_line_to(cr, 0.38 * W, y);
                cairo_set_line_width(cr, line);
                cairo_stroke(cr);
                record(kind, {0, y}, {0.76 * W + line, line});
                break;
            }
            case DetailKind::diagonalLine: {
                const double line = 0.01 * m;
                const Vector2 a = thermostat ? Vector2{-0.42 * W, 0.22 * H} : Vector2{-0.07 * W, 0.43 * H};
                const Vector2 b = thermostat ? Vector2{-0.35 * W, 0.06 * H} : Vector2{0.07 * W, 0.37 * H};
                cairo_move_to(cr, a.x, a.y);
                cairo_line_to(cr, b.x, b.y);
                cairo_set_line_width(cr, line);
                cairo_stroke(cr);
                record(kind, (a + b) * 0.5, {std::abs(b.x - a.x) + line, std::abs(b.y - a.y) + line});
                break;
            }
            case DetailKind::ribGrille: {
                if (thermostat) {
                    // Eight ribs 0.02 H apart across the face.
                    const double line = 0.0085 * H, first = 0.28 * H, pitch = 0.02 * H, half = 0.43 * W;
                    for (int i = 0; i < 8; ++i) {
                        cairo_move_to(cr, -half, first + i * pitch);
                        cairo_line_to(cr, half, first + i * pitch);
                    }
                    cairo_save(cr);
                    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
                    cairo_set_line_width(cr, line);
                    cairo_stroke(cr);
                    cairo_restore(cr);
                    record(kind, {0, first + 3.5 * pitch}, {2 * half, 7 * pitch + line});
                    break;
                }
                const double line = 0.012 * m, top = -0.41 * H, bottom = -0.29 * H;
                for (int i = 0; i < 5; ++i) {
                    const double x = -0.38 * W + i * 0.05 * W;
                    cairo_move_to(cr, x, top);
                    cairo_line_to(cr, x, bottom);
                }
                cairo_set_line_width(cr, line);
                cairo_stroke(cr);
                record(kind, {-0.28 * W, (top + bottom) / 2}, {0.2 * W + line, bottom - top + line});
                break;
            }
            case DetailKind::text: {
                cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
                cairo_set_font_size(cr, 0.1 * H);
                cairo_text_extents_t e;
                cairo_text_extents(cr, o.text.c_str(), &e);
                const Vector2 c{-0.22 * W, -0.1 * H};
                const double x = c.x - e.width / 2 - e.x_bearing, y = c.y - e.height / 2 - e.y_bearing;
                cairo_move_to(cr, x, y);
                cairo_show_text(cr, o.text.c_str());
                const icon_geometry::Rect box{x + e.x_bearing, y + e.y_bearing, e.width, e.height};
                scene.textBoxesMm.push_back(box);
                scene.textBoxesUnits.push_back({box.x / H, box.y / H, box.width / H, box.height / H});
                record(kind, box.center(), {box.width, box.height});
                break;
            }
            case DetailKind::sun:
            case DetailKind::wifi: {
                const bool sun = kind == DetailKind::sun;
                const Vector2 c = thermostat ? (sun ? Vector2{0.17 * W, -0.33 * H} : Vector2{0.3 * W, -0.14 * H})
                                             : (sun ? Vector2{0.02 * W, -0.34 * H} : Vector2{0.22 * W, -0.1 * H});
                // Icons on the wide face are smaller, as on a thermostat.
                const double size = thermostat ? 0.075 * H : 0.14 * m;
                const icon_geometry::Pictogram picto(sun ? icon_geometry::Pictogram::sun
                                                         : icon_geometry::Pictogram::wifi);
                icon_geometry::Rect bounds = icon_geometry::Rect::null();
                cairo_new_path(cr);
                for (const icon_geometry::BezierPath& path : picto.contours(c, size)) {
                    addBezier(cr, path);
                    bounds = bounds.united(path.bounds());
                }
                const double line = 0.08 * size;
                cairo_set_line_width(cr, line);
                cairo_stroke(cr);
                record(kind, bounds.center(), {bounds.width + line, bounds.height + line});
                break;
            }
        }
    }
    for (const TextLabel& label : o.labels) {
        cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
        // DejaVu's capitals are 0.73 of the font size.
        cairo_set_font_size(cr, label.capHeightMm / 0.729);
        cairo_text_extents_t e;
        cairo_text_extents(cr, label.text.c_str(), &e);
        const double x = label.centreMm.x - e.width / 2 - e.x_bearing;
        const double y = label.centreMm.y - e.height / 2 - e.y_bearing;
        cairo_move_to(cr, x, y);
        cairo_show_text(cr, label.text.c_str());
        const icon_geometry::Rect box{x + e.x_bearing, y + e.y_bearing, e.width, e.height};
        scene.textBoxesMm.push_back(box);
        scene.textBoxesUnits.push_back({box.x / H, box.y / H, box.width / H, box.height / H});
        record(DetailKind::text, box.center(), {box.width, box.height});
    }
    cairo_surface_flush(surface.get());
    // cairo's ARGB32 is premultiplied, one native-endian word a pixel.
    const unsigned char* data = cairo_image_surface_get_data(surface.get());
    const int stride = cairo_image_surface_get_stride(surface.get());
    scene.faceTexture.resize(static_cast<std::size_t>(scene.textureWidth) * scene.textureHeight * 4);
    for (int y = 0; y < scene.textureHeight; ++y) {
        for (int x = 0; x < scene.textureWidth; ++x) {
            std::uint32_t word;
            std::memcpy(&word, data + y * stride + x * 4, 4);
            std::uint8_t* q = &scene.faceTexture[(static_cast<std::size_t>(y) * scene.textureWidth + x) * 4];
            q[0] = static_cast<std::uint8_t>(word >> 16);
            q[1] = static_cast<std::uint8_t>(word >> 8);
            q[2] = static_cast<std::uint8_t>(word);
            q[3] = static_cast<std::uint8_t>(word >> 24);
        }
    }
}

// The face outline as points, at depth z.
std::vector<Vector3> outline(const SceneOptions& o, double z) {
    const double W = o.faceWidthMm, H = o.faceHeightMm;
    const double r = std::clamp(o.cornerRadiusMm, 0.0, std::min(W, H) / 2);
    std::vector<Vector3> points;
    const Vector2 centres[4] = {
        {W / 2 - r, -H / 2 + r}, {W / 2 - r, H / 2 - r}, {-W / 2 + r, H / 2 - r}, {-W / 2 + r, -H / 2 + r}};
    for (int corner = 0; corner < 4; ++corner) {
        for (int i = 0; i <= 12; ++i) {
            const double a = (corner - 1 + i / 12.0) * std::numbers::pi / 2;
            points.push_back({centres[corner].x + r * std::cos(a), centres[corner].y + r * std::sin(a), z});
        }
    }
    return points;
}

// Devices of other silhouettes: bodies made of solids (a cap outline, a second
// cap of as many points, and the quads between them), balls and tubes, in face
// millimetres (x right, y down, z away from the camera).

Vector3 operator+(Vector3 a, Vector3 b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
Vector3 operator-(Vector3 a, Vector3 b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
Vector3 operator*(Vector3 a, double s) {
    return {a.x * s, a.y * s, a.z * s};
}
double dot(Vector3 a, Vector3 b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
Vector3 cross(Vector3 a, Vector3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
Vector3 normalised(Vector3 a) {
    const double l = std::sqrt(dot(a, a));
    return l > 0 ? a * (1 / l) : a;
}

struct Part {
    enum class Kind { solid, ball, tube };
    // What a part is made of: the device's own colour, bare metal, or a globe
    // lit from within.
    enum class Material { body, metal, glow };
    Kind kind = Kind::solid;
    Material material = Material::body;
    std::vector<Vector3> front, back;  // a solid's caps
    Vector3 centre{0, 0, 0};           // a ball's
    double radius = 0;                 // a ball's or a tube's
    std::vector<Vector3> path;         // a tube's centre line
    bool framed = true;                // counts in the device's extent
};

std::vector<Vector2> circlePoints(double radius, int count) {
    std::vector<Vector2> points;
    for (int i = 0; i < count; ++i) {
        const double a = 2 * std::numbers::pi * i / count;
        points.push_back({radius * std::cos(a), radius * std::sin(a)});
    }
    return points;
}

std::vector<Vector2> roundedRectPoints(double w, double h, double r) {
    std::vector<Vector2> points;
    const Vector2 centres[4] = {
        {w / 2 - r, -h / 2 + r}, {w / 2 - r, h / 2 - r}, {-w / 2 + r, h / 2 - r}, {-w / 2 + r, -h / 2 + r}};
    for (int corner = 0; corner < 4; ++corner)
        for (int i = 0; i <= 8; ++i) {
            const double a = (corner - 1 + i / 8.0) * std::numbers::pi / 2;
            points.push_back({centres[corner].x + r * std::cos(a), centres[corner].y + r * std::sin(a)});
        }
    return points;
}

// An outline in the plane through `origin` spanned by u and v, swept along `along`.
Part prism(const std::vector<Vector2>& outline, Vector3 origin, Vector3 u, Vector3 v, Vector3 along) {
    Part part;
    for (const Vector2 p : outline) {
        part.front.push_back(origin + u * p.x + v * p.y);
        part.back.push_back(origin + u * p.x + v * p.y + along);
    }
    return part;
}

// A round body standing upright: radius r0 at height y0, r1 at y1, about the
// vertical axis through (x, z).
Part upright(double x, double z, double y0, double r0, double y1, double r1) {
    Part part;
    for (const Vector2 p : circlePoints(1, 64)) {
        part.front.push_back({x + r0 * p.x, y0, z + r0 * p.y});
        part.back.push_back({x + r1 * p.x, y1, z + r1 * p.y});
    }
    return part;
}

Part ball(Vector3 centre, double radius) {
    Part part;
    part.kind = Part::Kind::ball;
    part.centre = centre;
    part.radius = radius;
    return part;
}

// A tube along the cubic from a to d with controls b and c.
Part tube(Vector3 a, Vector3 b, Vector3 c, Vector3 d, double radius) {
    Part part;
    part.kind = Part::Kind::tube;
    part.radius = radius;
    for (int i = 0; i <= 64; ++i) {
        const double t = i / 64.0, s = 1 - t;
        part.path.push_back(a * (s * s * s) + b * (3 * s * s * t) + c * (3 * s * t * t) + d * (t * t * t));
    }
    return part;
}

// The device's parts, farthest first as the camera is placed in the sweeps (in
// front, a little above).
std::vector<Part> deviceParts(const SceneOptions& o) {
    const Vector3 x{1, 0, 0}, y{0, 1, 0}, z{0, 0, 1};
    std::vector<Part> parts;
    switch (o.shape) {
        case DeviceShape::box:
            break;
        case DeviceShape::lBracket:
            parts.push_back(
                prism({{-55, -70}, {-21, -70}, {-21, 36}, {55, 36}, {55, 70}, {-55, 70}}, {0, 0, 0}, x, y, z * 30));
            break;
        case DeviceShape::tValve: {
            // A branch going down from the pipe with a flange at its end, the pipe, and
            // a collar at each end.
            parts.push_back(upright(0, 20, 0, 13, 85, 13));
            parts.push_back(upright(0, 20, 85, 24, 97, 24));
            parts.push_back(prism(circlePoints(18, 64), {-80, 0, 20}, y, z, x * 160));
            for (const double end : {-84.0, 68.0})
                parts.push_back(prism(circlePoints(22, 64), {end, 0, 20}, y, z, x * 16));
            break;
        }
        case DeviceShape::deskLamp:
            parts.push_back(upright(0, 70, 200, 65, 216, 65));  // foot
            parts.push_back(upright(0, 70, 40, 6, 200, 6));     // stem
            parts.push_back(upright(0, 70, 0, 30, 90, 72));     // shade
            break;
        case DeviceShape::boxWithCable: {
            const double W = o.faceWidthMm, H = o.faceHeightMm, d = o.depthMm;
            const double length = o.cableLeavesFrame ? 4 * H : 0.8 * H;
            Part cable = tube({0, H / 2 - 2, d / 2}, {0, H / 2 + 0.35 * length, d / 2},
                              {0.3 * W, H / 2 + 0.6 * length, d / 2 + 10}, {0.2 * W, H / 2 + length, d / 2 + 5}, 2.5);
            cable.framed = !o.cableLeavesFrame;
            parts.push_back(cable);
            Part box;
            box.front = outline(o, 0);
            box.back = outline(o, d);
            parts.push_back(box);
            break;
        }
        case DeviceShape::fan: {
            // Blades 4 mm thick, widening from the root to a round tip, across
            // the middle of the hub's depth.
            std::vector<Vector2> blade{{18, -9}, {60, -16}};
            for (int i = 0; i <= 16; ++i) {
                const double a = -std::numbers::pi / 2 + std::numbers::pi * i / 16;
                blade.push_back({112 + 22 * std::cos(a), 22 * std::sin(a)});
            }
            blade.push_back({60, 16});
            blade.push_back({18, 9});
            for (int k = 0; k < 4; ++k) {
                const double a = (45 + 90 * k) * std::numbers::pi / 180;
                const Vector3 along{std::cos(a), std::sin(a), 0}, across{-std::sin(a), std::cos(a), 0};
                parts.push_back(prism(blade, {0, 0, 15}, along, across, z * 4));
            }
            parts.push_back(prism(circlePoints(26, 64), {0, 0, 0}, x, y, z * 34));
            break;
        }
        case DeviceShape::ring:
            parts.push_back(prism(circlePoints(45, 96), {0, 0, 0}, x, y, z * 28));
            break;
        case DeviceShape::bulb: {
            Part contact = upright(0, 36, 78, 7, 85, 5), screw = upright(0, 36, 48, 14, 78, 14);
            contact.material = screw.material = Part::Material::metal;
            parts.push_back(contact);
            parts.push_back(screw);
            parts.push_back(upright(0, 36, 24, 20, 48, 14));  // neck
            Part globe = ball({0, 0, 36}, 36);
            if (o.glowing) globe.material = Part::Material::glow;
            parts.push_back(globe);
            break;
        }
        case DeviceShape::spot: {
            // Two pins below a narrow base, below the cup; its lens faces up.
            for (const double x : {-6.5, 6.5}) {
                Part pin = upright(x, 25, 50, 1.6, 62, 1.6);
                pin.material = Part::Material::metal;
                parts.push_back(pin);
            }
            parts.push_back(upright(0, 25, 34, 13, 50, 12));
            parts.push_back(upright(0, 25, 0, 25, 34, 17));
            break;
        }
        case DeviceShape::standFan:
            parts.push_back(upright(0, 40, 236, 48, 246, 50));                      // foot
            parts.push_back(upright(0, 40, 70, 4, 236, 4));                         // pole
            parts.push_back(prism(circlePoints(16, 48), {0, 0, 8}, x, y, z * 30));  // motor behind the head
            parts.push_back(prism(circlePoints(72, 96), {0, 0, 0}, x, y, z * 14));  // head
            break;
        case DeviceShape::thinStrip:
            parts.push_back(prism(roundedRectPoints(300, 18, 5), {0, 0, 0}, x, y, z * 10));
            break;
    }
    return parts;
}

struct Extent {
    double left = 1e300, top = 1e300, near = 1e300, right = -1e300, bottom = -1e300, far = -1e300;
    void add(Vector3 p, double r = 0) {
        left = std::min(left, p.x - r), right = std::max(right, p.x + r);
        top = std::min(top, p.y - r), bottom = std::max(bottom, p.y + r);
        near = std::min(near, p.z - r), far = std::max(far, p.z + r);
    }
};

// The box holding the framed parts.
Extent extentOf(const std::vector<Part>& parts) {
    Extent e;
    for (const Part& part : parts) {
        if (!part.framed) continue;
        for (const Vector3& p : part.front) e.add(p);
        for (const Vector3& p : part.back) e.add(p);
        for (const Vector3& p : part.path) e.add(p, part.radius);
        if (part.kind == Part::Kind::ball) e.add(part.centre, part.radius);
    }
    return e;
}

// Newell's normal: the right-hand rule over the points' order, area-weighted.
Vector3 polygonNormal(const std::vector<Vector3>& points) {
    Vector3 n{0, 0, 0};
    for (std::size_t i = 0; i < points.size(); ++i) n = n + cross(points[i], points[(i + 1) % points.size()]);
    return n;
}

struct Facet {
    std::vector<Vector3> points;
    Vector3 normal;  // outward
    bool cap;
};

// A solid's caps and sides, every one turned so that its normal points out.
std::vector<Facet> facets(const Part& solid) {
    const std::vector<Vector3>& p = solid.front;
    const std::vector<Vector3>& q = solid.back;
    Vector3 pc{0, 0, 0}, qc{0, 0, 0};
    for (std::size_t i = 0; i < p.size(); ++i) pc = pc + p[i], qc = qc + q[i];
    const bool inward = dot(polygonNormal(p), qc - pc) > 0;
    std::vector<Facet> out;
    const auto add = [&](std::vector<Vector3> points, bool cap) {
        if (inward) std::reverse(points.begin(), points.end());
        out.push_back({points, normalised(polygonNormal(points)), cap});
    };
    add(p, true);
    add(std::vector<Vector3>(q.rbegin(), q.rend()), true);
    for (std::size_t i = 0; i < p.size(); ++i) {
        const std::size_t j = (i + 1) % p.size();
        add({p[j], p[i], q[i], q[j]}, false);
    }
    return out;
}

// Brightness of a surface of the device: the faces looking straight at the
// wall's viewer full, the others lit from the upper left in front.
double surfaceShade(Vector3 normal) {
    if (normal.z < -0.999) return 1.0;
    const Vector3 light = normalised({-0.35, -0.6, -0.7});
    return 0.45 + 0.35 * std::max(0.0, dot(normal, light));
}

void addPolygon(cairo_t* cr, std::vector<Vector2> points) {
    double area = 0;
    for (std::size_t i = 0; i < points.size(); ++i) area += points[i].cross(points[(i + 1) % points.size()]);
    if (area < 0) std::reverse(points.begin(), points.end());
    for (std::size_t i = 0; i < points.size(); ++i)
        i == 0 ? cairo_move_to(cr, points[i].x, points[i].y) : cairo_line_to(cr, points[i].x, points[i].y);
    cairo_close_path(cr);
}

// The parts as the photo shows them: each solid's facets, each ball's outline and
// each tube's centre line with its width, in pixels.
struct ProjectedDevice {
    struct Surface {
        std::vector<Vector2> outline;
        double shade;
        double distance;  // of its centre from the camera
        bool facing;      // towards the camera
        bool cap;
    };
    struct ProjectedPart {
        Part::Kind kind;
        Part::Material material;
        std::vector<Surface> surfaces;  // a solid's; a ball's outline
        Vector2 ballCentre;
        double ballRadius = 0;      // pixels
        std::vector<Vector2> line;  // a tube's
        double width = 0;           // pixels
    };
    std::vector<ProjectedPart> parts;
};

ProjectedDevice project(const std::vector<Part>& parts, const Camera& camera) {
    const auto image = [&](Vector3 c) {
        return Vector2{camera.cx + camera.f * c.x / c.z, camera.cy + camera.f * c.y / c.z};
    };
    const auto turn = [&](Vector3 n) {
        const std::array<double, 9>& r = camera.r;
        return Vector3{r[0] * n.x + r[1] * n.y + r[2] * n.z, r[3] * n.x + r[4] * n.y + r[5] * n.z,
                       r[6] * n.x + r[7] * n.y + r[8] * n.z};
    };
    ProjectedDevice device;
    for (const Part& part : parts) {
        ProjectedDevice::ProjectedPart out;
        out.kind = part.kind;
        out.material = part.material;
        if (part.kind == Part::Kind::solid) {
            for (const Facet& facet : facets(part)) {
                ProjectedDevice::Surface s;
                Vector3 centre{0, 0, 0};
                for (const Vector3& p : facet.points) {
                    const Vector3 c = camera.toCamera(p);
                    s.outline.push_back(image(c));
                    centre = centre + c * (1.0 / facet.points.size());
                }
                s.shade = surfaceShade(facet.normal);
                s.distance = std::sqrt(dot(centre, centre));
                s.facing = dot(turn(facet.normal), centre) < 0;
                s.cap = facet.cap;
                out.surfaces.push_back(std::move(s));
            }
        } else if (part.kind == Part::Kind::ball) {
            // The outline is the circle where the lines of sight graze the ball.
            const Vector3 c = camera.toCamera(part.centre);
            const double d2 = dot(c, c), k = part.radius * part.radius / d2;
            const Vector3 axis = normalised(c), e1 = normalised(cross(axis, {0, 1, 0})), e2 = cross(axis, e1);
            const Vector3 middle = c * (1 - k);
            const double rho = part.radius * std::sqrt(1 - k);
            ProjectedDevice::Surface s;
            for (int i = 0; i < 128; ++i) {
                const double a = 2 * std::numbers::pi * i / 128;
                s.outline.push_back(image(middle + e1 * (rho * std::cos(a)) + e2 * (rho * std::sin(a))));
            }
            s.shade = 1;
            s.distance = std::sqrt(d2);
            s.facing = true;
            s.cap = false;
            out.surfaces.push_back(std::move(s));
            out.ballCentre = image(c);
            out.ballRadius = camera.f * part.radius / c.z;
        } else {
            double depth = 0;
            for (const Vector3& p : part.path) {
                const Vector3 c = camera.toCamera(p);
                out.line.push_back(image(c));
                depth += c.z / part.path.size();
            }
            out.width = 2 * camera.f * part.radius / depth;
        }
        device.parts.push_back(std::move(out));
    }
    return device;
}

void addLine(cairo_t* cr, const std::vector<Vector2>& line) {
    for (std::size_t i = 0; i < line.size(); ++i)
        i == 0 ? cairo_move_to(cr, line[i].x, line[i].y) : cairo_line_to(cr, line[i].x, line[i].y);
}

// The union of every part, antialiased: all outlines in one fill, each turned the
// same way round so that overlaps add up, then the tubes.
photo_analysis::SubjectMask deviceMask(const ProjectedDevice& device, int width, int height) {
    const std::unique_ptr<cairo_surface_t, SurfaceDeleter> surface(
        cairo_image_surface_create(CAIRO_FORMAT_A8, width, height));
    const std::unique_ptr<cairo_t, ContextDeleter> context(cairo_create(surface.get()));
    cairo_t* cr = context.get();
    cairo_set_source_rgba(cr, 0, 0, 0, 1);
    for (const auto& part : device.parts)
        for (const auto& s : part.surfaces) addPolygon(cr, s.outline);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
    cairo_fill(cr);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    for (const auto& part : device.parts) {
        if (part.kind != Part::Kind::tube) continue;
        addLine(cr, part.line);
        cairo_set_line_width(cr, part.width);
        cairo_stroke(cr);
    }
    cairo_surface_flush(surface.get());
    const unsigned char* data = cairo_image_surface_get_data(surface.get());
    const int stride = cairo_image_surface_get_stride(surface.get());
    photo_analysis::SubjectMask mask{width, height,
                                     std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height)};
    for (int y = 0; y < height; ++y)
        std::memcpy(&mask.coverage[static_cast<std::size_t>(y) * width], data + y * stride, width);
    return mask;
}

// The device painted part by part, farthest first: within a solid the sides
// facing the camera, farthest first, then the cap facing it. The colours are
// then spread to the truth's coverage, so that the seams between surfaces show
// neither wall nor gaps. Premultiplied, 0…255.
std::vector<float> paintDevice(const ProjectedDevice& device, const photo_analysis::SubjectMask& truth,
                               const SceneOptions& o) {
    const Colour colour = o.face;
    const int width = truth.width, height = truth.height;
    const std::unique_ptr<cairo_surface_t, SurfaceDeleter> surface(
        cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
    const std::unique_ptr<cairo_t, ContextDeleter> context(cairo_create(surface.get()));
    cairo_t* cr = context.get();
    // Bare metal: grey, its shading stronger than plastic's, as it mirrors the room.
    const Colour metal{0.66, 0.65, 0.63};
    Colour paint = colour;
    const auto shaded = [&](double shade) {
        cairo_set_source_rgb(cr, paint.r * shade, paint.g * shade, paint.b * shade);
    };
    for (const auto& part : device.parts) {
        const bool bare = part.material == Part::Material::metal;
        paint = bare ? metal : colour;
        if (part.kind == Part::Kind::solid) {
            std::vector<const ProjectedDevice::Surface*> order;
            for (const auto& s : part.surfaces)
                if (s.facing && !s.cap) order.push_back(&s);
            std::sort(order.begin(), order.end(), [](auto* a, auto* b) { return a->distance > b->distance; });
            for (const auto& s : part.surfaces)
                if (s.facing && s.cap) order.push_back(&s);
            for (const auto* s : order) {
                addPolygon(cr, s->outline);
                shaded(bare ? std::clamp(1.6 * s->shade - 0.25, 0.2, 1.0) : s->shade);
                cairo_fill(cr);
            }
        } else if (part.kind == Part::Kind::ball) {
            // Lit from the upper left: brightest there, darkening to the rim.
            const double r = part.ballRadius;
            const Vector2 c = part.ballCentre, light = c + Vector2{-0.35 * r, -0.45 * r};
            cairo_pattern_t* gradient = cairo_pattern_create_radial(light.x, light.y, 0, light.x, light.y, 1.6 * r);
            // A glowing globe is its light's colour nearly to the rim.
            const Colour lit = part.material == Part::Material::glow ? o.glow : colour;
            const double rim = part.material == Part::Material::glow ? 0.9 : 0.45;
            cairo_pattern_add_color_stop_rgb(gradient, 0, lit.r, lit.g, lit.b);
            cairo_pattern_add_color_stop_rgb(gradient, 1, lit.r * rim, lit.g * rim, lit.b * rim);
            addPolygon(cr, part.surfaces.front().outline);
            cairo_set_source(cr, gradient);
            cairo_fill(cr);
            cairo_pattern_destroy(gradient);
        } else {
            // Dark along both sides, a lighter band and a highlight towards the light.
            cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
            cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
            const double w = part.width;
            for (const auto& [share, shift, shade] :
                 {std::tuple{1.0, 0.0, 0.5}, std::tuple{0.6, 0.12, 0.75}, std::tuple{0.2, 0.2, 0.95}}) {
                cairo_save(cr);
                cairo_translate(cr, -shift * w, -0.5 * shift * w);
                addLine(cr, part.line);
                cairo_restore(cr);
                cairo_set_line_width(cr, share * w);
                shaded(shade);
                cairo_stroke(cr);
            }
        }
    }
    cairo_surface_flush(surface.get());
    const unsigned char* data = cairo_image_surface_get_data(surface.get());
    const int stride = cairo_image_surface_get_stride(surface.get());
    std::vector<float> subject(static_cast<std::size_t>(width) * height * 4, 0.0f);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const std::size_t i = static_cast<std::size_t>(y) * width + x;
            const float a = truth.coverage[i];
            if (a == 0) continue;
            std::uint32_t word;
            std::memcpy(&word, data + y * stride + x * 4, 4);
            const float painted = static_cast<float>(word >> 24);
            const float rgb[3] = {static_cast<float>((word >> 16) & 255), static_cast<float>((word >> 8) & 255),
                                  static_cast<float>(word & 255)};
            const float fallback[3] = {static_cast<float>(colour.r * 127.5), static_cast<float>(colour.g * 127.5),
                                       static_cast<float>(colour.b * 127.5)};
            for (int c = 0; c < 3; ++c) subject[i * 4 + c] = painted > 0 ? rgb[c] / painted * a : fallback[c] / 255 * a;
            subject[i * 4 + 3] = a;
        }
    }
    return subject;
}

// The wall; with a shadow, cast by the silhouette when there is one, else by the hull.
std::vector<float> background(const SceneOptions& o, const std::vector<Vector2>& hull, Noise& noise,
                              const photo_analysis::SubjectMask* silhouette = nullptr) {
    const int w = o.width, h = o.height;
    std::vector<float> pixels(static_cast<std::size_t>(w) * h * 4, 0.0f);
    if (o.backdrop == Background::transparent) return pixels;
    const double shorter = std::min(w, h);
    const double period = shorter / 24.0;
    const double phase1 = noise.uniform() * 6.28, phase2 = noise.uniform() * 6.28;
    cv::Mat shadow;
    if (o.backdrop == Background::vignette || o.backdrop == Background::castShadow) {
        // A soft shadow: the silhouette pushed down and right, blurred.
        const bool vignette = o.backdrop == Background::vignette;
        const double dx = vignette ? 0.04 : o.shadowShiftX, dy = vignette ? 0.05 : o.shadowShiftY;
        const double blur = vignette ? 0.04 : o.shadowSoftness;
        shadow = cv::Mat::zeros(h, w, CV_32F);
        if (silhouette) {
            cv::Mat coverage(h, w, CV_8U, const_cast<std::uint8_t*>(silhouette->coverage.data())), share;
            coverage.convertTo(share, CV_32F, 1.0 / 255);
            const cv::Mat shift = (cv::Mat_<double>(2, 3) << 1, 0, dx * shorter, 0, 1, dy * shorter);
            cv::warpAffine(share, shadow, shift, shadow.size());
        } else {
            std::vector<cv::Point> polygon;
            for (const Vector2 p : hull)
                polygon.push_back({static_cast<int>(p.x + dx * shorter), static_cast<int>(p.y + dy * shorter)});
            if (polygon.size() >= 3) cv::fillConvexPoly(shadow, polygon, cv::Scalar(1.0));
        }
        if (blur > 0) cv::GaussianBlur(shadow, shadow, cv::Size(0, 0), blur * shorter);
    }
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            Colour c = o.background;
            if (o.backdrop == Background::textured) {
                // Wood: bands bent by slow waves, with finer grain.
                const double bend = 0.35 * std::sin(2 * std::numbers::pi * y / (period * 9) + phase1) +
                                    0.12 * std::sin(2 * std::numbers::pi * y / (period * 2.7) + phase2);
                const double v = 0.5 + 0.5 * std::sin(2 * std::numbers::pi * (x / period + bend));
                const double grain = 0.5 + 0.5 * std::sin(2 * std::numbers::pi * (x / (period * 0.23) + 3 * bend));
                const double f = 0.78 + 0.22 * v + 0.06 * grain;
                c = {0.55 * f, 0.37 * f, 0.22 * f};
            } else if (o.backdrop == Background::vignette) {
                const double dx = (x + 0.5 - w / 2.0) / (w / 2.0), dy = (y + 0.5 - h / 2.0) / (h / 2.0);
                double f = 1.0 - 0.45 * (dx * dx + dy * dy) / 2.0;
                f *= 1.0 - 0.35 * shadow.at<float>(y, x);
                c = {0.88 * f, 0.87 * f, 0.85 * f};
            } else if (o.backdrop == Background::castShadow) {
                const double f = 1.0 - o.shadowStrength * shadow.at<float>(y, x);
                c = {c.r * f, c.g * f, c.b * f};
            }
            float* p = &pixels[(static_cast<std::size_t>(y) * w + x) * 4];
            p[0] = static_cast<float>(255 * c.r);
            p[1] = static_cast<float>(255 * c.g);
            p[2] = static_cast<float>(255 * c.b);
            p[3] = 255.0f;
        }
    }
    return pixels;
}

// Uneven light over the whole photo, wall and device alike, and the light's
// colour. Plain white light leaves the pixels as they are.
void lightUp(const SceneOptions& o, std::vector<float>& pixels) {
    const bool vertical = o.backdrop == Background::gradientTopBottom;
    const bool graded = vertical || o.backdrop == Background::gradientSideToSide;
    const bool white = o.light.r == 1 && o.light.g == 1 && o.light.b == 1;
    if (!graded && white && o.falloff == 0) return;
    // The wall's brightness falls by gradientLevels from one edge to the other.
    const double wall = 255.0 * (o.background.r + o.background.g + o.background.b) / 3.0;
    const double fall = graded && wall > 0 ? std::min(o.gradientLevels / wall, 0.9) : 0.0;
    const double tint[3] = {o.light.r, o.light.g, o.light.b};
    for (int y = 0; y < o.height; ++y) {
        for (int x = 0; x < o.width; ++x) {
            const double t = vertical ? (y + 0.5) / o.height : (x + 0.5) / o.width;
            const double across = ((x + 0.5) / o.width + (y + 0.5) / o.height) / 2;
            const double f = (1.0 - fall * t) * (1.0 - o.falloff * across);
            float* p = &pixels[(static_cast<std::size_t>(y) * o.width + x) * 4];
            for (int c = 0; c < 3; ++c) p[c] = static_cast<float>(p[c] * f * tint[c]);
        }
    }
}

}  // namespace

Vector2 Scene::project(Vector2 faceMm) const {
    const Camera camera{rotation, translation, focalLength, width / 2.0, height / 2.0};
    return camera.project({faceMm.x, faceMm.y, 0});
}

Scene renderScene(const SceneOptions& o) {
    Scene scene;
    scene.options = o;
    scene.width = o.width;
    scene.height = o.height;
    scene.aspect = o.faceWidthMm / o.faceHeightMm;
    Noise noise(o.seed);

    // Pinhole camera: focal length from the image size, distance from the wanted
    // face height (the box) or from the device's extent fitting within
    // subjectSize of the photo (the other shapes), turned by yaw then pitch.
    const bool box = o.shape == DeviceShape::box;
    const bool hasFace = box || o.shape == DeviceShape::boxWithCable;
    const std::vector<Part> parts = deviceParts(o);
    const Extent extent = extentOf(parts);
    const double shorter = std::min(o.width, o.height);
    const double f = o.focalLengthShare * std::max(o.width, o.height);
    const double distance =
        box ? f * o.faceHeightMm / (o.subjectSize * shorter)
            : f * std::max((extent.bottom - extent.top) / o.height, (extent.right - extent.left) / o.width) /
                  o.subjectSize;
    const double yaw = o.yawDegrees * std::numbers::pi / 180, pitch = o.pitchDegrees * std::numbers::pi / 180;
    const double cy = std::cos(yaw), sy = std::sin(yaw), cp = std::cos(pitch), sp = std::sin(pitch);
    // R = Rz(roll) · Rx(pitch) · Ry(yaw); the box's middle (half its depth), or
    // the middle of the device's extent, sits on the axis.
    const std::array<double, 9> turned{cy, 0, sy, sp * sy, cp, -sp * cy, -cp * sy, sp, cp * cy};
    const double roll = o.rollDegrees * std::numbers::pi / 180, cr = std::cos(roll), sr = std::sin(roll);
    std::array<double, 9> r = turned;
    for (int column = 0; column < 3; ++column) {
        r[column] = cr * turned[column] - sr * turned[3 + column];
        r[3 + column] = sr * turned[column] + cr * turned[3 + column];
    }
    const Vector3 middle = box ? Vector3{0, 0, o.depthMm / 2}
                               : Vector3{(extent.left + extent.right) / 2, (extent.top + extent.bottom) / 2,
                                         (extent.near + extent.far) / 2};
    const Vector3 rm{r[0] * middle.x + r[1] * middle.y + r[2] * middle.z,
                     r[3] * middle.x + r[4] * middle.y + r[5] * middle.z,
                     r[6] * middle.x + r[7] * middle.y + r[8] * middle.z};
    const std::array<double, 3> t{o.offsetX * o.width * distance / f - rm.x, o.offsetY * o.height * distance / f - rm.y,
                                  distance - rm.z};
    const Camera camera{r, t, f, o.width / 2.0, o.height / 2.0};
    scene.rotation = r;
    scene.translation = t;
    scene.focalLength = f;
    const double W = o.faceWidthMm, H = o.faceHeightMm;
    const std::array<Vector3, 4> corners =
        hasFace
            ? std::array<Vector3, 4>{{{-W / 2, -H / 2, 0}, {W / 2, -H / 2, 0}, {W / 2, H / 2, 0}, {-W / 2, H / 2, 0}}}
            : std::array<Vector3, 4>{{{extent.left, extent.top, extent.near},
                                      {extent.right, extent.top, extent.near},
                                      {extent.right, extent.bottom, extent.near},
                                      {extent.left, extent.bottom, extent.near}}};
    for (std::size_t i = 0; i < 4; ++i) scene.faceCorners[i] = camera.project(corners[i]);
    if (!hasFace) scene.aspect = (extent.right - extent.left) / (extent.bottom - extent.top);

    // Silhouette: the box's is the hull of its front and back outlines; any other
    // device's is the union of its parts.
    std::vector<Vector2> hull;
    ProjectedDevice projected;
    if (box) {
        std::vector<Vector2> points;
        for (const double z : {0.0, o.depthMm})
            for (const Vector3& p : outline(o, z)) points.push_back(camera.project(p));
        hull = icon_geometry::convexHull(points);
        icon_geometry::PathBuilder silhouette;
        for (std::size_t i = 0; i < hull.size(); ++i) i == 0 ? silhouette.moveTo(hull[i]) : silhouette.lineTo(hull[i]);
        silhouette.closeSubpath();
        scene.truth = photo_analysis::SubjectMask::fromPath(silhouette.finish(), o.width, o.height);
    } else {
        projected = project(parts, camera);
        scene.truth = deviceMask(projected, o.width, o.height);
    }

    // The face, flat, at about the resolution it is seen at.
    if (hasFace) {
        const double seen = box ? f / (distance - o.depthMm / 2) : f / camera.toCamera({0, 0, 0}).z;
        drawFace(scene, std::max(2.0, 1.25 * seen));
    }

    // Subject layer: the box's sides shaded from the face colour, any other
    // device painted surface by surface; then the face warped on top when it
    // looks towards the camera.
    std::vector<float> subject;
    if (box) {
        subject.assign(static_cast<std::size_t>(o.width) * o.height * 4, 0.0f);
        const double shade = o.sideShade.value_or(0.55 + 0.2 * std::cos(yaw));
        const double blue = o.sideShade ? 1.0 : 0.97;
        for (std::size_t i = 0; i < scene.truth.coverage.size(); ++i) {
            const float a = scene.truth.coverage[i];
            subject[i * 4 + 0] = static_cast<float>(o.face.r * shade) * a;
            subject[i * 4 + 1] = static_cast<float>(o.face.g * shade) * a;
            subject[i * 4 + 2] = static_cast<float>(o.face.b * shade * blue) * a;
            subject[i * 4 + 3] = a;
        }
    } else {
        subject = paintDevice(projected, scene.truth, o);
    }
    const Vector3 normal{-r[2], -r[5], -r[8]};
    const Vector3 centre = camera.toCamera({0, 0, 0});
    if (hasFace && normal.x * centre.x + normal.y * centre.y + normal.z * centre.z < 0) {
        const double k = scene.texturePixelsPerMm;
        std::vector<cv::Point2f> from, to;
        for (std::size_t i = 0; i < 4; ++i) {
            from.push_back({static_cast<float>((corners[i].x + W / 2) * k - 0.5),
                            static_cast<float>((corners[i].y + H / 2) * k - 0.5)});
            to.push_back(
                {static_cast<float>(scene.faceCorners[i].x - 0.5), static_cast<float>(scene.faceCorners[i].y - 0.5)});
        }
        const cv::Mat homography = cv::getPerspectiveTransform(from, to);
        cv::Mat texture(scene.textureHeight, scene.textureWidth, CV_8UC4, scene.faceTexture.data());
        cv::Mat textureFloat, warped;
        texture.convertTo(textureFloat, CV_32FC4);
        cv::warpPerspective(textureFloat, warped, homography, cv::Size(o.width, o.height), cv::INTER_LINEAR,
                            cv::BORDER_CONSTANT, cv::Scalar::all(0));
        for (std::size_t i = 0; i < subject.size(); i += 4) {
            const float* p = warped.ptr<float>() + i;
            const float keep = 1.0f - p[3] / 255.0f;
            for (int c = 0; c < 4; ++c) subject[i + c] = p[c] + subject[i + c] * keep;
        }
    }

    if (o.rimPixels > 0) {
        // The band along the outline, measured from the outside in.
        cv::Mat inside(o.height, o.width, CV_8U), depth;
        for (std::size_t i = 0; i < scene.truth.coverage.size(); ++i)
            inside.data[i] = scene.truth.coverage[i] >= 128 ? 255 : 0;
        cv::distanceTransform(inside, depth, cv::DIST_L2, 3);
        for (std::size_t i = 0; i < scene.truth.coverage.size(); ++i) {
            if (scene.truth.coverage[i] == 0 || depth.ptr<float>()[i] > o.rimPixels) continue;
            const float a = scene.truth.coverage[i];
            for (int c = 0; c < 3; ++c)
                subject[i * 4 + c] = std::min(a, static_cast<float>(subject[i * 4 + c] * o.rimShade));
        }
    }
    std::vector<float> pixels = background(o, hull, noise, box ? nullptr : &scene.truth);
    for (std::size_t i = 0; i < pixels.size(); i += 4) {
        const float keep = 1.0f - subject[i + 3] / 255.0f;
        for (int c = 0; c < 4; ++c) pixels[i + c] = subject[i + c] + pixels[i + c] * keep;
    }
    lightUp(o, pixels);
    cv::Mat image(o.height, o.width, CV_32FC4, pixels.data());
    if (o.blurSigma > 0) cv::GaussianBlur(image, image, cv::Size(0, 0), o.blurSigma);

    scene.rgba.resize(pixels.size());
    for (std::size_t i = 0; i < pixels.size(); i += 4) {
        const float a = std::clamp(pixels[i + 3], 0.0f, 255.0f);
        const double n = a > 0 && o.noise > 0 ? o.noise * a / 255.0 : 0.0;
        for (int c = 0; c < 3; ++c) {
            const double v = pixels[i + c] + (n > 0 ? n * noise.normal() : 0.0);
            scene.rgba[i + c] = static_cast<std::uint8_t>(std::clamp(std::round(v), 0.0, static_cast<double>(a)));
        }
        scene.rgba[i + 3] = static_cast<std::uint8_t>(std::round(a));
    }
    if (o.jpegRoundTrip) {
        const std::vector<std::uint8_t> jpeg = encodeJpeg(rgbaImage(o.width, o.height, scene.rgba), 80);
        scene.rgba = image_io::decode(jpeg).pixels;
    }
    return scene;
}

SceneOptions thermostatScene(int width, int height, double yawDegrees, double pitchDegrees) {
    SceneOptions o;
    o.width = width;
    o.height = height;
    o.faceWidthMm = 120;
    o.faceHeightMm = 80;
    o.cornerRadiusMm = 6;
    o.depthMm = 25;
    o.subjectSize = 0.467;
    o.yawDegrees = yawDegrees;
    o.pitchDegrees = pitchDegrees;
    o.layout = Layout::thermostat;
    o.details = {DetailKind::led,       DetailKind::buttonRing, DetailKind::separator, DetailKind::diagonalLine,
                 DetailKind::ribGrille, DetailKind::sun,        DetailKind::wifi};
    const double W = o.faceWidthMm, H = o.faceHeightMm;
    o.labels = {{"THERMOSTAT", {-0.15 * W, -0.36 * H}, 0.055 * H},
                {"Salon 21", {-0.2 * W, -0.16 * H}, 0.05 * H},
                {"ON", {0, 0.10 * H}, 0.045 * H},
                {"MODE", {0, 0.19 * H}, 0.04 * H}};
    return o;
}

}  // namespace test_photo

namespace test_photo {

SceneOptions twelveMegapixelScene() {
    SceneOptions o;
    o.width = 4000;
    o.height = 3000;
    return o;
}

photo_analysis::Photo noDevicePhoto(NoDevice kind, int width, int height, unsigned seed) {
    cv::RNG random(seed);
    cv::Mat image(height, width, CV_32FC3);
    const double shorter = std::min(width, height);
    if (kind == NoDevice::granite) {
        // Grains of three minerals over a mottled grey, at several scales.
        image.setTo(cv::Scalar(0.55, 0.54, 0.52));
        for (const double scale : {0.08, 0.02, 0.006}) {
            const int cols = std::max(2, static_cast<int>(width * scale)),
                      rows = std::max(2, static_cast<int>(height * scale));
            cv::Mat small(rows, cols, CV_32F), large;
            random.fill(small, cv::RNG::NORMAL, 0.0, 0.08);
            cv::resize(small, large, image.size(), 0, 0, cv::INTER_CUBIC);
            cv::Mat grey;
            cv::merge(std::vector<cv::Mat>{large, large, large}, grey);
            image += grey;
        }
        const cv::Scalar minerals[3] = {{0.12, 0.12, 0.13}, {0.85, 0.84, 0.82}, {0.62, 0.48, 0.42}};
        const int grains = static_cast<int>(width * height / (shorter * shorter) * 2500);
        for (int i = 0; i < grains; ++i) {
            const cv::Point centre(random.uniform(0, width), random.uniform(0, height));
            const int radius = std::max(1, static_cast<int>(shorter * random.uniform(0.002, 0.012)));
            cv::circle(image, centre, radius, minerals[i % 3], cv::FILLED, cv::LINE_AA);
        }
    } else {
        // A dark ground, lit a little towards the top, and a flower with a stem.
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const double f = 0.10 + 0.04 * (1.0 - static_cast<double>(y) / height);
                image.at<cv::Vec3f>(y, x) =
                    cv::Vec3f(static_cast<float>(f * 0.9), static_cast<float>(f), static_cast<float>(f * 0.8));
            }
        const cv::Point2d centre(width * 0.48, height * 0.42);
        const double petal = shorter * 0.2;
        cv::line(image, cv::Point(static_cast<int>(centre.x), static_cast<int>(centre.y)),
                 cv::Point(static_cast<int>(centre.x + 0.05 * width), height), cv::Scalar(0.15, 0.45, 0.12),
                 std::max(2, static_cast<int>(shorter * 0.015)), cv::LINE_AA);
        const int petals = 11;
        for (int i = 0; i < petals; ++i) {
            const double a = 2 * std::numbers::pi * i / petals + 0.2;
            const cv::Point2d tip = centre + cv::Point2d(std::cos(a), std::sin(a)) * petal * 0.55;
            const double shade = 0.8 + 0.2 * std::cos(3.0 * a);
            cv::ellipse(image,
                        cv::RotatedRect(cv::Point2f(static_cast<float>(tip.x), static_cast<float>(tip.y)),
                                        cv::Size2f(static_cast<float>(petal), static_cast<float>(petal * 0.3)),
                                        static_cast<float>(a * 180 / std::numbers::pi)),
                        cv::Scalar(0.92 * shade, 0.45 * shade, 0.62 * shade), cv::FILLED, cv::LINE_AA);
        }
        cv::circle(image, cv::Point(static_cast<int>(centre.x), static_cast<int>(centre.y)),
                   static_cast<int>(petal * 0.22), cv::Scalar(0.95, 0.8, 0.2), cv::FILLED, cv::LINE_AA);
    }
    cv::GaussianBlur(image, image, cv::Size(0, 0), 0.7);
    std::vector<std::uint8_t> rgba(static_cast<std::size_t>(width) * height * 4);
    Noise noise(seed);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const cv::Vec3f p = image.at<cv::Vec3f>(y, x);
            std::uint8_t* q = &rgba[(static_cast<std::size_t>(y) * width + x) * 4];
            for (int c = 0; c < 3; ++c)
                q[c] =
                    static_cast<std::uint8_t>(std::clamp(std::round(255.0 * p[c] + 2.0 * noise.normal()), 0.0, 255.0));
            q[3] = 255;
        }
    return photo_analysis::Photo::decode(encodeJpeg(rgbaImage(width, height, std::move(rgba)), 85));
}

std::vector<SweepScene> backdropSweep(int width) {
    struct Backdrop {
        const char* name;
        Background kind;
        Colour wall;
        double levels;  // for the gradients
        Colour light;
    };
    const Colour white{1, 1, 1};
    const Backdrop backdrops[] = {
        {"plain", Background::uniform, {0.28, 0.45, 0.62}, 0, white},
        // The light device's face is 236: walls 5 to 10 levels from it.
        {"white wall", Background::uniform, {0.953, 0.953, 0.953}, 0, white},
        {"off-white wall", Background::uniform, {0.91, 0.90, 0.87}, 0, white},
        {"gradient top-bottom", Background::gradientTopBottom, {0.96, 0.96, 0.95}, 45, white},
        {"gradient side-side", Background::gradientSideToSide, {0.90, 0.90, 0.89}, 55, white},
        {"gradient top-bottom 30", Background::gradientTopBottom, {0.86, 0.85, 0.83}, 30, white},
        {"vignette", Background::vignette, {0.88, 0.87, 0.85}, 0, white},
        {"cast shadow", Background::castShadow, {0.89, 0.89, 0.88}, 0, white},
        {"warm light", Background::uniform, {0.96, 0.96, 0.96}, 0, {1.0, 0.9, 0.76}},
        {"cool light", Background::uniform, {0.89, 0.89, 0.89}, 0, {0.86, 0.94, 1.0}},
        {"textured", Background::textured, {0.5, 0.4, 0.3}, 0, white},
    };
    std::vector<SweepScene> scenes;
    unsigned seed = 100;
    for (const Backdrop& b : backdrops) {
        for (const bool light : {true, false}) {
            for (const bool front : {true, false}) {
                // Switches and panels (a square face) and thermostats (3 : 2) in turn.
                const bool thermostat = light != front;
                SceneOptions o = thermostat ? thermostatScene(width, width * 3 / 4, 0, 0) : SceneOptions{};
                o.width = width;
                o.height = width * 3 / 4;
                o.yawDegrees = front ? 0 : 30;
                o.pitchDegrees = front ? 0 : 8;
                o.face = light ? Colour{0.925, 0.925, 0.925} : Colour{0.17, 0.17, 0.18};
                o.detail = light ? Colour{0.35, 0.36, 0.38} : Colour{0.78, 0.78, 0.78};
                o.background = b.wall;
                o.backdrop = b.kind;
                o.gradientLevels = b.levels;
                o.light = b.light;
                o.seed = seed++;
                o.jpegRoundTrip = true;
                const std::string device = light ? "light" : "dark", view = front ? "front" : "three-quarter";
                scenes.push_back({std::string(b.name) + ", " + device + ", " + view, b.name, device, view, o});
            }
        }
    }
    return scenes;
}

std::vector<SweepScene> plateSweep(int width) {
    struct Wall {
        const char* name;
        Colour wall;
        Colour plate;
        Colour print;
    };
    const Colour cream{0.93, 0.915, 0.87}, print{0.55, 0.55, 0.56};
    const Wall walls[] = {
        {"light grey wall", {0.86, 0.86, 0.855}, cream, print},
        {"pale wall", {0.91, 0.90, 0.88}, cream, print},
        {"grey wall", {0.78, 0.78, 0.79}, cream, print},
        {"grey on grey", {0.52, 0.52, 0.53}, {0.6, 0.6, 0.6}, {0.35, 0.35, 0.36}},
        {"grey on lighter grey", {0.64, 0.63, 0.62}, {0.56, 0.56, 0.57}, {0.3, 0.3, 0.31}},
    };
    // Face width and height (mm), rounding and depth of a few plates, then the
    // turns and sizes the scenes take in turn.
    const double plates[][4] = {{86, 86, 8, 12}, {86, 90, 14, 10}, {80, 86, 4, 16}, {86, 94, 18, 12}, {90, 90, 24, 9}};
    const double rolls[] = {0, 4, 10, 2, 7, 9, 5, 1};
    const double yaws[] = {15, -25, 35, -45, 20, 40, -30};
    const double sizes[] = {0.45, 0.6, 0.35, 0.52};
    std::vector<SweepScene> scenes;
    unsigned seed = 400;
    std::size_t turn = 0;
    for (const Wall& w : walls) {
        for (int k = 0; k < 5; ++k) {
            const bool front = k < 3;
            const double* plate = plates[(turn + static_cast<std::size_t>(k)) % 5];
            SceneOptions o;
            o.width = width;
            o.height = width * 3 / 4;
            o.faceWidthMm = plate[0];
            o.faceHeightMm = plate[1];
            o.cornerRadiusMm = plate[2];
            o.depthMm = plate[3];
            o.yawDegrees = front ? 0 : yaws[turn % 7];
            o.pitchDegrees = front ? static_cast<double>(turn % 3) : 4 + static_cast<double>(turn % 5);
            o.rollDegrees = front ? rolls[turn % 8] : (turn % 2 == 0 ? 0.0 : 3.0);
            o.subjectSize = sizes[turn % 4];
            o.face = w.plate;
            o.detail = w.print;
            o.background = w.wall;
            o.details = {DetailKind::buttonRing, DetailKind::led};
            if (turn % 3 == 1) o.details.push_back(DetailKind::text);
            o.seed = seed++;
            o.jpegRoundTrip = true;
            ++turn;
            const std::string shape = plate[0] == plate[1] ? "square" : "near-square";
            const auto whole = [](double v) { return std::to_string(static_cast<int>(std::lround(v))); };
            const std::string view = front ? "front, roll " + whole(o.rollDegrees) : "yaw " + whole(o.yawDegrees);
            scenes.push_back({std::string(w.name) + ", " + shape + " r" + whole(o.cornerRadiusMm) + ", " + view, w.name,
                              w.plate.r > 0.8 ? "light" : "grey", front ? "front" : "three-quarter", o});
        }
    }
    return scenes;
}

std::vector<SweepScene> threeQuarterSweep(int width) {
    struct Body {
        const char* name;
        double width, height, radius;  // millimetres; a plate's are drawn
        Layout layout;
    };
    const Body bodies[] = {{"plate", 0, 0, 0, Layout::compact},
                           {"switch", 86, 86, 8, Layout::compact},
                           {"thermostat", 120, 80, 6, Layout::thermostat},
                           {"panel", 70, 110, 6, Layout::compact}};
    struct Wall {
        const char* name;
        Background kind;
        Colour colour;
    };
    const Wall walls[] = {{"plain", Background::uniform, {0.953, 0.953, 0.953}},
                          {"wood-grain", Background::textured, {0.5, 0.4, 0.3}},
                          {"graded", Background::gradientTopBottom, {0.96, 0.96, 0.95}}};
    const Colour lightFace{0.925, 0.925, 0.92}, darkFace{0.17, 0.17, 0.18};
    Noise random(4242);
    const auto between = [&](double lo, double hi) { return lo + (hi - lo) * random.uniform(); };
    const auto whole = [](double v) { return std::to_string(static_cast<int>(std::lround(v))); };
    std::vector<SweepScene> scenes;
    unsigned seed = 600;
    // A plate's measures: as wide as high or up to a tenth higher, a rounding of
    // its own.
    const auto plate = [&](SceneOptions& o) {
        o.faceWidthMm = between(78, 92);
        o.faceHeightMm = o.faceWidthMm * (random.uniform() < 0.5 ? 1.0 : between(1.03, 1.1));
        o.cornerRadiusMm = between(3, 16);
    };
    const auto common = [&](SceneOptions& o, bool light) {
        o.width = width;
        o.height = width * 3 / 4;
        o.focalLengthShare = 1.2;
        o.subjectSize = between(0.38, 0.55);
        o.depthMm = o.faceHeightMm * between(0.12, 0.2);
        o.sideShade = light ? 0.55 : 1.2;
        o.face = light ? lightFace : darkFace;
        o.detail = light ? Colour{0.35, 0.36, 0.38} : Colour{0.78, 0.78, 0.78};
        o.seed = seed++;
        o.jpegRoundTrip = true;
    };
    std::size_t turn = 0;
    for (const bool light : {true, false}) {
        for (const Wall& wall : walls) {
            for (const Body& body : bodies) {
                SceneOptions o =
                    body.layout == Layout::thermostat ? thermostatScene(width, width * 3 / 4, 0, 0) : SceneOptions{};
                if (body.width > 0) {
                    o.faceWidthMm = body.width;
                    o.faceHeightMm = body.height;
                    o.cornerRadiusMm = body.radius;
                } else {
                    plate(o);
                }
                common(o, light);
                // Each wall sees both turns on each device.
                o.yawDegrees = (turn % 2 == 0 ? 1 : -1) * between(24, 34);
                o.pitchDegrees = between(-12, 6);
                o.rollDegrees = between(-6, 6);
                o.background = wall.colour;
                // Graded from top to bottom and from side to side in turn.
                o.backdrop = wall.kind == Background::gradientTopBottom && turn % 4 >= 2
                                 ? Background::gradientSideToSide
                                 : wall.kind;
                o.gradientLevels = 40;
                ++turn;
                const std::string device = light ? "light" : "dark";
                scenes.push_back({std::string(wall.name) + ", " + device + " " + body.name + ", yaw " +
                                      whole(o.yawDegrees) + ", pitch " + whole(o.pitchDegrees) + ", roll " +
                                      whole(o.rollDegrees),
                                  wall.name, device, "three-quarter", o});
            }
        }
    }
    for (int k = 0; k < 6; ++k) {
        SceneOptions o;
        plate(o);
        common(o, true);
        o.layout = Layout::rocker;
        o.details = {DetailKind::buttonRing, DetailKind::led};
        o.detail = {0.55, 0.55, 0.56};
        o.labels = {{"ECO", {0, 0.4 * o.faceHeightMm}, 0.05 * o.faceHeightMm}};
        o.yawDegrees = between(-4, 4);
        o.pitchDegrees = between(-4, 4);
        o.rollDegrees = between(-6, 6);
        // 250 at the top, 210 at the bottom.
        o.background = {0.98, 0.98, 0.98};
        o.backdrop = Background::gradientTopBottom;
        o.gradientLevels = 40;
        scenes.push_back({"graded, light rocker plate r" + whole(o.cornerRadiusMm) + ", front, yaw " +
                              whole(o.yawDegrees) + ", pitch " + whole(o.pitchDegrees) + ", roll " +
                              whole(o.rollDegrees),
                          "graded", "light", "front", o});
    }
    return scenes;
}

}  // namespace test_photo

namespace test_photo {

std::string shapeName(DeviceShape shape) {
    switch (shape) {
        case DeviceShape::box:
            return "box";
        case DeviceShape::lBracket:
            return "L bracket";
        case DeviceShape::tValve:
            return "T valve";
        case DeviceShape::deskLamp:
            return "desk lamp";
        case DeviceShape::boxWithCable:
            return "box with cable";
        case DeviceShape::fan:
            return "fan";
        case DeviceShape::ring:
            return "ring";
        case DeviceShape::bulb:
            return "bulb";
        case DeviceShape::thinStrip:
            return "thin strip";
        case DeviceShape::spot:
            return "spot";
        case DeviceShape::standFan:
            return "stand fan";
    }
    return "?";
}

std::vector<SilhouetteScene> silhouetteSweep(int width) {
    struct Look {
        const char* name;
        Background kind;
        Colour wall;
        double levels;
        bool lightDevice;
    };
    const Look looks[] = {
        {"light wall", Background::uniform, {0.90, 0.90, 0.88}, 0, false},
        {"blue wall", Background::uniform, {0.28, 0.45, 0.62}, 0, true},
        {"textured", Background::textured, {0.5, 0.4, 0.3}, 0, false},
        {"white wall, gradient", Background::gradientTopBottom, {0.96, 0.96, 0.95}, 45, true},
    };
    std::vector<SilhouetteScene> scenes;
    unsigned seed = 500;
    for (const DeviceShape shape : allDeviceShapes) {
        for (const Look& look : looks) {
            for (const bool front : {true, false}) {
                SceneOptions o;
                o.width = width;
                o.height = width * 3 / 4;
                o.shape = shape;
                o.cableLeavesFrame = !front;
                o.yawDegrees = front ? 0 : 30;
                o.pitchDegrees = front ? 0 : 8;
                o.face = look.lightDevice ? Colour{0.925, 0.925, 0.925} : Colour{0.17, 0.17, 0.18};
                o.detail = look.lightDevice ? Colour{0.35, 0.36, 0.38} : Colour{0.78, 0.78, 0.78};
                o.background = look.wall;
                o.backdrop = look.kind;
                o.gradientLevels = look.levels;
                o.seed = seed++;
                o.jpegRoundTrip = true;
                const std::string device = look.lightDevice ? "light" : "dark", view = front ? "front" : "turned";
                scenes.push_back({shapeName(shape) + ", " + look.name + ", " + device + ", " + view, shape, look.name,
                                  device, view, o});
            }
        }
    }
    return scenes;
}

}  // namespace test_photo

namespace test_photo {

namespace {

struct NamedColour {
    const char* name;
    Colour colour;
};

// The print on a device: dark on a light one, light on a dark one.
Colour printOn(Colour c) {
    return 0.3 * c.r + 0.59 * c.g + 0.11 * c.b > 0.5 ? Colour{0.3, 0.31, 0.33} : Colour{0.85, 0.85, 0.84};
}

}  // namespace

std::vector<ColourScene> colourSweep(int width, std::size_t count) {
    const NamedColour devices[] = {
        {"white", {0.97, 0.97, 0.96}}, {"light grey", {0.78, 0.78, 0.79}}, {"mid grey", {0.5, 0.5, 0.51}},
        {"dark", {0.15, 0.15, 0.16}},  {"red", {0.78, 0.1, 0.1}},          {"orange", {0.95, 0.48, 0.08}},
        {"yellow", {0.95, 0.8, 0.1}},  {"green", {0.15, 0.55, 0.22}},      {"blue", {0.12, 0.3, 0.75}},
    };
    const NamedColour walls[] = {
        {"white", {0.95, 0.95, 0.94}}, {"light grey", {0.84, 0.84, 0.83}}, {"beige", {0.89, 0.83, 0.72}},
        {"sage", {0.70, 0.75, 0.64}},  {"blue paint", {0.55, 0.67, 0.80}}, {"own hue", {}},
    };
    const DeviceShape shapes[] = {DeviceShape::box,    DeviceShape::ring,     DeviceShape::lBracket,
                                  DeviceShape::tValve, DeviceShape::deskLamp, DeviceShape::boxWithCable,
                                  DeviceShape::fan};
    struct Pick {
        std::size_t device, wall, shape;
        bool front;
    };
    std::vector<Pick> every;
    for (std::size_t d = 0; d < std::size(devices); ++d)
        for (std::size_t w = 0; w < std::size(walls); ++w)
            for (std::size_t k = 0; k < std::size(shapes); ++k)
                for (const bool front : {true, false}) every.push_back({d, w, k, front});
    // Fisher and Yates with a fixed generator: the same picks everywhere.
    std::mt19937 random(20261211);
    for (std::size_t i = every.size() - 1; i > 0; --i) std::swap(every[i], every[random() % (i + 1)]);
    every.resize(std::min(count, every.size()));

    std::vector<ColourScene> scenes;
    unsigned seed = 700;
    for (const Pick& pick : every) {
        const NamedColour& device = devices[pick.device];
        const Colour c = device.colour;
        Colour wall = walls[pick.wall].colour;
        if (pick.wall == std::size(walls) - 1) {
            // A vivid device on a pale wall of its hue; a grey one on a grey a quarter lighter or darker.
            const bool vivid = std::max({c.r, c.g, c.b}) - std::min({c.r, c.g, c.b}) > 0.2;
            const double grey = c.r > 0.6 ? c.r - 0.25 : c.r + 0.25;
            wall = vivid ? Colour{0.4 * c.r + 0.6, 0.4 * c.g + 0.6, 0.4 * c.b + 0.6} : Colour{grey, grey, grey};
        }
        SceneOptions o;
        o.width = width;
        o.height = width * 3 / 4;
        o.shape = shapes[pick.shape];
        o.yawDegrees = pick.front ? 0 : (seed % 2 == 0 ? 30 : -30);
        o.pitchDegrees = pick.front ? 2 : 8;
        o.cableLeavesFrame = !pick.front;
        o.face = c;
        o.detail = printOn(c);
        o.details = {DetailKind::led, DetailKind::buttonRing, DetailKind::text};
        o.background = wall;
        o.backdrop = Background::castShadow;
        Noise draw(seed);
        o.shadowStrength = 0.25 + 0.2 * draw.uniform();
        o.shadowShiftX = 0.012 + 0.025 * draw.uniform();
        o.shadowShiftY = 0.015 + 0.025 * draw.uniform();
        o.shadowSoftness = 0.005 + 0.015 * draw.uniform();
        o.falloff = 0.03 + 0.06 * draw.uniform();
        o.rimPixels = draw.uniform() < 0.5 ? 2 : 0;
        o.rimShade = draw.uniform() < 0.5 ? 0.8 : 1.15;
        o.seed = seed++;
        o.jpegRoundTrip = true;
        const std::string view = pick.front ? "front" : "three-quarter";
        scenes.push_back(
            {std::string(device.name) + " " + shapeName(o.shape) + " on " + walls[pick.wall].name + " wall, " + view,
             device.name, walls[pick.wall].name, o.shape, view, o});
    }
    return scenes;
}

std::vector<ColourScene> productSweep(int width) {
    struct Product {
        const char* name;
        DeviceShape shape;
        Colour colour;
        double faceWidth, faceHeight, radius, depth;
        double rimPixels, rimShade;
        bool glowing;
        double yaw;
    };
    const Colour white{1, 1, 1};
    const Product products[] = {
        // A climate sensor: a rounded bar of the background's own white, drawn by its grey rim.
        {"white climate sensor", DeviceShape::box, white, 110, 36, 18, 22, 2, 0.86, false, 0},
        {"white climate sensor", DeviceShape::box, white, 110, 36, 18, 22, 2, 0.86, false, 20},
        {"white plate", DeviceShape::box, {0.98, 0.98, 0.97}, 86, 86, 10, 12, 0, 1, false, 25},
        {"white A60 bulb", DeviceShape::bulb, {0.96, 0.96, 0.95}, 0, 0, 0, 0, 0, 1, true, 0},
        {"white GU10 spot", DeviceShape::spot, {0.95, 0.95, 0.94}, 0, 0, 0, 0, 0, 1, false, 0},
        {"white stand fan", DeviceShape::standFan, {0.96, 0.96, 0.96}, 0, 0, 0, 0, 1, 0.9, false, 20},
        {"light grey switch", DeviceShape::box, {0.8, 0.8, 0.81}, 86, 86, 8, 14, 0, 1, false, 30},
        {"black relay module", DeviceShape::box, {0.12, 0.12, 0.13}, 90, 54, 3, 20, 0, 1, false, 0},
        {"red L bracket", DeviceShape::lBracket, {0.78, 0.1, 0.1}, 0, 0, 0, 0, 0, 1, false, 30},
    };
    const char* backgrounds[] = {"white", "white, lossless", "transparent"};
    std::vector<ColourScene> scenes;
    unsigned seed = 900;
    for (const Product& p : products) {
        for (const char* background : backgrounds) {
            const bool transparent = std::string(background) == "transparent";
            SceneOptions o;
            o.width = width;
            o.height = width * 3 / 4;
            o.shape = p.shape;
            if (p.shape == DeviceShape::box) {
                o.faceWidthMm = p.faceWidth;
                o.faceHeightMm = p.faceHeight;
                o.cornerRadiusMm = p.radius;
                o.depthMm = p.depth;
            }
            // A wide product's face stands less high in the picture.
            if (p.faceWidth > 2 * p.faceHeight && p.faceHeight > 0) o.subjectSize = 0.2;
            o.yawDegrees = p.yaw;
            o.pitchDegrees = p.yaw != 0 ? 6 : 0;
            o.face = p.colour;
            o.detail = printOn(p.colour);
            o.details = {DetailKind::led, DetailKind::text};
            if (p.faceHeight > 0 && p.faceHeight < 50) {
                o.details = {DetailKind::led};
                o.labels = {{"21.5", {-0.15 * p.faceWidth, 0}, 0.3 * p.faceHeight}};
            }
            o.rimPixels = p.rimPixels;
            o.rimShade = p.rimShade;
            o.glowing = p.glowing;
            // Brighter than white: the maker's background clips to 255, noise and all.
            o.background = {1.03, 1.03, 1.03};
            o.backdrop = transparent ? Background::transparent : Background::uniform;
            o.noise = 1.2;
            o.blurSigma = 0.6;
            o.seed = seed++;
            o.jpegRoundTrip = std::string(background) == "white";
            scenes.push_back({std::string(p.name) + (p.yaw != 0 ? " turned" : "") + " on " + background, p.name,
                              background, p.shape, p.yaw != 0 ? "three-quarter" : "front", o});
        }
    }
    return scenes;
}

}  // namespace test_photo
