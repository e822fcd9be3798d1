#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "icon_geometry/vector.hpp"
#include "photo_analysis/photo.hpp"
#include "photo_analysis/subject_mask.hpp"

// Handheld photos: a box-shaped device on a wall as a phone takes it, drawn
// apart from the test-photo library and on assumptions of its own. A ray is
// cast through every pixel of a camera with radial lens distortion; the light
// comes from one side, so the body's sides are shaded apart from the face and
// the device throws a soft shadow on the wall; the face carries a specular
// highlight; the optics blur, the sensor adds noise that grows with the signal,
// and the photo goes through JPEG, at times with an EXIF orientation, and is
// read back as the program reads it. The truth is distorted with the photo.
namespace handheld_photos {

// The device's plastic. Off-white (225–240 grey, slightly warm or cool), dark
// (20–60) or grey (110–170); pure white (245–252), pale grey (185–205), mid
// grey (115–140); and saturated red, orange, yellow, green and blue, each
// jittered a little by the seed.
enum class Device { light, dark, grey, pureWhite, paleGrey, midGrey, red, orange, yellow, green, blue };

// Plain light paint, a plain mid colour, a plain dark colour, light paint under
// light falling off strongly across it, wooden boards, woven fabric, and plain
// grey paint 12 to 35 levels off a grey device's shade (any grey for the
// others); light grey, beige, sage green and blue paint; and paint of the
// device's own hue at another lightness (a pale tint of a coloured or dark
// device, a mid shade behind a light one).
enum class Wall {
    white,
    coloured,
    darkPaint,
    graded,
    wood,
    fabric,
    greyPaint,
    lightGreyPaint,
    beige,
    sageGreen,
    bluePaint,
    ownHue
};

// The device's body: one of the generator's switches, thermostats and sensors,
// or a switch plate as wide as high or up to a tenth higher than wide, with a
// rounding of its own.
enum class Body { any, squarePlate, nearSquarePlate };

struct Shot {
    Device device = Device::light;
    Wall wall = Wall::white;
    // Turn of the device about its vertical axis (the sign picks the side that
    // shows) and tilt about the horizontal one, in degrees.
    double yawDegrees = 0;
    double pitchDegrees = 0;
    int quality = 85;       // JPEG quality
    int orientation = 1;    // the EXIF orientation the file carries
    bool portrait = false;  // 900 × 1200 instead of 1200 × 900
    // Everything else: the device's size, tint and print, the lens, the light,
    // the highlight, the blur and the noise.
    unsigned seed = 1;
    // The phone turned about its axis by this much beyond the hand's own slant.
    double rollDegrees = 0;
    Body body = Body::any;
};

// "light on graded wall, yaw 35, q 80", with the orientation and "portrait"
// when they apply.
std::string describe(const Shot& shot);

struct HandheldPhoto {
    std::vector<std::uint8_t> jpeg;
    photo_analysis::Photo photo;        // the JPEG decoded, upright
    photo_analysis::SubjectMask truth;  // face and visible sides, in the upright photo
    // The face's sharp corners (its rounding ignored) in upright photo pixels, a
    // pixel's centre at +0.5: top left, top right, bottom right, bottom left.
    std::array<icon_geometry::Vector2, 4> faceCorners;
};

// The same shot always gives the same bytes.
HandheldPhoto take(const Shot& shot);

// The sweep: light and dark devices, from the front and three-quarter, on every
// wall.
std::vector<Shot> sweepShots();

// Square and nearly square plates: light ones on plain light walls, from the
// front turned 0–10° in the picture and three-quarter at yaw 15–45°, and grey
// ones on grey walls.
std::vector<Shot> plateShots();

}  // namespace handheld_photos
