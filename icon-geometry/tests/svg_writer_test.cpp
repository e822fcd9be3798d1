#include "icon_geometry/svg_writer.hpp"

#include <gtest/gtest.h>

#include <limits>

using namespace icon_geometry;

namespace {

const std::string header =
    "<svg width=\"960\" height=\"960\" viewBox=\"0 0 960 960\" xmlns=\"http://www.w3.org/2000/svg\">\n"
    "<g fill=\"#000000\" fill-rule=\"evenodd\">\n";
const std::string footer = "</g>\n</svg>\n";

BezierPath path(Vector2 start, std::vector<PathSegment> segments, bool closed) {
    return BezierPath{{Subpath{start, std::move(segments), closed}}};
}

}  // namespace

TEST(SVGWriter, DocumentsWithoutInkAreTheFourFixedLines) {
    EXPECT_EQ(SVGWriter::document({}), header + footer);
    EXPECT_EQ(SVGWriter::document(
                  {BezierPath{}, path({1, 1}, {}, true), path({0, 0}, {PathSegment::line({0.04, 0})}, false)}),
              header + footer);
}

TEST(SVGWriter, NumbersAreTenthsRoundedHalfAwayFromZero) {
    struct Case {
        double value;
        const char* text;
    };
    const double inf = std::numeric_limits<double>::infinity();
    for (const Case& c : std::vector<Case>{{12.25, "12.3"},
                                           {-3.75, "-3.8"},
                                           {-2.25, "-2.3"},
                                           {-0.04, "0"},
                                           {0.05, "0.1"},
                                           {12, "12"},
                                           {960, "960"},
                                           {2'000'000, "1000000"},
                                           {-2'000'000, "-1000000"},
                                           {std::nan(""), "0"},
                                           {inf, "0"},
                                           {-inf, "0"}}) {
        EXPECT_EQ(SVGWriter::numberText(SVGWriter::tenths(c.value)), c.text) << c.value;
    }
    EXPECT_EQ(SVGWriter::numberText(125), "12.5");
    EXPECT_EQ(SVGWriter::numberText(-5), "-0.5");
    EXPECT_EQ(SVGWriter::numberText(std::numeric_limits<std::int64_t>::min()), "-922337203685477580.8");
}

TEST(SVGWriter, PathDataOfSimpleShapes) {
    EXPECT_EQ(SVGWriter::pathData(path({0, 0}, {PathSegment::line({1, 0})}, false)), "M0 0L1 0");
    const auto square = path({0, 0},
                             {PathSegment::line({96, 0}), PathSegment::line({96, 96}), PathSegment::line({0, 96}),
                              PathSegment::line({0, 0})},
                             true);
    EXPECT_EQ(SVGWriter::pathData(square), "M0 0L96 0L96 96L0 96Z");
    EXPECT_EQ(SVGWriter::pathData(path({12.25, -3.75}, {PathSegment::line({1, 1})}, false)), "M12.3 -3.8L1 1");
}

TEST(SVGWriter, CubicsThatAreLinesAtThisPrecisionAreWrittenAsLines) {
    const auto straight = path({0, 0}, {PathSegment::cubic({0.01, 0.02}, {9.98, 0}, {10, 0})}, false);
    EXPECT_EQ(SVGWriter::pathData(straight), "M0 0L10 0");
    const auto vanishing =
        path({0, 0}, {PathSegment::cubic({0.01, 0}, {0, 0.04}, {0.02, 0.01}), PathSegment::line({5, 5})}, false);
    EXPECT_EQ(SVGWriter::pathData(vanishing), "M0 0L5 5");
    const auto curve = path({0, 0}, {PathSegment::cubic({0, 5}, {5, 10}, {10, 10})}, true);
    EXPECT_EQ(SVGWriter::pathData(curve), "M0 0C0 5 5 10 10 10Z");
}

TEST(SVGWriter, ClosingRules) {
    const auto triangle =
        path({0, 0}, {PathSegment::line({4, 0}), PathSegment::line({0, 3}), PathSegment::line({0, 0})}, true);
    EXPECT_EQ(SVGWriter::pathData(triangle), "M0 0L4 0L0 3Z");
    const auto outAndBack = path({0, 0}, {PathSegment::line({4, 0}), PathSegment::line({0.01, 0})}, true);
    EXPECT_EQ(SVGWriter::pathData(outAndBack), "");
    const auto openOutAndBack = path({0, 0}, {PathSegment::line({4, 0}), PathSegment::line({0, 0})}, false);
    EXPECT_EQ(SVGWriter::pathData(openOutAndBack), "M0 0L4 0L0 0");
    const auto cubicBack = path({0, 0}, {PathSegment::line({4, 0}), PathSegment::cubic({4, 4}, {0, 4}, {0, 0})}, true);
    EXPECT_EQ(SVGWriter::pathData(cubicBack), "M0 0L4 0C4 4 0 4 0 0Z");
}

TEST(SVGWriter, SubpathsAndPathsFollowInOrderWithoutSeparators) {
    BezierPath two = path({0, 0}, {PathSegment::line({4, 0}), PathSegment::line({0, 3})}, true);
    two.subpaths.push_back(Subpath{{10, 10}, {PathSegment::line({11, 10})}, false});
    two.subpaths.push_back(Subpath{{20, 20}, {PathSegment::line({21, 20})}, false});
    EXPECT_EQ(SVGWriter::pathData(two), "M0 0L4 0L0 3ZM10 10L11 10M20 20L21 20");
    const auto first = path({1, 1}, {PathSegment::line({2, 2})}, false);
    const auto second = path({3, 3}, {PathSegment::line({4, 4})}, false);
    EXPECT_EQ(SVGWriter::document({second, first}),
              header + "<path d=\"M3 3L4 4\"/>\n<path d=\"M1 1L2 2\"/>\n" + footer);
}
