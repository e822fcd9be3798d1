#include "icon_geometry/revolved_body.hpp"

#include <gtest/gtest.h>

#include "decoding.hpp"
using namespace icon_geometry;
using json::DecodingError;

namespace {

BezierPath line(Vector2 from, Vector2 to) {
    return {{Subpath{from, {PathSegment::line(to)}, false}}};
}

std::string bodyWithDetails(std::string_view details) {
    return R"({"profile": {"subpaths": []}, "axis": "depth", "details": )" + std::string(details) + "}";
}

}  // namespace

TEST(RevolvedBody, CylinderIsOneOpenLineOrNothing) {
    const RevolvedBody c = RevolvedBody::cylinder(10, 5, 25, RevolvedAxis::depth, {RevolvedDetail::ring(7)});
    EXPECT_EQ(c.profile, line({10, 5}, {10, 25}));
    EXPECT_EQ(c.details, std::vector<RevolvedDetail>{RevolvedDetail::ring(7)});
    EXPECT_EQ(c.diameter(), 20);
    EXPECT_EQ(c.height(), 20);
    EXPECT_TRUE(RevolvedBody::cylinder(10, 5, 5, RevolvedAxis::vertical, {}).profile.subpaths.empty());
}

TEST(RevolvedBody, DiameterIsTwiceTheLargestRadiusNotTheWidth) {
    EXPECT_EQ((RevolvedBody{line({-4, 0}, {10, 30}), RevolvedAxis::vertical, {}}).diameter(), 20);
    // The bulge of a curve counts, its control points do not: x(t) = 24·t·(1 − t).
    const BezierPath bulge{{Subpath{{0, 0}, {PathSegment::cubic({8, 0}, {8, 10}, {0, 10})}, false}}};
    EXPECT_DOUBLE_EQ((RevolvedBody{bulge, RevolvedAxis::vertical, {}}).diameter(), 12);
}

TEST(RevolvedBody, ProfileThatDrawsNothingMeasuresZeroAndDoesNotScale) {
    for (const BezierPath& profile : {BezierPath{}, BezierPath{{Subpath{{4, 5}, {}, false}}}}) {
        const RevolvedBody body{profile, RevolvedAxis::vertical, {RevolvedDetail::rings(1, 2, 3)}};
        EXPECT_EQ(body.diameter(), 0);
        EXPECT_EQ(body.height(), 0);
        EXPECT_EQ(body.scaled(0.5, 2), body);
    }
}

TEST(RevolvedBody, ScalingKeepsTheLowestPointWhereItIs) {
    const RevolvedBody body{line({10, 0}, {10, 20}), RevolvedAxis::vertical, {RevolvedDetail::ring(20)}};
    EXPECT_EQ(body.scaled(2, 0.5),
              (RevolvedBody{line({20, 0}, {20, 10}), RevolvedAxis::vertical, {RevolvedDetail::ring(10)}}));

    // Heights move about the lowest point (here 7), radii and counts as told.
    const RevolvedBody high{line({5, 7}, {6, 17}),
                            RevolvedAxis::depth,
                            {RevolvedDetail::knurl(9, 15, 36), RevolvedDetail::rings(7, 17, 4),
                             RevolvedDetail::meridian(line({2, 7}, {3, 12}))}};
    EXPECT_EQ(high.scaled(2, 3), (RevolvedBody{line({10, 7}, {12, 37}),
                                               RevolvedAxis::depth,
                                               {RevolvedDetail::knurl(13, 31, 36), RevolvedDetail::rings(7, 37, 4),
                                                RevolvedDetail::meridian(line({4, 7}, {6, 22}))}}));
    const RevolvedBody flat = high.scaled(1, 0);
    EXPECT_EQ(flat.profile, line({5, 7}, {6, 7}));
    EXPECT_EQ(flat.details[0], RevolvedDetail::knurl(7, 7, 36));

    const BezierPath curve{{Subpath{{10, 2}, {PathSegment::cubic({14, 4}, {16, 10}, {12, 12})}, true}}};
    EXPECT_EQ((RevolvedBody{curve, RevolvedAxis::horizontal, {}}).scaled(0.5, 2).profile,
              (BezierPath{{Subpath{{5, 2}, {PathSegment::cubic({7, 6}, {8, 18}, {6, 22})}, true}}}));
}

TEST(RevolvedBody, HashAgreesWithEquality) {
    const RevolvedBody a{line({1, 0}, {1, 2}), RevolvedAxis::vertical, {RevolvedDetail::ring(0.0)}};
    const RevolvedBody b{line({1, 0}, {1, 2}), RevolvedAxis::vertical, {RevolvedDetail::ring(-0.0)}};
    EXPECT_EQ(a, b);
    EXPECT_EQ(std::hash<RevolvedBody>{}(a), std::hash<RevolvedBody>{}(b));
    EXPECT_NE(RevolvedDetail::rings(1, 2, 3), RevolvedDetail::knurl(1, 2, 3));
}

TEST(RevolvedBodyJSON, RoundTripsEveryDetailKind) {
    const RevolvedBody body{line({10, 0}, {12, 30}),
                            RevolvedAxis::horizontal,
                            {RevolvedDetail::ring(12), RevolvedDetail::rings(1, 9.5, 4),
                             RevolvedDetail::knurl(-3, 3, 60), RevolvedDetail::meridian(line({0, 1}, {5, 9}))}};
    EXPECT_EQ(json::decode<RevolvedBody>(json::write(json::encode(body))), body);
    const json::Tree tree = json::encode(body);
    EXPECT_EQ(tree["details"][0], (json::Tree{{"ring", {{"at", 12.0}}}}));
    EXPECT_TRUE(tree["details"][2]["knurl"]["count"].is_number_integer());
    EXPECT_TRUE(tree["details"][3]["meridian"].contains("_0"));
    EXPECT_EQ(json::decode<RevolvedBody>(bodyWithDetails(R"([{"ring": {"at": 4}, "note": 1}])")).details,
              std::vector<RevolvedDetail>{RevolvedDetail::ring(4)});
}

TEST(RevolvedBodyJSON, FirstFailureIsReported) {
    struct Case {
        std::string text;
        DecodingError::Kind kind;
        const char* path;
    };
    const Case cases[] = {
        {R"({"profile": {"subpaths": []}, "axis": "depth"})", DecodingError::Kind::keyNotFound, ""},
        {R"({"profile": {"subpaths": []}, "axis": "diagonal", "details": []})", DecodingError::Kind::dataCorrupted,
         "axis"},
        {bodyWithDetails(R"([{"ring": {"at": 1}, "knurl": {"from": 0, "to": 1, "count": 3}}])"),
         DecodingError::Kind::typeMismatch, "details[0]"},
        {bodyWithDetails(R"([{"rings": {"from": 0, "to": 1, "count": 1.5}}])"), DecodingError::Kind::typeMismatch,
         "details[0].rings.count"},
        {bodyWithDetails(R"([{"ring": {}}])"), DecodingError::Kind::keyNotFound, "details[0].ring"},
    };
    for (const Case& c : cases) {
        const DecodingError e = decodingFailure<RevolvedBody>(c.text);
        EXPECT_EQ(e.kind, c.kind) << c.text;
        EXPECT_EQ(json::describe(e.codingPath), c.path) << c.text;
        if (c.path == std::string("details[0]")) {
            EXPECT_EQ(e.debugDescription, json::invalidNumberOfKeys);
        }
    }
}
