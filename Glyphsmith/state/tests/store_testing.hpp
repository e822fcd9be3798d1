#pragma once

// Projects and stores the store tests start from.

#include <gtest/gtest.h>

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QString>
#include <memory>
#include <string>

#include "glyphsmith_state/project_store.hpp"
#include "glyphsmith_state_testing/queued_task_runner.hpp"
#include "glyphsmith_state_testing/store_doubles.hpp"
#include "homey_project/homey_app.hpp"
#include "icon_geometry/icon_model.hpp"

namespace store_testing {

inline void writeFile(const QString& path, const QByteArray& bytes) {
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).absolutePath()));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

inline QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A Homey app folder with one folder per driver id, each named in English.
inline void makeProject(const QString& root, const QStringList& driverIDs) {
    writeFile(root + QStringLiteral("/app.json"), R"({"id": "com.example.app", "name": {"en": "App"}})");
    for (const QString& id : driverIDs) {
        writeFile(root + QStringLiteral("/drivers/") + id + QStringLiteral("/driver.compose.json"),
                  QStringLiteral(R"({"name": {"en": "Driver %1", "fr": "Pilote %1"}})").arg(id).toUtf8());
    }
}

// An app of drivers for the reader double.
inline homey_project::HomeyApp appWithDrivers(const std::string& root, const std::vector<std::string>& ids) {
    homey_project::HomeyApp app;
    app.root = root;
    app.id = "com.example." + std::filesystem::path(root).filename().string();
    for (const std::string& id : ids)
        app.drivers.push_back({id, {{"en", "Driver " + id}, {"fr", "Pilote " + id}}, app.root / "drivers" / id});
    return app;
}

// A model the editors never start from.
inline icon_geometry::IconModel otherModel(double depth = 33) {
    icon_geometry::ExtrudedBody body;
    body.face = icon_geometry::FaceShape::ellipse(50, 40);
    body.depth = depth;
    return icon_geometry::IconModel::withSingleBody(std::move(body));
}

// Lets posted calls (the store's one-turn-later tasks) run.
inline void turnEventLoop() {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

// A store over doubles: a reader that knows the apps put in `reader->apps`, a
// writer that answers as told, recents in memory and scripted panels.
struct DoubledStore {
    std::shared_ptr<glyphsmith_state_testing::FakeProjectReader> reader =
        std::make_shared<glyphsmith_state_testing::FakeProjectReader>();
    std::shared_ptr<glyphsmith_state_testing::FakeProjectWriter> writer =
        std::make_shared<glyphsmith_state_testing::FakeProjectWriter>();
    glyphsmith_state_testing::MemoryRecentProjects recents;
    glyphsmith_state_testing::QueuedTaskRunner runner;
    glyphsmith_state_testing::ScriptedFilePanels panels;
    std::unique_ptr<glyphsmith_state::ProjectStore> store;

    explicit DoubledStore(glyphsmith_state::FreeIconStoring* freeIcon = nullptr, QStringList recent = {})
        : recents(std::move(recent)) {
        store = std::make_unique<glyphsmith_state::ProjectStore>(
            recents, freeIcon, runner, glyphsmith_state::ProjectStore::Seams{reader, writer, &panels, {}});
    }
    // Knows `folder` as an app with the drivers.
    void addApp(const std::string& folder, const std::vector<std::string>& ids) {
        reader->apps[folder] = appWithDrivers(folder, ids);
    }
};

}  // namespace store_testing
