#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "icon_geometry/rect.hpp"
#include "icon_geometry/vector.hpp"
#include "photo_analysis/photo.hpp"
#include "photo_analysis/subject_mask.hpp"

// Device photos rendered at test time, with their ground truth: a box device
// whose face carries details, or a device of another silhouette, seen through a
// pinhole camera over a chosen background. The same options and seed always give
// the same bytes.
namespace test_photo {

// The wall behind the device. `gradientTopBottom` and `gradientSideToSide` light
// the whole photo (wall and device) unevenly, `gradientLevels` apart on the wall
// from one edge to the other; `castShadow` is a plain wall with the device's soft
// shadow below and to the right; `vignette` darkens the wall towards the corners,
// with a stronger shadow.
enum class Background { uniform, textured, vignette, transparent, gradientTopBottom, gradientSideToSide, castShadow };
enum class DetailKind { led, buttonRing, separator, diagonalLine, ribGrille, text, sun, wifi };

inline constexpr std::array<DetailKind, 8> allDetailKinds{
    DetailKind::led,       DetailKind::buttonRing, DetailKind::separator, DetailKind::diagonalLine,
    DetailKind::ribGrille, DetailKind::text,       DetailKind::sun,       DetailKind::wifi};

struct Colour {
    double r = 1, g = 1, b = 1;  // 0…1
};

// A line of text printed on the face, DejaVu Sans Bold, centred on a point in
// face millimetres; `capHeightMm` is the height of its capitals.
struct TextLabel {
    std::string text;
    icon_geometry::Vector2 centreMm;
    double capHeightMm = 4;
};

// Where the details sit on the face. `compact` keeps them within a square face;
// `thermostat` spreads them over a wide face, with a grille of horizontal ribs
// across the whole face near its bottom edge; `rocker` is a switch plate's: the
// buttons two tall rockers side by side, the LED centred near the top edge.
enum class Layout { compact, thermostat, rocker };

// The device's silhouette. `box` is the rounded box of the face options, its face
// carrying the details. The others are bodies of their own fixed measures in the
// face colour, the surfaces facing the camera lighter than those turned away:
// `lBracket` an L-shaped outline extruded; `tValve` a horizontal pipe with a
// branch going down from its middle; `deskLamp` a round shade on a thin stem
// standing on a round foot; `boxWithCable` the box above, details and all, with a
// thin cable hanging from the middle of its bottom; `fan` four thin blades around
// a round hub; `ring` a dial, a round body; `bulb` a round globe on a narrower
// round base with a metal screw; `thinStrip` a long thin bar; `spot` a GU10 spot,
// a cup on a narrow base with two metal pins; `standFan` a round head on a thin
// pole standing on a round foot. The whole device, cable included unless it
// leaves the frame, fits within `subjectSize` of the photo's width and height.
enum class DeviceShape { box, lBracket, tValve, deskLamp, boxWithCable, fan, ring, bulb, thinStrip, spot, standFan };

inline constexpr std::array<DeviceShape, 11> allDeviceShapes{
    DeviceShape::box,          DeviceShape::lBracket, DeviceShape::tValve,  DeviceShape::deskLamp,
    DeviceShape::boxWithCable, DeviceShape::fan,      DeviceShape::ring,    DeviceShape::bulb,
    DeviceShape::thinStrip,    DeviceShape::spot,     DeviceShape::standFan};

// "box", "L bracket", "T valve", "desk lamp", "box with cable", "fan", "ring",
// "bulb", "thin strip", "spot", "stand fan".
std::string shapeName(DeviceShape shape);

struct SceneOptions {
    int width = 640;
    int height = 480;
    // The device: face size and corner radius, and the depth behind the face.
    double faceWidthMm = 86;
    double faceHeightMm = 86;
    double cornerRadiusMm = 8;
    double depthMm = 30;
    DeviceShape shape = DeviceShape::box;
    // For boxWithCable: the cable runs on past the photo's bottom edge, and only
    // the box is framed.
    bool cableLeavesFrame = false;
    // Turn about the vertical axis (0…45, or 90 for a side view) and tilt about
    // the horizontal one (0…15), in degrees.
    double yawDegrees = 0;
    double pitchDegrees = 0;
    // The photo turned about the camera's axis, in degrees: a hand holding the
    // phone askew turns the whole device in the picture.
    double rollDegrees = 0;
    // The face's height in the image at yaw 0, as a share of the shorter side.
    double subjectSize = 0.55;
    // The camera's focal length as a share of the photo's longer side.
    double focalLengthShare = 1.4;
    // The box's sides, a flat strip of this share of the face's colour; unset,
    // they darken with the yaw as a side lit from the front does.
    std::optional<double> sideShade;
    // The device's centre moved by these shares of the width and height.
    double offsetX = 0;
    double offsetY = 0;
    Colour face{0.94, 0.94, 0.92};
    Colour detail{0.35, 0.36, 0.38};
    Colour background{0.28, 0.45, 0.62};
    Background backdrop = Background::uniform;
    double gradientLevels = 40;    // 8-bit levels across the wall, for the gradients
    double shadowStrength = 0.25;  // darkening at the core of the cast shadow
    // The cast shadow's shift from the device, right and down, and the spread of
    // its soft edge, as shares of the photo's shorter side: a light far off to the
    // side throws it far, a broad light softens it.
    double shadowShiftX = 0.025;
    double shadowShiftY = 0.035;
    double shadowSoftness = 0.025;
    // Light falling off across the whole photo, wall and device, whatever the
    // backdrop: the share lost from the top left corner to the bottom right one.
    double falloff = 0;
    // A band `rimPixels` wide along the device's outline, its colour scaled by
    // `rimShade`: a chamfer catching the light (above 1) or turned from it, or the
    // grey rim drawing a white product's outline on a product shot.
    double rimPixels = 0;
    double rimShade = 1;
    // The bulb's globe lit from within in this colour, nearly even to its rim.
    bool glowing = false;
    Colour glow{1.0, 0.96, 0.84};
    // The light's colour, multiplying the whole photo: warm or cool light.
    Colour light{1, 1, 1};
    std::vector<DetailKind> details{allDetailKinds.begin(), allDetailKinds.end()};
    Layout layout = Layout::compact;
    std::string text = "OK";  // two letters, DejaVu Sans
    // More text, drawn whatever `details` holds; each is recorded as a text detail.
    std::vector<TextLabel> labels;
    unsigned seed = 1;
    double blurSigma = 0.7;
    double noise = 2.0;          // standard deviation, 8-bit units
    bool jpegRoundTrip = false;  // pass the pixels through JPEG at quality 80
};

// Where a detail is, in face millimetres (origin at the face centre, y down) and
// in face units (the face height is 1).
struct DetailTruth {
    DetailKind kind;
    icon_geometry::Vector2 centreMm;
    icon_geometry::Vector2 sizeMm;
    icon_geometry::Vector2 centreUnits;
    icon_geometry::Vector2 sizeUnits;
};

struct Scene {
    SceneOptions options;
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;  // premultiplied
    photo_analysis::SubjectMask truth;
    // The sharp corners of the face (radius ignored): top left, top right, bottom
    // right, bottom left, in pixel coordinates. For shapes other than the box and
    // the box with a cable, the corners of the box bounding the outline facing the
    // camera (in the plane z = 0), which is no face: the details, texture and text
    // boxes are then empty.
    std::array<icon_geometry::Vector2, 4> faceCorners;
    double aspect = 1;       // face width / height
    double focalLength = 0;  // pixels; the principal point is the image centre
    std::vector<DetailTruth> details;
    std::vector<icon_geometry::Rect> textBoxesMm;
    std::vector<icon_geometry::Rect> textBoxesUnits;
    // The face as printed, flat: premultiplied RGBA at texturePixelsPerMm.
    int textureWidth = 0;
    int textureHeight = 0;
    double texturePixelsPerMm = 0;
    std::vector<std::uint8_t> faceTexture;

    photo_analysis::Photo photo() const { return photo_analysis::Photo(width, height, rgba); }
    // A point of the face plane, in face millimetres, projected into the photo.
    icon_geometry::Vector2 project(icon_geometry::Vector2 faceMm) const;

    // Camera pose, for project().
    std::array<double, 9> rotation{};
    std::array<double, 3> translation{};
};

Scene renderScene(const SceneOptions& options);

// A 120 × 80 mm thermostat in the thermostat layout, about 0.47 of the photo's
// height, turned and tilted as given: LED, two button rings, separator, slanted
// line, rib grille, sun and wifi, with "THERMOSTAT", "Salon 21", "ON" and
// "MODE" printed on it.
SceneOptions thermostatScene(int width, int height, double yawDegrees, double pitchDegrees);

// A 4000 × 3000 photo (12 MP, the size phones take) of the default device.
SceneOptions twelveMegapixelScene();

// A photo with no device in it, and what fills it: a texture alone, or a
// subject that is no device.
enum class NoDevice {
    granite,       // a speckled stone surface filling the whole frame
    flowerOnDark,  // a many-petalled flower on a dark, smooth ground
};
photo_analysis::Photo noDevicePhoto(NoDevice kind, int width, int height, unsigned seed = 1);

// The walls and devices users shoot: every backdrop above, plain walls of the
// light device's own white and off-white, warm and cool light; light and dark
// devices, seen from the front and three-quarter. Each scene is `width` ×
// three quarters of it, passed through JPEG.
struct SweepScene {
    std::string name;
    std::string backdrop;
    std::string device;  // "light" or "dark"
    std::string view;    // "front" or "three-quarter"
    SceneOptions options;
};
std::vector<SweepScene> backdropSweep(int width);

// Light cream switch plates, square and nearly square (up to 1.1 : 1), with
// corners of every rounding, on plain light walls, from the front turned in the
// picture by 0 to 10° and three-quarter at yaw 15 to 45°; and grey plates on
// grey walls of nearly their shade. `width` × three quarters of it, through JPEG.
std::vector<SweepScene> plateSweep(int width);

// Light and dark switch plates, switches, thermostats and panels seen
// three-quarter (yaw 24 to 34° either way, pitch -12 to 6°, roll up to 6°)
// through a normal lens (focal length 1.2 × the longer side), the face 38 to
// 55 % of the photo's height, on plain, wood-grain and graded walls; the body
// 12 to 20 % as deep as high, its visible sides a flat strip at 55 % of the
// face's brightness on a light device and 120 % on a dark one. Then light
// rocker switch plates (plastic at about 236, "ECO" printed near the bottom)
// from the front, yaw and pitch within 4°, on a wall graded from 250 at the top
// to 210 at the bottom. `width` × three quarters of it, through JPEG; the same
// width always gives the same scenes.
std::vector<SweepScene> threeQuarterSweep(int width);

// Every device shape on four walls users shoot: a dark device on a light wall, a
// light device on a blue wall, a dark device on wood, a light device on a white
// wall lit unevenly from top to bottom; each from the front and turned (yaw 30°,
// pitch 8°), `width` × three quarters of it, passed through JPEG. The box with a
// cable keeps its cable in the frame from the front and lets it leave the frame
// at the bottom when turned.
struct SilhouetteScene {
    std::string name;
    DeviceShape shape;
    std::string backdrop;
    std::string device;  // "light" or "dark"
    std::string view;    // "front" or "turned"
    SceneOptions options;
};
std::vector<SilhouetteScene> silhouetteSweep(int width);

// Devices of every colour, white to dark and five vivid hues, of the seven
// silhouettes users shoot (a plate, a disc, an L bracket, a T valve, a lamp with
// a thin arm, a plug with its cable, a fan), on five wall paints and on a wall of
// the device's own hue, lighter or darker; each casts a soft shadow, its thin
// parts too, under light falling off a little, seen from the front or
// three-quarter. A fixed shuffle of every combination picks `count` of them.
// `width` × three quarters of it, through JPEG.
struct ColourScene {
    std::string name;
    std::string colour;
    std::string wall;
    DeviceShape shape;
    std::string view;  // "front" or "three-quarter"
    SceneOptions options;
};
std::vector<ColourScene> colourSweep(int width, std::size_t count);

// Product photos as makers publish them, the device alone: on flat white (the
// wall brighter than white, clipped to 255), through JPEG or not, or on a
// transparent background. White products whose outline only a grey rim or their
// shading draws, a glowing bulb on its metal screw, a spot on its pins, a stand
// fan; light grey, dark and vivid devices. `wall` is "white", "white, lossless"
// or "transparent".
std::vector<ColourScene> productSweep(int width);

}  // namespace test_photo
