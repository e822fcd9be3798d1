// The inspector's sections on real editors: what they show, and that a control
// refreshed from the model never writes back.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <QToolButton>
#include <memory>

#include "app_fixture.hpp"
#include "editing/number_field.hpp"
#include "editing/sections.hpp"
#include "glyphsmith_state_testing/editor_fields.hpp"
#include "glyphsmith_views/editing_panel.hpp"

using glyphsmith_state_testing::EditorFields;
using glyphsmith_views_testing::named;

namespace glyphsmith_views {
namespace {

using glyphsmith_state::DetailTemplate;
using glyphsmith_state::DriverEditor;
using glyphsmith_state::PartTemplate;
using icon_geometry::Camera;
using icon_geometry::ModelTemplate;

QLabel* labelWithText(QWidget* root, const QString& text) {
    for (QLabel* label : root->findChildren<QLabel*>())
        if (label->text() == text && label->isVisibleTo(root)) return label;
    return nullptr;
}

struct Sections : ::testing::Test {
    glyphsmith_views_testing::AppFixture fixture;
    DriverEditor& editor = fixture.store().freeEditor();
};

TEST_F(Sections, TheFaceSectionsGoWithAnExtrudedMainBody) {
    InspectorPanel panel(*fixture.app, inspectorSections());
    const auto& groups = panel.sectionWidgets();
    ASSERT_EQ(groups.size(), 7u);
    EXPECT_FALSE(groups[2]->isHidden());
    EXPECT_FALSE(groups[4]->isHidden());
    editor.applyTemplate(ModelTemplate::bulb);
    EXPECT_TRUE(groups[2]->isHidden());
    EXPECT_TRUE(groups[4]->isHidden());
    EXPECT_FALSE(groups[3]->isHidden());
    auto model = editor.model();
    model.parts.clear();
    editor.setModel(model);
    EXPECT_TRUE(groups[2]->isHidden());
    EXPECT_TRUE(groups[4]->isHidden());
    editor.applyTemplate(ModelTemplate::panel);
    EXPECT_FALSE(groups[2]->isHidden());
    EXPECT_FALSE(groups[4]->isHidden());
}

TEST_F(Sections, TabFollowsTheReadingOrderAfterRowsAreMadeAgain) {
    InspectorPanel panel(*fixture.app, inspectorSections());
    editor.addPart(PartTemplate::box);
    QCoreApplication::processEvents();
    // The focus chain from the template menu, as Tab walks it.
    QStringList chain;
    QWidget* first = named<QPushButton>(&panel, QStringLiteral("Partir d’un gabarit"));
    ASSERT_NE(first, nullptr);
    QWidget* at = first;
    do {
        if (at->focusPolicy() & Qt::TabFocus) chain << at->accessibleName();
        at = at->nextInFocusChain();
    } while (at != first && chain.size() < 200);
    const auto position = [&](const char* name) { return chain.indexOf(QString::fromUtf8(name)); };
    EXPECT_LT(position("Partir d’un gabarit"), position("Orientation"));
    EXPECT_LT(position("Orientation"), position("Corps extrudé"));
    EXPECT_LT(position("Corps extrudé"), position("Ajouter un corps"));
    EXPECT_LT(position("Ajouter un corps"), position("Décalage X (mm)"));
    EXPECT_LT(position("Décalage X (mm)"), position("Forme"));
    EXPECT_LT(position("Forme"), position("Angle de la marque"));
}

TEST_F(Sections, ClosingTheProjectLeavesNoSectionBoundToItsEditor) {
    fixture.addProject("/p/maison", "Maison", {"prise"});
    fixture.store().openHomeyApp(QStringLiteral("/p/maison"));
    InspectorPanel panel(*fixture.app, inspectorSections());
    fixture.store().setBrandCamera(Camera{35, 2, 3});
    QPointer<DriverEditor> driver = &fixture.store().currentEditor();
    fixture.store().closeProject();
    EXPECT_TRUE(driver.isNull());
    fixture.store().setBrandCamera(Camera{36, 2, 3});
    QCoreApplication::processEvents();
    EXPECT_EQ(&fixture.store().currentEditor(), &editor);
}

TEST_F(Sections, TheComplianceSectionSaysItChecksUntilTheFirstReport) {
    std::unique_ptr<QWidget> section(makeComplianceSection(fixture.store(), editor));
    EXPECT_NE(labelWithText(section.get(), QStringLiteral("Contrôle en cours…")), nullptr);
    fixture.runner->runAll();
    fixture.clock->advance(glyphsmith_state::AppSession::reportDelay);
    fixture.runner->runAll();
    EXPECT_EQ(labelWithText(section.get(), QStringLiteral("Contrôle en cours…")), nullptr);
    EXPECT_NE(labelWithText(section.get(), QStringLiteral("Est-ce une photographie de l’objet, oui ou non ?")),
              nullptr);
}

TEST_F(Sections, AnErrorAlertDismissedLeavesNoError) {
    InspectorPanel panel(*fixture.app, {});
    editor.setError(glyphsmith_state::AppError::noPhoto());
    ASSERT_NE(panel.errorAlert(), nullptr);
    panel.errorAlert()->reject();
    EXPECT_FALSE(editor.error().has_value());
    editor.setError(glyphsmith_state::AppError::noPhoto());
    EXPECT_NE(panel.errorAlert(), nullptr);
}

TEST_F(Sections, ACameraOutsideTheSlidersRangeIsShownTrueAndNotWrittenBack) {
    auto model = editor.model();
    model.camera = Camera{50, 0, 2.5};
    editor.setModel(model);
    std::unique_ptr<QWidget> section(makeProjectionSection(fixture.store(), editor));
    EXPECT_NE(labelWithText(section.get(), QStringLiteral("Lacet : 50,0°")), nullptr);
    auto* yaw = named<QSlider>(section.get(), QStringLiteral("Lacet"));
    ASSERT_NE(yaw, nullptr);
    EXPECT_EQ(yaw->value(), yaw->maximum());
    EXPECT_EQ(editor.model().camera->yawDegrees, 50);

    // Back on the brand camera, then off again: the default camera, not the brand's.
    fixture.store().setBrandCamera(Camera{33, 4, 5});
    auto* brand = named<QCheckBox>(section.get(), QStringLiteral("Angle de la marque"));
    brand->click();
    EXPECT_TRUE(editor.usesBrandCamera());
    EXPECT_NE(labelWithText(section.get(), QStringLiteral("Lacet : 33,0°")), nullptr);
    brand->click();
    EXPECT_NE(labelWithText(section.get(), QStringLiteral("Lacet : 29,5°")), nullptr);
    EXPECT_NE(labelWithText(section.get(), QStringLiteral("Élévation : 0,0°")), nullptr);
    EXPECT_NE(labelWithText(section.get(), QStringLiteral("Distance, en diagonales : 2,5")), nullptr);
    EXPECT_EQ(
        labelWithText(section.get(), QStringLiteral("Réglé une fois pour toute l’app, appliqué à tous ses pilotes.")),
        nullptr);
}

TEST_F(Sections, ASliderMovedOnTheBrandCameraWritesTheBrandCameraOnly) {
    std::unique_ptr<QWidget> section(makeProjectionSection(fixture.store(), editor));
    QSignalSpy models(&editor, &DriverEditor::modelChanged);
    auto* yaw = named<QSlider>(section.get(), QStringLiteral("Lacet"));
    yaw->setValue(3210);
    EXPECT_DOUBLE_EQ(fixture.store().brandCamera().yawDegrees, 32.1);
    EXPECT_EQ(models.count(), 0);
    EXPECT_NE(labelWithText(section.get(), QStringLiteral("Lacet : 32,1°")), nullptr);
}

TEST_F(Sections, ANumberTheModelRefusesOrClampsIsShownAsStored) {
    std::unique_ptr<QWidget> section(makeFaceShapeSection(fixture.store(), editor));
    auto* width = named<NumberField>(section.get(), QStringLiteral("Largeur (mm)"));
    ASSERT_NE(width, nullptr);
    width->setText(QStringLiteral("0"));
    width->commit();
    EXPECT_EQ(editor.faceWidth(), 1);
    EXPECT_EQ(width->text(), QStringLiteral("1"));
    width->setText(QStringLiteral("12,34"));
    width->commit();
    EXPECT_EQ(width->text(), QStringLiteral("12,3"));
    QTest::keyClick(width, Qt::Key_Return);
    EXPECT_DOUBLE_EQ(editor.faceWidth(), 12.34);
    width->setText(QStringLiteral("pas un nombre"));
    width->commit();
    EXPECT_DOUBLE_EQ(editor.faceWidth(), 12.34);
    EXPECT_EQ(width->text(), QStringLiteral("12,3"));

    // The third row follows the face's case; the exponent keeps two digits.
    named<QComboBox>(section.get(), QStringLiteral("Forme"))->activated(1);
    EXPECT_EQ(named<NumberField>(section.get(), QStringLiteral("Rayon des coins (mm)")), nullptr);
    auto* exponent = named<NumberField>(section.get(), QStringLiteral("Exposant"));
    ASSERT_NE(exponent, nullptr);
    exponent->setText(QStringLiteral("4,25"));
    exponent->commit();
    EXPECT_EQ(exponent->text(), QStringLiteral("4,25"));
    named<QComboBox>(section.get(), QStringLiteral("Forme"))->activated(2);
    EXPECT_EQ(named<NumberField>(section.get(), QStringLiteral("Exposant")), nullptr);

    auto* bevel = named<QCheckBox>(section.get(), QStringLiteral("Biseau"));
    bevel->click();
    EXPECT_EQ(editor.model().primaryBody().bevel, 50.0);
}

TEST_F(Sections, AnOffsetRefusedLeavesAllThreeFieldsAsTheyWere) {
    std::unique_ptr<QWidget> section(makeObjectSection(fixture.store(), editor));
    editor.setSelectedPart(0);
    EXPECT_EQ(named<NumberField>(section.get(), QStringLiteral("Décalage X (mm)")), nullptr);
    editor.addPart(PartTemplate::box);
    EXPECT_EQ(editor.selectedPart(), 1);
    auto* x = named<NumberField>(section.get(), QStringLiteral("Décalage X (mm)"));
    ASSERT_NE(x, nullptr);
    const auto before = editor.partOffset(1);
    x->setText(QStringLiteral("10000,5"));
    x->commit();
    EXPECT_EQ(editor.partOffset(1), before);
    EXPECT_EQ(x->text(), NumberField::format(before.x, 1));
    EXPECT_EQ(named<NumberField>(section.get(), QStringLiteral("Décalage Y (mm)"))->text(),
              NumberField::format(before.y, 1));
}

TEST_F(Sections, ARowTogglesItsBodyAndATemplateClosesTheBodyControls) {
    std::unique_ptr<QWidget> section(makeObjectSection(fixture.store(), editor));
    auto* main = named<QToolButton>(section.get(), QStringLiteral("Corps extrudé, principal"));
    ASSERT_NE(main, nullptr);
    main->click();
    EXPECT_EQ(editor.selectedPart(), 0);
    EXPECT_TRUE(main->isChecked());
    EXPECT_NE(named<NumberField>(section.get(), QStringLiteral("Épaisseur (mm)")), nullptr);
    EXPECT_EQ(named<QToolButton>(section.get(), QStringLiteral("Supprimer")), nullptr);
    main->click();
    EXPECT_FALSE(editor.selectedPart().has_value());
    EXPECT_EQ(named<NumberField>(section.get(), QStringLiteral("Épaisseur (mm)")), nullptr);

    auto model = editor.model();
    model.camera = Camera{30, 1, 3};
    editor.setModel(model);
    editor.setSelectedPart(0);
    named<QPushButton>(section.get(), QStringLiteral("Partir d’un gabarit"))->menu()->actions().at(1)->trigger();
    EXPECT_FALSE(editor.model().hasExtrudedPrimaryBody());
    EXPECT_EQ(editor.model().camera, (Camera{30, 1, 3}));
    EXPECT_EQ(named<NumberField>(section.get(), QStringLiteral("Diamètre (mm)")), nullptr);
    EXPECT_NE(named<QToolButton>(section.get(), QStringLiteral("Corps de révolution, principal")), nullptr);
}

TEST_F(Sections, ThePictogramsOfTheAddMenuAreInASubmenuAfterADivider) {
    std::unique_ptr<QWidget> section(makeDetailsSection(fixture.store(), editor));
    QMenu* add = named<QPushButton>(section.get(), QStringLiteral("Ajouter un détail"))->menu();
    const auto actions = add->actions();
    ASSERT_EQ(actions.size(), 11);
    EXPECT_EQ(actions[0]->text(), QStringLiteral("Bouton rond"));
    EXPECT_TRUE(actions[9]->isSeparator());
    QMenu* pictograms = actions[10]->menu();
    ASSERT_NE(pictograms, nullptr);
    EXPECT_EQ(actions[10]->text(), QStringLiteral("Pictogramme"));
    ASSERT_EQ(pictograms->actions().size(), 8);
    pictograms->actions()[3]->trigger();
    ASSERT_EQ(editor.selectedDetail(), 0);
    EXPECT_NE(named<QToolButton>(section.get(), QStringLiteral("Soleil")), nullptr);
    EXPECT_EQ(editor.detailCenter(0)->x, 0);
}

TEST_F(Sections, CommittingXKeepsTheDrawnYAndAStaleSelectionHidesTheRows) {
    std::unique_ptr<QWidget> section(makeDetailsSection(fixture.store(), editor));
    editor.addDetail(DetailTemplate::sun, {0, 0});
    editor.addDetail(DetailTemplate::indicator, {10, 20});
    ASSERT_EQ(editor.selectedDetail(), 1);
    const auto drawn = *editor.detailCenter(1);
    auto* x = named<NumberField>(section.get(), QStringLiteral("Position X (mm)"));
    ASSERT_NE(x, nullptr);
    x->setText(QStringLiteral("-5"));
    x->commit();
    EXPECT_EQ(editor.detailCenter(1)->x, -5);
    EXPECT_EQ(editor.detailCenter(1)->y, drawn.y);
    EXPECT_NE(named<QToolButton>(section.get(), QStringLiteral("Soleil")), nullptr);

    editor.setSelectedDetail(7);
    EXPECT_EQ(named<NumberField>(section.get(), QStringLiteral("Position X (mm)")), nullptr);
    EXPECT_EQ(named<QToolButton>(section.get(), QStringLiteral("Agrandir")), nullptr);
    EXPECT_EQ(named<QPushButton>(section.get(), QStringLiteral("Poser un détail sur la photo")), nullptr);
}

TEST_F(Sections, DriverImagesThatDoNotDecodeAreLeftOut) {
    std::unique_ptr<QWidget> section(makeDriverImagesSection(fixture.store(), editor));
    EditorFields(editor).setImageWarnings({homey_project::DriverImageIssue::unreadable()});
    const QString hint =
        QStringLiteral("Ajoutez une photo de face : l’objet détouré, posé sur blanc, donne les trois images.");
    EXPECT_NE(labelWithText(section.get(), hint), nullptr);
    EXPECT_EQ(labelWithText(section.get(), QStringLiteral("Image illisible.")), nullptr);

    QImage white(75, 75, QImage::Format_RGB32);
    white.fill(Qt::white);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    white.save(&buffer, "PNG");
    EditorFields(editor).setDriverImages({{homey_project::DriverImageSize::small, png},
                                          {homey_project::DriverImageSize::large, QByteArray("not an image")},
                                          {homey_project::DriverImageSize::xlarge, png}});
    EXPECT_EQ(labelWithText(section.get(), hint), nullptr);
    EXPECT_NE(named<QWidget>(section.get(), QStringLiteral("Image small.png")), nullptr);
    EXPECT_EQ(named<QWidget>(section.get(), QStringLiteral("Image large.png")), nullptr);
    auto* xlarge = named<QWidget>(section.get(), QStringLiteral("Image xlarge.png"));
    ASSERT_NE(xlarge, nullptr);
    EXPECT_EQ(xlarge->sizeHint(), QSize(96, 96));
    EXPECT_NE(labelWithText(section.get(), QStringLiteral("Image illisible.")), nullptr);
}

}  // namespace
}  // namespace glyphsmith_views
