#include "icon_geometry/svg_path_data.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using namespace icon_geometry;

namespace {

std::vector<PathCommand> commands(std::initializer_list<PathCommand> list) {
    return list;
}

// The offset a malformed text fails at, or -1 when it reads.
std::int64_t failureOffset(std::string_view text) {
    try {
        (void)PathData::tokenize(text);
        return -1;
    } catch (const IconGeometryError& error) {
        EXPECT_EQ(error.kind(), IconGeometryError::Kind::malformedPathData);
        return error.offset();
    }
}

PathData::Interpretation interpreted(std::string_view text) {
    return PathData::interpret(PathData::tokenize(text));
}

}  // namespace

TEST(PathDataTokenizer, EmptyAndSeparatorOnlyTextHasNoCommands) {
    for (const char* text : {"", " ", " ,\n", ",,\t\r\n"}) EXPECT_TRUE(PathData::tokenize(text).empty()) << text;
    const auto nothing = PathData::interpret({});
    EXPECT_TRUE(nothing.path.subpaths.empty());
    EXPECT_TRUE(nothing.segments.empty());
}

TEST(PathDataTokenizer, EveryLetterInBothCasesTakesItsArgumentsAndRepeats) {
    struct Case {
        const char* text;
        std::vector<PathCommand> expected;
    };
    const std::vector<Case> cases{
        {"M1 2 3 4", commands({{'M', {1, 2}}, {'L', {3, 4}}})},
        {"m1 2 3 4 5 6", commands({{'m', {1, 2}}, {'l', {3, 4}}, {'l', {5, 6}}})},
        {"L1 2 3 4", commands({{'L', {1, 2}}, {'L', {3, 4}}})},
        {"l1 2,3 4", commands({{'l', {1, 2}}, {'l', {3, 4}}})},
        {"H1 2", commands({{'H', {1}}, {'H', {2}}})},
        {"h-1-2", commands({{'h', {-1}}, {'h', {-2}}})},
        {"V1 2", commands({{'V', {1}}, {'V', {2}}})},
        {"v.5.5", commands({{'v', {0.5}}, {'v', {0.5}}})},
        {"C1 2 3 4 5 6 7 8 9 10 11 12", commands({{'C', {1, 2, 3, 4, 5, 6}}, {'C', {7, 8, 9, 10, 11, 12}}})},
        {"c1,2,3,4,5,6", commands({{'c', {1, 2, 3, 4, 5, 6}}})},
        {"S1 2 3 4 5 6 7 8", commands({{'S', {1, 2, 3, 4}}, {'S', {5, 6, 7, 8}}})},
        {"s1 2 3 4", commands({{'s', {1, 2, 3, 4}}})},
        {"Q1 2 3 4 5 6 7 8", commands({{'Q', {1, 2, 3, 4}}, {'Q', {5, 6, 7, 8}}})},
        {"q1 2 3 4", commands({{'q', {1, 2, 3, 4}}})},
        {"T1 2 3 4", commands({{'T', {1, 2}}, {'T', {3, 4}}})},
        {"t1 2", commands({{'t', {1, 2}}})},
        {"A5 5 0 1 0 10 10 6 6 30 0 1 7 8", commands({{'A', {5, 5, 0, 1, 0, 10, 10}}, {'A', {6, 6, 30, 0, 1, 7, 8}}})},
        {"a10 10 0 0150 20", commands({{'a', {10, 10, 0, 0, 1, 50, 20}}})},
        {"A5,5 0 10 10 10", commands({{'A', {5, 5, 0, 1, 0, 10, 10}}})},
        {"Z", commands({{'Z', {}}})},
        {"z,M0 0zz", commands({{'z', {}}, {'M', {0, 0}}, {'z', {}}, {'z', {}}})},
    };
    for (const Case& c : cases) EXPECT_EQ(PathData::tokenize(c.text), c.expected) << c.text;
}

TEST(PathDataTokenizer, NumbersFollowTheGrammarWithoutTheLocale) {
    struct Case {
        const char* text;
        std::vector<double> arguments;
    };
    const std::vector<Case> cases{
        {"M10-20", {10, -20}},
        {"M 1e5 2E-3", {100000, 0.002}},
        {"M+5 -5", {5, -5}},
        {"M 1e-400 0", {0, 0}},
        {"M.5.5", {0.5, 0.5}},
        {"M5. 1+2-3", {5, 1}},  // "+2-3" repeats as a line
        {"M 1000000 -1000000", {1000000, -1000000}},
        {"M 1e+2 1E2", {100, 100}},
        {"M 0.000001e6,00012.50", {1, 12.5}},
    };
    for (const Case& c : cases) {
        const auto tokens = PathData::tokenize(c.text);
        ASSERT_FALSE(tokens.empty()) << c.text;
        EXPECT_EQ(tokens[0].arguments, c.arguments) << c.text;
    }
    // An exponent without digits is not part of the number: "1e" reads 1, then "e" is no number.
    EXPECT_EQ(failureOffset("M 1e 2"), 3);
}

TEST(PathDataTokenizer, MalformedTextFailsAtTheFirstUnreadableByte) {
    struct Case {
        const char* text;
        std::int64_t offset;
    };
    const std::vector<Case> cases{
        {"X 1 2", 0},                // unknown letter
        {"10 10", 0},                // a number where a command is due
        {"M 0 0 Z 5", 8},            // no repetition after Z
        {"M 0 0 L 1", 9},            // cut short: the text's length
        {"M 0 0 L", 7},              // no argument at all
        {"M .", 2},                  // no digit
        {"M -", 2},                  // a sign alone
        {"M 1 - 2", 4},              // a sign alone, then a blank
        {"M 1000001 0", 2},          // above the magnitude limit
        {"M 0 -1000000.5", 4},       // just above the limit
        {"M 1e400 0", 2},            // not finite
        {"M\f0 0", 1},               // form feed is no separator
        {"M 0 0 \xC3\xA9", 6},       // a multi-byte character
        {"A 5 5 0 2 0 10 10", 8},    // a flag that is neither 0 nor 1
        {"A 5 5 0 1", 9},            // missing sweep flag at the end
        {"a 5 5 0 10 10 10 x", 17},  // an unknown letter after a full group
        {"M 0 0 L 10 e", 11},        // "e" where a number is due
        {"M 1,2 3", 7},              // an implicit line cut short
    };
    for (const Case& c : cases) EXPECT_EQ(failureOffset(c.text), c.offset) << c.text;
}

TEST(PathDataInterpreter, RelativeAndShorthandCommandsDrawTheSameAsAbsoluteOnes) {
    const std::vector<std::pair<const char*, const char*>> pairs{
        {"M10 10 h20 v20 H10 Z", "M10 10 L30 10 L30 30 L10 30 Z"},
        {"m10 10 20 0 0 20 z", "M10 10 L30 10 L30 30 Z"},
        {"M5 5 c1 2 3 4 5 6 s1 1 2 2", "M5 5 C6 7 8 9 10 11 C12 13 11 12 12 13"},
        {"M0 0 q5 5 10 0 t10 0", "M0 0 Q5 5 10 0 Q15 -5 20 0"},
        {"M1 1 a5 5 0 0 1 10 0", "M1 1 A5 5 0 0 1 11 1"},
    };
    for (const auto& [relative, absolute] : pairs)
        EXPECT_EQ(interpreted(relative).path, interpreted(absolute).path) << relative;
}

TEST(PathDataInterpreter, SegmentsCarryTheirAbsolutePoints) {
    struct Case {
        const char* text;
        InterpretedSegment last;
    };
    const std::vector<Case> cases{
        {"M 0 0 C 0 10 10 10 10 0 S 20 -10 20 0", {'S', {10, 0}, {{10, -10}, {20, -10}, {20, 0}}}},
        // After a quadratic, S starts its curve at the current point.
        {"M 0 0 Q 5 5 10 0 S 20 0 20 0", {'S', {10, 0}, {{10, 0}, {20, 0}, {20, 0}}}},
        {"M 0 0 Q 10 10 20 0 T 40 0", {'T', {20, 0}, {{30, -10}, {40, 0}}}},
        // After a cubic, T starts from the current point.
        {"M 0 0 C 1 1 2 2 3 3 T 5 5", {'T', {3, 3}, {{3, 3}, {5, 5}}}},
        {"m 10 10 l 5 0 z l 0 5", {'l', {10, 10}, {{10, 15}}}},
        {"M 3 4 h 2", {'h', {3, 4}, {{5, 4}}}},
        {"M 3 4 V 9", {'V', {3, 4}, {{3, 9}}}},
        {"M 3 4 a 1 1 0 0 0 2 0", {'a', {3, 4}, {{5, 4}}}},
        {"M 5 5 Z", {'Z', {5, 5}, {{5, 5}}}},
        {"M 1 1 2 2", {'L', {1, 1}, {{2, 2}}}},
    };
    for (const Case& c : cases) {
        const auto result = interpreted(c.text);
        ASSERT_FALSE(result.segments.empty()) << c.text;
        EXPECT_EQ(result.segments.back(), c.last) << c.text;
    }
}

TEST(PathDataInterpreter, SubpathsOpenCloseAndRestartAsDrawn) {
    const auto closedThenOpen = interpreted("M 0 0 L 10 0 Z L 0 10");
    ASSERT_EQ(closedThenOpen.path.subpaths.size(), 2u);
    EXPECT_EQ(closedThenOpen.path.subpaths[0], (Subpath{{0, 0}, {PathSegment::line({10, 0})}, true}));
    EXPECT_EQ(closedThenOpen.path.subpaths[1], (Subpath{{0, 0}, {PathSegment::line({0, 10})}, false}));

    const auto bare = interpreted("M 5 5 Z");
    EXPECT_TRUE(bare.path.subpaths.empty());
    ASSERT_EQ(bare.segments.size(), 1u);
    EXPECT_FALSE(bare.segments[0].isZeroLength());

    // Data that does not begin with a move draws from the origin.
    EXPECT_EQ(interpreted("L 10 10").path, (BezierPath{{Subpath{{0, 0}, {PathSegment::line({10, 10})}, false}}}));

    // Moves without drawing leave nothing; the closing edge is only the flag.
    const auto moves = interpreted("M1 1 M2 2 L3 3 L2 2 Z M9 9");
    ASSERT_EQ(moves.path.subpaths.size(), 1u);
    EXPECT_EQ(moves.path.subpaths[0].start, (Vector2{2, 2}));
    EXPECT_EQ(moves.path.subpaths[0].segments.size(), 2u);
    EXPECT_TRUE(moves.path.subpaths[0].isClosed);
    EXPECT_EQ(moves.segments.size(), 3u);
}

TEST(PathDataInterpreter, QuadraticsAreRaisedToCubicsAndArcsConverted) {
    EXPECT_EQ(interpreted("M0 0 Q3 3 6 0").path.subpaths[0].segments[0], PathSegment::cubic({2, 2}, {4, 2}, {6, 0}));

    const auto half = interpreted("M0 0 A1 1 0 0 1 2 0").path.subpaths[0].segments;
    ASSERT_EQ(half.size(), 2u);
    EXPECT_NEAR(half[0].end().x, 1, 1e-12);
    EXPECT_NEAR(half[0].end().y, -1, 1e-12);
    EXPECT_EQ(half[1].end(), (Vector2{2, 0}));
}

TEST(PathDataInterpreter, DegenerateArcsStayFinite) {
    // Zero radii draw a line; equal end points draw nothing but still count as a segment.
    EXPECT_EQ(interpreted("M0 0 A0 5 0 1 1 10 10").path.subpaths[0].segments,
              std::vector<PathSegment>{PathSegment::line({10, 10})});
    const auto still = interpreted("M4 4 A5 5 0 1 1 4 4");
    EXPECT_TRUE(still.path.subpaths.empty());
    ASSERT_EQ(still.segments.size(), 1u);
    EXPECT_TRUE(still.segments[0].isZeroLength());

    // The largest radii, rotations and coordinates the grammar allows.
    const auto huge =
        interpreted("M-1000000 1000000 A1000000 1e-6 1000000 1 1 1000000 -1000000 a1e6 1e6 -1e6 0 0 -1e6 1e6");
    for (const Subpath& subpath : huge.path.subpaths)
        for (const PathSegment& segment : subpath.segments)
            for (const Vector2 p : std::visit(
                     [](const auto& s) {
                         if constexpr (std::is_same_v<std::decay_t<decltype(s)>, PathSegment::Cubic>)
                             return std::vector<Vector2>{s.control1, s.control2, s.to};
                         else
                             return std::vector<Vector2>{s.to};
                     },
                     segment.value))
                EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.y));
}

TEST(PathDataInterpreter, ZeroLengthSegmentsAreThoseThatDoNotMove) {
    const auto result = interpreted("M 0 0 L 10 0 L 10 0 C 10 0 10 0 10 0 C 10 0 11 0 10 0 Z");
    ASSERT_EQ(result.segments.size(), 5u);
    EXPECT_FALSE(result.segments[0].isZeroLength());
    EXPECT_TRUE(result.segments[1].isZeroLength());
    EXPECT_TRUE(result.segments[2].isZeroLength());
    EXPECT_FALSE(result.segments[3].isZeroLength());  // a loop leaves its start
    EXPECT_FALSE(result.segments[4].isZeroLength());  // Z never counts
    EXPECT_TRUE((InterpretedSegment{'L', {1, 1}, {}}).isZeroLength());
}

TEST(PathDataInterpreter, CommandsWithTheWrongArgumentCountAreSkipped) {
    const auto result = PathData::interpret(commands({{'M', {0, 0}}, {'L', {5}}, {'X', {1, 2}}, {'L', {3, 4}}}));
    ASSERT_EQ(result.segments.size(), 1u);
    EXPECT_EQ(result.segments[0].points[0], (Vector2{3, 4}));
}

TEST(PathDataValues, EqualValuesHashAlike) {
    EXPECT_EQ(std::hash<PathCommand>{}({'L', {0.0, 1}}), std::hash<PathCommand>{}({'L', {-0.0, 1}}));
    EXPECT_EQ(std::hash<InterpretedSegment>{}({'L', {-0.0, 0}, {{1, 1}}}),
              std::hash<InterpretedSegment>{}({'L', {0, 0}, {{1, 1}}}));
}
