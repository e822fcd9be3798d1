#include <gtest/gtest.h>

#include <QSignalSpy>
#include <cmath>
#include <limits>

#include "editor_testing.hpp"
#include "glyphsmith_state/driver_editor.hpp"

using namespace glyphsmith_state;
using editor_testing::roundedRectangleModel;
using icon_geometry::BezierPath;
using icon_geometry::FaceDetail;
using icon_geometry::PathSegment;
using icon_geometry::Subpath;
using icon_geometry::Vector2;

namespace {

constexpr double inf = std::numeric_limits<double>::infinity();

BezierPath polygon(std::vector<Vector2> points, bool closed) {
    Subpath subpath{points.front(), {}, closed};
    for (std::size_t i = 1; i < points.size(); ++i) subpath.segments.push_back(PathSegment::line(points[i]));
    return BezierPath{{subpath}};
}

ProposedDetail proposal(std::vector<BezierPath> paths, double indicatorX = 0, bool kept = true) {
    return ProposedDetail{QUuid::createUuid(),
                          photo_analysis::DetectedFeature{photo_analysis::DetectedFeature::Dot{{0, 0}, 0.1}},
                          FaceDetail::indicator({indicatorX, 0}, 2, {}), std::move(paths), kept};
}

TEST(PathDistance, MeasuresToThePathFlattenedAsDrawn) {
    const BezierPath square = polygon({{0, 0}, {10, 0}, {10, 10}, {0, 10}}, true);
    const BezierPath openSquare = polygon({{0, 0}, {10, 0}, {10, 10}, {0, 10}}, false);
    // An arch from (0, 0) to (8, 0) whose middle sample, at t = 1/2, is (4, 6).
    const BezierPath arch{{Subpath{{0, 0}, {PathSegment::cubic({0, 8}, {8, 8}, {8, 0})}, false}}};
    struct Case {
        const char* name;
        BezierPath path;
        Vector2 point;
        double distance;
    };
    const std::vector<Case> cases{
        {"a lone point", BezierPath{{Subpath{{3, 4}, {}, false}}}, {0, 0}, 5},
        {"the closing segment counts", square, {-1, 5}, 1},
        {"an open path has no closing segment", openSquare, {-1, 5}, std::sqrt(26.0)},
        {"inside, to the nearest side", square, {5, 3}, 3},
        {"a cubic's samples lie on the curve", arch, {4, 7}, 1},
        {"beyond the end, to the end point", arch, {11, -4}, 5},
    };
    for (const Case& c : cases) EXPECT_NEAR(DriverEditor::pathDistance(c.path, c.point), c.distance, 1e-9) << c.name;
    EXPECT_EQ(DriverEditor::pathDistance(BezierPath{}, {0, 0}), inf);
    // The nearest of several subpaths.
    BezierPath two = square;
    two.subpaths.push_back(Subpath{{30, 30}, {}, false});
    EXPECT_NEAR(DriverEditor::pathDistance(two, {30, 28}), 2, 1e-12);
}

TEST(ProposalToggling, FlipsTheNearestProposalWithinTheTolerance) {
    DriverEditor editor(roundedRectangleModel(80, 40));
    editor.setProposals(
        {proposal({polygon({{0, 0}, {10, 0}}, false)}), proposal({}), proposal({polygon({{0, 4}, {10, 4}}, false)})});
    QSignalSpy changes(&editor, &DriverEditor::proposalsChanged);

    // Farther than the tolerance from every path: nothing.
    EXPECT_FALSE(editor.toggleProposalNear({5, 20}, 5));
    // At exactly the tolerance from the first: it toggles.
    EXPECT_TRUE(editor.toggleProposalNear({5, -3}, 3));
    EXPECT_FALSE(editor.proposals()[0].isKept);
    // Nearer to the third.
    EXPECT_TRUE(editor.toggleProposalNear({5, 3}, 5));
    EXPECT_FALSE(editor.proposals()[2].isKept);
    // Halfway between: the earlier one wins.
    EXPECT_TRUE(editor.toggleProposalNear({5, 2}, 5));
    EXPECT_TRUE(editor.proposals()[0].isKept);
    EXPECT_FALSE(editor.proposals()[2].isKept);
    // The proposal without paths is never hit.
    EXPECT_TRUE(editor.proposals()[1].isKept);
    EXPECT_EQ(changes.count(), 3);
    // An infinite tolerance still needs a path.
    DriverEditor pathless(roundedRectangleModel(80, 40));
    pathless.setProposals({proposal({})});
    EXPECT_FALSE(pathless.toggleProposalNear({0, 0}, inf));
}

TEST(ProposalKeeping, KeepsOrRemovesAllInOneChange) {
    DriverEditor editor(roundedRectangleModel(80, 40));
    editor.setProposals({proposal({}, 0, true), proposal({}, 1, false), proposal({}, 2, false)});
    QSignalSpy changes(&editor, &DriverEditor::proposalsChanged);
    editor.setAllProposalsKept(true);
    EXPECT_EQ(changes.count(), 1);
    for (const ProposedDetail& p : editor.proposals()) EXPECT_TRUE(p.isKept);
    editor.setAllProposalsKept(true);
    EXPECT_EQ(changes.count(), 1);
    editor.setAllProposalsKept(false);
    EXPECT_EQ(changes.count(), 2);
    for (const ProposedDetail& p : editor.proposals()) EXPECT_FALSE(p.isKept);
}

TEST(KeptProposals, JoinTheMainBodysDetailsInOrder) {
    DriverEditor editor(roundedRectangleModel(80, 40));
    editor.addDetail(DetailTemplate::indicator, {-10, 0});
    editor.setSelectedDetail(0);
    const std::vector<FaceDetail> before = editor.model().primaryBody().details;
    editor.setProposals({proposal({}, 1, true), proposal({}, 2, false), proposal({}, 3, true)});
    // The preview shows the kept ones before they are added.
    EXPECT_EQ(editor.modelWithKeptProposals().primaryBody().details.size(), 3u);

    editor.addKeptProposals();
    std::vector<FaceDetail> expected = before;
    expected.push_back(FaceDetail::indicator({1, 0}, 2, {}));
    expected.push_back(FaceDetail::indicator({3, 0}, 2, {}));
    EXPECT_EQ(editor.model().primaryBody().details, expected);
    EXPECT_TRUE(editor.proposals().empty());
    EXPECT_EQ(editor.selectedDetail(), 0);
}

TEST(KeptProposals, NoneKeptLeavesTheDetailsAndStillClearsTheProposals) {
    DriverEditor editor(roundedRectangleModel(80, 40));
    editor.setProposals({proposal({}, 1, false)});
    EXPECT_EQ(editor.modelWithKeptProposals(), editor.model());
    QSignalSpy models(&editor, &DriverEditor::modelChanged);
    editor.addKeptProposals();
    EXPECT_EQ(models.count(), 0);
    EXPECT_TRUE(editor.proposals().empty());
}

TEST(KeptProposals, ARevolvedMainBodyTakesNothing) {
    DriverEditor editor(editor_testing::revolvedModel());
    editor.setProposals({proposal({}, 1, true)});
    editor.addKeptProposals();
    EXPECT_EQ(editor.model(), editor_testing::revolvedModel());
    EXPECT_EQ(editor.proposals().size(), 1u);
}

}  // namespace
