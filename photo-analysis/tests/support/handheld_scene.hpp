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

// Off-white plastic (225–240 grey, slightly warm or cool), dark plastic (20–60)
// or grey plastic (110–170).
enum class Device { light, dark, grey };

// Plain light paint, a plain mid colour, a plain dark colour, light paint under
// light falling off strongly across it, wooden boards, woven fabric, plain
// grey paint 12 to 35 levels off a grey device's shade (any grey for the
// others), and light paint lit from above, about 250 at the photo's top and 210
// at its bottom.
enum class Wall { white, coloured, darkPaint, graded, wood, fabric, greyPaint, litFromAbove };

// The device's body: one of the generator's switches, thermostats and sensors,
// or a switch plate as wide as high or up to a tenth higher than wide, with a
// rounding of its own. Or a shallow body 12 to 20 % as deep as high, its face
// matte, its visible sides a flat strip at 55 % of the face's brightness on a
// light device and 120 % on a dark one, however the light falls: a plate as
// above, a switch, a thermostat or a panel.
enum class Body { any, squarePlate, nearSquarePlate, plate, switchBox, thermostat, panel };

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
    // A normal lens, the focal length 1.2 × the photo's longer side, with the
    // face 38 to 55 % of the photo's height; otherwise a phone's own lens.
    bool normalLens = false;
    // The face printed as a rocker switch: two tall buttons, an LED dot near the
    // top edge and "ECO" near the bottom, on plastic at about 236; otherwise a
    // reading, a ring, a line and the bars of a signal.
    bool rocker = false;
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

// Shallow plates, switches, thermostats and panels, light and dark, through a
// normal lens at yaw 24–34° either way, pitch -12 to 6° and roll up to 6°, on
// plain, wooden and graded walls; then light rocker plates from the front
// (yaw and pitch within 4°) on walls lit from above. EXIF orientations 1, 6
// and 8.
std::vector<Shot> threeQuarterShots();

}  // namespace handheld_photos
