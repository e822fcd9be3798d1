// Each stage of the cut-out on a photo of a few tens of pixels, drawn here, and
// what it decides there.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <opencv2/imgproc.hpp>
#include <string>
#include <vector>

#include "mask/alpha_subject.hpp"
#include "mask/band_cut.hpp"
#include "mask/closed_outline.hpp"
#include "mask/cut_out.hpp"
#include "mask/edge_bridging.hpp"
#include "mask/field_subject.hpp"
#include "mask/finer_edge.hpp"
#include "mask/hue_side.hpp"
#include "mask/outline_weighing.hpp"
#include "mask/plausibility_gate.hpp"
#include "mask/product_shot.hpp"
#include "mask/refined_map.hpp"
#include "mask/seeded_cut.hpp"
#include "mask/shadow_cues.hpp"
#include "mask/shadows.hpp"
#include "mask/soft_shade.hpp"
#include "mask/wall_field.hpp"
#include "mask/wall_model.hpp"
#include "photo_analysis/photo_analysis_error.hpp"
#include "photo_analysis/subject_extraction.hpp"

namespace photo_analysis {
namespace {

using namespace cut_out;

const cv::Scalar lightWall(230, 230, 230);

// An 8-bit RGB image of one colour with the given rectangles painted over it.
cv::Mat image(int width, int height, cv::Scalar wall, std::vector<std::pair<cv::Rect, cv::Scalar>> painted = {}) {
    cv::Mat rgb(height, width, CV_8UC3, wall);
    for (const auto& [box, colour] : painted) rgb(box).setTo(colour);
    return rgb;
}

cv::Mat region(cv::Size size, cv::Rect box) {
    cv::Mat mask = cv::Mat::zeros(size, CV_8U);
    mask(box).setTo(255);
    return mask;
}

double overlap(const cv::Mat& a, const cv::Mat& b) {
    return static_cast<double>(cv::countNonZero(a & b)) / cv::countNonZero(a | b);
}

Photo photoOf(const cv::Mat& rgb) {
    std::vector<std::uint8_t> rgba(rgb.total() * 4);
    for (int y = 0; y < rgb.rows; ++y)
        for (int x = 0; x < rgb.cols; ++x) {
            const cv::Vec3b p = rgb.at<cv::Vec3b>(y, x);
            std::uint8_t* q = &rgba[(static_cast<std::size_t>(y) * rgb.cols + x) * 4];
            q[0] = p[0], q[1] = p[1], q[2] = p[2], q[3] = 255;
        }
    return Photo(rgb.cols, rgb.rows, std::move(rgba));
}

platform::WorkingPhoto workingOf(const cv::Mat& rgb) {
    return {rgb, rgb};
}

// Sets or clears FACE_DEBUG for one test and collects the lines its sink gets.
struct Trace {
    explicit Trace(bool on) {
        if (on) {
            setenv("FACE_DEBUG", "1", 1);
        } else {
            unsetenv("FACE_DEBUG");
        }
    }
    ~Trace() { unsetenv("FACE_DEBUG"); }
    TraceSink sink() {
        return [this](std::string_view line) {
            text.append(line);
            text += '\n';
        };
    }
    std::string text;
};

TEST(WallField, FollowsAGradedWallThatASubjectCrossesTheBorderOf) {
    // Light falling off across the wall by 40 levels, a dark device across the
    // top border: the field is the wall's, under the device too.
    cv::Mat rgb(36, 48, CV_8UC3);
    const auto wallAt = [](int x, int y) { return 190.0 + 0.5 * x + 0.01 * (x - 24) * (y - 18); };
    for (int y = 0; y < rgb.rows; ++y)
        for (int x = 0; x < rgb.cols; ++x)
            rgb.at<cv::Vec3b>(y, x) = cv::Vec3b::all(cv::saturate_cast<uchar>(wallAt(x, y)));
    rgb(cv::Rect(18, 0, 12, 20)).setTo(cv::Scalar::all(40));
    const BackgroundField field = fittedField(rgb, 0.04);
    double worst = 0;
    for (int y = 0; y < rgb.rows; ++y)
        for (int x = 0; x < rgb.cols; ++x)
            worst = std::max(worst, std::abs(field.colours.at<cv::Vec3f>(y, x)[0] - wallAt(x, y)));
    EXPECT_LT(worst, 1.0);
    EXPECT_LT(field.noise, 1.0);
    EXPECT_EQ(field.departure, FieldOptions{}.minimumDeparture);
}

TEST(WallField, TellsAPlainOrGradedWallFromATexturedOneAndAProductShotFromAWall) {
    const SizeOptions sizes;
    const cv::Rect device(16, 12, 16, 12);
    const Photo flat = photoOf(image(48, 36, lightWall, {{device, cv::Scalar::all(90)}}));
    const WallModel flatWall = wallModel(flat, sizes);
    EXPECT_FALSE(flatWall.textured);
    EXPECT_TRUE(flatWall.fieldHolds());
    EXPECT_TRUE(isProductShot(flat));

    cv::Mat graded = image(48, 36, lightWall, {{device, cv::Scalar::all(90)}});
    for (int x = 0; x < 48; ++x) graded.col(x) -= cv::Scalar::all(x / 3);
    const WallModel gradedWall = wallModel(photoOf(graded), sizes);
    EXPECT_TRUE(gradedWall.fieldHolds());
    EXPECT_FALSE(isProductShot(photoOf(graded)));

    cv::Mat wood = image(48, 36, lightWall);
    cv::RNG grain(3);
    cv::Mat noise(wood.size(), CV_8UC3);
    grain.fill(noise, cv::RNG::UNIFORM, 0, 80);
    wood -= noise;
    const WallModel texturedWall = wallModel(photoOf(wood), sizes);
    EXPECT_TRUE(texturedWall.textured);
    EXPECT_FALSE(texturedWall.fieldHolds());

    EXPECT_TRUE(wallModel(photoOf(image(6, 6, lightWall)), sizes).field.colours.empty()) << "too small to judge";
}

TEST(FieldSubject, KeepsWhatDepartsFromTheWallWithoutTheThinLinesLeadingOff) {
    // A device 15 levels off the wall, a seam of its colour from it to the
    // border, and a stain 2 levels off.
    const cv::Rect device(12, 10, 12, 10);
    const cv::Mat rgb = image(40, 30, lightWall,
                              {{device, cv::Scalar::all(215)},
                               {cv::Rect(24, 15, 16, 1), cv::Scalar::all(215)},
                               {cv::Rect(30, 22, 5, 5), cv::Scalar::all(228)}});
    const BackgroundField field = fittedField(rgb, 0.04);
    const cv::Mat subject = fieldSubject(rgb, fieldDistance(rgb, field, 1.0), field);
    EXPECT_GT(overlap(subject, region(rgb.size(), device)), 0.8);
    EXPECT_EQ(subject.at<uchar>(15, 34), 0) << "the seam";
    EXPECT_EQ(subject.at<uchar>(24, 32), 0) << "the stain";
}

TEST(Shadows, ASoftShadowIsPeeledAndTheDeviceKept) {
    // A dark device with sharp edges and, down and to its right, its soft
    // shadow in the wall's own grey.
    cv::Mat darkness = cv::Mat::zeros(36, 48, CV_32F);
    darkness(cv::Rect(14, 13, 16, 14)).setTo(60);
    cv::GaussianBlur(darkness, darkness, cv::Size(0, 0), 3);
    cv::Mat grey, rgb;
    cv::Mat(200 - darkness).convertTo(grey, CV_8U);
    cv::cvtColor(grey, rgb, cv::COLOR_GRAY2RGB);
    const cv::Rect device(10, 10, 12, 14);
    rgb(device).setTo(cv::Scalar::all(50));
    const BackgroundField field = fittedField(rgb, 0.04);
    const cv::Mat departs = fieldSubject(rgb, fieldDistance(rgb, field, 1.0), field);
    const cv::Mat shadow = departs & ~region(rgb.size(), device);
    ASSERT_GT(cv::countNonZero(shadow), device.area() / 2) << "the shadow departs from the wall";
    const cv::Mat kept = withoutShadows(workingOf(rgb), field, fieldDistance(rgb, field, 1.0), departs).subject;
    EXPECT_EQ(cv::countNonZero(kept(device)), device.area());
    // Only the pixel or two along the device's sharp edge stay.
    EXPECT_LT(cv::countNonZero(kept & shadow), cv::countNonZero(shadow) / 4);

    // Nothing but the ramp: the peel would take it all, so it was no shadow.
    cv::Mat alone = image(48, 36, cv::Scalar::all(200));
    for (int x = 8; x < 40; ++x) alone(cv::Rect(x, 8, 1, 20)).setTo(cv::Scalar::all(150 + 50 * std::abs(x - 24) / 16));
    const BackgroundField wall = fittedField(alone, 0.04);
    const cv::Mat ramp = fieldSubject(alone, fieldDistance(alone, wall, 1.0), wall);
    ASSERT_GT(cv::countNonZero(ramp), 0);
    EXPECT_EQ(
        cv::countNonZero(withoutShadows(workingOf(alone), wall, fieldDistance(alone, wall, 1.0), ramp).subject != ramp),
        0);
}

// A device on a 230 wall at the working size, lit from the lower right: a soft
// shadow on its upper left, darker the nearer it comes, and on the other sides
// the wall right up to it. `shadowAt` gives the darkening at a distance outside
// the device, `deviceAt` the device's colour at a distance in from its edge.
template <typename Shadow, typename Device>
cv::Mat shadedDevice(cv::Rect device, Shadow shadowAt, Device deviceAt) {
    cv::Mat rgb(240, 320, CV_8UC3);
    for (int y = 0; y < rgb.rows; ++y)
        for (int x = 0; x < rgb.cols; ++x) {
            const double outside = std::max(
                {device.x - x, x - (device.x + device.width - 1), device.y - y, y - (device.y + device.height - 1), 0});
            const double inside = std::min(
                {x - device.x, device.x + device.width - 1 - x, y - device.y, device.y + device.height - 1 - y});
            const bool shaded = x < device.x + device.width / 2 && y < device.y + device.height / 2;
            rgb.at<cv::Vec3b>(y, x) =
                outside > 0 ? cv::Vec3b::all(cv::saturate_cast<uchar>(230 - (shaded ? shadowAt(outside) : 0.0)))
                            : deviceAt(inside);
        }
    cv::GaussianBlur(rgb, rgb, cv::Size(0, 0), 0.8);
    return rgb;
}

TEST(Shadows, APeelStopsAtADeviceOfTheWallsShadeAndTakesTheFootOfItsShadow) {
    const cv::Rect device(100, 70, 120, 100);
    const int shadedRim = device.width + device.height;
    struct Peeled {
        int device, outside;
    };
    const auto peel = [&](const cv::Mat& rgb) {
        const BackgroundField field = fittedField(rgb, 0.04);
        const cv::Mat distance = fieldDistance(rgb, field, 1.0);
        const cv::Mat departs = fieldSubject(rgb, distance, field);
        const cv::Mat kept = withoutShadows(workingOf(rgb), field, distance, departs).subject;
        return Peeled{cv::countNonZero(kept(device)), cv::countNonZero(kept) - cv::countNonZero(kept(device))};
    };
    // The shadow's foot falls as steeply as an edge.
    const auto contact = [](double r) { return r > 12 ? 0.0 : 2.0 * (12 - r) + 25.0 * std::exp(-(r - 1) / 1.5); };
    const auto softly = [](double r) { return std::max(0.0, 2.0 * (12 - r)); };
    // A face two levels darker than the wall in a tint of its own (cream on
    // white): it stays whole, and the shadow goes, foot and all, to a pixel
    // along the shadowed rim.
    const Peeled cream = peel(shadedDevice(device, contact, [](double) { return cv::Vec3b(231, 228, 220); }));
    EXPECT_EQ(cream.device, device.area());
    EXPECT_LT(cream.outside, shadedRim);
    // A face of the wall's own colour three levels darker: the peel takes its
    // rim at most, not the flat face deeper in, and the shadow goes.
    const Peeled flat = peel(shadedDevice(device, softly, [](double) { return cv::Vec3b::all(227); }));
    EXPECT_GT(flat.device, 0.9 * device.area());
    EXPECT_LT(flat.outside, shadedRim);
    // A face of the shadow's darkest shade where they meet, lit towards its
    // middle: a shadow only darkens on the way in, so the peel does not climb it.
    const Peeled lit =
        peel(shadedDevice(device, contact, [](double in) { return cv::Vec3b::all(183 + 2 * std::min(in, 15.0)); }));
    EXPECT_GT(lit.device, 0.98 * device.area());
    // A face eight levels under the wall, brought up to it by a highlight at
    // its unshaded corner that fades as a shadow would: what lies within the
    // device's hull is no shadow, and the face keeps all it departs with.
    cv::Mat glare = shadedDevice(device, softly, [](double) { return cv::Vec3b::all(222); });
    for (int y = device.y; y < device.y + device.height; ++y)
        for (int x = device.x; x < device.x + device.width; ++x) {
            const double r = std::hypot(x - device.br().x + 6, y - device.br().y + 6);
            glare.at<cv::Vec3b>(y, x) =
                cv::Vec3b::all(cv::saturate_cast<uchar>(222 + 8 * std::clamp((35 - r) / 15, 0.0, 1.0)));
        }
    const BackgroundField field = fittedField(glare, 0.04);
    const cv::Mat distance = fieldDistance(glare, field, 1.0);
    const cv::Mat departs = fieldSubject(glare, distance, field);
    const cv::Mat kept = withoutShadows(workingOf(glare), field, distance, departs).subject;
    EXPECT_LT(cv::countNonZero(departs(device) & ~kept(device)), device.area() / 40);
}

// The subject left once a scene's shadows are peeled, at the working size.
cv::Mat peeledSubject(const cv::Mat& rgb) {
    const BackgroundField field = fittedField(rgb, 0.04);
    const cv::Mat distance = fieldDistance(rgb, field, 1.0);
    return withoutShadows(workingOf(rgb), field, distance, fieldSubject(rgb, distance, field)).subject;
}

// A soft dark band on a 210 wall, `width` wide, darkest at x = `middle`.
void castBand(cv::Mat& rgb, cv::Rect along, int middle, double width) {
    for (int y = along.y; y < along.y + along.height; ++y)
        for (int x = along.x; x < along.x + along.width; ++x) {
            const double d = (x - middle) / (0.5 * width);
            const double dark = 1.0 - 0.35 * std::exp(-d * d);
            rgb.at<cv::Vec3b>(y, x) = cv::Vec3b::all(cv::saturate_cast<uchar>(210 * dark));
        }
}

TEST(Shadows, AThinPartsShadowGoesWithTheWallItClosesIn) {
    // A red lamp: a head above, a foot below, a thin arm between, and the
    // arm's shadow falling to its right with lit wall between the two.
    const cv::Scalar red(200, 30, 35);
    cv::Mat rgb = image(120, 100, cv::Scalar::all(210));
    castBand(rgb, cv::Rect(50, 30, 30, 44), 66, 10);
    rgb(cv::Rect(30, 18, 50, 12)).setTo(red);  // head
    rgb(cv::Rect(40, 30, 5, 44)).setTo(red);   // arm
    rgb(cv::Rect(30, 74, 50, 8)).setTo(red);   // foot
    cv::GaussianBlur(rgb, rgb, cv::Size(0, 0), 0.8);
    const cv::Mat kept = peeledSubject(rgb);
    const cv::Mat lamp = region(rgb.size(), cv::Rect(30, 18, 50, 12)) | region(rgb.size(), cv::Rect(40, 30, 5, 44)) |
                         region(rgb.size(), cv::Rect(30, 74, 50, 8));
    EXPECT_GT(cv::countNonZero(kept & lamp), 0.95 * cv::countNonZero(lamp));
    // Neither the band nor the wall between it and the arm.
    EXPECT_LT(cv::countNonZero(kept & region(rgb.size(), cv::Rect(47, 32, 28, 40))), 60);
}

TEST(Shadows, AShadowInABendOfTheDeviceGoesAndAFacesHighlightStays) {
    // A light grey L whose inner corner holds a soft shadow and lit wall.
    cv::Mat rgb = image(120, 100, cv::Scalar::all(210));
    castBand(rgb, cv::Rect(36, 20, 14, 50), 36, 12);
    castBand(rgb, cv::Rect(36, 58, 50, 12), 36, 0.1);  // no shadow there
    rgb(cv::Rect(24, 20, 12, 60)).setTo(cv::Scalar::all(170));
    rgb(cv::Rect(24, 70, 60, 10)).setTo(cv::Scalar::all(170));
    cv::GaussianBlur(rgb, rgb, cv::Size(0, 0), 0.8);
    const cv::Mat kept = peeledSubject(rgb);
    EXPECT_LT(cv::countNonZero(kept & region(rgb.size(), cv::Rect(38, 22, 10, 44))), 40);
    EXPECT_GT(cv::countNonZero(kept & region(rgb.size(), cv::Rect(24, 20, 12, 60))), 0.95 * 12 * 60);
}

TEST(Shadows, TheShadowUnderAVividDevicesPipeGoesThoughItsEdgeBlendsIntoIt) {
    // A red T on a blue wall: the pipe's shadow falls below it on each side of
    // the branch, within the T's hull; along the pipe's lower edge the blur
    // blends red into the shadow's dark blue.
    const cv::Vec3d wall(140, 166, 204);
    cv::Mat rgb(100, 120, CV_8UC3);
    for (int y = 0; y < rgb.rows; ++y)
        for (int x = 0; x < rgb.cols; ++x) {
            const double below = y - 34, shade = x >= 22 && x < 98 && below >= 0 ? 0.4 * std::exp(-below / 7) : 0;
            rgb.at<cv::Vec3b>(y, x) = cv::Vec3b(cv::saturate_cast<uchar>(wall[0] * (1 - shade)),
                                                cv::saturate_cast<uchar>(wall[1] * (1 - shade)),
                                                cv::saturate_cast<uchar>(wall[2] * (1 - shade)));
        }
    const cv::Scalar red(200, 30, 35);
    rgb(cv::Rect(20, 22, 80, 12)).setTo(red);  // pipe
    rgb(cv::Rect(54, 34, 12, 40)).setTo(red);  // branch
    cv::GaussianBlur(rgb, rgb, cv::Size(0, 0), 0.8);
    const cv::Mat kept = peeledSubject(rgb);
    const cv::Mat valve = region(rgb.size(), cv::Rect(20, 22, 80, 12)) | region(rgb.size(), cv::Rect(54, 34, 12, 40));
    EXPECT_GT(cv::countNonZero(kept & valve), 0.95 * cv::countNonZero(valve));
    EXPECT_LT(cv::countNonZero(
                  kept & (region(rgb.size(), cv::Rect(24, 36, 26, 13)) | region(rgb.size(), cv::Rect(70, 36, 26, 13)))),
              40);
}

TEST(ShadowCues, TheWallsShadeIsItsColourInLessLightWhateverTheHue) {
    // A pink wall and its shadow at half its linear light: encoded levels do
    // not scale alike, yet it is the wall's shade; a grey of the same
    // brightness is not, and a vivid red is of another hue.
    const cv::Vec3b wall(244, 195, 196), shade(182, 143, 144), grey(158, 158, 158), red(200, 30, 35);
    cv::Mat rgb(1, 4, CV_8UC3);
    rgb.at<cv::Vec3b>(0, 0) = shade;
    rgb.at<cv::Vec3b>(0, 1) = grey;
    rgb.at<cv::Vec3b>(0, 2) = red;
    rgb.at<cv::Vec3b>(0, 3) = wall;
    BackgroundField field;
    field.colours = cv::Mat(1, 4, CV_32FC3, cv::Scalar(wall[0], wall[1], wall[2]));
    field.noise = 1;
    field.departure = 4;
    const cv::Mat distance = fieldDistance(rgb, field, 0);
    const ShadowCues cues(rgb, field, distance, ShadowOptions{});
    EXPECT_TRUE(cues.inWallsShade(0, 0));
    EXPECT_FALSE(cues.inWallsShade(1, 0));
    EXPECT_FALSE(cues.ofAnotherHue(0, 0));
    EXPECT_TRUE(cues.ofAnotherHue(2, 0));
    EXPECT_TRUE(cues.plainlyDark(0, 0));
    EXPECT_FALSE(cues.departs(3, 0));
}

TEST(AlphaSubject, APhotoWithRealTransparencyIsCutOutByItsAlpha) {
    const auto photoWith = [](std::uint8_t around, std::uint8_t inside) {
        std::vector<std::uint8_t> rgba(40 * 30 * 4, 0);
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x) {
                const bool in = x >= 10 && x < 30 && y >= 8 && y < 22;
                const std::uint8_t a = in ? inside : around;
                std::uint8_t* p = &rgba[(static_cast<std::size_t>(y) * 40 + x) * 4];
                p[0] = p[1] = p[2] = static_cast<std::uint8_t>(a * 9 / 10);  // premultiplied, a light grey
                p[3] = a;
            }
        return Photo(40, 30, std::move(rgba));
    };
    const auto cut = alphaSubject(photoWith(0, 255));
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->boundingBox(), (icon_geometry::Rect{10, 8, 20, 14}));
    // Whatever the colour of what it holds, white on nothing included.
    EXPECT_FALSE(alphaSubject(photoWith(255, 255))) << "opaque all over";
    EXPECT_FALSE(alphaSubject(photoWith(0, 0))) << "transparent all over";
    EXPECT_FALSE(alphaSubject(photoWith(0, 100))) << "nothing opaque enough to be inside";
}

TEST(ProductShot, AWhiteBodyInsideItsGreyRimIsTheProduct) {
    // A white sensor on the maker's white: only a one-pixel grey rim draws it.
    cv::Mat rgb = image(60, 40, cv::Scalar::all(255));
    cv::rectangle(rgb, cv::Rect(12, 10, 36, 20), cv::Scalar::all(215), 1);
    rgb(cv::Rect(14, 24, 6, 3)).setTo(cv::Scalar(90, 95, 100));  // its print
    const Photo photo = photoOf(rgb);
    ASSERT_TRUE(isProductShot(photo));
    const SubjectMask mask = productSubject(photo);
    EXPECT_EQ(mask.boundingBox(), (icon_geometry::Rect{12, 10, 36, 20}));
    EXPECT_GE(mask.coverageAt(30, 20), SubjectMask::insideThreshold) << "the white body the rim encloses";
}

TEST(SeededCut, GrabCutFromTheFieldsSubjectFindsTheDevice) {
    const cv::Rect device(12, 9, 16, 12);
    const cv::Mat rgb = image(40, 30, lightWall, {{device, cv::Scalar(90, 100, 120)}});
    const BackgroundField field = fittedField(rgb, 0.04);
    const cv::Mat distance = fieldDistance(rgb, field, 1.0);
    // Started from a subject a pixel short on every side.
    const cv::Mat seed = region(rgb.size(), cv::Rect(13, 10, 14, 10));
    const cv::Mat cut = seededCut(rgb, distance, field, seed, cv::Mat::zeros(rgb.size(), CV_8U), 2);
    EXPECT_GT(overlap(cut, region(rgb.size(), device)), 0.95);
}

TEST(BandCut, ATextureAloneHasNoForeignColoursAndADeviceOnItIsCut) {
    // A checked texture of two browns filling the frame, and the same with a
    // blue device in it.
    cv::Mat wood(36, 48, CV_8UC3);
    for (int y = 0; y < wood.rows; ++y)
        for (int x = 0; x < wood.cols; ++x)
            wood.at<cv::Vec3b>(y, x) = (x / 3 + y / 3) % 2 ? cv::Vec3b(150, 110, 70) : cv::Vec3b(110, 80, 50);
    EXPECT_EQ(foreignShare(wood, 0.04), 0.0);
    const cv::Rect device(16, 10, 16, 14);
    cv::Mat withDevice = wood.clone();
    withDevice(device).setTo(cv::Scalar(40, 60, 200));
    EXPECT_GT(foreignShare(withDevice, 0.04), 0.1);
    cv::Mat raw;
    const cv::Mat subject = bandCut(withDevice, 0.03, 2, 0.0, raw);
    EXPECT_GT(overlap(subject, region(withDevice.size(), device)), 0.9);
}

TEST(FinerEdge, PlacesTheEdgeAtTheRefiningSize) {
    // A faint device whose edges fall between the working pixels.
    const cv::Rect device(13, 9, 35, 29);
    const cv::Mat fine = image(64, 48, lightWall, {{device, cv::Scalar::all(205)}});
    cv::Mat small;
    cv::resize(fine, small, cv::Size(32, 24), 0, 0, cv::INTER_AREA);
    const BackgroundField field = fittedField(small, 0.04);
    const cv::Mat coarse = fieldSubject(small, fieldDistance(small, field, 1.0), field);
    const cv::Mat finer = finerFieldSubject({fine, small}, field, coarse, 1.0);
    ASSERT_EQ(finer.size(), fine.size());
    EXPECT_GT(overlap(finer, region(fine.size(), device)), 0.97);
    // At one size there is nothing finer to find.
    EXPECT_EQ(cv::countNonZero(finerFieldSubject({small, small}, field, coarse, 1.0) != coarse), 0);

    // Beside a shadow the working size took off, the edge stays where it was:
    // the shadow departs from the wall as the device does.
    const cv::Rect shadow(device.x - 8, device.y, 8, device.height);
    const cv::Mat shaded = image(64, 48, lightWall, {{device, cv::Scalar::all(205)}, {shadow, cv::Scalar::all(214)}});
    cv::resize(shaded, small, cv::Size(32, 24), 0, 0, cv::INTER_AREA);
    const cv::Mat departs = fieldSubject(small, fieldDistance(small, field, 1.0), field);
    const cv::Mat peeled = region(small.size(), cv::Rect(shadow.x / 2, shadow.y / 2, shadow.width / 2, 15));
    const cv::Mat withoutShadow = departs & ~peeled;
    const cv::Mat shadowFine = region(fine.size(), shadow);
    const int takenBack = cv::countNonZero(finerFieldSubject({shaded, small}, field, withoutShadow, 1.0) & shadowFine);
    ASSERT_GT(takenBack, shadow.area() / 4) << "the threshold alone takes the shadow's inner side back";
    EXPECT_LT(cv::countNonZero(finerFieldSubject({shaded, small}, field, withoutShadow, 1.0, {}, {}, departs & peeled) &
                               shadowFine),
              takenBack / 2);
}

TEST(EdgeBridging, JoinsBrokenEdgesAcrossGapsCornersAndSides) {
    const cv::Mat noBody = cv::Mat::zeros(60, 60, CV_8U);
    const auto bridged = [&](const std::vector<std::pair<cv::Point, cv::Point>>& lines, const cv::Mat& body) {
        cv::Mat edges = cv::Mat::zeros(60, 60, CV_8U);
        for (const auto& [a, b] : lines) cv::line(edges, a, b, cv::Scalar(255));
        bridgeGaps(edges, body, noBody, 4, 20, 30);
        return edges;
    };
    // One straight edge broken over 12 pixels.
    EXPECT_GT(bridged({{{5, 30}, {20, 30}}, {{33, 30}, {50, 30}}}, noBody).at<uchar>(30, 26), 0);
    // A corner lost: two edges that, run on, meet at (40, 40).
    EXPECT_GT(bridged({{{10, 40}, {30, 40}}, {{40, 10}, {40, 30}}}, noBody).at<uchar>(40, 40), 0);
    // ...but not across the subject's body...
    const cv::Mat body = region(cv::Size(60, 60), cv::Rect(33, 33, 10, 10));
    EXPECT_EQ(bridged({{{10, 40}, {30, 40}}, {{40, 10}, {40, 30}}}, body).at<uchar>(40, 40), 0);
    // ...nor where the two edges bend into the subject's hull, as two parts
    // meeting do.
    cv::Mat inward = cv::Mat::zeros(60, 60, CV_8U);
    for (const auto& [a, b] : std::vector<std::pair<cv::Point, cv::Point>>{{{10, 40}, {30, 40}}, {{40, 10}, {40, 30}}})
        cv::line(inward, a, b, cv::Scalar(255));
    bridgeGaps(inward, noBody, region(cv::Size(60, 60), cv::Rect(20, 20, 40, 40)), 4, 20, 30);
    EXPECT_EQ(inward.at<uchar>(40, 40), 0);
    // A side lost whole between two edges running down side by side, 24 apart.
    const cv::Mat side = bridged({{{18, 5}, {18, 40}}, {{42, 5}, {42, 40}}}, noBody);
    EXPECT_GT(side.at<uchar>(40, 30), 0);
    // The loose ends of a texture's edges are left as they are.
    std::vector<std::pair<cv::Point, cv::Point>> dashes;
    for (int y = 2; y < 58; y += 3)
        for (int x = 2; x < 58; x += 4) dashes.push_back({{x, y}, {x + 1, y}});
    cv::Mat texture = cv::Mat::zeros(60, 60, CV_8U);
    for (const auto& [a, b] : dashes) cv::line(texture, a, b, cv::Scalar(255));
    const cv::Mat before = texture.clone();
    bridgeGaps(texture, noBody, noBody, 4, 20, 30);
    EXPECT_EQ(cv::countNonZero(texture != before), 0);
}

TEST(SoftShade, AShadowBesideTheOutlineIsDroppedAndASideOfItsOwnKept) {
    // The outline's reach on the left; beside it a piece in the wall's grey,
    // darker, along no edge (a soft shadow), or in a colour of its own (a side).
    const cv::Size size(60, 40);
    const cv::Mat reach = region(size, cv::Rect(5, 5, 25, 30));
    const cv::Rect piece(30, 8, 10, 24);
    const cv::Mat rest = region(size, piece);
    const cv::Mat subject = reach | rest;
    const cv::Mat noEdges = cv::Mat::zeros(size, CV_8U);
    const cv::Mat shade = image(60, 40, cv::Scalar::all(220), {{piece, cv::Scalar::all(190)}});
    EXPECT_EQ(cv::countNonZero(withoutSoftShade(shade, rest, subject, noEdges, reach)), 0);
    const cv::Mat side = image(60, 40, cv::Scalar::all(220), {{piece, cv::Scalar(120, 150, 190)}});
    EXPECT_EQ(cv::countNonZero(withoutSoftShade(side, rest, subject, noEdges, reach)), piece.area());
    // A piece whose rim runs along the photo's edges is a side, whatever its colour.
    cv::Mat edges = cv::Mat::zeros(size, CV_8U);
    cv::rectangle(edges, cv::Rect(piece.x - 1, piece.y - 1, piece.width + 2, piece.height + 2), cv::Scalar(255));
    EXPECT_EQ(cv::countNonZero(withoutSoftShade(shade, rest, subject, edges, reach)), piece.area());
}

TEST(HueSide, ASideOfAnotherHueBesideTheOutlineIsFoundAndAShadowIsNot) {
    // A grey face on a blue wall, and just right of its outline a strip of a
    // hue no blend of the two makes, or the wall's own shade.
    const cv::Size size(60, 40);
    const cv::Rect face(10, 8, 30, 24);
    const cv::Mat outline = region(size, face);
    const cv::Rect strip(40, 8, 2, 24);
    const cv::Mat side =
        image(60, 40, cv::Scalar(60, 90, 200), {{face, cv::Scalar::all(200)}, {strip, cv::Scalar(170, 160, 150)}});
    const cv::Mat found = sideOfAnotherHue(side, outline);
    EXPECT_GT(cv::countNonZero(found(strip)), strip.area() / 2);
    EXPECT_EQ(cv::countNonZero(found) - cv::countNonZero(found(strip)), 0);
    const cv::Mat shadow =
        image(60, 40, cv::Scalar(60, 90, 200), {{face, cv::Scalar::all(200)}, {strip, cv::Scalar(42, 63, 140)}});
    EXPECT_EQ(cv::countNonZero(sideOfAnotherHue(shadow, outline)), 0);
}

TEST(ClosedOutline, GrowsAFaintSubjectToTheOutlineItsEdgesClose) {
    // A light device a few levels off a light wall, with a darker rim: the
    // field found only part of it, the outline holds it all.
    const cv::Rect device(14, 10, 36, 28);
    cv::Mat rgb = image(64, 48, cv::Scalar::all(236), {{device, cv::Scalar::all(229)}});
    cv::rectangle(rgb, device, cv::Scalar::all(200));
    const cv::Mat part = region(rgb.size(), cv::Rect(16, 12, 18, 24));
    const auto grown = closedOutlineAround(workingOf(rgb), part);
    ASSERT_TRUE(grown);
    // The whole device, and the edge's outer pixel.
    EXPECT_EQ(cv::countNonZero((*grown)(device)), device.area());
    EXPECT_GT(overlap(*grown, region(rgb.size(), device)), 0.85);

    // Without edges around it there is no outline, and the subject stays as it is.
    const cv::Mat plain = image(64, 48, cv::Scalar::all(236), {{device, cv::Scalar::all(229)}});
    EXPECT_FALSE(closedOutlineAround(workingOf(plain), part));
    EXPECT_EQ(cv::countNonZero(withinClosedOutline(workingOf(plain), part) != part), 0);
}

TEST(ClosedOutline, AShadowsFaintFringeStaysOffSaveAlongTheDevicesEdge) {
    // A red device, and beside it wall closed in by its shadow's crisp edge:
    // the outline holds both. The shadow's fringe taken off it stays off but
    // for a pixel or two along the device, where its edge blends.
    const cv::Rect device(14, 10, 16, 28), closedIn(30, 10, 20, 28);
    cv::Mat rgb = image(64, 48, cv::Scalar::all(236), {{device, cv::Scalar(200, 30, 35)}});
    cv::rectangle(rgb, cv::Rect(14, 10, 36, 28), cv::Scalar::all(170));
    const cv::Mat subject = region(rgb.size(), device);
    const auto unaware = closedOutlineAround(workingOf(rgb), subject);
    ASSERT_TRUE(unaware);
    EXPECT_GT(cv::countNonZero((*unaware)(closedIn)), closedIn.area() / 2);
    CastShadows cast{cv::Mat::zeros(rgb.size(), CV_8U), region(rgb.size(), closedIn)};
    const auto grown = closedOutlineAround(workingOf(rgb), subject, {}, {}, cast);
    ASSERT_TRUE(grown);
    EXPECT_GE(cv::countNonZero((*grown)(device)), 0.98 * device.area());
    EXPECT_EQ(cv::countNonZero((*grown)(cv::Rect(34, 10, 16, 28))), 0);
}

TEST(ClosedOutline, TakesOffTheSoftShadeBesideTheOutlineButNeverMoreThanStays) {
    // A light device with a darker rim on a 236 wall, and on its left a soft
    // shadow reaching `reach` pixels out, 10 levels deep where it meets it. The
    // subject holds the shadow and the device's left edge only.
    const cv::Rect device(90, 20, 28, 28);
    const auto shaded = [&](int reach) {
        const cv::Rect caster(device.x - reach, device.y + reach / 2, device.width, device.height - reach);
        cv::Mat rgb(72, 128, CV_8UC3);
        for (int y = 0; y < rgb.rows; ++y)
            for (int x = 0; x < rgb.cols; ++x) {
                const double dx = std::max({caster.x - x, x - (caster.x + caster.width - 1), 0});
                const double dy = std::max({caster.y - y, y - (caster.y + caster.height - 1), 0});
                const double depth = std::max(0.0, 1.0 - std::hypot(dx, dy) / (reach / 2.0));
                rgb.at<cv::Vec3b>(y, x) = cv::Vec3b::all(cv::saturate_cast<uchar>(236 - 10 * depth));
            }
        rgb(device).setTo(cv::Scalar::all(229));
        cv::rectangle(rgb, device, cv::Scalar::all(200));
        cv::Mat subject = cv::Mat::zeros(rgb.size(), CV_8U);
        for (int y = 0; y < rgb.rows; ++y)
            for (int x = 0; x < device.x; ++x) subject.at<uchar>(y, x) = rgb.at<cv::Vec3b>(y, x)[0] <= 234 ? 255 : 0;
        subject(cv::Rect(device.x, device.y, 4, device.height)).setTo(255);
        return std::pair{rgb, subject};
    };
    // A shadow narrower than the device goes, and the device is taken whole.
    const auto [narrow, beside] = shaded(12);
    const auto grown = closedOutlineAround(workingOf(narrow), beside);
    ASSERT_TRUE(grown);
    EXPECT_GT(overlap(*grown, region(narrow.size(), device)), 0.85);
    // One that would take off more than stays was the device, lit as the wall:
    // the outline is no device's, and the subject stays as it is.
    const auto [wide, around] = shaded(60);
    EXPECT_FALSE(closedOutlineAround(workingOf(wide), around));
}

TEST(PlausibilityGate, JudgesASegmentationByWhatTellsADeviceFromAWall) {
    const cv::Size size(40, 30);
    const cv::Rect device(12, 9, 16, 12);
    const cv::Mat photo = image(40, 30, lightWall, {{device, cv::Scalar(90, 100, 110)}});
    const cv::Mat deviceRegion = region(size, device);
    struct Case {
        const char* what;
        cv::Mat image, raw, subject;
        bool plausible;
    };
    cv::Mat scattered = deviceRegion.clone();
    scattered(cv::Rect(0, 25, 40, 5)).setTo(255);
    scattered(cv::Rect(0, 0, 40, 5)).setTo(255);
    const Case cases[] = {
        {"a device before its wall", photo, deviceRegion, deviceRegion, true},
        {"a speck", photo, region(size, cv::Rect(18, 13, 2, 2)), region(size, cv::Rect(18, 13, 2, 2)), false},
        {"a band across the photo", image(40, 30, lightWall, {{cv::Rect(0, 5, 40, 20), cv::Scalar::all(90)}}),
         region(size, cv::Rect(0, 5, 40, 20)), region(size, cv::Rect(0, 5, 40, 20)), false},
        {"three borders held", image(40, 30, lightWall, {{cv::Rect(0, 0, 40, 20), cv::Scalar::all(90)}}),
         region(size, cv::Rect(0, 0, 40, 20)), region(size, cv::Rect(0, 0, 40, 20)), false},
        {"the wall's own colour", image(40, 30, lightWall), deviceRegion, deviceRegion, false},
        {"scattered pieces", photo, scattered, deviceRegion, false},
    };
    for (const Case& c : cases) EXPECT_EQ(plausibleSubject(c.image, c.raw, c.subject), c.plausible) << c.what;
}

TEST(PlausibilityGate, ASoftShadowBesideADeviceIsNoTextureButAGrainIs) {
    // A light plug on a white wall, its long thin cable's soft shadow a dark
    // line just below it, across the ring where the wall is read along most
    // of the outline: the device stands out. The same device on a wall of
    // fine grain as strong as the shadow is deep does not.
    const cv::Size size(240, 180);
    const cv::Rect body(30, 40, 40, 50), cable(70, 60, 150, 5);
    cv::Mat shaded(size, CV_8UC3), grained(size, CV_8UC3);
    for (int y = 0; y < size.height; ++y)
        for (int x = 0; x < size.width; ++x) {
            const double below = y - cable.br().y - 2;
            const double shadow = x >= cable.x && x < cable.br().x ? 40 * std::exp(-below * below / 8) : 0;
            shaded.at<cv::Vec3b>(y, x) = cv::Vec3b::all(cv::saturate_cast<std::uint8_t>(242 - shadow));
            grained.at<cv::Vec3b>(y, x) = cv::Vec3b::all(static_cast<std::uint8_t>(x % 4 < 2 ? 205 : 242));
        }
    const cv::Mat subject = region(size, body) | region(size, cable);
    shaded.setTo(cv::Scalar::all(230), subject);
    grained.setTo(cv::Scalar::all(230), subject);
    EXPECT_TRUE(plausibleSubject(shaded, subject, subject));
    EXPECT_FALSE(plausibleSubject(grained, subject, subject));
}

TEST(RefinedMap, BringsTheSubjectBackToThePhotosSizeWithSoftEdges) {
    const cv::Mat fine = image(40, 30, lightWall, {{cv::Rect(10, 8, 20, 14), cv::Scalar::all(60)}});
    cv::Mat small;
    cv::resize(fine, small, cv::Size(20, 15), 0, 0, cv::INTER_AREA);
    const ProbabilityMap map = refinedMap({fine, small}, region(small.size(), cv::Rect(5, 4, 10, 7)), 80, 60);
    ASSERT_EQ(map.width, 80);
    ASSERT_EQ(map.height, 60);
    ASSERT_EQ(map.format, ProbabilityMap::Format::byte);
    const auto at = [&](int x, int y) { return map.bytes[static_cast<std::size_t>(y) * map.bytesPerRow + x]; };
    EXPECT_EQ(at(40, 30), 255);
    EXPECT_EQ(at(5, 5), 0);
    EXPECT_EQ(at(75, 55), 0);
    // The edge at x = 20 of the photo's 80, where the device begins.
    EXPECT_LT(at(17, 30), 128);
    EXPECT_GE(at(23, 30), 128);
}

TEST(OutlineWeighing, AnEdgePixelGetsTheShareOfTheStepItHasMade) {
    // A device of 100 on a wall of 240 whose left edge is a column half way,
    // and a cable a pixel thin leading from it.
    cv::Mat rgb = image(40, 30, cv::Scalar::all(240),
                        {{cv::Rect(11, 8, 18, 14), cv::Scalar::all(100)},
                         {cv::Rect(10, 8, 1, 14), cv::Scalar::all(170)},
                         {cv::Rect(29, 14, 8, 1), cv::Scalar::all(100)}});
    const Photo photo = photoOf(rgb);
    SubjectMask mask = SubjectExtraction::extractByBackground(photo, 12);
    ASSERT_EQ(mask.coverageAt(10, 15), 255);
    weighOutline(photo, {240, 240, 240}, mask.coverage);
    EXPECT_NEAR(mask.coverageAt(10, 15), 127, 1);
    EXPECT_EQ(mask.coverageAt(20, 15), 255);
    EXPECT_EQ(mask.coverageAt(35, 14), 255) << "the cable";
}

TEST(SubjectExtraction, APaleDeviceIsFoundBesideTheLargerShadowItCasts) {
    // A pale grey lamp on a white wall departs less from it than the soft
    // shadow it casts, which is larger: the shadow is passed over, and the
    // lamp, its head and its thin stand, is the subject.
    const cv::Size size(320, 240);
    cv::Mat lamp = cv::Mat::zeros(size, CV_8U);
    lamp(cv::Rect(120, 60, 40, 16)).setTo(255);
    lamp(cv::Rect(136, 76, 8, 90)).setTo(255);
    cv::Mat shadow = cv::Mat::zeros(size, CV_8U), shade;
    cv::Mat(lamp(cv::Rect(0, 0, 250, 210))).copyTo(shadow(cv::Rect(70, 30, 250, 210)));
    shadow.convertTo(shade, CV_32F, 1.0 / 255.0);
    cv::GaussianBlur(shade, shade, cv::Size(0, 0), 6);
    cv::Mat noise(size, CV_32F);
    cv::RNG(7).fill(noise, cv::RNG::NORMAL, 0, 1.2);
    cv::Mat rgb(size, CV_8UC3);
    for (int y = 0; y < size.height; ++y)
        for (int x = 0; x < size.width; ++x) {
            const double wall = (232 - 0.03 * y) * (1 - 0.35 * shade.at<float>(y, x));
            const double level = (lamp.at<uchar>(y, x) ? 212 : wall) + noise.at<float>(y, x);
            rgb.at<cv::Vec3b>(y, x) = cv::Vec3b::all(cv::saturate_cast<uchar>(level));
        }
    cv::GaussianBlur(rgb, rgb, cv::Size(0, 0), 0.8);
    for (const Segmentation way : {Segmentation::grabCut, Segmentation::none}) {
        const SubjectMask mask = run(photoOf(rgb), CutOutOptions{}, way);
        cv::Mat found(size, CV_8U);
        for (int y = 0; y < size.height; ++y)
            for (int x = 0; x < size.width; ++x)
                found.at<uchar>(y, x) = mask.coverageAt(x, y) >= SubjectMask::insideThreshold ? 255 : 0;
        EXPECT_GT(overlap(found, lamp), 0.85);
    }
}

TEST(SubjectExtraction, TracesEachStageAndWhichWayGaveTheMask) {
    const Photo photo = photoOf(image(64, 48, lightWall, {{cv::Rect(20, 14, 24, 20), cv::Scalar(70, 80, 90)}}));
    {
        Trace trace(true);
        (void)SubjectExtraction::extract(photo, NoSegmenter{}, trace.sink());
        EXPECT_NE(trace.text.find("masque : rien du segmenteur"), std::string::npos) << trace.text;
        EXPECT_NE(trace.text.find("  mur : "), std::string::npos) << trace.text;
        EXPECT_NE(trace.text.find("  contrôle : accepté"), std::string::npos) << trace.text;
        EXPECT_NE(trace.text.find("photo de produit"), std::string::npos) << trace.text;
        EXPECT_NE(trace.text.find("masque : donné par le fond"), std::string::npos) << trace.text;
    }
    {
        cv::Mat graded = image(64, 48, lightWall, {{cv::Rect(20, 14, 24, 20), cv::Scalar(70, 80, 90)}});
        for (int x = 0; x < 64; ++x) graded.col(x) -= cv::Scalar::all(x / 3);
        Trace trace(true);
        (void)SubjectExtraction::extract(photoOf(graded), GrabCutSegmenter{}, trace.sink());
        EXPECT_NE(trace.text.find("  voie du champ"), std::string::npos) << trace.text;
        EXPECT_NE(trace.text.find("  GrabCut semé"), std::string::npos) << trace.text;
        EXPECT_NE(trace.text.find("masque : donné par la découpe avec GrabCut"), std::string::npos) << trace.text;
    }
    {
        Trace trace(true);
        EXPECT_THROW((void)SubjectExtraction::extract(photoOf(image(64, 48, lightWall)), NoSegmenter{}, trace.sink()),
                     PhotoAnalysisError);
        EXPECT_NE(trace.text.find("masque : aucun sujet"), std::string::npos) << trace.text;
    }
    Trace silent(false);
    (void)SubjectExtraction::extract(photo, GrabCutSegmenter{}, silent.sink());
    EXPECT_EQ(silent.text, "");
}

}  // namespace
}  // namespace photo_analysis
