// What bars, lights and filled marks become, read literally and with the
// elongation bound: a thin bar measures as thick as it is wide, so without the
// bound separators come out as dots and shapeless outlines.
#include <gtest/gtest.h>

#include <cmath>
#include <iostream>
#include <limits>
#include <string>

#include "detection/detail_detection.hpp"
#include "drawn_face.hpp"

namespace photo_analysis {
namespace {

using K = DetectedFeature::Kind;

constexpr int W = 1080;
constexpr int H = 720;

// One mark drawn in a box of the face, and what it should become.
struct Item {
    std::string name;
    icon_geometry::Rect box;  // pixels
    enum class Shape { bar, roundLight, pill, square, slantedLine } shape;
    std::string literal;  // kinds found over the box without the bound
    std::string mended;   // with it
};

void draw(cairo_t* cr, const Item& item) {
    const icon_geometry::Rect& b = item.box;
    switch (item.shape) {
        case Item::Shape::bar:
        case Item::Shape::square:
            cairo_set_source_rgb(cr, 0.3, 0.3, 0.32);
            cairo_rectangle(cr, b.x, b.y, b.width, b.height);
            cairo_fill(cr);
            break;
        case Item::Shape::roundLight:
        case Item::Shape::pill: {
            const double r = b.height / 2;
            cairo_set_source_rgb(cr, 0.1, 0.7, 0.3);
            cairo_new_sub_path(cr);
            cairo_arc(cr, b.maxX() - r, b.midY(), r, -M_PI / 2, M_PI / 2);
            cairo_arc(cr, b.x + r, b.midY(), r, M_PI / 2, 3 * M_PI / 2);
            cairo_close_path(cr);
            cairo_fill(cr);
            break;
        }
        case Item::Shape::slantedLine:
            cairo_set_source_rgb(cr, 0.3, 0.3, 0.32);
            cairo_set_line_width(cr, 4);
            cairo_move_to(cr, b.x + 2, b.maxY() - 2);
            cairo_line_to(cr, b.maxX() - 2, b.y + 2);
            cairo_stroke(cr);
            break;
    }
}

// Separators 2 to 8 pixels thick and 30 to 300 long at H = 720, one face per
// direction and thickness: lengths differ enough never to pair as button edges.
std::vector<std::vector<Item>> faces() {
    std::vector<std::vector<Item>> list;
    for (const bool horizontal : {true, false}) {
        for (const double t : {2.0, 4.0, 8.0}) {
            std::vector<Item> face;
            // Centres: three short bars in a row, the long one apart.
            const icon_geometry::Vector2 centres[] = {{200, 220}, {420, 220}, {640, 220}, {540, 480}};
            int k = 0;
            for (const double length : {30.0, 45.0, 100.0, 300.0}) {
                icon_geometry::Vector2 c = centres[k++];
                if (!horizontal && k == 4) c = {880, 400};
                const icon_geometry::Rect box = horizontal
                                                    ? icon_geometry::Rect{c.x - length / 2, c.y - t / 2, length, t}
                                                    : icon_geometry::Rect{c.x - t / 2, c.y - length / 2, t, length};
                // Fewer pixels than a mark needs (83 at H = 720): nothing.
                const bool tooSmall = t * length < 83;
                const std::string literal = tooSmall ? "" : length <= 0.07 * H ? "dot" : "outline";
                face.push_back({std::string(horizontal ? "horizontal " : "vertical ") + std::to_string(int(t)) + " x " +
                                    std::to_string(int(length)),
                                box, Item::Shape::bar, literal, tooSmall ? "" : "stroke"});
            }
            list.push_back(std::move(face));
        }
    }
    list.push_back({
        {"round light 30", {185, 185, 30, 30}, Item::Shape::roundLight, "dot", "dot"},
        {"pill light 40 x 20", {580, 190, 40, 20}, Item::Shape::pill, "dot", "dot"},
        {"pill light 48 x 24", {880, 188, 48, 24}, Item::Shape::pill, "dot", "dot"},
        {"filled square button 40", {180, 480, 40, 40}, Item::Shape::square, "dot", "dot"},
        {"filled square button 80", {500, 460, 80, 80}, Item::Shape::square, "outline", "outline"},
        {"slanted line 4 x 150", {800, 440, 134, 79}, Item::Shape::slantedLine, "stroke", "stroke"},
    });
    return list;
}

icon_geometry::Vector2 centre(const DetectedFeature& f) {
    if (const auto* dot = std::get_if<DetectedFeature::Dot>(&f.value)) return dot->center;
    if (const auto* outline = std::get_if<DetectedFeature::Outline>(&f.value)) return outline->center;
    return f.paths().front().bounds().center();
}

const char* kindName(K kind) {
    static const char* const names[] = {"dot", "outline", "stroke", "boundary", "pictogram"};
    return names[static_cast<int>(kind)];
}

// The kinds of the features centred over the item's box, joined by "+".
std::string kindsOver(const std::vector<DetectedFeature>& found, const Item& item) {
    std::string kinds;
    for (const DetectedFeature& f : found) {
        const icon_geometry::Vector2 c = centre(f);
        const double x = (c.x + static_cast<double>(W) / H / 2) * H, y = (c.y + 0.5) * H;
        const icon_geometry::Rect& b = item.box;
        if (x < b.minX() - 4 || x > b.maxX() + 4 || y < b.minY() - 4 || y > b.maxY() + 4) continue;
        kinds += std::string(kinds.empty() ? "" : "+") + kindName(f.kind());
    }
    return kinds;
}

TEST(BarTable, ThinBarsBecomeStrokesWhileLightsStayDotsAndSquaresOutlines) {
    FeatureDetection::Options options;
    options.excludesText = false;
    std::cout << "mark | as read literally | with the bound of " << detail_detection::maximumSolidElongation
              << " (longer side over shorter side)\n";
    for (const std::vector<Item>& items : faces()) {
        const testing::DrawnFace face = testing::drawFace(W, H, [&](cairo_t* cr) {
            for (const Item& item : items) draw(cr, item);
        });
        const auto working = detail_detection::workingFace(face.view(), std::nullopt, options);
        ASSERT_TRUE(working);
        const detail_detection::MarkPixels pixels = detail_detection::markPixels(*working, options);
        detail_detection::MarkPixels copy = pixels;
        const auto literal =
            detail_detection::features(*working, copy, {}, options, {}, std::numeric_limits<double>::infinity())
                .features;
        copy = pixels;
        const auto mended = detail_detection::features(*working, copy, {}, options).features;
        for (const Item& item : items) {
            const std::string before = kindsOver(literal, item), after = kindsOver(mended, item);
            std::cout << item.name << " | " << (before.empty() ? "nothing" : before) << " | "
                      << (after.empty() ? "nothing" : after) << "\n";
            EXPECT_EQ(before, item.literal) << item.name;
            if (item.mended == "stroke") {
                EXPECT_TRUE(after == "stroke" || after == "stroke+stroke") << item.name << ": " << after;
            } else {
                EXPECT_EQ(after, item.mended) << item.name;
            }
        }
    }
}

}  // namespace
}  // namespace photo_analysis
