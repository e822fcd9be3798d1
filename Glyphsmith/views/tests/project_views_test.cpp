// The sidebar without a project, the driver list and the write sheet, through
// their widgets.
#include "project/project_views.hpp"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "app_fixture.hpp"
#include "editing/compliance_rows.hpp"
#include "glyphsmith_state_testing/editor_fields.hpp"
#include "glyphsmith_views/action_registry.hpp"
#include "glyphsmith_views/design_system.hpp"
#include "glyphsmith_views/main_window.hpp"
#include "glyphsmith_views/write_sheet.hpp"

using glyphsmith_state_testing::EditorFields;

namespace glyphsmith_views {
namespace {

using glyphsmith_state::DiscardAction;
using homey_project::ComplianceCheck;
using homey_project::ComplianceItem;
using homey_project::ComplianceReport;
using homey_project::ComplianceStatus;
using homey_project::DriverAssetsState;
using homey_project::DriverImageSize;
using Icon = DriverAssetsState::IconState;
using Image = DriverAssetsState::ImageState;

// ----- The project sidebar -----

TEST(ProjectSidebar, RecentProjectsShowTheFolderNameAndTellTheFullPathOnHover) {
    glyphsmith_views_testing::AppFixture fixture;
    fixture.addProject("/projets/a/lumiere", "A", {"ampoule"});
    fixture.addProject("/projets/b/lumiere", "B", {"ampoule"});
    fixture.store().openHomeyApp(QStringLiteral("/projets/a/lumiere"));
    fixture.store().openHomeyApp(QStringLiteral("/projets/b/lumiere"));
    fixture.store().closeProject();
    ProjectSidebar sidebar(*fixture.app);
    ASSERT_EQ(sidebar.recentButtons().size(), 2);
    EXPECT_EQ(sidebar.recentButtons()[0]->text(), QStringLiteral("lumiere"));
    EXPECT_EQ(sidebar.recentButtons()[1]->text(), QStringLiteral("lumiere"));
    EXPECT_EQ(sidebar.recentButtons()[0]->toolTip(), QStringLiteral("/projets/b/lumiere"));
    EXPECT_EQ(sidebar.recentButtons()[1]->toolTip(), QStringLiteral("/projets/a/lumiere"));
    EXPECT_EQ(sidebar.openButton()->text(), QStringLiteral("Ouvrir une app Homey…"));

    // A folder's "&" is shown, not taken for a shortcut mark.
    fixture.addProject("/projets/R&D", "RD", {"a"});
    fixture.store().openHomeyApp(QStringLiteral("/projets/R&D"));
    fixture.store().closeProject();
    EXPECT_EQ(sidebar.recentButtons()[0]->text(), QStringLiteral("R&&D"));
    EXPECT_EQ(sidebar.recentButtons()[0]->accessibleName(), QStringLiteral("R&D"));
}

TEST(ProjectSidebar, ARecentProjectClickedWithUnwrittenChangesAsksAndOpensNothing) {
    glyphsmith_views_testing::AppFixture fixture;
    fixture.addProject("/projets/autre", "Autre", {"prise"});
    fixture.addProject("/projets/lumiere", "Lumière", {"ampoule"});
    fixture.store().openHomeyApp(QStringLiteral("/projets/autre"));
    fixture.store().openHomeyApp(QStringLiteral("/projets/lumiere"));
    fixture.store().currentEditor().setDepth(44);
    ASSERT_FALSE(fixture.store().unwrittenDriverNames().isEmpty());
    ProjectSidebar sidebar(*fixture.app);
    ASSERT_EQ(sidebar.recentButtons().size(), 2);
    QTest::mouseClick(sidebar.recentButtons()[1], Qt::LeftButton);
    EXPECT_EQ(fixture.store().pendingDiscard(), DiscardAction::open(QStringLiteral("/projets/autre")));
    EXPECT_EQ(fixture.store().app()->id, "com.example.Lumière");
    EXPECT_EQ(fixture.store().currentEditor().depth(), 44);
    // "Abandonner" in the window's alert then opens it.
    fixture.store().confirmDiscard();
    EXPECT_EQ(fixture.store().app()->id, "com.example.Autre");
}

TEST(ProjectSidebar, ARecentFolderThatIsNoLongerAnAppShowsTheStoresErrorAndKeepsItsRow) {
    glyphsmith_views_testing::AppFixture fixture;
    fixture.addProject("/projets/parti", "Parti", {"a"});
    fixture.store().openHomeyApp(QStringLiteral("/projets/parti"));
    fixture.store().closeProject();
    fixture.reader->apps.clear();
    ProjectSidebar sidebar(*fixture.app);
    ASSERT_EQ(sidebar.recentButtons().size(), 1);
    QTest::mouseClick(sidebar.recentButtons()[0], Qt::LeftButton);
    EXPECT_FALSE(fixture.store().app());
    ASSERT_TRUE(fixture.store().error());
    EXPECT_EQ(fixture.store().error()->message(), glyphsmith_state::AppError::notAHomeyApp().message());
}

// ----- The driver list -----

DriverAssetsState state(Icon icon, std::vector<Image> images) {
    DriverAssetsState s;
    s.icon = std::move(icon);
    const DriverImageSize sizes[] = {DriverImageSize::small, DriverImageSize::large, DriverImageSize::xlarge};
    for (std::size_t i = 0; i < images.size(); ++i) s.images[sizes[i]] = images[i];
    return s;
}

TEST(DriverRow, MarkAndLineFollowTheFiveCases) {
    const Image valid{Image::Valid{}};
    const Image missing{Image::Missing{}};
    const Image invalid{Image::Invalid{{homey_project::DriverImageIssue::unreadable()}}};
    struct Case {
        std::optional<DriverAssetsState> state;
        DriverMark mark;
        const char* line;
    };
    const Case cases[] = {
        {std::nullopt, DriverMark::neutral, "capteur"},
        {state(Icon{Icon::Valid{false}}, {valid, valid, valid}), DriverMark::passed,
         "icône conforme, images conformes : 3 sur 3"},
        {state(Icon{Icon::Valid{true}}, {valid, valid, valid}), DriverMark::warning,
         "icône copiée de l’app, images conformes : 3 sur 3"},
        {state(Icon{Icon::Invalid{}}, {valid, valid, valid}), DriverMark::failed,
         "icône non conforme, images conformes : 3 sur 3"},
        {state(Icon{Icon::Valid{false}}, {valid, invalid, valid}), DriverMark::failed,
         "icône conforme, images conformes : 2 sur 3"},
        {state(Icon{Icon::Missing{}}, {missing, missing, missing}), DriverMark::warning,
         "icône absente, images conformes : 0 sur 3"},
        // Fewer entries than sizes: the count still reads "sur 3".
        {state(Icon{Icon::Valid{false}}, {valid}), DriverMark::warning, "icône conforme, images conformes : 1 sur 3"},
    };
    for (const Case& c : cases) {
        const DriverRowLook look = driverRowLook("capteur", c.state);
        EXPECT_EQ(look.mark, c.mark) << c.line;
        EXPECT_EQ(look.line, QString::fromUtf8(c.line));
    }
    EXPECT_EQ(driverMarkColor(DriverMark::failed), Palette::failed());
    EXPECT_EQ(driverMarkColor(DriverMark::neutral), Palette::neutral());
}

TEST(DriverList, SelectionIsBoundBothWaysWithoutWritingBack) {
    glyphsmith_views_testing::AppFixture fixture;
    fixture.addProject("/projets/maison", "Maison", {"<b>prise</b>", "ampoule", "volet"});
    DriverListView view(*fixture.app);
    view.resize(240, 400);
    view.show();
    fixture.store().openHomeyApp(QStringLiteral("/projets/maison"));
    QListWidget* list = view.list();
    ASSERT_EQ(list->count(), 3);
    // Names are shown as they are written, never as markup.
    EXPECT_EQ(list->item(0)->text(), QStringLiteral("<b>prise</b>"));
    // Opening selected the first driver: its row follows.
    ASSERT_EQ(list->selectedItems().size(), 1);
    EXPECT_EQ(list->selectedItems()[0], list->item(0));

    QSignalSpy selections(&fixture.store(), &glyphsmith_state::ProjectStore::selectedDriverIDChanged);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(2)).center());
    EXPECT_EQ(fixture.store().selectedDriverID(), std::optional<std::string>("volet"));
    EXPECT_EQ(selections.count(), 1);

    fixture.store().setSelectedDriverID("ampoule");
    EXPECT_EQ(selections.count(), 2);
    ASSERT_EQ(list->selectedItems().size(), 1);
    EXPECT_EQ(list->selectedItems()[0], list->item(1));
    fixture.store().setSelectedDriverID(std::nullopt);
    EXPECT_TRUE(list->selectedItems().isEmpty());
    EXPECT_EQ(selections.count(), 3);
}

TEST(DriverList, StatesArrivingOneByOneUpdateTheirRowsOnly) {
    glyphsmith_views_testing::AppFixture fixture;
    fixture.addProject("/projets/maison", "Maison", {"prise", "ampoule"});
    DriverListView view(*fixture.app);
    fixture.store().openHomeyApp(QStringLiteral("/projets/maison"));
    QListWidget* list = view.list();
    EXPECT_EQ(list->item(0)->data(DriverListView::lineRole).toString(), QStringLiteral("prise"));
    // The fake reader's drivers have no folder on disk: every state reads as missing.
    fixture.runner->runNext();
    EXPECT_EQ(list->item(0)->data(DriverListView::lineRole).toString(),
              QStringLiteral("icône absente, images conformes : 0 sur 3"));
    EXPECT_EQ(list->item(1)->data(DriverListView::lineRole).toString(), QStringLiteral("ampoule"));
    EXPECT_EQ(list->item(0)->data(Qt::AccessibleTextRole).toString(),
              QStringLiteral("prise, icône absente, images conformes : 0 sur 3"));
}

// ----- The write sheet -----

struct SheetWindow {
    glyphsmith_views_testing::AppFixture fixture;
    ActionRegistry actions{*fixture.app};
    MainWindow window{*fixture.app, actions};

    SheetWindow() {
        fixture.addProject("/projets/maison", "Maison", {"prise"});
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
        store().openHomeyApp(QStringLiteral("/projets/maison"));
        fixture.runner->runAll();
    }
    glyphsmith_state::ProjectStore& store() { return fixture.store(); }
    WriteSheet* sheet() { return qobject_cast<WriteSheet*>(window.presentation()); }
    void withImages() {
        glyphsmith_state::DriverEditor::DriverImages images;
        for (const auto size : {DriverImageSize::small, DriverImageSize::large, DriverImageSize::xlarge})
            images[size] = QByteArray("png");
        EditorFields(store().currentEditor()).setDriverImages(std::move(images));
    }
    QStringList spokenFiles() {
        QStringList files;
        for (int i = 0; i < sheet()->fileList()->count(); ++i)
            files << sheet()->fileList()->item(i)->data(Qt::AccessibleTextRole).toString();
        return files;
    }
};

TEST(WriteSheet, DriverImagesWaitForThePhotographConfirmationAndReturnWritesOnlyThen) {
    SheetWindow w;
    w.withImages();
    w.store().prepareWrite();
    WriteSheet* sheet = w.sheet();
    ASSERT_NE(sheet, nullptr);
    EXPECT_TRUE(sheet->photographToggle()->isVisibleTo(sheet));
    EXPECT_FALSE(sheet->photographToggle()->isChecked());
    EXPECT_FALSE(sheet->writeButton()->isEnabled());
    EXPECT_EQ(sheet->writeButton()->text(), QStringLiteral("Écrire"));
    EXPECT_FALSE(sheet->replacedLine()->isVisibleTo(sheet));
    EXPECT_EQ(w.spokenFiles().first(), QStringLiteral("Nouveau : drivers/prise/assets/icon.svg"));

    QTest::keyClick(sheet, Qt::Key_Return);
    EXPECT_TRUE(w.fixture.writer->writes.empty());
    EXPECT_TRUE(w.store().pendingWrite());

    sheet->photographToggle()->setChecked(true);
    EXPECT_TRUE(sheet->writeButton()->isEnabled());
    sheet->photographToggle()->setChecked(false);
    EXPECT_FALSE(sheet->writeButton()->isEnabled());
    sheet->photographToggle()->setChecked(true);
    QTest::keyClick(sheet, Qt::Key_Return);
    ASSERT_EQ(w.fixture.writer->writes.size(), 1u);
    EXPECT_FALSE(w.fixture.writer->writes[0].overwrite);
    EXPECT_FALSE(w.store().pendingWrite());
}

TEST(WriteSheet, WithoutDriverImagesThereIsNoToggleAndEscapeDropsThePlan) {
    SheetWindow w;
    w.fixture.writer->existing = {"drivers/prise/assets/icon.svg"};
    w.store().prepareWrite();
    WriteSheet* sheet = w.sheet();
    ASSERT_NE(sheet, nullptr);
    EXPECT_FALSE(sheet->photographToggle()->isVisibleTo(sheet));
    EXPECT_TRUE(sheet->writeButton()->isEnabled());
    EXPECT_EQ(sheet->writeButton()->text(), QStringLiteral("Remplacer et écrire"));
    EXPECT_TRUE(sheet->replacedLine()->isVisibleTo(sheet));
    EXPECT_EQ(sheet->replacedLine()->text(), QStringLiteral("1 fichiers existants seront remplacés."));
    EXPECT_EQ(w.spokenFiles().first(), QStringLiteral("Remplacé : drivers/prise/assets/icon.svg"));
    EXPECT_EQ(sheet->fileList()->item(0)->foreground().color(), Palette::warning());
    EXPECT_EQ(sheet->fileList()->item(1)->foreground().color(), Palette::passed());

    QTest::keyClick(sheet, Qt::Key_Escape);
    EXPECT_FALSE(w.store().pendingWrite());
    EXPECT_TRUE(w.fixture.writer->writes.empty());
    QCoreApplication::processEvents();
    EXPECT_EQ(w.window.presentation(), nullptr);
}

TEST(WriteSheet, APlanThatChangedBeforeTheWriteComesBackWithTheToggleOffAndWritesNothing) {
    SheetWindow w;
    w.withImages();
    w.store().prepareWrite();
    ASSERT_NE(w.sheet(), nullptr);
    w.sheet()->photographToggle()->setChecked(true);
    // Another program puts an image in place while the sheet is open.
    w.fixture.writer->existing = {"drivers/prise/assets/images/large.png"};
    QTest::mouseClick(w.sheet()->writeButton(), Qt::LeftButton);
    EXPECT_TRUE(w.fixture.writer->writes.empty());
    ASSERT_TRUE(w.store().pendingWrite());
    WriteSheet* again = w.sheet();
    ASSERT_NE(again, nullptr);
    EXPECT_TRUE(w.spokenFiles().contains(QStringLiteral("Remplacé : drivers/prise/assets/images/large.png")));
    EXPECT_FALSE(again->photographToggle()->isChecked());
    EXPECT_FALSE(again->writeButton()->isEnabled());
    EXPECT_EQ(again->writeButton()->text(), QStringLiteral("Remplacer et écrire"));
    again->photographToggle()->setChecked(true);
    QTest::mouseClick(again->writeButton(), Qt::LeftButton);
    ASSERT_EQ(w.fixture.writer->writes.size(), 1u);
    EXPECT_TRUE(w.fixture.writer->writes[0].overwrite);
}

TEST(WriteSheet, TheReportShowsOnlyItsWarningsAndFailuresOrTheCleanLine) {
    SheetWindow w;
    w.store().prepareWrite();
    WriteSheet* sheet = w.sheet();
    ASSERT_NE(sheet, nullptr);
    // No report yet: neither.
    EXPECT_FALSE(sheet->cleanReport()->isVisibleTo(sheet));
    EXPECT_FALSE(sheet->reportRows()->isVisibleTo(sheet));
    ComplianceReport report{"prise",
                            {{ComplianceItem{ComplianceItem::IconCanvas{}}, ComplianceStatus::passed},
                             {ComplianceItem{ComplianceItem::PhotographReminder{}}, ComplianceStatus::manual}}};
    EditorFields(w.store().currentEditor()).setReport(report);
    EXPECT_TRUE(sheet->cleanReport()->isVisibleTo(sheet));
    report.checks.push_back({ComplianceItem{ComplianceItem::IconSingleColor{}}, ComplianceStatus::warning});
    EditorFields(w.store().currentEditor()).setReport(report);
    EXPECT_FALSE(sheet->cleanReport()->isVisibleTo(sheet));
    ASSERT_EQ(sheet->reportRows()->rowCount(), 1);
    EXPECT_EQ(sheet->reportRows()->checks()[0].item, ComplianceItem{ComplianceItem::IconSingleColor{}});
}

}  // namespace
}  // namespace glyphsmith_views
