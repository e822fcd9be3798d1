#include "handheld_shapes.hpp"

#include <limits>

#include "handheld_looks.hpp"

namespace handheld_photos::internal {
namespace {

constexpr double degree = std::numbers::pi / 180;

Vector3 lowest(Vector3 a, Vector3 b) {
    return {std::min(a.x, b.x), std::min(a.y, b.y), std::min(a.z, b.z)};
}
Vector3 highest(Vector3 a, Vector3 b) {
    return {std::max(a.x, b.x), std::max(a.y, b.y), std::max(a.z, b.z)};
}

// A point in the frame of a solid of revolution: how far along its axis and
// how far from it.
struct AxisFrame {
    double along = 0, across = 0;
};
AxisFrame onAxis(Vector3 p, const Part& part) {
    const Vector3 pa = p - part.a;
    const double along = pa.dot(part.unit);
    return {along, (pa - part.unit * along).length()};
}

// A box of half sizes (across, along) in the plane of the axis, its corners
// rounded by `rounding`.
double roundedProfile(double across, double along, double halfAcross, double halfAlong, double rounding) {
    const double dx = across - (halfAcross - rounding), dy = std::abs(along) - (halfAlong - rounding);
    const double ox = std::max(dx, 0.0), oy = std::max(dy, 0.0);
    return std::min(std::max(dx, dy), 0.0) + std::sqrt(ox * ox + oy * oy) - rounding;
}

double cappedCone(Vector3 p, Vector3 a, Vector3 b, double ra, double rb) {
    const Vector3 ba = b - a, pa = p - a;
    const double rba = rb - ra, baba = ba.dot(ba), papa = pa.dot(pa), paba = pa.dot(ba) / baba;
    const double x = std::sqrt(std::max(papa - paba * paba * baba, 0.0));
    const double cax = std::max(0.0, x - (paba < 0.5 ? ra : rb)), cay = std::abs(paba - 0.5) - 0.5;
    const double k = rba * rba + baba;
    const double f = std::clamp((rba * (x - ra) + paba * baba) / k, 0.0, 1.0);
    const double cbx = x - ra - f * rba, cby = paba - f;
    const double s = cbx < 0 && cay < 0 ? -1 : 1;
    return s * std::sqrt(std::min(cax * cax + cay * cay * baba, cbx * cbx + cby * cby * baba));
}

double roundConeDistance(Vector3 p, Vector3 a, Vector3 b, double r1, double r2) {
    const Vector3 ba = b - a;
    const double l2 = ba.dot(ba), rr = r1 - r2, a2 = l2 - rr * rr, il2 = 1 / l2;
    const Vector3 pa = p - a;
    const double y = pa.dot(ba), z = y - l2;
    const Vector3 w = pa * l2 - ba * y;
    const double x2 = w.dot(w), y2 = y * y * l2, z2 = z * z * l2;
    const double k = (rr > 0 ? 1 : rr < 0 ? -1 : 0) * rr * rr * x2;
    if ((z > 0 ? 1 : z < 0 ? -1 : 0) * a2 * z2 > k) return std::sqrt(x2 + z2) * il2 - r2;
    if ((y > 0 ? 1 : y < 0 ? -1 : 0) * a2 * y2 < k) return std::sqrt(x2 + y2) * il2 - r1;
    return (std::sqrt(x2 * a2 * il2) + y * rr) * il2 - r1;
}

Part bounded(Part part, double radius) {
    if (part.primitive == Primitive::slab) {
        part.centre = part.a;
        part.reach = part.b.length();
        part.low = part.a - part.b, part.high = part.a + part.b;
    } else {
        part.length = (part.b - part.a).length();
        part.unit = part.length > 0 ? (part.b - part.a) * (1 / part.length) : Vector3{0, 0, 1};
        part.centre = (part.a + part.b) * 0.5;
        part.reach = part.length / 2 + radius;
        const Vector3 grow{radius, radius, radius};
        part.low = lowest(part.a, part.b) - grow, part.high = highest(part.a, part.b) + grow;
    }
    return part;
}

}  // namespace

double Part::distance(Vector3 p) const {
    switch (primitive) {
        case Primitive::slab: {
            const Vector3 q = p - a;
            const double edge = r3;
            const double plan = roundedRectDistance(q.x, q.y, b.x - edge, b.y - edge, std::max(r1 - edge, 0.0));
            return roundedProfile(plan, q.z, edge, b.z, edge);
        }
        case Primitive::cylinder: {
            const AxisFrame f = onAxis(p, *this);
            return roundedProfile(f.across, f.along - length / 2, r1, length / 2, r2);
        }
        case Primitive::cone:
            // Shrunk by the rounding, then grown by it again.
            return cappedCone(p, a + unit * r3, b - unit * r3, r1 - r3, r2 - r3) - r3;
        case Primitive::roundCone:
            return roundConeDistance(p, a, b, r1, r2);
        case Primitive::capsule: {
            const Vector3 ba = b - a, pa = p - a;
            const double baba = ba.dot(ba);
            const double h = baba > 0 ? std::clamp(pa.dot(ba) / baba, 0.0, 1.0) : 0.0;
            return (pa - ba * h).length() - r1;
        }
        case Primitive::thread: {
            // The radius swells and falls along the axis; the bound is scaled
            // by the flank's slope so that the tracer never steps through it.
            const AxisFrame f = onAxis(p, *this);
            const double radius = r1 + r2 * 0.5 * (1 + std::sin(2 * std::numbers::pi * f.along / r3));
            const double slope = r2 * std::numbers::pi / r3;
            return roundedProfile(f.across, f.along - length / 2, radius, length / 2, 0) / std::sqrt(1 + slope * slope);
        }
    }
    return std::numeric_limits<double>::infinity();
}

Part slab(Vector3 centre, Vector3 half, double outlineRounding, double edgeRounding, std::size_t material) {
    Part part{Primitive::slab, centre, half, outlineRounding, 0, edgeRounding, material};
    return bounded(part, 0);
}
Part cylinder(Vector3 a, Vector3 b, double radius, double edgeRounding, std::size_t material) {
    return bounded({Primitive::cylinder, a, b, radius, edgeRounding, 0, material}, radius);
}
Part cone(Vector3 a, Vector3 b, double radiusA, double radiusB, double edgeRounding, std::size_t material) {
    return bounded({Primitive::cone, a, b, radiusA, radiusB, edgeRounding, material}, std::max(radiusA, radiusB));
}
Part roundCone(Vector3 a, Vector3 b, double radiusA, double radiusB, std::size_t material) {
    return bounded({Primitive::roundCone, a, b, radiusA, radiusB, 0, material}, std::max(radiusA, radiusB));
}
Part capsule(Vector3 a, Vector3 b, double radius, std::size_t material) {
    return bounded({Primitive::capsule, a, b, radius, 0, 0, material}, radius);
}
Part thread(Vector3 a, Vector3 b, double radius, double depth, double pitch, std::size_t material) {
    return bounded({Primitive::thread, a, b, radius, depth, pitch, material}, radius + depth);
}

std::size_t Model::addMaterial(const Material& material) {
    materials.push_back(material);
    return materials.size() - 1;
}

void Model::add(const Part& part, bool framed) {
    // A cable's links, added one after another, fall into groups of their own.
    constexpr std::size_t groupSize = 6;
    if (groups.empty() || groups.back().count == groupSize) groups.push_back({part, parts.size(), 0});
    Group& group = groups.back();
    group.box.low = lowest(group.box.low, part.low), group.box.high = highest(group.box.high, part.high);
    ++group.count;
    parts.push_back(part);
    low = lowest(low, part.low), high = highest(high, part.high);
    if (framed) frameLow = lowest(frameLow, part.low), frameHigh = highest(frameHigh, part.high);
}

namespace {

// The part nearest to p and its distance; a part whose box lies farther than
// the nearest so far is passed over.
std::pair<const Part*, double> nearestPart(const Model& model, Vector3 p) {
    const Part* nearest = &model.parts.front();
    double best = std::numeric_limits<double>::infinity();
    const auto farther = [&](const Part& bounds) {
        const double box = bounds.boxDistanceSquared(p);
        return best > 0 ? box >= best * best : box > 0;
    };
    for (const Group& group : model.groups) {
        if (farther(group.box)) continue;
        for (std::size_t i = group.first; i < group.first + group.count; ++i) {
            const Part& part = model.parts[i];
            if (farther(part)) continue;
            const double d = part.distance(p);
            if (d < best) best = d, nearest = &part;
        }
    }
    return {nearest, best};
}

}  // namespace

const Part& Model::partAt(Vector3 p) const {
    return *nearestPart(*this, p).first;
}

double Model::distance(Vector3 p) const {
    return nearestPart(*this, p).second;
}

namespace {

// Where a ray enters and leaves a box grown by a millimetre; none if it misses.
std::optional<std::pair<double, double>> throughBox(Vector3 low, Vector3 high, Vector3 origin, Vector3 direction) {
    double enter = 0, leave = std::numeric_limits<double>::infinity();
    const double o[3]{origin.x, origin.y, origin.z}, d[3]{direction.x, direction.y, direction.z};
    const double lo[3]{low.x - 1, low.y - 1, low.z - 1}, hi[3]{high.x + 1, high.y + 1, high.z + 1};
    for (int k = 0; k < 3; ++k) {
        if (std::abs(d[k]) < 1e-12) {
            if (o[k] < lo[k] || o[k] > hi[k]) return std::nullopt;
            continue;
        }
        double t0 = (lo[k] - o[k]) / d[k], t1 = (hi[k] - o[k]) / d[k];
        if (t0 > t1) std::swap(t0, t1);
        enter = std::max(enter, t0), leave = std::min(leave, t1);
    }
    if (enter > leave) return std::nullopt;
    return std::pair{enter, leave};
}

}  // namespace

std::optional<std::pair<double, double>> Model::span(Vector3 origin, Vector3 direction) const {
    // The groups' boxes hug a long cable far closer than the box of the whole.
    std::optional<std::pair<double, double>> span;
    for (const Group& group : groups) {
        const auto through = throughBox(group.box.low, group.box.high, origin, direction);
        if (!through) continue;
        span =
            span ? std::pair{std::min(span->first, through->first), std::max(span->second, through->second)} : *through;
    }
    return span;
}

namespace {

// Each shape in its own function: what it is made of and where it stands.
struct Builder {
    const Shot& shot;
    const Scale& scale;
    Random& random;
    Model model;
    std::size_t body = 0;

    // A thin part's radius from the width it shows in the photo, in pixels.
    double radiusShowing(double lo, double hi) { return random.uniform(lo, hi) / 2 * scale.mmPerPixel; }

    std::size_t metal(double lo, double hi) {
        const double grey = random.uniform(lo, hi);
        return model.addMaterial({linearColour(grey, grey, grey + 4), Finish::metal, 0.5});
    }

    void frontFace(double halfWidth, double halfHeight, double x = 0, double y = 0) {
        model.face = std::array<Vector3, 4>{
            Vector3{x - halfWidth, y - halfHeight, 0}, Vector3{x + halfWidth, y - halfHeight, 0},
            Vector3{x + halfWidth, y + halfHeight, 0}, Vector3{x - halfWidth, y + halfHeight, 0}};
    }

    // A rounded block on the wall with its face turned to the camera.
    void block(double width, double height, double depth, double rounding, double edge) {
        model.add(slab({0, 0, depth / 2}, {width / 2, height / 2, depth / 2}, rounding, edge, body));
        frontFace(width / 2, height / 2);
    }

    void plate() {
        const double width = random.uniform(78, 122), height = width * random.uniform(0.8, 1.4);
        block(width, height, random.uniform(8, 14), random.uniform(3, 14), random.uniform(0.8, 1.8));
    }

    void box() {
        block(random.uniform(70, 120), random.uniform(65, 120), random.uniform(20, 42), random.uniform(4, 14),
              random.uniform(1.5, 3));
    }

    void disc() {
        const double radius = random.uniform(28, 46), depth = random.uniform(12, 26);
        model.add(cylinder({0, 0, 0}, {0, 0, depth}, radius, random.uniform(3, std::min(7.0, depth / 2.5)), body));
        frontFace(radius, radius);
    }

    // An L outline extruded towards the wall, its corner at any of four places.
    void bracket() {
        const double longLeg = random.uniform(110, 170), shortLeg = random.uniform(70, 115);
        const double thickness = random.uniform(22, 34), depth = random.uniform(14, 26);
        const double rounding = random.uniform(2, 7), edge = random.uniform(1.2, 2.5);
        const double sx = random.sign(), sy = random.sign();
        const bool lying = random.uniform() < 0.35;
        const double w = lying ? longLeg : shortLeg, h = lying ? shortLeg : longLeg;
        // In a frame centred on the L's box: one leg along the height, one along the width.
        const Vector3 upright{sx * (-w / 2 + thickness / 2), 0, depth / 2},
            across{0, sy * (h / 2 - thickness / 2), depth / 2};
        model.add(slab(upright, {thickness / 2, h / 2, depth / 2}, rounding, edge, body));
        model.add(slab(across, {w / 2, thickness / 2, depth / 2}, rounding, edge, body));
        frontFace(w / 2, h / 2);
    }

    // A pipe held off the wall, a branch down, collars at the three ends, a hub
    // and a lever on top.
    void valve() {
        const double radius = random.uniform(10, 15), length = random.uniform(130, 200);
        const double branch = random.uniform(45, 80), collar = radius + random.uniform(3, 6);
        const double collarLength = random.uniform(9, 15), z = collar;
        model.add(cylinder({-length / 2, 0, z}, {length / 2, 0, z}, radius, 1, body));
        for (const double side : {-1.0, 1.0})
            model.add(
                cylinder({side * length / 2, 0, z}, {side * (length / 2 - collarLength), 0, z}, collar, 1.5, body));
        model.add(cylinder({0, 0, z}, {0, branch, z}, radius * random.uniform(0.8, 1.0), 1, body));
        model.add(cylinder({0, branch - collarLength, z}, {0, branch, z}, collar, 1.5, body));
        const double hub = radius * random.uniform(1.3, 1.5);
        model.add(cylinder({-1.2 * radius, 0, z}, {1.2 * radius, 0, z}, hub, 2, body));
        const double lever = random.uniform(1.8, 2.6) * radius, leverSide = random.sign();
        model.add(cylinder({0, -hub, z}, {0, -hub - 8, z}, 4, 1, body));
        model.add(slab({leverSide * lever * 0.6, -hub - 10, z}, {lever, 3, 6}, 2.5, 1.2, body));
        model.wallGap = random.uniform(12, 35);
    }

    // A round foot, a thin arm rising at an angle (at times bent at an elbow),
    // a joint and a shade hanging from it.
    void lamp() {
        const double footRadius = random.uniform(45, 65), footHeight = random.uniform(12, 20);
        const double z = footRadius;
        model.add(cylinder({0, -footHeight, z}, {0, 0, z}, footRadius, random.uniform(3, 6), body));
        const double arm = radiusShowing(25, 30), side = random.sign();
        const double lean = random.uniform(12, 35) * degree, length = random.uniform(200, 280);
        const Vector3 base{0, -footHeight, z};
        Vector3 tip = base + Vector3{side * std::sin(lean) * length, -std::cos(lean) * length, 0};
        model.add(capsule(base, tip, arm, body));
        if (random.uniform() < 0.5) {
            const double back = random.uniform(10, 40) * degree, upper = random.uniform(110, 170);
            const Vector3 elbow = tip;
            tip = elbow + Vector3{-side * std::sin(back) * upper, -std::cos(back) * upper, 0};
            model.add(capsule(elbow, elbow, arm * 1.35, body));
            model.add(capsule(elbow, tip, arm, body));
        }
        model.add(capsule(tip, tip, arm * 1.4, body));
        const Vector3 axis =
            Vector3{side * random.uniform(0.4, 1.0), random.uniform(0.5, 1.0), -random.uniform(0, 0.3)}.normalized();
        const double shade = random.uniform(70, 100);
        model.add(cone(tip + axis * (arm * 0.8), tip + axis * shade, random.uniform(12, 18), random.uniform(40, 58), 2,
                       body));
        model.wallGap = random.uniform(25, 90);
    }

    // A plug on the wall and its round cable, curving down and away: out of the
    // photo, or ending in a small connector within it.
    void plug() {
        const double width = random.uniform(48, 62), height = width * random.uniform(1.0, 1.3);
        const double depth = random.uniform(38, 70);
        block(width, height, depth, random.uniform(6, 14), random.uniform(3, 6));
        const double cable = radiusShowing(10, 20), side = random.sign();
        // A product photo shows the whole cable.
        const bool leaves = random.uniform() < 0.5 && shot.backdrop == Backdrop::wall;
        const Vector3 start{random.uniform(-0.2, 0.2) * width, height / 2 - 4, depth * 0.5};
        const Vector3 down = start + Vector3{0, random.uniform(40, 70), depth * 0.05};
        const double nearWall = depth - cable;
        Vector3 bend{side * random.uniform(20, 110), random.uniform(90, 170), nearWall - random.uniform(5, 25)};
        Vector3 end{side * random.uniform(60, 150), random.uniform(130, 210), nearWall - random.uniform(0, 10)};
        if (leaves) {
            const bool sideways = random.uniform() < 0.4;
            end = sideways
                      ? Vector3{side * 2.4 * scale.halfFrame.x, random.uniform(60, 160), nearWall}
                      : Vector3{side * random.uniform(0, 0.6) * scale.halfFrame.x, 2.4 * scale.halfFrame.y, nearWall};
            bend.y = std::min(bend.y, 0.6 * scale.halfFrame.y);
        }
        // The cable as a chain of capsules along a cubic Bézier.
        constexpr int links = 24;
        Vector3 previous = start;
        for (int i = 1; i <= links; ++i) {
            const double t = static_cast<double>(i) / links, u = 1 - t;
            const Vector3 point =
                start * (u * u * u) + down * (3 * u * u * t) + bend * (3 * u * t * t) + end * (t * t * t);
            // Out of the photo, the cable is not what the camera frames.
            model.add(capsule(previous, point, cable, body), !leaves || (point - start).length() < 110);
            previous = point;
        }
        if (!leaves) {
            const Vector3 along = (end - bend).normalized();
            model.add(capsule(end, end + along * random.uniform(18, 28), cable * random.uniform(1.8, 2.4), body));
        }
    }

    // A round foot, a thin pole, a motor housing and a round head, its grille
    // printed as rings, a hub in front.
    void fan() {
        const double head = random.uniform(95, 140), headDepth = random.uniform(35, 60);
        const double housing = random.uniform(38, 55), housingDepth = random.uniform(35, 60);
        const double pole = radiusShowing(16, 26), poleLength = random.uniform(120, 240);
        const double footRadius = random.uniform(65, 100), footHeight = random.uniform(14, 24);
        const double zPole = headDepth + housingDepth / 2, yHead = -footHeight - poleLength - head * 0.45;
        Material grille = model.materials[body];
        grille.print = Print::grille;
        grille.ink = grille.colour * 0.72;
        grille.printCentre = {0, yHead};
        grille.printSize = head;
        const std::size_t face = model.addMaterial(grille);
        model.add(cylinder({0, -footHeight, zPole}, {0, 0, zPole}, footRadius, random.uniform(4, 8), body));
        model.add(cylinder({0, -footHeight + 1, zPole}, {0, yHead, zPole}, pole, 0, body));
        model.add(cylinder({0, yHead, headDepth - 2}, {0, yHead, headDepth + housingDepth}, housing, 8, body));
        model.add(cylinder({0, yHead, 0}, {0, yHead, headDepth}, head, random.uniform(6, 12), face));
        model.add(cylinder({0, yHead, -random.uniform(4, 8)}, {0, yHead, 2}, random.uniform(18, 28), 3, body));
        model.wallGap = random.uniform(30, 120);
    }

    // A white rounded bar with a thermometer printed on it.
    void climateSensor() {
        const double width = random.uniform(36, 48), height = width * random.uniform(2.0, 2.8);
        Material& plastic = model.materials[body];
        plastic.print = Print::thermometer;
        const double ink = random.uniform(120, 160);
        plastic.ink = linearColour(ink, ink + 2, ink + 6);
        plastic.printCentre = {0, -height * random.uniform(0.05, 0.15)};
        plastic.printSize = width * random.uniform(0.9, 1.1);
        model.add(slab({0, 0, 8}, {width / 2, height / 2, 8}, width * random.uniform(0.3, 0.5),
                       random.uniform(1.0, 2.0), body));
    }

    // An A60 bulb standing on its base: a glowing dome narrowing into a white
    // neck, a threaded metal base, a black insulator and the contact.
    void bulb() {
        const double dome = random.uniform(29, 31), neck = random.uniform(52, 60), z = dome;
        Material& glass = model.materials[body];
        glass.finish = Finish::glow;
        glass.glow = linearColour(255, 245, 215);
        glass.glowFrom = random.uniform(0.05, 0.3) * dome;
        glass.glowTo = glass.glowFrom + random.uniform(10, 16);
        model.add(roundCone({0, 0, z}, {0, neck - 15, z}, dome, random.uniform(15, 17), body));
        const std::size_t base = metal(150, 185);
        model.add(thread({0, neck - 2, z}, {0, neck + 22, z}, 12.6, 0.9, 3.6, base));
        const std::size_t insulator = model.addMaterial({linearColour(28, 28, 30), Finish::plastic, 0.2});
        model.add(cylinder({0, neck + 21, z}, {0, neck + 25, z}, 8, 1, insulator));
        model.add(capsule({0, neck + 26, z}, {0, neck + 26, z}, 3.5, base));
    }

    // A GU10 spot, lens up: a cup narrowing to a ceramic base, a lighter lens
    // on top, two metal pins with wider feet.
    void spot() {
        const double cup = 25, length = random.uniform(32, 40), z = cup;
        model.add(cone({0, 0, z}, {0, length, z}, cup, random.uniform(17, 20), 2, body));
        const double lensGrey = random.uniform(250, 254);
        const std::size_t lens =
            model.addMaterial({linearColour(lensGrey, lensGrey, lensGrey - 2), Finish::plastic, 0.15});
        model.add(cylinder({0, -1.2, z}, {0, 0.6, z}, cup - 1.6, 0.8, lens));
        model.add(cylinder({0, length - 1, z}, {0, length + 10, z}, random.uniform(12, 14), 1.5, body));
        const std::size_t pin = metal(165, 200);
        for (const double side : {-1.0, 1.0}) {
            model.add(cylinder({side * 5, length + 9, z}, {side * 5, length + 16, z}, 2.5, 0.3, pin));
            model.add(cylinder({side * 5, length + 16, z}, {side * 5, length + 19, z}, 3.4, 0.6, pin));
        }
    }

    // A relay module: a box with screw terminals along its top and a label.
    void relay() {
        const double width = random.uniform(38, 50), height = random.uniform(36, 46), depth = random.uniform(16, 22);
        Material& plastic = model.materials[body];
        plastic.print = Print::label;
        plastic.ink = luma(cv::Vec3d(toDisplay(plastic.colour[0]), toDisplay(plastic.colour[1]),
                                     toDisplay(plastic.colour[2]))) < 128
                          ? linearColour(214, 214, 210)
                          : linearColour(40, 40, 44);
        plastic.printCentre = {0, height * 0.12};
        plastic.printSize = width * 0.7;
        block(width, height, depth, 2.5, 1.2);
        const std::size_t screw = metal(160, 195);
        const int terminals = 4 + static_cast<int>(random.below(3));
        for (int i = 0; i < terminals; ++i) {
            const double x = (-0.5 + (i + 0.5) / terminals) * (width - 8);
            model.add(cylinder({x, -height / 2 + 5.5, -1.2}, {x, -height / 2 + 5.5, 0.6}, 2.3, 0.5, screw));
        }
    }
};

}  // namespace

Model buildModel(const Shot& shot, const cv::Vec3d& plastic, const Scale& scale, Random random) {
    Builder b{shot, scale, random, {}};
    b.body = b.model.addMaterial({plastic, Finish::plastic, random.uniform(0.03, 0.09)});
    // In the order of Silhouette.
    static constexpr std::array<void (Builder::*)(), 12> shapes{
        &Builder::box,  &Builder::plate, &Builder::disc,          &Builder::bracket, &Builder::valve, &Builder::lamp,
        &Builder::plug, &Builder::fan,   &Builder::climateSensor, &Builder::bulb,    &Builder::spot,  &Builder::relay};
    (b.*shapes[static_cast<std::size_t>(shot.silhouette)])();
    return b.model;
}

namespace {

// Ink over a stroke or shape whose signed distance is d, antialiased over the
// footprint.
double coverage(double d, double footprint) {
    return std::clamp(0.5 - d / std::max(footprint, 1e-6), 0.0, 1.0);
}

double segmentDistance(Vector2 p, Vector2 a, Vector2 b) {
    const Vector2 pa{p.x - a.x, p.y - a.y}, ba{b.x - a.x, b.y - a.y};
    const double h = std::clamp((pa.x * ba.x + pa.y * ba.y) / (ba.x * ba.x + ba.y * ba.y), 0.0, 1.0);
    return std::hypot(pa.x - ba.x * h, pa.y - ba.y * h);
}

}  // namespace

double inkAt(const Material& material, Vector2 p, double footprint) {
    const double s = material.printSize, cx = material.printCentre.x, cy = material.printCentre.y;
    const Vector2 q{(p.x - cx) / s, (p.y - cy) / s};
    const double fp = footprint / s;
    switch (material.print) {
        case Print::none:
            return 0;
        case Print::thermometer: {
            // An outlined stem and bulb, the mercury filled in, three ticks.
            const double stroke = 0.035;
            const double stem = segmentDistance(q, {0, -0.45}, {0, 0.2}) - 0.09;
            const double bulb = std::hypot(q.x, q.y - 0.3) - 0.16;
            const double outline = std::abs(std::min(stem, bulb)) - stroke / 2;
            const double mercury =
                std::min(std::hypot(q.x, q.y - 0.3) - 0.1, segmentDistance(q, {0, -0.05}, {0, 0.3}) - 0.03);
            double ticks = 1e9;
            for (const double y : {-0.35, -0.2, -0.05})
                ticks = std::min(ticks, segmentDistance(q, {0.15, y}, {0.25, y}));
            return coverage(std::min({outline, mercury, ticks - stroke / 2}), fp);
        }
        case Print::label: {
            // A ring for the maker's mark beside three lines of text.
            const double ring = std::abs(std::hypot(q.x + 0.36, q.y) - 0.09) - 0.015;
            double lines = 1e9;
            for (int i = 0; i < 3; ++i)
                lines = std::min(lines,
                                 segmentDistance(q, {-0.16, -0.1 + 0.1 * i}, {0.4 - 0.1 * i, -0.1 + 0.1 * i}) - 0.02);
            return coverage(std::min(ring, lines), fp);
        }
        case Print::grille: {
            // Rings 0.06 of the head apart; finer than a pixel they fade to their
            // mean.
            const double radius = std::hypot(q.x, q.y), period = 0.06, line = 0.014;
            if (radius > 0.96) return 0;
            const double ring = std::abs(radius - period * std::round(radius / period)) - line / 2;
            const double sharp = coverage(ring, fp), mean = line / period;
            const double blend = smoothstep(0.3 * period, 0.6 * period, fp);
            return sharp * (1 - blend) + mean * blend;
        }
    }
    return 0;
}

}  // namespace handheld_photos::internal
