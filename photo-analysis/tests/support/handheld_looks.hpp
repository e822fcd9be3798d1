#pragma once

// The colours a handheld photo is painted with: the device's plastic and the
// wall behind it, shared by the printed box and the traced shapes.

#include <opencv2/core.hpp>

#include "handheld_common.hpp"
#include "handheld_scene.hpp"

namespace handheld_photos::internal {

// The plastic of a device as displayed (0–255 a channel), jittered by `random`.
cv::Vec3d plasticColour(Device device, Random& random);

// Luma of a displayed colour, 0–255.
double luma(const cv::Vec3d& display);

// The wall's paint, linear. `deviceShade` is the device's displayed colour: a
// grey wall keeps its distance from a grey device and a wall of the device's
// own hue follows it.
cv::Vec3d wallPaint(Wall wall, Device device, const cv::Vec3d& deviceShade, Random& random);

// The wall as the camera sees it, in the device's frame (millimetres): its
// paint, boards or weave, and the room's light falling off across it.
struct WallSurface {
    Wall wall = Wall::white;
    unsigned seed = 0;
    cv::Vec3d paint;  // linear
    Vector2 gradientDirection;
    double gradientSlope = 0, extent = 0;

    // The wall's own colour at (u, v) mm; `footprint` is the size of a pixel
    // there, which fades out what is finer than the pixel.
    cv::Vec3d colourAt(double u, double v, double footprint) const;
    // The light reaching a point of the plane (x, y): the room's fall-off.
    double falloff(double x, double y) const {
        const double along = (x * gradientDirection.x + y * gradientDirection.y) / extent;
        return std::clamp(1 + gradientSlope * along, 0.5, 1.4);
    }
};

// The room's fall-off drawn from `random`: strong across the graded wall,
// slight elsewhere; `extent` is half the width the photo spans on the wall.
void drawFalloff(WallSurface& wall, double extent, Random& random);

}  // namespace handheld_photos::internal
