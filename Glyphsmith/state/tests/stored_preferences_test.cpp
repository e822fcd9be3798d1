#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "glyphsmith_state/free_icon.hpp"
#include "glyphsmith_state/recent_projects.hpp"
#include "glyphsmith_state/user_defaults.hpp"
#include "icon_geometry/icon_model_coding.hpp"
#include "icon_geometry/json.hpp"
#include "icon_geometry/model_template.hpp"

using namespace glyphsmith_state;
using namespace Qt::Literals::StringLiterals;
using icon_geometry::IconModel;

namespace {

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

class StoredPreferences : public ::testing::Test {
protected:
    QTemporaryDir folder;
    QString preferencesPath() const { return folder.filePath(u"config/preferences.json"_s); }
    UserDefaultsRecentProjects recents() const { return UserDefaultsRecentProjects(UserDefaults(preferencesPath())); }
};

TEST_F(StoredPreferences, KeepsTheFirstTenFoldersInOrder) {
    QStringList twelve;
    for (int i = 0; i < 12; ++i) twelve.append(u"/projets/app-%1"_s.arg(i));
    recents().saveRecentProjects(twelve);
    // A fresh object reads the file again, as the next launch would.
    EXPECT_EQ(recents().loadRecentProjects(), twelve.first(10));
    const QJsonValue stored = QJsonDocument::fromJson(readAll(preferencesPath())).object().value(u"recentProjects"_s);
    ASSERT_TRUE(stored.isArray());
    EXPECT_EQ(stored.toArray().size(), 10);
    EXPECT_TRUE(stored.toArray().at(0).isString());
}

TEST_F(StoredPreferences, OneFolderStaysAList) {
    recents().saveRecentProjects({u"/projets/seul"_s});
    EXPECT_EQ(recents().loadRecentProjects(), QStringList{u"/projets/seul"_s});
}

TEST_F(StoredPreferences, PathsComeBackAsTheyWereWrittenOnceMadeAbsoluteAndClean) {
    const QStringList folders{u"/projets/Prise, murale"_s, u"/home/élise/Mes apps/Thermostat à molette"_s,
                              u"/projets/./a/../b/"_s, u"relatif/app"_s};
    recents().saveRecentProjects(folders);
    const QStringList loaded = recents().loadRecentProjects();
    ASSERT_EQ(loaded.size(), 4);
    EXPECT_EQ(loaded[0], folders[0]);
    EXPECT_EQ(loaded[1], folders[1]);
    EXPECT_EQ(loaded[2], u"/projets/b"_s);
    EXPECT_EQ(loaded[3], QDir::cleanPath(QDir::current().absoluteFilePath(u"relatif/app"_s)));
}

TEST_F(StoredPreferences, LinksAreNotResolved) {
    ASSERT_TRUE(QDir().mkpath(folder.filePath(u"réel"_s)));
    ASSERT_TRUE(QFile::link(folder.filePath(u"réel"_s), folder.filePath(u"lien"_s)));
    recents().saveRecentProjects({folder.filePath(u"lien"_s)});
    EXPECT_EQ(recents().loadRecentProjects(), QStringList{folder.filePath(u"lien"_s)});
}

TEST_F(StoredPreferences, KeysItDoesNotKnowSurviveASave) {
    ASSERT_TRUE(QDir().mkpath(folder.filePath(u"config"_s)));
    writeAll(preferencesPath(), R"({"updates.checksAtLaunch": false, "autre": {"x": [1, 2]}})");
    recents().saveRecentProjects({u"/projets/a"_s});
    const QJsonObject stored = QJsonDocument::fromJson(readAll(preferencesPath())).object();
    EXPECT_EQ(stored.value(u"updates.checksAtLaunch"_s), QJsonValue(false));
    EXPECT_EQ(stored.value(u"autre"_s).toObject().value(u"x"_s).toArray().size(), 2);
    EXPECT_EQ(recents().loadRecentProjects(), QStringList{u"/projets/a"_s});
}

TEST_F(StoredPreferences, AnUnreadableFileReadsAsEmptyAndTheNextSaveMendsIt) {
    const std::vector<std::pair<const char*, std::function<void(const QString&)>>> cases{
        {"missing", [](const QString&) {}},
        {"empty", [](const QString& p) { writeAll(p, ""); }},
        {"not JSON", [](const QString& p) { writeAll(p, "{\"recentProjects\": [\"/a\""); }},
        {"top-level array", [](const QString& p) { writeAll(p, R"([{"recentProjects": ["/a"]}])"); }},
        {"a single string", [](const QString& p) { writeAll(p, R"({"recentProjects": "/a"})"); }},
        {"numbers", [](const QString& p) { writeAll(p, R"({"recentProjects": ["/a", 2]})"); }},
        {"a FIFO", [](const QString& p) { ASSERT_EQ(mkfifo(p.toLocal8Bit().constData(), 0600), 0); }},
        {"a link to /dev/zero", [](const QString& p) { ASSERT_TRUE(QFile::link(u"/dev/zero"_s, p)); }},
        {"a folder", [](const QString& p) { ASSERT_TRUE(QDir().mkpath(p)); }},
    };
    for (const auto& [name, make] : cases) {
        SCOPED_TRACE(name);
        QTemporaryDir scratch;
        const QString path = scratch.filePath(u"preferences.json"_s);
        make(path);
        UserDefaultsRecentProjects store{UserDefaults(path)};
        EXPECT_TRUE(store.loadRecentProjects().isEmpty());
        store.saveRecentProjects({u"/projets/b"_s});
        if (std::string_view(name) == "a folder") continue;  // nothing can replace a folder
        EXPECT_EQ(UserDefaultsRecentProjects(UserDefaults(path)).loadRecentProjects(), QStringList{u"/projets/b"_s});
        EXPECT_TRUE(QFileInfo(path).isFile() && !QFileInfo(path).isSymLink());
    }
}

TEST_F(StoredPreferences, LiveInTheConfigurationAndDataFolders) {
    EXPECT_EQ(
        UserDefaults::standardFilePath(),
        QDir(QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation)).filePath(u"preferences.json"_s));
    EXPECT_EQ(ApplicationSupportFreeIcon::standardFilePath(),
              QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)).filePath(u"icone-libre.json"_s));
}

class FreeIcon : public StoredPreferences {
protected:
    QString iconPath() const { return folder.filePath(u"donnees/Glyphsmith/icone-libre.json"_s); }
    static IconModel edited() {
        IconModel model = icon_geometry::ModelTemplate(icon_geometry::ModelTemplate::dialThermostat).model();
        model.camera = icon_geometry::Camera{33, 2, 3};
        return model;
    }
};

TEST_F(FreeIcon, ComesBackAsSavedInANewFolder) {
    ApplicationSupportFreeIcon(iconPath()).save(edited());
    EXPECT_EQ(ApplicationSupportFreeIcon(iconPath()).load(), edited());
    // Pretty-printed with sorted keys.
    EXPECT_TRUE(readAll(iconPath()).startsWith("{\n  \"camera\""));
}

TEST_F(FreeIcon, AFileTheGuardedInputRefusesGivesNoModel) {
    std::string deep;
    for (int i = 0; i < 100; ++i) deep += "[";
    const std::vector<std::pair<const char*, std::string>> cases{
        {"too deep", deep},
        {"out of bounds", R"({"version": 2, "parts": [], "orientation": "wall", "x": 20000})"},
        {"newer", R"({"version": 3, "parts": [], "orientation": "wall"})"},
        {"truncated", icon_geometry::json::write(icon_geometry::json::encode(edited())).substr(0, 200)},
    };
    ASSERT_TRUE(QDir().mkpath(QFileInfo(iconPath()).absolutePath()));
    for (const auto& [name, bytes] : cases) {
        SCOPED_TRACE(name);
        writeAll(iconPath(), QByteArray::fromStdString(bytes));
        EXPECT_FALSE(ApplicationSupportFreeIcon(iconPath()).load());
    }
}

TEST_F(FreeIcon, ARefusedFileSurvivesTheLaunchSaveAndMovesAsideForARealEdit) {
    ASSERT_TRUE(QDir().mkpath(QFileInfo(iconPath()).absolutePath()));
    const QByteArray newer = R"({"version": 9, "parts": "written by a later app"})";
    writeAll(iconPath(), newer);
    ApplicationSupportFreeIcon storage(iconPath());
    ASSERT_FALSE(storage.load());
    // The app saves the free icon after launch even without a change.
    storage.save(freeIconStartingModel());
    EXPECT_EQ(readAll(iconPath()), newer);
    EXPECT_FALSE(QFile::exists(iconPath() + u".bak"_s));
    storage.save(edited());
    EXPECT_EQ(readAll(iconPath() + u".bak"_s), newer);
    EXPECT_EQ(ApplicationSupportFreeIcon(iconPath()).load(), edited());
    // From then on every save writes.
    storage.save(freeIconStartingModel());
    EXPECT_EQ(ApplicationSupportFreeIcon(iconPath()).load(), freeIconStartingModel());
    EXPECT_EQ(readAll(iconPath() + u".bak"_s), newer);
}

TEST_F(FreeIcon, AModelThatWouldNotReadBackIsNeverSaved) {
    ApplicationSupportFreeIcon storage(iconPath());
    storage.save(edited());
    IconModel huge = edited();
    huge.parts.front().offset = {20000, 0, 0};
    storage.save(huge);
    EXPECT_EQ(ApplicationSupportFreeIcon(iconPath()).load(), edited());
}

}  // namespace
