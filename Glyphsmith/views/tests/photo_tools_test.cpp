// The photos section and the photo overlay, through their widgets, on the free
// editor of an app whose photo work waits in a queue.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>

#include "app_fixture.hpp"
#include "editing/photos_section.hpp"
#include "glyphsmith_state_testing/editor_fields.hpp"
#include "glyphsmith_views/photo_overlay.hpp"
#include "icon_geometry/model_template.hpp"

using glyphsmith_state_testing::EditorFields;

namespace glyphsmith_views {
namespace {

using glyphsmith_state::DriverEditor;
using glyphsmith_state::LoadedPhoto;
using glyphsmith_state::PhotoTool;
using glyphsmith_state::ProposedDetail;
using icon_geometry::Vector2;

photo_analysis::Photo whitePhoto(int width, int height) {
    return photo_analysis::Photo(width, height,
                                 std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height * 4, 255));
}

// A proposal whose outline is the segment from `a` to `b` in photo pixels.
ProposedDetail proposal(Vector2 a, Vector2 b, bool kept) {
    icon_geometry::BezierPath path;
    path.subpaths.push_back({a, {icon_geometry::PathSegment::line(b)}, false});
    return ProposedDetail{QUuid::createUuid(),
                          photo_analysis::DetectedFeature{photo_analysis::DetectedFeature::Stroke{path}},
                          icon_geometry::FaceDetail::separator({-5, 0}, {5, 0}),
                          {path},
                          kept};
}

PhotoPicker answering(QList<QUrl> files, QList<bool>* asked) {
    return [files, asked](bool several) {
        asked->append(several);
        return files;
    };
}

// ----- The mapping -----

TEST(PhotoFit, MapsOnePhotoPointToOneViewPointAndBack) {
    const auto fit = PhotoFit::of({800, 800}, {4000, 3000});
    ASSERT_TRUE(fit);
    EXPECT_DOUBLE_EQ(fit->scale, 0.2);
    EXPECT_DOUBLE_EQ(fit->originX, 0);
    EXPECT_DOUBLE_EQ(fit->originY, 100);
    EXPECT_EQ(fit->toPhoto({400, 400}), (Vector2{2000, 1500}));
    EXPECT_EQ(fit->toView({4000, 3000}), QPointF(800, 700));
    EXPECT_DOUBLE_EQ(fit->hitTolerance(), 70);
    // The top margin is above the photo, passed on as it is.
    EXPECT_EQ(fit->toPhoto({400, 50}), (Vector2{2000, -250}));
    EXPECT_EQ(fit->transform().map(QPointF(2000, 1500)), QPointF(400, 400));

    const auto tall = PhotoFit::of({800, 800}, {1000, 2000});
    ASSERT_TRUE(tall);
    EXPECT_DOUBLE_EQ(tall->scale, 0.4);
    EXPECT_EQ(tall->toView({0, 0}), QPointF(200, 0));

    for (const auto& [area, photo] : std::vector<std::pair<QSizeF, QSizeF>>{
             {{0, 800}, {4000, 3000}}, {{800, 0}, {4000, 3000}}, {{800, 800}, {0, 3000}}, {{800, 800}, {4000, 0}}})
        EXPECT_FALSE(PhotoFit::of(area, photo)) << area.width() << " " << area.height();
}

TEST(PhotoFit, ViewPointsRoundTripOverTheWholeAreaAndItsMargins) {
    for (const QSizeF photo : {QSizeF(4000, 3000), QSizeF(1000, 2000), QSizeF(7, 5)}) {
        for (const QSizeF area : {QSizeF(800, 800), QSizeF(321, 97), QSizeF(1, 1000)}) {
            const auto fit = PhotoFit::of(area, photo);
            ASSERT_TRUE(fit);
            for (double x = -50; x <= area.width() + 50; x += area.width() / 7 + 3)
                for (double y = -50; y <= area.height() + 50; y += area.height() / 7 + 3) {
                    const QPointF back = fit->toView(fit->toPhoto({x, y}));
                    EXPECT_NEAR(back.x(), x, 1e-9);
                    EXPECT_NEAR(back.y(), y, 1e-9);
                }
        }
    }
}

// ----- The overlay -----

struct Overlay {
    glyphsmith_views_testing::AppFixture fixture;
    PhotoOverlay overlay{*fixture.app};
    DriverEditor& editor() { return fixture.store().currentEditor(); }
    PhotoArea* area() { return overlay.area(); }
    Overlay() {
        overlay.resize(800, 860);
        overlay.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&overlay));
    }
    void click(QPointF at) { QTest::mouseClick(area(), Qt::LeftButton, {}, at.toPoint()); }
};

TEST(PhotoOverlay, WithoutAFacePhotoOnlyThePlaceholderShowsAndClicksReachNothing) {
    Overlay o;
    EXPECT_TRUE(o.overlay.showsPlaceholder());
    o.editor().setTool(PhotoTool::corners());
    o.area()->clickAt({10, 10});
    EXPECT_TRUE(o.editor().corners().empty());
}

TEST(PhotoOverlay, ClicksGoThroughTheFitToTheToolOrTheNearestProposal) {
    Overlay o;
    EditorFields(o.editor()).setFacePhoto(whitePhoto(400, 300));
    ASSERT_FALSE(o.overlay.showsPlaceholder());
    o.area()->resize(80, 80);
    const auto fit = o.area()->fit();
    ASSERT_TRUE(fit);
    EXPECT_DOUBLE_EQ(fit->scale, 0.2);

    // The corners tool: the click is a corner, in photo pixels, margins included.
    o.editor().setTool(PhotoTool::corners());
    o.area()->clickAt({40, 40});
    o.area()->clickAt({40, 5});
    ASSERT_EQ(o.editor().corners().size(), 2u);
    EXPECT_EQ(o.editor().corners()[0], (Vector2{200, 150}));
    EXPECT_EQ(o.editor().corners()[1], (Vector2{200, -25}));
    o.area()->clickAt({60, 15});
    EXPECT_EQ(o.overlay.prompt()->text(),
              QStringLiteral("Cliquez le coin n° 4 : haut gauche, haut droit, bas droit, bas gauche"));

    // With proposals and no tool, a click toggles the one within 14 view pixels.
    o.editor().setTool(PhotoTool::none());
    o.editor().setCorners({});
    o.editor().setProposals({proposal({0, 0}, {400, 0}, true), proposal({0, 300}, {400, 300}, true)});
    EXPECT_EQ(o.overlay.prompt()->text(), QStringLiteral("Cliquez un détail proposé pour le garder ou le retirer"));
    // 10 view pixels above the top outline's line (y = 10 on screen): 50 photo pixels, within 70.
    o.area()->clickAt({40, 20});
    EXPECT_FALSE(o.editor().proposals()[0].isKept);
    EXPECT_TRUE(o.editor().proposals()[1].isKept);
    // Out of reach of both: nothing, and never a click of the tool.
    o.area()->clickAt({40, 40});
    EXPECT_FALSE(o.editor().proposals()[0].isKept);
    EXPECT_TRUE(o.editor().proposals()[1].isKept);
    EXPECT_TRUE(o.editor().corners().empty());

    // The corners tool while proposals stand: a corner, the proposals stay.
    o.editor().setTool(PhotoTool::corners());
    o.click({40, 20});
    EXPECT_EQ(o.editor().corners().size(), 1u);
    EXPECT_EQ(o.editor().proposals().size(), 2u);
}

TEST(PhotoOverlay, AnAreaWithoutRoomMapsNothing) {
    Overlay o;
    EditorFields(o.editor()).setFacePhoto(whitePhoto(400, 300));
    o.editor().setTool(PhotoTool::corners());
    o.area()->resize(0, 80);
    EXPECT_FALSE(o.area()->fit());
    o.area()->clickAt({0, 40});
    EXPECT_TRUE(o.editor().corners().empty());
    QImage frame(QSize(10, 10), QImage::Format_ARGB32_Premultiplied);
    o.area()->render(&frame);
}

TEST(PhotoOverlay, ATwelveMegapixelPhotoIsScaledOncePerSize) {
    Overlay o;
    EditorFields(o.editor()).setFacePhoto(whitePhoto(4000, 3000));
    o.area()->resize(800, 800);
    QImage frame(QSize(800, 800), QImage::Format_ARGB32_Premultiplied);
    o.area()->render(&frame);
    o.editor().setCorners({{100, 100}, {3900, 100}});
    o.area()->render(&frame);
    o.area()->render(&frame);
    EXPECT_EQ(o.area()->photoScalings(), 1);
    o.area()->resize(600, 600);
    o.area()->render(&frame);
    o.area()->render(&frame);
    EXPECT_EQ(o.area()->photoScalings(), 2);
    // Another photo of the same size is scaled anew.
    EditorFields(o.editor()).setFacePhoto(whitePhoto(4000, 3000));
    o.area()->render(&frame);
    EXPECT_EQ(o.area()->photoScalings(), 3);
}

TEST(PhotoOverlay, PromptsFollowTheTool) {
    EXPECT_EQ(photoPrompt(PhotoTool::corners(), 0, true),
              QStringLiteral("Cliquez le coin n° 1 : haut gauche, haut droit, bas droit, bas gauche"));
    EXPECT_EQ(photoPrompt(PhotoTool::none(), 0, false), QStringLiteral("Icône produite sur la photo"));
    EXPECT_EQ(photoPrompt(PhotoTool::place(glyphsmith_state::DetailTemplate::sun), 4, true),
              QStringLiteral("Cliquez l’emplacement du détail sur la face"));
}

// ----- The photos section -----

struct Section {
    glyphsmith_views_testing::AppFixture fixture;
    QList<bool> asked;
    QList<QUrl> answer;
    DriverEditor& editor() { return fixture.store().currentEditor(); }
    std::unique_ptr<PhotosSection> section;
    Section() {
        section = std::make_unique<PhotosSection>(fixture.store(), editor(), [this](bool several) {
            asked.append(several);
            return answer;
        });
    }
    bool shown(QWidget* widget) { return widget->isVisibleTo(section.get()); }
};

TEST(PhotosSection, TheFaceToolsNeedAFacePhotoOnAnExtrudedMainBody) {
    Section s;
    EXPECT_TRUE(s.shown(s.section->dropHint()));
    EXPECT_EQ(s.section->dropHint()->text(),
              QStringLiteral("Ou déposez une ou plusieurs photos sur l’aperçu, ou ouvrez-les avec l’app."));
    EXPECT_FALSE(s.shown(s.section->faceTools()));
    EditorFields(s.editor()).setFacePhoto(whitePhoto(40, 30));
    EXPECT_FALSE(s.shown(s.section->dropHint()));
    EXPECT_TRUE(s.shown(s.section->faceTools()));
    s.editor().applyTemplate(icon_geometry::ModelTemplate::bulb);
    EXPECT_FALSE(s.shown(s.section->faceTools()));
    EXPECT_FALSE(s.shown(s.section->dropHint()));
}

TEST(PhotosSection, NoneOfThreeKeptDisablesTheAddButtonUntilAllAreKept) {
    Section s;
    EditorFields(s.editor()).setFacePhoto(whitePhoto(40, 30));
    EXPECT_FALSE(s.shown(s.section->review()));
    s.editor().setProposals(
        {proposal({0, 0}, {1, 1}, false), proposal({0, 0}, {1, 1}, false), proposal({0, 0}, {1, 1}, false)});
    EXPECT_TRUE(s.shown(s.section->review()));
    EXPECT_TRUE(s.section->reviewCount()->text().startsWith(QStringLiteral("0 détails gardés sur 3. ")));
    EXPECT_FALSE(s.section->addKeptButton()->isEnabled());
    QTest::mouseClick(s.section->keepAllButton(), Qt::LeftButton);
    EXPECT_TRUE(s.section->reviewCount()->text().startsWith(QStringLiteral("3 détails gardés sur 3. ")));
    EXPECT_TRUE(s.section->addKeptButton()->isEnabled());
    QTest::mouseClick(s.section->abandonButton(), Qt::LeftButton);
    EXPECT_TRUE(s.editor().proposals().empty());
    EXPECT_FALSE(s.shown(s.section->review()));
}

TEST(PhotosSection, WhileTheEditorWorksDetectionAndRolesWaitButThePickersDoNot) {
    Section s;
    auto mask = std::make_shared<const photo_analysis::SubjectMask>(
        photo_analysis::SubjectMask{40, 30, std::vector<std::uint8_t>(static_cast<std::size_t>(40 * 30), 255)});
    std::vector<LoadedPhoto> photos(2);
    for (auto& photo : photos) {
        photo.id = QUuid::createUuid();
        photo.url = QUrl::fromLocalFile(QStringLiteral("/photos/vue.jpg"));
        photo.photo = whitePhoto(40, 30);
        photo.mask = mask;
    }
    photos[0].role = LoadedPhoto::Role::face;
    EditorFields(s.editor()).setLoadedPhotos(photos);
    ASSERT_EQ(s.section->rolePickers().size(), 2);
    EXPECT_EQ(s.section->rolePickers()[0]->currentText(), QStringLiteral("Face"));
    EXPECT_EQ(s.section->rolePickers()[1]->currentText(), QStringLiteral("Réserve"));
    EXPECT_EQ(s.section->rolePickers()[1]->accessibleName(), QStringLiteral("Rôle de vue.jpg"));
    EditorFields(s.editor()).setFacePhoto(whitePhoto(40, 30));
    EditorFields(s.editor()).setFaceMask(mask);
    // The detection waits in the queue: the editor works until it has run.
    QTest::mouseClick(s.section->detectButton(), Qt::LeftButton);
    ASSERT_TRUE(s.editor().isWorking());
    EXPECT_FALSE(s.section->detectButton()->isEnabled());
    for (QComboBox* picker : s.section->rolePickers()) EXPECT_FALSE(picker->isEnabled());
    for (QAbstractButton* picker :
         {s.section->severalPhotosButton(), s.section->facePhotoButton(), s.section->profilePhotoButton()})
        EXPECT_TRUE(picker->isEnabled());
    s.fixture.runner->runAll();
    EXPECT_FALSE(s.editor().isWorking());
    EXPECT_TRUE(s.section->detectButton()->isEnabled());
}

TEST(PhotosSection, TheCornerToolStartsAfreshAndTheDepthLineFollowsTheLocale) {
    Section s;
    EditorFields(s.editor()).setFacePhoto(whitePhoto(40, 30));
    s.editor().setTool(PhotoTool::corners());
    s.editor().setCorners({{1, 1}, {2, 2}});
    QSignalSpy tools(&s.editor(), &DriverEditor::toolChanged);
    QTest::mouseClick(s.section->cornersButton(), Qt::LeftButton);
    EXPECT_TRUE(s.editor().corners().empty());
    EXPECT_EQ(tools.count(), 0);

    EditorFields(s.editor()).setProfileDepthRatio(0.5);
    EXPECT_EQ(s.section->depthLine()->text(), QStringLiteral("Épaisseur lue sur le profil : 0,50 × hauteur"));
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    EditorFields(s.editor()).setProfileDepthRatio(0.55);
    EXPECT_EQ(s.section->depthLine()->text(), QStringLiteral("Épaisseur lue sur le profil : 0.55 × hauteur"));
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
}

TEST(PhotosSection, PickersHandTheChosenFilesToTheEditorAndACancelChangesNothing) {
    Section s;
    QTest::mouseClick(s.section->severalPhotosButton(), Qt::LeftButton);
    EXPECT_EQ(s.asked, QList<bool>{true});
    EXPECT_EQ(s.fixture.runner->pendingCount(), 0u);
    s.answer = {QUrl::fromLocalFile(QStringLiteral("/nulle/part/face.jpg"))};
    QTest::mouseClick(s.section->facePhotoButton(), Qt::LeftButton);
    EXPECT_EQ(s.asked, (QList<bool>{true, false}));
    // The load waits in the queue: the editor works on it.
    EXPECT_TRUE(s.editor().isWorking());
    s.fixture.runner->runAll();
    // The file is not there: the editor tells why, and keeps no photo.
    EXPECT_TRUE(s.editor().error());
    EXPECT_FALSE(s.editor().facePhoto());
}

}  // namespace
}  // namespace glyphsmith_views
