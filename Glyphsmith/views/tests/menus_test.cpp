#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include "app_fixture.hpp"
#include "glyphsmith_state_testing/editor_fields.hpp"
#include "glyphsmith_views/about_window.hpp"
#include "glyphsmith_views/action_registry.hpp"
#include "glyphsmith_views/app_menus.hpp"
#include "glyphsmith_views/canvas_view.hpp"
#include "glyphsmith_views/install_help.hpp"
#include "glyphsmith_views/main_window.hpp"
#include "glyphsmith_views/settings_window.hpp"
#include "glyphsmith_views/update_alerts.hpp"

using glyphsmith_state_testing::EditorFields;

namespace glyphsmith_views {
namespace {

using glyphsmith_state::PreviewMode;

using homey_project::DriverImageSize;

struct App {
    glyphsmith_views_testing::AppFixture fixture;
    ActionRegistry actions{*fixture.app};
    MainWindow window{*fixture.app, actions};
    AppMenus menus = installAppMenus(window);

    App() {
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    glyphsmith_state::ProjectStore& store() { return fixture.store(); }
    QAction* action(Command command) { return actions.action(command); }
    void press(QKeyCombination keys) {
        QTest::keyClick(&window, keys.key(), keys.keyboardModifiers());
        QCoreApplication::processEvents();
    }
};

// Each menu as its items read: the text and the shortcut, "-" for a separator.
QStringList itemsOf(QMenu* menu) {
    QStringList items;
    for (QAction* item : menu->actions())
        items << (item->isSeparator() ? QStringLiteral("-")
                                      : item->text() + u'|' + item->shortcut().toString(QKeySequence::PortableText));
    return items;
}

TEST(AppMenus, FichierApercuAndAideHoldEveryCommandWithItsShortcutAndNoNewWindowItem) {
    App app;
    EXPECT_EQ(app.menus.file->title(), QStringLiteral("&Fichier"));
    EXPECT_EQ(app.menus.file->accessibleName(), QStringLiteral("Fichier"));
    EXPECT_EQ(
        itemsOf(app.menus.file),
        (QStringList{"Ouvrir une app Homey…|Ctrl+O", "Fermer le projet|", "-", "Écrire le pilote…|Ctrl+S", "-",
                     "Exporter l’icône…|Ctrl+E", "Exporter les images…|Ctrl+Shift+E", "-", "Enregistrer le modèle…|",
                     "Ouvrir un modèle…|Ctrl+Shift+O", "-", "Réglages…|Ctrl+,", "Quitter|Ctrl+Q"}));
    EXPECT_EQ(app.menus.preview->accessibleName(), QStringLiteral("Aperçu"));
    EXPECT_EQ(itemsOf(app.menus.preview),
              (QStringList{"Icône|Ctrl+1", "Tuiles|Ctrl+2", "Masque|Ctrl+3", "Photo|Ctrl+4"}));
    EXPECT_EQ(app.menus.help->accessibleName(), QStringLiteral("Aide"));
    EXPECT_EQ(itemsOf(app.menus.help),
              (QStringList{"Rechercher une mise à jour…|", "Installer l’outil en ligne de commande…|", "-",
                           "À propos de Glyphsmith|"}));
    EXPECT_EQ(app.action(Command::about)->menuRole(), QAction::AboutRole);
    EXPECT_EQ(app.action(Command::settings)->menuRole(), QAction::PreferencesRole);
    EXPECT_EQ(app.action(Command::quit)->menuRole(), QAction::QuitRole);
    EXPECT_EQ(app.action(Command::writeDriver)->menuRole(), QAction::NoRole);
    // The toolbar's "Exporter" menu shows the very same actions.
    EXPECT_EQ(app.window.exportMenu()->actions()[0], app.action(Command::exportIcon));
    EXPECT_EQ(app.window.exportMenu()->actions()[4], app.action(Command::openModel));

    for (QAction* action : app.window.findChildren<QAction*>())
        EXPECT_NE(action->shortcut(), QKeySequence(QKeySequence::New)) << action->text().toStdString();
    const auto windowsBefore = QApplication::topLevelWidgets().size();
    app.press(Qt::CTRL | Qt::Key_N);
    EXPECT_EQ(QApplication::topLevelWidgets().size(), windowsBefore);
}

TEST(AppMenus, WritingNeedsASelectedDriverAndCtrlSDoesNothingWithoutOne) {
    App app;
    app.fixture.addProject("/p/maison", "Maison", {"prise"});
    EXPECT_FALSE(app.action(Command::closeProject)->isEnabled());
    app.press(Qt::CTRL | Qt::Key_S);
    EXPECT_FALSE(app.store().pendingWrite().has_value());

    app.store().openHomeyApp(QStringLiteral("/p/maison"));
    app.store().setSelectedDriverID("inconnu");
    EXPECT_TRUE(app.action(Command::closeProject)->isEnabled());
    EXPECT_FALSE(app.action(Command::writeDriver)->isEnabled());
    app.press(Qt::CTRL | Qt::Key_S);
    EXPECT_FALSE(app.store().pendingWrite().has_value());

    app.store().setSelectedDriverID("prise");
    app.press(Qt::CTRL | Qt::Key_S);
    EXPECT_TRUE(app.store().pendingWrite().has_value());
}

TEST(AppMenus, ClosingWithUnwrittenChangesWaitsForTheDiscardAlert) {
    App app;
    app.fixture.addProject("/p/maison", "Maison", {"prise"});
    app.store().openHomeyApp(QStringLiteral("/p/maison"));
    app.store().setSelectedDriverID("prise");
    app.store().currentEditor().setDepth(44);
    app.action(Command::closeProject)->trigger();
    EXPECT_TRUE(app.store().app().has_value());
    auto* alert = qobject_cast<QMessageBox*>(app.window.presentation());
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->text(), QStringLiteral("Abandonner les modifications non écrites ?"));
}

TEST(AppMenus, TheUpdateItemIsDisabledWhileACheckRunsWhateverItsEnd) {
    App app;
    QAction* check = app.action(Command::checkForUpdates);
    check->trigger();
    EXPECT_FALSE(check->isEnabled());
    check->trigger();
    EXPECT_EQ(app.fixture.fetcher->requestCount(), 1u);
    app.fixture.fetcher->answer(glyphsmith_state::VersionFetchFailure::network);
    EXPECT_TRUE(check->isEnabled());
    // The launch check disables it too.
    app.fixture.app->updates().checkForUpdatesAtLaunch();
    EXPECT_FALSE(check->isEnabled());
}

TEST(AppMenus, Ctrl4ShowsThePhotoModeEvenWithoutAPhotoAndCtrlOAsksForAFolder) {
    App app;
    ASSERT_TRUE(app.store().currentEditor().loadedPhotos().empty());
    app.press(Qt::CTRL | Qt::Key_4);
    EXPECT_EQ(app.fixture.app->session().previewMode(), PreviewMode::overlay);
    app.press(Qt::CTRL | Qt::Key_2);
    EXPECT_EQ(app.fixture.app->session().previewMode(), PreviewMode::tiles);
    // Ctrl+O asks for a Homey app's folder.
    app.press(Qt::CTRL | Qt::Key_O);
    ASSERT_EQ(app.fixture.panels->openRequests.size(), 1u);
    EXPECT_TRUE(app.fixture.panels->openRequests[0].canChooseFolders);
}

TEST(PreviewButtons, AScreenReadersPressOnAModeButtonShowsThatModeAndTheMenuHoldsTheSameAction) {
    App app;
    const auto modeButton = [&](const QString& title) -> QToolButton* {
        for (QToolButton* button : app.window.canvas()->findChildren<QToolButton*>())
            if (button->accessibleName() == title) return button;
        return nullptr;
    };
    QToolButton* photo = modeButton(QStringLiteral("Photo"));
    QToolButton* tiles = modeButton(QStringLiteral("Tuiles"));
    ASSERT_TRUE(photo && tiles);
    EXPECT_EQ(photo->defaultAction(), app.menus.preview->actions()[3]);
    // What a screen reader's press does: the button's accessible action, no click.
    QAccessibleActionInterface* accessible = QAccessible::queryAccessibleInterface(photo)->actionInterface();
    ASSERT_NE(accessible, nullptr);
    const QString press = accessible->actionNames().contains(QAccessibleActionInterface::toggleAction())
                              ? QAccessibleActionInterface::toggleAction()
                              : QAccessibleActionInterface::pressAction();
    accessible->doAction(press);
    EXPECT_EQ(app.fixture.app->session().previewMode(), PreviewMode::overlay);
    EXPECT_TRUE(photo->isChecked());
    EXPECT_TRUE(app.window.canvas()->preview(PreviewMode::overlay)->isVisible());
    // Pressed again, the mode shown stays shown.
    accessible->doAction(press);
    EXPECT_EQ(app.fixture.app->session().previewMode(), PreviewMode::overlay);
    EXPECT_TRUE(photo->isChecked());
    // Space on another button, and Ctrl+1, take the buttons with them.
    tiles->setFocus();
    QTest::keyClick(tiles, Qt::Key_Space);
    EXPECT_EQ(app.fixture.app->session().previewMode(), PreviewMode::tiles);
    EXPECT_FALSE(photo->isChecked());
    app.press(Qt::CTRL | Qt::Key_1);
    EXPECT_EQ(app.fixture.app->session().previewMode(), PreviewMode::icon);
    EXPECT_FALSE(photo->isChecked());
}

TEST(ExportCommands, ImagesWaitForRenderedImagesAndEachExportWritesWhereThePanelSays) {
    App app;
    auto& panels = *app.fixture.panels;
    QTemporaryDir folder;
    QAction* images = app.action(Command::exportImages);
    EXPECT_FALSE(images->isEnabled());
    app.press(Qt::CTRL | Qt::SHIFT | Qt::Key_E);
    EXPECT_TRUE(panels.openRequests.empty());

    EditorFields(app.store().currentEditor())
        .setDriverImages(
            {{DriverImageSize::small, "s"}, {DriverImageSize::large, "l"}, {DriverImageSize::xlarge, "x"}});
    EXPECT_TRUE(images->isEnabled());
    panels.answers.push_back(folder.path());
    app.press(Qt::CTRL | Qt::SHIFT | Qt::Key_E);
    ASSERT_EQ(panels.openRequests.size(), 1u);
    EXPECT_EQ(panels.openRequests[0].prompt, QStringLiteral("Enregistrer"));
    for (const char* name : {"small.png", "large.png", "xlarge.png"})
        EXPECT_TRUE(QFile::exists(folder.filePath(QString::fromUtf8(name)))) << name;

    panels.answers.push_back(folder.filePath(QStringLiteral("icone.svg")));
    app.press(Qt::CTRL | Qt::Key_E);
    ASSERT_EQ(panels.saveRequests.size(), 1u);
    EXPECT_EQ(panels.saveRequests[0].proposedName, QStringLiteral("icone.svg"));
    QFile svg(folder.filePath(QStringLiteral("icone.svg")));
    ASSERT_TRUE(svg.open(QIODevice::ReadOnly));
    EXPECT_TRUE(svg.readAll().startsWith("<svg"));

    panels.answers.push_back(folder.filePath(QStringLiteral("icone-modele.json")));
    app.action(Command::saveModel)->trigger();
    EXPECT_EQ(panels.saveRequests[1].proposedName, QStringLiteral("icone-modele.json"));
    ASSERT_TRUE(QFile::exists(folder.filePath(QStringLiteral("icone-modele.json"))));

    // The saved model comes back through Shift+Ctrl+O, over a changed one.
    const icon_geometry::IconModel saved = app.store().currentEditor().model();
    app.store().currentEditor().setDepth(77);
    panels.answers.push_back(folder.filePath(QStringLiteral("icone-modele.json")));
    app.press(Qt::CTRL | Qt::SHIFT | Qt::Key_O);
    EXPECT_EQ(app.store().currentEditor().model(), saved);

    // Switching to a driver without images disables the images again.
    app.fixture.addProject("/p/maison", "Maison", {"prise"});
    app.store().openHomeyApp(QStringLiteral("/p/maison"));
    app.store().setSelectedDriverID("prise");
    EXPECT_FALSE(images->isEnabled());
    app.action(Command::exportIcon)->trigger();
    EXPECT_EQ(panels.saveRequests.back().proposedName, QStringLiteral("prise.svg"));
}

// ----- Update alerts -----

const char* newerWithNotes =
    R"({"version": "9.1", "build": "900", "url": "https://example.org/telecharger",
        "notes": {"fr": "<b>Plus</b> rapide & <a href='x'>sûr</a>"}})";

BundleInfo englishBundle() {
    BundleInfo bundle;
    bundle.name = QStringLiteral("Glyphsmith");
    bundle.shortVersion = QStringLiteral("1.0");
    bundle.version = QStringLiteral("10");
    bundle.preferredLocalizations = {QStringLiteral("en-GB")};
    return bundle;
}

QLabel* messageOf(QMessageBox* box) {
    return box->findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel"));
}

void clickButton(QMessageBox* box, const QString& text) {
    for (QAbstractButton* button : box->buttons())
        if (button->text() == text) return button->click();
    FAIL() << "no button " << text.toStdString();
}

TEST(UpdateAlerts, ANewVersionShowsItsFrenchNotesAsPlainTextAndOpensOnlyItsWebPage) {
    glyphsmith_views_testing::AppFixture fixture;
    QWidget window;
    QList<QUrl> opened;
    UpdateAlerts alerts(fixture.app->updates(), &window, englishBundle(), [&](const QUrl& url) {
        opened << url;
        return true;
    });
    fixture.app->updates().checkForUpdates(true);
    fixture.fetcher->answer(newerWithNotes);
    QMessageBox* box = alerts.alert();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text(), QStringLiteral("Une nouvelle version est disponible"));
    EXPECT_EQ(box->informativeText(),
              QStringLiteral("Version 9.1 (build 900). Vous avez la version 1.0.\n\n<b>Plus</b> rapide & <a "
                             "href='x'>sûr</a>"));
    ASSERT_NE(messageOf(box), nullptr);
    EXPECT_EQ(messageOf(box)->textFormat(), Qt::PlainText);
    clickButton(box, QStringLiteral("Ouvrir la page de téléchargement"));
    EXPECT_EQ(opened, QList<QUrl>{QUrl(QStringLiteral("https://example.org/telecharger"))});
    EXPECT_FALSE(fixture.app->updates().available().has_value());
    QCoreApplication::processEvents();
    EXPECT_EQ(alerts.alert(), nullptr);

    EXPECT_TRUE(isWebAddress(QUrl(QStringLiteral("HTTPS://example.org/a"))));
    for (const char* refused : {"javascript:alert(1)", "file:///etc/passwd", "ftp://example.org/", "https:///x"})
        EXPECT_FALSE(isWebAddress(QUrl(QString::fromUtf8(refused)))) << refused;
}

TEST(UpdateAlerts, WithoutNotesTheMessageEndsAtItsFullStopAndPlusTardClearsTheVersion) {
    glyphsmith_state::RemoteVersion version;
    version.version = QStringLiteral("2.0");
    version.build = QStringLiteral("7");
    EXPECT_EQ(newVersionMessage(version, QStringLiteral("1.0"), QStringLiteral("fr")),
              QStringLiteral("Version 2.0 (build 7). Vous avez la version 1.0."));

    glyphsmith_views_testing::AppFixture fixture;
    QWidget window;
    int opened = 0;
    UpdateAlerts alerts(fixture.app->updates(), &window, englishBundle(), [&](const QUrl&) { return ++opened; });
    fixture.app->updates().setAvailable(version);
    ASSERT_NE(alerts.alert(), nullptr);
    clickButton(alerts.alert(), QStringLiteral("Plus tard"));
    EXPECT_FALSE(fixture.app->updates().available().has_value());
    EXPECT_EQ(opened, 0);
}

TEST(UpdateAlerts, LongNotesKeepTheButtonsOnTheScreenAndStayWholeUnderTheDetails) {
    glyphsmith_state::RemoteVersion version;
    version.version = QStringLiteral("3.0");
    version.build = QStringLiteral("1");
    QStringList lines;
    for (int i = 0; i < 400; ++i) lines << QStringLiteral("- correction %1").arg(i);
    version.notes[QStringLiteral("fr")] = lines.join(u'\n');

    glyphsmith_views_testing::AppFixture fixture;
    QWidget window;
    UpdateAlerts alerts(fixture.app->updates(), &window, englishBundle(), {});
    fixture.app->updates().setAvailable(version);
    QMessageBox* box = alerts.alert();
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->informativeText().endsWith(QStringLiteral("- correction 15\u2026")));
    EXPECT_EQ(box->detailedText(), version.notes[QStringLiteral("fr")]);
    EXPECT_LT(box->sizeHint().height(), 700);
}

TEST(UpdateAlerts, UpToDateStatesTheInstalledVersionAndEachOkClearsItsField) {
    glyphsmith_views_testing::AppFixture fixture;
    QWidget window;
    UpdateAlerts alerts(fixture.app->updates(), &window, BundleInfo{}, {});
    auto& checker = fixture.app->updates();
    checker.setIsUpToDate(true);
    checker.setError(glyphsmith_state::AppError::updateCheckFailed());
    ASSERT_NE(alerts.alert(), nullptr);
    EXPECT_EQ(alerts.alert()->text(), QStringLiteral("App est à jour"));
    EXPECT_EQ(alerts.alert()->informativeText(), QStringLiteral("Version \u2014 (build \u2014)."));
    clickButton(alerts.alert(), QStringLiteral("OK"));
    EXPECT_FALSE(checker.isUpToDate());
    // The failure waits for the first alert to go, then shows.
    QCoreApplication::processEvents();
    ASSERT_NE(alerts.alert(), nullptr);
    EXPECT_EQ(alerts.alert()->text(), QStringLiteral("Recherche de mise à jour"));
    EXPECT_EQ(alerts.alert()->informativeText(), glyphsmith_state::AppError::updateCheckFailed().message());
    // Escape dismisses it as well, and clears the error.
    QTest::keyClick(alerts.alert(), Qt::Key_Escape);
    EXPECT_FALSE(checker.error().has_value());
}

TEST(SettingsWindow, TheSwitchStoresTheLaunchCheckAtOnceAndNamesTheSite) {
    glyphsmith_views_testing::AppFixture fixture;
    SettingsWindow settings(fixture.app->updates());
    EXPECT_EQ(settings.windowTitle(), QStringLiteral("Réglages"));
    EXPECT_EQ(settings.width(), 520);
    EXPECT_EQ(settings.launchCheck()->text(), QStringLiteral("Rechercher une mise à jour au lancement"));
    EXPECT_TRUE(settings.launchCheck()->isChecked());
    settings.launchCheck()->click();
    EXPECT_FALSE(fixture.preferences->checks);
    EXPECT_FALSE(fixture.app->updates().checksAtLaunch());
    fixture.app->updates().setChecksAtLaunch(true);
    EXPECT_TRUE(settings.launchCheck()->isChecked());
    EXPECT_EQ(launchCheckSentence(QStringLiteral("maj.example.org")),
              QStringLiteral("Une fois par jour au plus. L’app lit un fichier de version sur maj.example.org, sans "
                             "rien envoyer, et ne télécharge rien d’elle-même."));
}

// ----- About -----

TEST(AboutWindow, OneWindowHoweverOftenTheCommandRuns) {
    App app;
    app.action(Command::about)->trigger();
    app.action(Command::about)->trigger();
    ASSERT_NE(app.menus.windows->about(), nullptr);
    EXPECT_EQ(app.window.findChildren<AboutWindow*>().size(), 1);
    EXPECT_TRUE(app.menus.windows->about()->isVisible());
    EXPECT_EQ(app.menus.windows->about()->windowTitle(), QStringLiteral("À propos de Glyphsmith"));
    app.menus.windows->about()->close();
    app.action(Command::about)->trigger();
    EXPECT_EQ(app.window.findChildren<AboutWindow*>().size(), 1);
    app.action(Command::settings)->trigger();
    app.press(Qt::CTRL | Qt::Key_Comma);
    EXPECT_EQ(app.window.findChildren<SettingsWindow*>().size(), 1);
}

TEST(AboutWindow, MissingVersionsShowDashesAndLinksFollowTheSiteAndLanguage) {
    BundleInfo english;
    english.identifier = QStringLiteral("org.example.Glyphsmith");
    english.preferredLocalizations = {QStringLiteral("en-US")};
    AboutFacts facts;
    facts.name = QStringLiteral("Glyphsmith");
    facts.version = AppInfo::version(BundleInfo{});
    facts.build = AppInfo::build(BundleInfo{});
    facts.site = QUrl(QStringLiteral("https://atelier.example"));
    facts.productPage = AppLinks::productPage(QStringLiteral("https://atelier.example"), english);
    QList<QUrl> opened;
    AboutWindow about(facts, nullptr, [&](const QUrl& url) {
        opened << url;
        return true;
    });
    EXPECT_EQ(about.versionLine()->text(), QStringLiteral("Version \u2014 (build \u2014)"));
    ASSERT_EQ(about.links().size(), 3);
    EXPECT_EQ(about.links()[0]->text(), QStringLiteral("https://atelier.example"));
    EXPECT_EQ(about.links()[1]->accessibleName(), QStringLiteral("Support"));
    EXPECT_EQ(about.links()[2]->text(), QStringLiteral("Confidentialité"));
    about.show();
    about.links()[1]->setFocus();
    QTest::keyClick(about.links()[1], Qt::Key_Return);
    EXPECT_EQ(opened, QList<QUrl>{QUrl(QStringLiteral("https://atelier.example/en/glyphsmith/support.html"))});

    facts.site.reset();
    facts.productPage = AppLinks::productPage(QString(), english);
    AboutWindow withoutSite(facts, nullptr, {});
    EXPECT_TRUE(withoutSite.links().isEmpty());
}

// ----- Command-line tool -----

TEST(InstallHelp, AnyToolPathIsOneArgumentOfTheLinkCommand) {
    const QString path = QStringLiteral("/tmp/Mes apps/l'atelier $(touch pwned) `id` \"q\" \\n/glyphctl");
    const QString command = cliInstallCommand(path);
    EXPECT_TRUE(command.startsWith(QStringLiteral("sudo mkdir -p /usr/local/bin && sudo ln -sf '")));
    EXPECT_TRUE(command.endsWith(QStringLiteral("' /usr/local/bin/glyphctl")));
    // The same words with the commands replaced by harmless ones.
    QString dryRun = command;
    dryRun.replace(QStringLiteral("sudo mkdir -p /usr/local/bin && sudo ln -sf "), QStringLiteral("printf '%s\\n' "));
    QTemporaryDir folder;
    QProcess shell;
    shell.setWorkingDirectory(folder.path());
    shell.start(QStringLiteral("sh"), {QStringLiteral("-c"), dryRun});
    ASSERT_TRUE(shell.waitForFinished(5000));
    EXPECT_EQ(shell.readAllStandardOutput().toStdString(),
              (path + QStringLiteral("\n/usr/local/bin/glyphctl\n")).toStdString());
    EXPECT_FALSE(QFile::exists(folder.filePath(QStringLiteral("pwned"))));
}

TEST(InstallHelp, TheToolBesideTheProgramElseTheOneBuiltWithIt) {
    QTemporaryDir installed;
    QFile(installed.filePath(QStringLiteral("glyphctl"))).open(QIODevice::WriteOnly);
    QTemporaryDir build;
    const QString built = build.filePath(QStringLiteral("icon-command/glyphctl"));
    QDir(build.path()).mkpath(QStringLiteral("icon-command"));
    QDir(build.path()).mkpath(QStringLiteral("Glyphsmith"));
    QFile(built).open(QIODevice::WriteOnly);
    const QString buildApp = build.filePath(QStringLiteral("Glyphsmith"));
    EXPECT_EQ(bundledCommandLineTool(installed.path(), buildApp, built),
              installed.filePath(QStringLiteral("glyphctl")));
    EXPECT_EQ(bundledCommandLineTool(buildApp, buildApp, built), built);
    // Another folder without the tool names the place beside the program.
    QTemporaryDir elsewhere;
    EXPECT_EQ(bundledCommandLineTool(elsewhere.path(), buildApp, built),
              elsewhere.filePath(QStringLiteral("glyphctl")));
}

TEST(InstallHelp, CopierPutsExactlyTheCommandOnTheClipboardAndFermerLeavesIt) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText(QStringLiteral("avant"));
    QMessageBox* closing = showCLIInstallAlert(nullptr);
    EXPECT_EQ(closing->text(), QStringLiteral("Outil en ligne de commande"));
    EXPECT_TRUE(closing->informativeText().contains(QStringLiteral("\n\n") + cliInstallCommand() +
                                                    QStringLiteral("\n\nEnsuite : glyphctl aide.")));
    clickButton(closing, QStringLiteral("Fermer"));
    EXPECT_EQ(clipboard->text(), QStringLiteral("avant"));

    QMessageBox* copying = showCLIInstallAlert(nullptr);
    EXPECT_EQ(copying->defaultButton()->text(), QStringLiteral("Copier la commande"));
    clickButton(copying, QStringLiteral("Copier la commande"));
    EXPECT_EQ(clipboard->text(), cliInstallCommand());
    EXPECT_FALSE(clipboard->text().endsWith(u'\n'));
}

}  // namespace
}  // namespace glyphsmith_views
