#pragma once

// Devices as signed distances: each part a rounded box, cylinder, cone,
// capsule or threaded cylinder in the device's frame (millimetres, x right,
// y down, z into the wall, the device's front at z = 0), the device their
// union. A tracer steps along a ray by the distance until it meets the surface;
// the same distance, sampled along the way to the light, softens the shadows.

#include <array>
#include <optional>
#include <vector>

#include "handheld_common.hpp"
#include "handheld_scene.hpp"

namespace handheld_photos::internal {

// How a surface takes the light: plastic (diffuse with a little gloss), metal
// (reflecting a bright ceiling and a dark floor, in bands across a thread) or
// a glow (giving its own light, fading into the plastic below it).
enum class Finish { plastic, metal, glow };

// What is printed on the part's face turned to the camera.
enum class Print { none, thermometer, label, grille };

struct Material {
    cv::Vec3d colour;  // linear
    Finish finish = Finish::plastic;
    double gloss = 0.05;
    Print print = Print::none;
    cv::Vec3d ink;  // linear
    // Where the print is centred on the face and how big it is, mm.
    Vector2 printCentre;
    double printSize = 0;
    // The glow's colour, linear, and where it fades into `colour` (y, mm).
    cv::Vec3d glow;
    double glowFrom = 0, glowTo = 0;
};

enum class Primitive { slab, cylinder, cone, roundCone, capsule, thread };

struct Part {
    Primitive primitive = Primitive::slab;
    // A slab's centre and half sizes; the other primitives' axis from a to b.
    Vector3 a, b;
    // slab: the outline's rounding and the edge's; cylinder: the radius and the
    // edge's rounding; cone: the radii at a and b and the edge's rounding;
    // round cone: the radii at a and b; capsule: the radius; thread: the
    // radius, the thread's depth and its pitch.
    double r1 = 0, r2 = 0, r3 = 0;
    std::size_t material = 0;
    // A sphere and a box holding the part, so that far parts cost little.
    Vector3 centre;
    double reach = 0;
    Vector3 low, high;
    // The axis's direction and length, worked out once.
    Vector3 unit;
    double length = 0;

    double distance(Vector3 p) const;
    // The squared distance to the box holding the part: no more than the
    // squared distance to the part.
    double boxDistanceSquared(Vector3 p) const {
        const double dx = std::max({low.x - p.x, 0.0, p.x - high.x}), dy = std::max({low.y - p.y, 0.0, p.y - high.y}),
                     dz = std::max({low.z - p.z, 0.0, p.z - high.z});
        return dx * dx + dy * dy + dz * dz;
    }
};

Part slab(Vector3 centre, Vector3 half, double outlineRounding, double edgeRounding, std::size_t material);
Part cylinder(Vector3 a, Vector3 b, double radius, double edgeRounding, std::size_t material);
Part cone(Vector3 a, Vector3 b, double radiusA, double radiusB, double edgeRounding, std::size_t material);
Part roundCone(Vector3 a, Vector3 b, double radiusA, double radiusB, std::size_t material);
Part capsule(Vector3 a, Vector3 b, double radius, std::size_t material);
Part thread(Vector3 a, Vector3 b, double radius, double depth, double pitch, std::size_t material);

// A run of neighbouring parts and the box holding them, passed over at once
// when it lies farther than the nearest part so far.
struct Group {
    Part box;  // only its low and high corners count
    std::size_t first = 0, count = 0;
};

struct Model {
    std::vector<Part> parts;
    std::vector<Group> groups;
    std::vector<Material> materials;
    // The box holding every part, and the box the camera frames (a cable may
    // run beyond it, out of the photo).
    Vector3 low{1e9, 1e9, 1e9}, high{-1e9, -1e9, -1e9};
    Vector3 frameLow{1e9, 1e9, 1e9}, frameHigh{-1e9, -1e9, -1e9};
    // The face turned to the camera, where the device has a flat one: top left,
    // top right, bottom right, bottom left.
    std::optional<std::array<Vector3, 4>> face;
    // How far the wall stands behind the device's back, mm.
    double wallGap = 0;

    std::size_t addMaterial(const Material& material);
    // Adds the part; `framed` parts are in the camera's frame.
    void add(const Part& part, bool framed = true);
    double distance(Vector3 p) const;
    // The part nearest to p.
    const Part& partAt(Vector3 p) const;
    // The entry and exit of a ray through the box holding every part; none when
    // the ray misses it.
    std::optional<std::pair<double, double>> span(Vector3 origin, Vector3 direction) const;
};

// How big the device's thin parts are drawn: millimetres a pixel where the
// device stands, and half the photo's extent there.
struct Scale {
    double mmPerPixel = 0.5;
    Vector2 halfFrame{300, 225};
};

// The device a flat-coloured shot shows, built from `random` (copied, so that
// building again at another scale gives the same device). `plastic` is its
// body's colour, linear; a product photo draws no cable out of the frame.
Model buildModel(const Shot& shot, const cv::Vec3d& plastic, const Scale& scale, Random random);

// How much ink covers a point of a printed face, 0…1, `footprint` mm wide.
double inkAt(const Material& material, Vector2 p, double footprint);

}  // namespace handheld_photos::internal
