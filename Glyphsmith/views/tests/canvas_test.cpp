#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>

#include "app_fixture.hpp"
#include "glyphsmith_views/action_registry.hpp"
#include "glyphsmith_views/canvas_view.hpp"
#include "glyphsmith_views/design_system.hpp"
#include "glyphsmith_views/icon_image.hpp"
#include "glyphsmith_views/validation_summary.hpp"
#include "icon_geometry/icon_svg.hpp"

namespace glyphsmith_views {
namespace {

using glyphsmith_state::PreviewMode;

QUrl touch(const QTemporaryDir& folder, const QString& name) {
    QFile file(folder.filePath(name));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("bytes");
    return QUrl::fromLocalFile(file.fileName());
}

TEST(CanvasDrop, RefusesATextFileAndAFolderNamedLikeAnImageAndKeepsTheMode) {
    glyphsmith_views_testing::AppFixture fixture;
    ActionRegistry actions(*fixture.app);
    CanvasView canvas(*fixture.app, actions);
    QTemporaryDir folder;
    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("album.png")));
    const QList<QUrl> drop{touch(folder, QStringLiteral("notes.txt")),
                           QUrl::fromLocalFile(folder.filePath(QStringLiteral("album.png")))};
    EXPECT_FALSE(canvas.dropFiles(drop));
    EXPECT_EQ(fixture.app->session().previewMode(), PreviewMode::icon);
    EXPECT_EQ(fixture.runner->pendingCount(), 0u);
}

TEST(CanvasDrop, TakesAnUpperCaseExtensionAndShowsThePhotoAtOnce) {
    glyphsmith_views_testing::AppFixture fixture;
    ActionRegistry actions(*fixture.app);
    CanvasView canvas(*fixture.app, actions);
    QTemporaryDir folder;
    const QUrl photo = touch(folder, QStringLiteral("PHOTO.PNG"));
    EXPECT_EQ(acceptedImageFiles({photo, touch(folder, QStringLiteral("lisez-moi"))}), QList<QUrl>{photo});
    EXPECT_TRUE(canvas.dropFiles({photo}));
    // Before the photo has loaded.
    EXPECT_EQ(fixture.app->session().previewMode(), PreviewMode::overlay);
}

TEST(IconRaster, A30PixelTileAt2xIsA60PixelSquareWithAnEmptyMargin) {
    const auto icon = IconImage::fromSvg(QByteArray::fromStdString(
        icon_geometry::iconSvg(glyphsmith_state::freeIconStartingModel(), icon_geometry::Camera::defaultCamera())));
    ASSERT_TRUE(icon.has_value());
    const auto raster = rasterizeIcon(*icon, 60, PreviewMetrics::tileInset);
    ASSERT_TRUE(raster.has_value());
    EXPECT_EQ(raster->size(), QSize(60, 60));
    EXPECT_EQ(raster->format(), QImage::Format_RGBA8888_Premultiplied);
    // The margin is 0.18 × 60 = 10.8 pixels: pixels 0 … 9 on every edge stay 0.
    int inked = 0;
    for (int y = 0; y < 60; ++y) {
        for (int x = 0; x < 60; ++x) {
            const QRgb pixel = raster->pixel(x, y);
            const bool margin = x < 10 || y < 10 || x >= 50 || y >= 50;
            if (margin) {
                EXPECT_EQ(raster->pixel(x, y), 0u) << x << "," << y;
            }
            if (qAlpha(pixel) == 255) ++inked;
        }
    }
    EXPECT_GT(inked, 50);
    EXPECT_FALSE(rasterizeIcon(*icon, 0, PreviewMetrics::tileInset).has_value());
}

TEST(ValidationLine, AnOwnCameraEqualToTheBrandCameraIsNoDeviation) {
    glyphsmith_views_testing::AppFixture fixture;
    ActionRegistry actions(*fixture.app);
    CanvasView canvas(*fixture.app, actions);
    auto& editor = fixture.store().currentEditor();
    icon_geometry::Camera brand{33, 2, 3};
    fixture.store().setBrandCamera(brand);
    auto model = editor.model();
    model.camera = brand;
    editor.setModel(model);
    EXPECT_FALSE(canvas.picture().deviates);
    EXPECT_TRUE(canvas.summary()->cameraReminder()->isHidden());
    model.camera->yawDegrees = 33.5;
    editor.setModel(model);
    EXPECT_TRUE(canvas.picture().deviates);
    EXPECT_FALSE(canvas.summary()->cameraReminder()->isHidden());
    EXPECT_EQ(canvas.summary()->verdict()->text(), QStringLiteral("Conforme aux contraintes de Homey"));
}

TEST(ValidationLine, CountsErrorsAndWarningsInTheirColour) {
    ValidationSummary summary;
    icon_geometry::ValidationReport report;
    report.issues = {icon_geometry::ValidationIssue::text(), icon_geometry::ValidationIssue::stroke()};
    summary.show(report, false);
    EXPECT_EQ(summary.verdict()->text(), QStringLiteral("0 erreurs, 2 avertissements"));
    EXPECT_EQ(summary.verdict()->palette().color(QPalette::WindowText), Palette::warning());
    report.issues = {icon_geometry::ValidationIssue::background()};
    summary.show(report, false);
    EXPECT_EQ(summary.verdict()->text(), QStringLiteral("1 erreurs, 0 avertissements"));
    EXPECT_EQ(summary.verdict()->palette().color(QPalette::WindowText), Palette::failed());
}

TEST(CanvasBusy, TheIndicatorShowsExactlyWhileTheEditorWorks) {
    glyphsmith_views_testing::AppFixture fixture;
    ActionRegistry actions(*fixture.app);
    CanvasView canvas(*fixture.app, actions);
    canvas.resize(600, 600);
    QTemporaryDir folder;
    EXPECT_TRUE(canvas.busyIndicator()->isHidden());
    // A photo that is loading, and then turns out to be no image.
    canvas.dropFiles({touch(folder, QStringLiteral("face.jpg"))});
    ASSERT_TRUE(fixture.store().currentEditor().isWorking());
    EXPECT_FALSE(canvas.busyIndicator()->isHidden());
    EXPECT_EQ(canvas.busyIndicator()->geometry().center(), canvas.rect().center());
    fixture.runner->runAll();
    EXPECT_FALSE(fixture.store().currentEditor().isWorking());
    EXPECT_TRUE(canvas.busyIndicator()->isHidden());
}

TEST(CanvasBrand, AProjectColourWithoutTheHashFallsBackToTheDefaultBrand) {
    glyphsmith_views_testing::AppFixture fixture;
    ActionRegistry actions(*fixture.app);
    CanvasView canvas(*fixture.app, actions);
    EXPECT_EQ(canvas.brand(), Palette::defaultBrand());
    fixture.addProject("/p/a", "A", {"x"}).brandColor = "E8562A";
    fixture.store().openHomeyApp(QStringLiteral("/p/a"));
    EXPECT_EQ(canvas.brand(), Palette::defaultBrand());
    fixture.store().closeProject();
    fixture.addProject("/p/b", "B", {"x"}).brandColor = "#E8562A";
    fixture.store().openHomeyApp(QStringLiteral("/p/b"));
    EXPECT_EQ(canvas.brand(), QColor(0xE8, 0x56, 0x2A));
}

}  // namespace
}  // namespace glyphsmith_views
