#include <gtest/gtest.h>

#include <QSignalSpy>
#include <limits>

#include "editor_testing.hpp"
#include "glyphsmith_state/driver_editor.hpp"
#include "glyphsmith_state/proposed_detail.hpp"
#include "icon_geometry/icon_svg.hpp"
#include "icon_geometry/model_input.hpp"

using namespace glyphsmith_state;
using editor_testing::roundedRectangleModel;
using icon_geometry::FaceDetail;
using icon_geometry::FaceShape;
using icon_geometry::Pictogram;
using icon_geometry::Vector2;

namespace {

constexpr double inf = std::numeric_limits<double>::infinity();
constexpr double nan = std::numeric_limits<double>::quiet_NaN();

std::vector<FaceDetail> details(const DriverEditor& editor) {
    return editor.model().primaryBody().details;
}

TEST(DetailTemplates, HaveTheirFrenchLabelsInOrder) {
    const QStringList labels{"Bouton rond",
                             "Bouton rectangulaire",
                             "Voyant",
                             "Écran",
                             "Fente",
                             "Trait de séparation",
                             "Grille de points",
                             "Alvéoles de prise",
                             "Câble sortant",
                             "Marche/arrêt",
                             "Chevron vers le haut",
                             "Chevron vers le bas",
                             "Soleil",
                             "Thermomètre",
                             "Plus",
                             "Moins",
                             "Wi-Fi"};
    ASSERT_EQ(DetailTemplate::allCases.size(), 17u);
    for (qsizetype i = 0; i < labels.size(); ++i) {
        const DetailTemplate t = DetailTemplate::allCases[static_cast<std::size_t>(i)];
        EXPECT_EQ(t.label(), labels[i]);
        EXPECT_EQ(DetailTemplate::fromRawValue(t.rawValue()), t);
    }
    EXPECT_FALSE(DetailTemplate::fromRawValue("RoundButton"));
}

TEST(DetailTemplates, AreSizedAfterATenthOfTheFaceHeight) {
    // u = 6 on a face 90 × 60 mm.
    const Vector2 p{10, -5};
    const std::vector<std::pair<DetailTemplate, FaceDetail>> cases{
        {DetailTemplate::roundButton, FaceDetail::button(FaceShape::ellipse(12, 12), p, {})},
        {DetailTemplate::rectangularButton,
         FaceDetail::button(FaceShape::roundedRectangle(2.2 * 6, 1.5 * 6, 0.4 * 6), p, {})},
        {DetailTemplate::indicator, FaceDetail::indicator(p, 0.4 * 6, {})},
        {DetailTemplate::screen, FaceDetail::screen(p, 30, 18, 0.4 * 6)},
        {DetailTemplate::slot, FaceDetail::slot({4, -5}, {16, -5}, 0.4 * 6)},
        {DetailTemplate::separator, FaceDetail::separator({-36, -5}, {36, -5})},
        {DetailTemplate::dotGrid, FaceDetail::dotGrid(p, 4, 4, 0.6 * 6, 0.3 * 6, false, {})},
        {DetailTemplate::socket, FaceDetail::socketHoles(p, 1.9 * 6, 0.5 * 6, true)},
        {DetailTemplate::cable, FaceDetail::cable({{45, -5}, {57, -5}}, icon_geometry::StrokeWeight::outer())},
        {DetailTemplate::power, FaceDetail::pictogram(Pictogram::power, p, 9)},
        {DetailTemplate::chevronUp, FaceDetail::pictogram(Pictogram::chevronUp, p, 9)},
        {DetailTemplate::chevronDown, FaceDetail::pictogram(Pictogram::chevronDown, p, 9)},
        {DetailTemplate::sun, FaceDetail::pictogram(Pictogram::sun, p, 12)},
        {DetailTemplate::thermometer, FaceDetail::pictogram(Pictogram::thermometer, p, 18)},
        {DetailTemplate::plus, FaceDetail::pictogram(Pictogram::plus, p, 9)},
        {DetailTemplate::minus, FaceDetail::pictogram(Pictogram::minus, p, 9)},
        {DetailTemplate::wifi, FaceDetail::pictogram(Pictogram::wifi, p, 12)},
    };
    ASSERT_EQ(cases.size(), DetailTemplate::allCases.size());
    for (const auto& [t, expected] : cases) {
        DriverEditor editor(roundedRectangleModel(90, 60));
        QSignalSpy models(&editor, &DriverEditor::modelChanged);
        editor.addDetail(t, p);
        ASSERT_EQ(details(editor).size(), 1u);
        EXPECT_EQ(details(editor)[0], expected) << t.rawValue();
        EXPECT_EQ(editor.selectedDetail(), 0);
        EXPECT_EQ(models.count(), 1);
    }
}

TEST(DetailEditing, AddingSelectsTheNewDetail) {
    DriverEditor editor(roundedRectangleModel(90, 60));
    editor.addDetail(DetailTemplate::indicator, {0, 0});
    editor.addDetail(DetailTemplate::sun, {0, 0});
    EXPECT_EQ(editor.selectedDetail(), 1);
    EXPECT_EQ(editor.detailCenter(1), (Vector2{0, 0}));
    EXPECT_FALSE(editor.detailCenter(-1));
    EXPECT_FALSE(editor.detailCenter(2));
    EXPECT_FALSE(editor.detailCenter(std::numeric_limits<int>::max()));
}

TEST(DetailEditing, RemovingClearsTheSelectionAndIgnoresIndicesOutOfRange) {
    DriverEditor editor(roundedRectangleModel(90, 60));
    for (int i = 0; i < 3; ++i) editor.addDetail(DetailTemplate::indicator, {i * 10.0, 0});
    const icon_geometry::IconModel before = editor.model();
    QSignalSpy models(&editor, &DriverEditor::modelChanged);
    for (int index : {-1, 3, std::numeric_limits<int>::max(), std::numeric_limits<int>::min()})
        editor.removeDetail(index);
    EXPECT_EQ(editor.model(), before);
    EXPECT_EQ(editor.selectedDetail(), 2);
    EXPECT_EQ(models.count(), 0);
    editor.removeDetail(0);
    EXPECT_EQ(details(editor).size(), 2u);
    EXPECT_EQ(details(editor)[0].center(), (Vector2{10, 0}));
    EXPECT_FALSE(editor.selectedDetail());
}

TEST(DetailEditing, MovesAndScalesOnlyASelectedDetailWithSoundValues) {
    DriverEditor editor(roundedRectangleModel(90, 60));
    editor.addDetail(DetailTemplate::roundButton, {10, -5});
    const icon_geometry::IconModel before = editor.model();
    QSignalSpy models(&editor, &DriverEditor::modelChanged);
    for (double factor : {0.0, -2.0, nan, inf}) editor.scaleSelectedDetail(factor);
    for (auto [x, y] : std::vector<std::pair<double, double>>{{10001, 0}, {0, -10001}, {nan, 0}, {0, inf}})
        editor.setSelectedDetailCenter(x, y);
    for (std::optional<int> selection : {std::optional<int>(), std::optional<int>(1), std::optional<int>(-1)}) {
        editor.setSelectedDetail(selection);
        editor.setSelectedDetailCenter(1, 1);
        editor.scaleSelectedDetail(2);
    }
    EXPECT_EQ(editor.model(), before);
    EXPECT_EQ(models.count(), 0);

    editor.setSelectedDetail(0);
    editor.setSelectedDetailCenter(-20, 15);
    EXPECT_EQ(editor.detailCenter(0), (Vector2{-20, 15}));
    editor.scaleSelectedDetail(1.5);
    EXPECT_EQ(details(editor)[0], FaceDetail::button(FaceShape::ellipse(18, 18), {-20, 15}, {}));
    EXPECT_EQ(models.count(), 2);
}

// The guarded input refuses magnitudes beyond its bound: a saved model with one
// would read back as no model at all.
TEST(DetailEditing, NothingHappensWhenAnEditWouldLeaveTheStorableRange) {
    DriverEditor editor(roundedRectangleModel(90, 60));
    editor.addDetail(DetailTemplate::screen, {0, 0});
    int accepted = 0;
    for (int i = 0; i < 10; ++i) {
        QSignalSpy models(&editor, &DriverEditor::modelChanged);
        const icon_geometry::IconModel before = editor.model();
        editor.scaleSelectedDetail(10);
        if (models.count() == 0) {
            EXPECT_EQ(editor.model(), before);
            break;
        }
        ++accepted;
    }
    EXPECT_GT(accepted, 0);
    EXPECT_LT(accepted, 10);
    EXPECT_TRUE(icon_geometry::ModelInput::isStorable(editor.model()));

    // A separator spans 0.8 of the face: its ends would pass 10000.
    DriverEditor separator(roundedRectangleModel(90, 60));
    separator.addDetail(DetailTemplate::separator, {0, 0});
    const icon_geometry::IconModel before = separator.model();
    QSignalSpy models(&separator, &DriverEditor::modelChanged);
    separator.setSelectedDetailCenter(9990, 0);
    EXPECT_EQ(separator.model(), before);
    EXPECT_EQ(models.count(), 0);
    separator.setSelectedDetailCenter(9900, 0);
    EXPECT_EQ(separator.detailCenter(0), (Vector2{9900, 0}));

    // A detail placed at a far point is refused and selects nothing.
    DriverEditor far(roundedRectangleModel(90, 60));
    far.addDetail(DetailTemplate::screen, {10001, 0});
    EXPECT_TRUE(details(far).empty());
    EXPECT_FALSE(far.selectedDetail());
}

ProposedDetail proposal(FaceDetail detail, bool kept) {
    const photo_analysis::DetectedFeature feature{photo_analysis::DetectedFeature::Dot{{0, 0}, 0.05}};
    return {QUuid::createUuid(), feature, std::move(detail), {}, kept};
}

TEST(KeptProposals, FollowTheMainBodysDetailsInThePreviewOnly) {
    DriverEditor editor(roundedRectangleModel(90, 60));
    editor.addDetail(DetailTemplate::screen, {0, 0});
    const icon_geometry::IconModel model = editor.model();
    EXPECT_EQ(editor.modelWithKeptProposals(), model);

    const FaceDetail a = FaceDetail::indicator({10, 10}, 2, {});
    const FaceDetail b = FaceDetail::indicator({-10, 10}, 2, {});
    const FaceDetail c = FaceDetail::indicator({0, -20}, 2, {});
    editor.setProposals({proposal(a, false), proposal(b, false)});
    EXPECT_EQ(editor.modelWithKeptProposals(), model);

    QSignalSpy proposals(&editor, &DriverEditor::proposalsChanged);
    std::vector<ProposedDetail> mixed{proposal(a, true), proposal(b, false), proposal(c, true)};
    editor.setProposals(mixed);
    editor.setProposals(mixed);
    EXPECT_EQ(proposals.count(), 1);
    const std::vector<FaceDetail> shown = editor.modelWithKeptProposals().primaryBody().details;
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[1], a);
    EXPECT_EQ(shown[2], c);
    EXPECT_EQ(editor.model(), model);
    const icon_geometry::Camera camera = icon_geometry::Camera::defaultCamera();
    EXPECT_EQ(editor.iconSvg(camera),
              QByteArray::fromStdString(icon_geometry::iconSvg(editor.modelWithKeptProposals(), camera)));
    EXPECT_NE(editor.iconSvg(camera), QByteArray::fromStdString(icon_geometry::iconSvg(model, camera)));
}

// Proposals stay when a template replaces the model; a revolved main body has no
// face to show them on.
TEST(KeptProposals, LeaveAModelWithoutAnExtrudedMainBodyAsItIs) {
    DriverEditor editor(roundedRectangleModel(90, 60));
    editor.setProposals({proposal(FaceDetail::indicator({10, 10}, 2, {}), true)});
    editor.applyTemplate(icon_geometry::ModelTemplate::bulb);
    EXPECT_EQ(editor.modelWithKeptProposals(), editor.model());
    EXPECT_EQ(editor.proposals().size(), 1u);
}

}  // namespace
