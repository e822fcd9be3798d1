// The app's main road against the real store and services: open a Homey app
// folder, pick a driver, give it a frontal photo, review the proposals, write
// the driver and read the project back.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <filesystem>

#include "editing/photos_section.hpp"
#include "glyphsmith_state_testing/editor_fields.hpp"
#include "glyphsmith_views/action_registry.hpp"
#include "glyphsmith_views/canvas_view.hpp"
#include "glyphsmith_views/editing_panel.hpp"
#include "glyphsmith_views/main_window.hpp"
#include "glyphsmith_views/photo_overlay.hpp"
#include "glyphsmith_views/sidebar_column.hpp"
#include "glyphsmith_views/write_sheet.hpp"
#include "homey_project/driver_assets_state.hpp"
#include "homey_project/driver_package_writer.hpp"
#include "homey_project/homey_project_error.hpp"
#include "project/project_views.hpp"
#include "road_fixture.hpp"

namespace glyphsmith_views {
namespace {

using glyphsmith_state::DriverEditor;
using glyphsmith_state::PreviewMode;

using homey_project::ComplianceStatus;

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(Road, AFrontalPhotoBecomesTheDriversIconImagesAndModelInTheProject) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString root = folder.filePath(QStringLiteral("maison"));
    glyphsmith_views_testing::makeHomeyApp(root, {QStringLiteral("interrupteur"), QStringLiteral("prise")});
    const QString photoFile = folder.filePath(QStringLiteral("face.jpg"));
    glyphsmith_views_testing::writeBytes(photoFile, glyphsmith_views_testing::frontalPhotoJpeg(1600, 1200));

    glyphsmith_views_testing::RealApp real;
    ActionRegistry actions(*real.app);
    MainWindow window(*real.app, actions);
    window.resize(1100, 700);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    auto& store = real.store();

    // Open the project folder from the sidebar.
    real.panels->answers.push_back(root);
    auto* sidebar = qobject_cast<ProjectSidebar*>(window.sidebar()->projectSidebar());
    ASSERT_NE(sidebar, nullptr);
    QTest::mouseClick(sidebar->openButton(), Qt::LeftButton);
    ASSERT_TRUE(store.app()) << (store.error() ? store.error()->message().toStdString() : "");
    EXPECT_EQ(window.sidebar()->currentWidget(), window.sidebar()->driverList());

    // The drivers with their states, then the first one picked in the list.
    auto* drivers = qobject_cast<DriverListView*>(window.sidebar()->driverList());
    ASSERT_NE(drivers, nullptr);
    ASSERT_EQ(drivers->list()->count(), 2);
    ASSERT_TRUE(real.settle([&] { return store.states().size() == 2; }));
    EXPECT_EQ(drivers->list()->item(0)->data(DriverListView::lineRole).toString(),
              QStringLiteral("icône absente, images conformes : 0 sur 3"));
    QListWidget* list = drivers->list();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(1)).center());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
    ASSERT_EQ(store.selectedDriverID(), std::optional<std::string>("interrupteur"));
    auto& editor = store.currentEditor();

    // The frontal photo, dropped on the canvas: the images and the proposals come.
    ASSERT_TRUE(window.canvas()->dropFiles({QUrl::fromLocalFile(photoFile)}));
    EXPECT_EQ(real.app->session().previewMode(), PreviewMode::overlay);
    ASSERT_TRUE(real.settle([&] { return !editor.isWorking() && editor.facePhoto(); }));
    ASSERT_FALSE(editor.error()) << editor.error()->message().toStdString();
    ASSERT_EQ(editor.driverImages().size(), 3u);
    ASSERT_FALSE(editor.proposals().empty());

    // Keep some: a click on the first proposal's outline removes it from the kept ones.
    auto* overlay = qobject_cast<PhotoOverlay*>(window.canvas()->preview(PreviewMode::overlay));
    ASSERT_NE(overlay, nullptr);
    ASSERT_FALSE(overlay->showsPlaceholder());
    const auto fit = overlay->area()->fit();
    ASSERT_TRUE(fit);
    const auto& outline = editor.proposals().front().photoPaths.front().subpaths.front();
    overlay->area()->clickAt(fit->toView(outline.start));
    EXPECT_FALSE(editor.proposals().front().isKept);
    const auto keptCount =
        std::count_if(editor.proposals().begin(), editor.proposals().end(), [](const auto& p) { return p.isKept; });
    const auto detailsBefore = editor.model().primaryBody().details.size();
    auto* section = window.inspector()->findChild<PhotosSection*>();
    ASSERT_NE(section, nullptr);
    QTest::mouseClick(section->addKeptButton(), Qt::LeftButton);
    EXPECT_TRUE(editor.proposals().empty());
    EXPECT_EQ(editor.model().primaryBody().details.size(), detailsBefore + static_cast<std::size_t>(keptCount));

    // Write: the sheet lists the new files behind the photograph confirmation.
    actions.action(Command::writeDriver)->trigger();
    auto* sheet = qobject_cast<WriteSheet*>(window.presentation());
    ASSERT_NE(sheet, nullptr);
    EXPECT_FALSE(sheet->writeButton()->isEnabled());
    EXPECT_EQ(sheet->writeButton()->text(), QStringLiteral("Écrire"));
    sheet->photographToggle()->setChecked(true);
    QTest::mouseClick(sheet->writeButton(), Qt::LeftButton);
    ASSERT_FALSE(store.error()) << store.error()->message().toStdString();
    EXPECT_FALSE(store.pendingWrite());
    EXPECT_FALSE(editor.hasUnwrittenChanges());

    // Read back: every file in place, and Homey's rules hold.
    const QString driverFolder = root + QStringLiteral("/drivers/interrupteur");
    const QString sources = root + QStringLiteral("/sources/icones/interrupteur");
    for (const QString& file :
         {driverFolder + QStringLiteral("/assets/icon.svg"), driverFolder + QStringLiteral("/assets/images/small.png"),
          driverFolder + QStringLiteral("/assets/images/large.png"),
          driverFolder + QStringLiteral("/assets/images/xlarge.png"), sources + QStringLiteral("/modele.json")})
        EXPECT_TRUE(QFileInfo(file).isFile()) << file.toStdString();
    EXPECT_EQ(fileBytes(sources + QStringLiteral("/photo-face.jpg")), fileBytes(photoFile));
    ASSERT_TRUE(real.settle([&] {
        const auto found = store.states().find("interrupteur");
        return found != store.states().end() && found->second.hasModel;
    }));
    const homey_project::DriverAssetsState written = store.states().at("interrupteur");
    EXPECT_TRUE(written.isCompliant());
    EXPECT_EQ(drivers->list()->item(0)->data(DriverListView::lineRole).toString(),
              QStringLiteral("icône conforme, images conformes : 3 sur 3"));
    bool reported = false;
    store.refreshComplianceReport(editor, [&] { reported = true; });
    ASSERT_TRUE(real.settle([&] { return reported; }));
    ASSERT_TRUE(editor.report());
    for (const auto& check : editor.report()->checks) EXPECT_NE(check.status, ComplianceStatus::failed);

    // A second write: every file is now one that would be replaced, and the
    // writer refuses to replace them unasked, changing nothing.
    const QByteArray icon = fileBytes(driverFolder + QStringLiteral("/assets/icon.svg"));
    const QByteArray model = fileBytes(sources + QStringLiteral("/modele.json"));
    editor.setDepth(editor.depth() + 5);
    actions.action(Command::writeDriver)->trigger();
    sheet = qobject_cast<WriteSheet*>(window.presentation());
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(sheet->writeButton()->text(), QStringLiteral("Remplacer et écrire"));
    const auto package = store.driverPackage(editor);
    QTest::mouseClick(sheet->cancelButton(), Qt::LeftButton);
    EXPECT_FALSE(store.pendingWrite());
    const homey_project::HomeyProjectWriter writer;
    EXPECT_THROW((void)writer.write(package, *store.selectedDriver(), *store.app(), false),
                 homey_project::HomeyProjectError);
    EXPECT_EQ(fileBytes(driverFolder + QStringLiteral("/assets/icon.svg")), icon);
    EXPECT_EQ(fileBytes(sources + QStringLiteral("/modele.json")), model);
    EXPECT_TRUE(editor.hasUnwrittenChanges());
    QDir driverDir(driverFolder + QStringLiteral("/assets"));
    EXPECT_EQ(driverDir.entryList(QDir::Files | QDir::Hidden).filter(QStringLiteral(".tmp")).size(), 0);
}

// A folder laid out to trick the app: a driver folder that is a link out of the
// project, a FIFO where the manifest of another would be, odd names. The views
// show what the store reads, and the store's errors, and never hang or crash.
TEST(Road, ATrickyProjectFolderIsShownAsTheStoreReadsItAndNothingIsWrittenOutside) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString root = folder.filePath(QStringLiteral("piège"));
    const QString outside = folder.filePath(QStringLiteral("dehors"));
    QDir().mkpath(outside);
    glyphsmith_views_testing::makeHomeyApp(root, {QStringLiteral("normal"), QStringLiteral("<b>gras</b>")});
    QDir().mkpath(outside + QStringLiteral("/assets"));
    std::filesystem::create_directory_symlink(outside.toStdString(),
                                              (root + QStringLiteral("/drivers/lien")).toStdString());
    // The normal driver's icon is a link out of the project.
    QDir().mkpath(root + QStringLiteral("/drivers/normal/assets"));
    glyphsmith_views_testing::writeBytes(outside + QStringLiteral("/secret.svg"), "<svg/>");
    std::filesystem::create_symlink((outside + QStringLiteral("/secret.svg")).toStdString(),
                                    (root + QStringLiteral("/drivers/normal/assets/icon.svg")).toStdString());
    ASSERT_EQ(mkfifo((root + QStringLiteral("/drivers/normal/assets/images")).toLocal8Bit().constData(), 0600), 0);

    glyphsmith_views_testing::RealApp real;
    ActionRegistry actions(*real.app);
    MainWindow window(*real.app, actions);
    window.show();
    auto& store = real.store();
    store.openHomeyApp(root);
    ASSERT_TRUE(store.app());
    auto* drivers = qobject_cast<DriverListView*>(window.sidebar()->driverList());
    ASSERT_NE(drivers, nullptr);
    ASSERT_TRUE(real.settle([&] { return store.states().size() == store.app()->drivers.size(); }, 30000));
    for (int row = 0; row < drivers->list()->count(); ++row)
        EXPECT_FALSE(drivers->list()->item(row)->data(DriverListView::lineRole).toString().isEmpty());

    // A write of the normal driver never goes through the link out of the project.
    store.setSelectedDriverID("normal");
    store.prepareWrite();
    if (auto* sheet = qobject_cast<WriteSheet*>(window.presentation())) {
        if (sheet->photographToggle()->isVisible()) sheet->photographToggle()->setChecked(true);
        QTest::mouseClick(sheet->writeButton(), Qt::LeftButton);
    }
    EXPECT_EQ(fileBytes(outside + QStringLiteral("/secret.svg")), QByteArray("<svg/>"));
    // A recent folder that has gone: the store's error, no project change.
    QTemporaryDir gone;
    const QString goneFolder = gone.path();
    gone.remove();
    store.openHomeyApp(goneFolder);
    EXPECT_TRUE(store.error());
    EXPECT_TRUE(store.app());
}

QByteArray whiteImage(int side, bool jpeg) {
    const auto image = test_photo::rgbaImage(side, side, std::vector<std::uint8_t>(std::size_t(side) * side * 4, 255));
    const std::vector<std::uint8_t> bytes = jpeg ? test_photo::encodeJpeg(image, 90) : test_photo::encodePng(image);
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}

// Drivers laid out as the platform's own apps are: one whose manifest names JPEG
// images, one whose PNG images live outside assets/images. The list counts
// their files, the inspector names them, and the writes go where the manifests
// say, behind the photograph confirmation wherever the images are.
TEST(Road, ImagesTheManifestNamesAreCountedNamedAndWrittenWhereHomeyReadsThem) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString root = folder.filePath(QStringLiteral("maison"));
    glyphsmith_views_testing::makeHomeyApp(root, {});
    const QString jpeg = root + QStringLiteral("/drivers/jpeg");
    glyphsmith_views_testing::writeBytes(
        jpeg + QStringLiteral("/driver.compose.json"),
        R"({"name": "Jpeg", "images": {"small": "{{driverAssetsPath}}/images/small.jpg",
                                             "large": "{{driverAssetsPath}}/images/large.jpg"}})");
    glyphsmith_views_testing::writeBytes(jpeg + QStringLiteral("/assets/images/small.jpg"), whiteImage(75, true));
    glyphsmith_views_testing::writeBytes(jpeg + QStringLiteral("/assets/images/large.jpg"), whiteImage(500, true));
    glyphsmith_views_testing::writeBytes(
        root + QStringLiteral("/drivers/photos/driver.compose.json"),
        R"({"name": "Photos", "images": {"small": "{{driverAssetsPath}}/photos/small.png",
            "large": "{{driverAssetsPath}}/photos/large.png", "xlarge": "{{driverAssetsPath}}/photos/xlarge.png"}})");

    glyphsmith_views_testing::RealApp real;
    ActionRegistry actions(*real.app);
    MainWindow window(*real.app, actions);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    auto& store = real.store();
    store.openHomeyApp(root);
    ASSERT_TRUE(store.app());
    auto* drivers = qobject_cast<DriverListView*>(window.sidebar()->driverList());
    ASSERT_NE(drivers, nullptr);
    ASSERT_TRUE(real.settle([&] { return store.states().size() == 2; }));
    EXPECT_EQ(drivers->list()->item(0)->data(DriverListView::lineRole).toString(),
              QStringLiteral("icône absente, images conformes : 2 sur 3"));

    // The inspector judges and shows the driver's own files.
    ASSERT_EQ(store.selectedDriverID(), std::optional<std::string>("jpeg"));
    auto& editor = store.currentEditor();
    bool reported = false;
    store.refreshComplianceReport(editor, [&] { reported = true; });
    ASSERT_TRUE(real.settle([&] { return reported; }));
    const auto labelled = [&window](const QString& text) {
        for (const QLabel* label : window.inspector()->findChildren<QLabel*>())
            if (label->text() == text) return true;
        return false;
    };
    EXPECT_TRUE(labelled(QStringLiteral("small.jpg : 75 × 75 pixels")));
    EXPECT_TRUE(labelled(QStringLiteral("xlarge.png : 1000 × 1000 pixels")));
    DriverEditor::DriverImages images;
    for (const auto size : homey_project::allDriverImageSizes)
        images.emplace(size, whiteImage(homey_project::rawValue(size), false));
    glyphsmith_state_testing::EditorFields(editor).setDriverImages(images);
    EXPECT_TRUE(labelled(QStringLiteral("small.jpg")));

    actions.action(Command::writeDriver)->trigger();
    auto* sheet = qobject_cast<WriteSheet*>(window.presentation());
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(sheet->fileList()->item(1)->text(), QStringLiteral("drivers/jpeg/assets/images/small.jpg"));
    sheet->photographToggle()->setChecked(true);
    QTest::mouseClick(sheet->writeButton(), Qt::LeftButton);
    ASSERT_FALSE(store.error()) << store.error()->message().toStdString();
    EXPECT_TRUE(fileBytes(jpeg + QStringLiteral("/assets/images/small.jpg")).startsWith("\xFF\xD8"));
    EXPECT_FALSE(QFileInfo::exists(jpeg + QStringLiteral("/assets/images/small.png")));
    ASSERT_TRUE(real.settle([&] { return store.states().at("jpeg").hasModel; }));
    EXPECT_EQ(drivers->list()->item(0)->data(DriverListView::lineRole).toString(),
              QStringLiteral("icône conforme, images conformes : 3 sur 3"));

    // Images outside any assets/images folder still wait for the confirmation.
    store.setSelectedDriverID("photos");
    glyphsmith_state_testing::EditorFields(store.currentEditor()).setDriverImages(images);
    actions.action(Command::writeDriver)->trigger();
    sheet = qobject_cast<WriteSheet*>(window.presentation());
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(sheet->fileList()->item(1)->text(), QStringLiteral("drivers/photos/assets/photos/small.png"));
    EXPECT_TRUE(sheet->photographToggle()->isVisibleTo(sheet));
    EXPECT_FALSE(sheet->writeButton()->isEnabled());
}

}  // namespace
}  // namespace glyphsmith_views
