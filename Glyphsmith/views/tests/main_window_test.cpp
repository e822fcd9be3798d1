#include "glyphsmith_views/main_window.hpp"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QToolBar>
#include <QWindow>

#include "app_fixture.hpp"
#include "glyphsmith_views/action_registry.hpp"
#include "glyphsmith_views/editing_panel.hpp"
#include "glyphsmith_views/sidebar_column.hpp"

namespace glyphsmith_views {
namespace {

using glyphsmith_state::AppError;
using glyphsmith_state::DiscardAction;

struct Window {
    glyphsmith_views_testing::AppFixture fixture;
    ActionRegistry actions{*fixture.app};
    MainWindow window{*fixture.app, actions};

    Window() {
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
    }
    glyphsmith_state::ProjectStore& store() { return fixture.store(); }
    QMessageBox* alert() { return qobject_cast<QMessageBox*>(window.presentation()); }
    void click(const QString& text) {
        ASSERT_NE(alert(), nullptr);
        for (auto* button : alert()->buttons())
            if (button->text() == text) return button->click();
        FAIL() << "no button " << text.toStdString();
    }
};

TEST(MainWindow, OpeningAndClosingAProjectSwapsSidebarTitleAndWriteButtonTogether) {
    Window w;
    w.fixture.addProject("/projets/lumiere", "Lumière <b>", {"ampoule"});
    EXPECT_EQ(w.window.windowTitle(), QStringLiteral("Icône sans projet"));
    EXPECT_EQ(w.window.sidebar()->currentWidget(), w.window.sidebar()->projectSidebar());
    QAction* write = w.actions.action(Command::writeDriver);
    EXPECT_FALSE(write->isEnabled());

    w.store().openHomeyApp(QStringLiteral("/projets/lumiere"));
    EXPECT_EQ(w.window.windowTitle(), QStringLiteral("Lumière <b>"));
    EXPECT_EQ(w.window.sidebar()->currentWidget(), w.window.sidebar()->driverList());
    w.store().setSelectedDriverID(std::nullopt);
    EXPECT_FALSE(write->isEnabled());
    w.store().setSelectedDriverID("ampoule");
    EXPECT_TRUE(write->isEnabled());

    w.store().closeProject();
    EXPECT_EQ(w.window.windowTitle(), QStringLiteral("Icône sans projet"));
    EXPECT_EQ(w.window.sidebar()->currentWidget(), w.window.sidebar()->projectSidebar());
    EXPECT_FALSE(write->isEnabled());
}

TEST(MainWindow, AStoreErrorRaisesOneErrorAlertAndOkClearsIt) {
    Window w;
    w.store().setError(AppError::writeFailed(QStringLiteral("<i>icon.svg</i>")));
    QMessageBox* first = w.alert();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->text(), QStringLiteral("Erreur"));
    EXPECT_EQ(first->textFormat(), Qt::PlainText);
    // The message names a file as written: never read as markup.
    auto* message = first->findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel"));
    ASSERT_NE(message, nullptr);
    EXPECT_EQ(message->textFormat(), Qt::PlainText);
    EXPECT_TRUE(message->text().contains(QStringLiteral("<i>icon.svg</i>")));
    // Another error while the alert shows does not stack a second one.
    w.store().setError(AppError::notAHomeyApp());
    EXPECT_EQ(w.alert(), first);
    w.click(QStringLiteral("OK"));
    EXPECT_FALSE(w.store().error().has_value());
    QCoreApplication::processEvents();
    EXPECT_EQ(w.window.presentation(), nullptr);
}

TEST(MainWindow, AWritePlannedWhileTheErrorShowsWaitsForItsDismissal) {
    Window w;
    w.fixture.addProject("/projets/maison", "Maison [*]", {"prise"});
    w.store().openHomeyApp(QStringLiteral("/projets/maison"));
    // As the window system shows it: "[*]" is no unsaved-changes mark here.
    ASSERT_NE(w.window.windowHandle(), nullptr);
    EXPECT_EQ(w.window.windowHandle()->title(), QStringLiteral("Maison [*]"));
    w.store().setError(AppError::notAHomeyApp());
    QDialog* alert = w.window.presentation();
    w.store().prepareWrite();
    ASSERT_TRUE(w.store().pendingWrite().has_value());
    EXPECT_EQ(w.window.presentation(), alert);
    w.click(QStringLiteral("OK"));
    QCoreApplication::processEvents();
    QDialog* sheet = w.window.presentation();
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(qobject_cast<QMessageBox*>(sheet), nullptr);
    // Any dismissal of the sheet drops the plan.
    sheet->reject();
    EXPECT_FALSE(w.store().pendingWrite().has_value());
}

TEST(MainWindow, TheDiscardAlertListsTheDriversAndItsCancelOnlyClearsThePendingAction) {
    Window w;
    w.fixture.addProject("/projets/maison", "Maison", {"alpha", "beta", "gamma"});
    w.store().openHomeyApp(QStringLiteral("/projets/maison"));
    for (const char* id : {"alpha", "beta", "gamma"}) {
        w.store().setSelectedDriverID(id);
        w.store().currentEditor().setDepth(33);
    }
    w.store().requestCloseProject();
    ASSERT_NE(w.alert(), nullptr);
    EXPECT_EQ(
        w.alert()->informativeText(),
        QStringLiteral("Ces pilotes ont des modifications qui ne sont pas écrites dans le projet : alpha, beta et "
                       "gamma."));
    w.click(QStringLiteral("Annuler"));
    EXPECT_FALSE(w.store().pendingDiscard().has_value());
    EXPECT_TRUE(w.store().app().has_value());

    w.store().requestCloseProject();
    QCoreApplication::processEvents();
    w.click(QStringLiteral("Abandonner"));
    EXPECT_FALSE(w.store().app().has_value());
}

TEST(MainWindow, TheFreeIconTypedInIsSavedAgainAfterADriverWasEditedAndItsProjectClosed) {
    Window w;
    w.fixture.app->session().startFreeIconAutosave();
    const auto typeWidth = [&](const QString& text) {
        auto* width = glyphsmith_views_testing::named<QLineEdit>(&w.window, QStringLiteral("Largeur (mm)"));
        ASSERT_NE(width, nullptr);
        width->selectAll();
        QTest::keyClicks(width, text);
        QTest::keyClick(width, Qt::Key_Return);
    };
    // The free icon saved one delay later is the one typed in.
    glyphsmith_state::DriverEditor& free = w.store().freeEditor();
    const auto saved = [&] {
        w.fixture.clock->advance(std::chrono::milliseconds(1000));
        const auto& saves = w.fixture.freeIcon->saves;
        return saves.empty() ? std::nullopt : std::optional(saves.back());
    };
    typeWidth(QStringLiteral("120"));
    EXPECT_EQ(free.faceWidth(), 120);
    EXPECT_EQ(saved(), free.model());

    w.fixture.addProject("/projets/maison", "Maison", {"prise"});
    w.store().openHomeyApp(QStringLiteral("/projets/maison"));
    typeWidth(QStringLiteral("70"));
    ASSERT_TRUE(w.store().currentEditor().hasUnwrittenChanges());
    w.actions.action(Command::closeProject)->trigger();
    QCoreApplication::processEvents();
    w.click(QStringLiteral("Abandonner"));
    ASSERT_EQ(w.window.windowTitle(), QStringLiteral("Icône sans projet"));

    typeWidth(QStringLiteral("130"));
    EXPECT_EQ(free.faceWidth(), 130);
    EXPECT_EQ(saved(), free.model());
}

TEST(MainWindow, ShrinksNoFurtherThanItsMinimumWithFixedSideColumns) {
    Window w;
    w.window.resize(800, 500);
    QCoreApplication::processEvents();
    EXPECT_EQ(w.window.size(), QSize(1100, 700));
    w.window.resize(1500, 900);
    QCoreApplication::processEvents();
    EXPECT_EQ(w.window.sidebar()->width(), 240);
    EXPECT_EQ(w.window.inspector()->width(), 320);
}

}  // namespace
}  // namespace glyphsmith_views
