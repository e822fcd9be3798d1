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
//
// Devices of other shapes (a disc, a bracket, a valve, a lamp, a plug with its
// cable, a fan, and the products below) are built of signed distances and
// found by sphere tracing: each of their parts, however thin, casts its own
// soft shadow on the wall beside it, offset along the light. The maker's
// product photos are drawn by the same tracer, without the wall: on flat
// white or on transparency.
namespace handheld_photos {

// The device's plastic. Off-white (225–240 grey, slightly warm or cool), dark
// (20–60) or grey (110–170); pure white (245–252), pale grey (185–205), mid
// grey (115–140); and saturated red, orange, yellow, green and blue, each
// jittered a little by the seed.
enum class Device { light, dark, grey, pureWhite, paleGrey, midGrey, red, orange, yellow, green, blue };

// Plain light paint, a plain mid colour, a plain dark colour, light paint under
// light falling off strongly across it, wooden boards, woven fabric, and plain
// grey paint 12 to 35 levels off a grey device's shade (any grey for the
// others); light grey, beige, sage green and blue paint; paint of the device's
// own hue at another lightness (a pale tint of a coloured or dark device, a mid
// shade behind a light one); and light paint lit from above, about 250 at the
// photo's top and 210 at its bottom.
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
    ownHue,
    litFromAbove
};

// The device's body: one of the generator's switches, thermostats and sensors,
// or a switch plate as wide as high or up to a tenth higher than wide, with a
// rounding of its own. Or a shallow body 12 to 20 % as deep as high, its face
// matte, its visible sides a flat strip at 55 % of the face's brightness on a
// light device and 120 % on a dark one, however the light falls: a plate as
// above, a switch, a thermostat or a panel.
enum class Body { any, squarePlate, nearSquarePlate, plate, switchBox, thermostat, panel };

// What the device looks like. `box` is the body above, its face printed; the
// others are flat coloured shapes: a switch plate, a round puck, an L bracket
// (an L outline extruded towards the wall), a T valve (a pipe held off the
// wall with a branch down and collars), a desk lamp (a round foot, a thin arm
// 25–30 px wide rising at an angle, a shade), a plug with its round cable
// 10–20 px wide curving away (on a wall, out of the frame in about half the
// shots), a stand fan (a round foot, a thin pole, a round head), and for
// product photos a climate sensor (a white rounded bar, a thermometer printed
// on it, outlined only by a light grey rim), an A60 bulb (a warm glowing dome,
// a white body, a metal screw base), a GU10 spot (a cup with a lighter top, a
// base with two metal pins) and a relay module (a box with screw terminals and
// a printed label).
enum class Silhouette { box, plate, disc, lBracket, tValve, lamp, plug, fan, climateSensor, bulb, spot, relay };

// Where the device is: on the wall as a phone takes it, or the maker's product
// photo, with no wall, on flat white (exactly 255, no vignette, no lens
// distortion, noise on the device only) or on transparency (a PNG whose alpha is
// the device's coverage).
enum class Backdrop { wall, flatWhite, transparency };

// A chamfer along the outline that catches the light, or turns from it.
enum class Rim { none, lighter, darker };

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
    Silhouette silhouette = Silhouette::box;
    Backdrop backdrop = Backdrop::wall;
    Rim rim = Rim::none;
    // A product photo on flat white saved as PNG rather than JPEG at `quality`
    // (a photo on transparency always is).
    bool png = false;
    // A faint soft shadow on the white under a product.
    bool contactShadow = false;
    // A normal lens, the focal length 1.2 × the photo's longer side, with the
    // face 38 to 55 % of the photo's height; otherwise a phone's own lens.
    bool normalLens = false;
    // The face printed as a rocker switch: two tall buttons, an LED dot near the
    // top edge and "ECO" near the bottom, on plastic at about 236; otherwise a
    // reading, a ring, a line and the bars of a signal.
    bool rocker = false;
};

// "light on graded wall, yaw 35, q 80", with the orientation and "portrait"
// when they apply; a silhouette other than the box, another backdrop, a rim,
// PNG and a contact shadow are named too: "red lamp on sage green wall, yaw 30,
// q 85, lighter rim", "pure white bulb on flat white, yaw 0, png, contact
// shadow".
std::string describe(const Shot& shot);

struct HandheldPhoto {
    // The file as saved: JPEG, or PNG for a product photo so saved.
    std::vector<std::uint8_t> file;
    photo_analysis::Photo photo;  // the file decoded, upright
    // Face and visible sides (the whole device for a product photo), in the
    // upright photo.
    photo_analysis::SubjectMask truth;
    // The face's sharp corners (its rounding ignored) in upright photo pixels, a
    // pixel's centre at +0.5: top left, top right, bottom right, bottom left.
    // Where the device has a flat face turned to the camera: a box's, a plate's,
    // a plug's or a relay module's front (a traced one's chamfer ignored too,
    // so its outline shows a few pixels within the corners), the square around
    // a disc's round face, the box around a bracket's L. The other silhouettes
    // have none: hasFace is false and the corners are 0.
    std::array<icon_geometry::Vector2, 4> faceCorners;
    bool hasFace = true;
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

// Devices of every colour on walls of every paint: ten colours (white to dark,
// five vivid hues) × six walls (white, light grey, beige, sage green, blue, the
// device's own hue) × the seven flat silhouettes (plate, disc, bracket, valve,
// lamp, plug, fan) × front and three-quarter (yaw 20–40° either way), 70 of
// them picked by a seeded shuffle so that each colour, wall, silhouette and view
// comes up several times.
std::vector<Shot> colourShots();

// The maker's photos: white products (the climate sensor, the bulb, the spot,
// the fan, a box), light grey, dark and vivid devices on flat white, JPEG and
// PNG, some with a contact shadow; and on transparency a white box, a black
// relay module and others.
std::vector<Shot> productShots();

// Shallow plates, switches, thermostats and panels, light and dark, through a
// normal lens at yaw 24–34° either way, pitch -12 to 6° and roll up to 6°, on
// plain, wooden and graded walls; then light rocker plates from the front
// (yaw and pitch within 4°) on walls lit from above. EXIF orientations 1, 6
// and 8.
std::vector<Shot> threeQuarterShots();

}  // namespace handheld_photos
