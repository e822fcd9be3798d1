#include "detection/text_lines.hpp"

#include <gtest/gtest.h>

#include <cmath>

using namespace photo_analysis;
using TextLines::Rectangle;

namespace {

// Hands back the lines it was given, whatever the image.
class FakeRecognizer final : public TextRecognizer {
public:
    explicit FakeRecognizer(std::vector<Line> lines) : lines_(std::move(lines)) {}
    std::vector<Line> recognizeLines(const RgbaView&) override { return lines_; }

private:
    std::vector<Line> lines_;
};

constexpr int W = 1080;
constexpr int H = 720;

// A line given in working pixels.
TextRecognizer::Line line(double x, double y, double w, double h, float confidence, std::string text = "MODE") {
    return {x / W, y / H, w / W, h / H, confidence, std::move(text)};
}

std::vector<Rectangle> read(std::vector<TextRecognizer::Line> lines) {
    FakeRecognizer recognizer(std::move(lines));
    return TextLines::recognize(recognizer, {}, W, H);
}

void expectRectangle(const Rectangle& actual, const Rectangle& expected) {
    EXPECT_NEAR(actual.x, expected.x, 1e-9);
    EXPECT_NEAR(actual.y, expected.y, 1e-9);
    EXPECT_NEAR(actual.width, expected.width, 1e-9);
    EXPECT_NEAR(actual.height, expected.height, 1e-9);
}

Components::Component box(int x, int y, int w, int h) {
    Components::Component mark;
    mark.width = 2000;
    mark.minX = x;
    mark.minY = y;
    mark.maxX = x + w - 1;
    mark.maxY = y + h - 1;
    return mark;
}

}  // namespace

TEST(TextLines, TwentyPixelLineGrowsToThirtyAndThreeEachSide) {
    const auto rectangles = read({line(100, 200, 80, 20, 0.9f)});
    ASSERT_EQ(rectangles.size(), 1u);
    expectRectangle(rectangles[0], {97, 195, 86, 30});
}

TEST(TextLines, WhichLinesAreTrusted) {
    struct Case {
        const char* what;
        TextRecognizer::Line line;
        bool kept;
    };
    for (const Case& c : std::vector<Case>{
             {"confidence 0.3", line(10, 10, 50, 20, 0.3f), true},
             {"confidence 0.29", line(10, 10, 50, 20, 0.29f), false},
             {"below 0.015 of the image", line(10, 10, 50, 10.7, 0.9f), false},
             {"at 0.015 of the image", line(10, 10, 50, 10.8001, 0.9f), true},
             {"a tenth of the image", line(10, 10, 50, 72, 0.9f), true},
             {"the buttons read as a line", line(70, 150, 939, 403, 0.6f, "= I a"), false},
             {"just over a tenth", line(10, 10, 50, 72.5, 0.9f), false},
             {"punctuation only", line(10, 10, 50, 20, 0.9f, "= | -"), false},
             {"one digit", line(10, 10, 50, 20, 0.9f, "- 2 -"), true},
             {"accented letter", line(10, 10, 50, 20, 0.9f, "\xC3\xA9"), true},
             {"multiplication sign", line(10, 10, 50, 20, 0.9f, "\xC3\x97"), false},
             {"empty text", line(10, 10, 50, 20, 0.9f, ""), false},
             {"not finite", line(NAN, 10, 50, 20, 0.9f), false},
             {"infinite height", line(10, 10, 50, INFINITY, 0.9f), false},
             {"confidence NaN", line(10, 10, 50, 20, NAN), false},
             {"entirely outside", line(1200, 10, 50, 20, 0.9f), false},
         }) {
        EXPECT_EQ(read({c.line}).size(), c.kept ? 1u : 0u) << c.what;
    }
}

TEST(TextLines, BoxesReachingOutsideAreCutToTheImageAndOrderIsKept) {
    const auto rectangles = read({line(1000, 100, 200, 20, 0.9f, "SALON"), line(-40, 600, 100, 20, 0.8f, "21")});
    ASSERT_EQ(rectangles.size(), 2u);
    expectRectangle(rectangles[0], {1000 - 3, 95, 80 + 6, 30});
    expectRectangle(rectangles[1], {-3, 595, 60 + 6, 30});
}

TEST(LetterIndices, RowsOfFourLetters) {
    using TextLines::letterIndices;
    const std::vector<Components::Component> three{box(10, 10, 8, 12), box(22, 10, 8, 12), box(34, 10, 8, 12)};
    EXPECT_TRUE(letterIndices(three, 50).empty());
    std::vector<Components::Component> four = three;
    four.push_back(box(46, 11, 8, 11));
    EXPECT_EQ(letterIndices(four, 50), (std::set<std::size_t>{0, 1, 2, 3}));
    // Sorted by left edge: the marks' order does not matter.
    std::vector<Components::Component> shuffled{four[2], four[0], four[3], four[1]};
    EXPECT_EQ(letterIndices(shuffled, 50).size(), 4u);
}

TEST(LetterIndices, LetterSizeLimits) {
    using TextLines::letterIndices;
    const auto row = [](int w, int h) {
        std::vector<Components::Component> marks;
        for (int i = 0; i < 4; ++i) marks.push_back(box(10 + i * (w + 1), 10, w, h));
        return marks;
    };
    EXPECT_TRUE(letterIndices(row(2, 2), 50).empty());  // 2 pixels high is never a letter
    EXPECT_EQ(letterIndices(row(2, 3), 50).size(), 4u);
    EXPECT_EQ(letterIndices(row(16, 10), 10).size(), 4u);  // exactly L high and 1.6 L wide
    EXPECT_TRUE(letterIndices(row(17, 10), 10).empty());
    EXPECT_TRUE(letterIndices(row(10, 11), 10).empty());
}

TEST(LetterIndices, ChainingRules) {
    using TextLines::letterIndices;
    struct Case {
        const char* what;
        Components::Component fourth;
        bool row;
    };
    // Three letters 10 high at x 0–7, 10–17, 20–27; the fourth decides.
    for (const Case& c : std::vector<Case>{
             {"overlapping by less than 0.3 of the height", box(25, 0, 8, 10), true},
             {"overlapping by 0.3 of the height", box(25 - 1, 0, 8, 10), false},
             {"a gap just under the height", box(36, 0, 8, 10), true},
             {"a gap of the height", box(37, 0, 8, 10), false},
             {"centre lower by under 0.35 of the height", box(30, 3, 8, 10), true},
             {"centre lower by 0.35 of the height", box(30, 4, 8, 9), false},
             {"twice the height", box(30, -5, 8, 20), false},
             {"under half the height", box(30, 3, 8, 4), false},
         }) {
        const std::vector<Components::Component> marks{box(0, 0, 8, 10), box(10, 0, 8, 10), box(20, 0, 8, 10),
                                                       c.fourth};
        EXPECT_EQ(letterIndices(marks, 30).size(), c.row ? 4u : 0u) << c.what;
    }
}

TEST(LetterIndices, MarksAfterARejectedOneStillCompareWithTheLastAccepted) {
    const std::vector<Components::Component> marks{box(0, 0, 8, 10), box(10, 0, 8, 10), box(20, 0, 8, 10),
                                                   box(29, -5, 8, 20), box(30, 0, 8, 10)};
    EXPECT_EQ(TextLines::letterIndices(marks, 30), (std::set<std::size_t>{0, 1, 2, 4}));
}

TEST(LetterIndices, ShortRowsLeaveTheirLettersFree) {
    // The first letter's row stays alone and fails; the letters it passed over
    // are still free to make a row of their own.
    const std::vector<Components::Component> marks{box(0, 40, 8, 10), box(5, 0, 8, 10), box(15, 0, 8, 10),
                                                   box(25, 0, 8, 10), box(35, 0, 8, 10)};
    EXPECT_EQ(TextLines::letterIndices(marks, 30), (std::set<std::size_t>{1, 2, 3, 4}));
}
