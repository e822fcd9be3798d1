#pragma once

// The app on its real store and services: the project reader and writer, the
// photo analysis on a thread pool, with a Homey app folder on disk and a
// frontal photo of a device from the test-photo library. Only the recent
// projects (in memory), the free icon (none) and the folder panel (scripted)
// are doubles.

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <memory>

#include "app_fixture.hpp"
#include "glyphsmith_state/thread_pool_task_runner.hpp"
#include "glyphsmith_state_testing/store_doubles.hpp"
#include "glyphsmith_views/glyphsmith_app.hpp"
#include "test_photo/image_files.hpp"
#include "test_photo/scene.hpp"

namespace glyphsmith_views_testing {

inline void writeBytes(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) file.write(bytes);
}

// A Homey app folder with one folder per driver id.
inline void makeHomeyApp(const QString& root, const QStringList& driverIDs) {
    writeBytes(root + QStringLiteral("/app.json"),
               R"({"id": "com.example.maison", "name": {"en": "Home", "fr": "Maison"}, "brandColor": "#00A0E3"})");
    for (const QString& id : driverIDs)
        writeBytes(root + QStringLiteral("/drivers/") + id + QStringLiteral("/driver.compose.json"),
                   QStringLiteral(R"({"name": {"en": "Driver %1", "fr": "Pilote %1"}})").arg(id).toUtf8());
}

// A wall switch on a plain wall, seen from the front (or turned by `yawDegrees`,
// 90 for its side), as a JPEG of the size asked.
inline QByteArray frontalPhotoJpeg(int width, int height, double yawDegrees = 0) {
    test_photo::SceneOptions options;
    options.width = width;
    options.height = height;
    options.faceWidthMm = 86;
    options.faceHeightMm = 86;
    options.depthMm = 12;
    options.yawDegrees = yawDegrees;
    options.details = {test_photo::DetailKind::led, test_photo::DetailKind::buttonRing,
                       test_photo::DetailKind::separator};
    const test_photo::Scene scene = test_photo::renderScene(options);
    const std::vector<std::uint8_t> jpeg =
        test_photo::encodeJpeg(test_photo::rgbaImage(scene.width, scene.height, scene.rgba), 90);
    return QByteArray(reinterpret_cast<const char*>(jpeg.data()), static_cast<qsizetype>(jpeg.size()));
}

struct RealApp {
    glyphsmith_state::ThreadPoolTaskRunner* runner = nullptr;
    glyphsmith_state_testing::ScriptedFilePanels* panels = nullptr;
    std::unique_ptr<glyphsmith_views::GlyphsmithApp> app;

    RealApp() {
        glyphsmith_views::AppServices services;
        services.recents = std::make_unique<glyphsmith_state_testing::MemoryRecentProjects>();
        auto pool = std::make_unique<glyphsmith_state::ThreadPoolTaskRunner>();
        runner = pool.get();
        services.runner = std::move(pool);
        auto scripted = std::make_unique<glyphsmith_state_testing::ScriptedFilePanels>();
        panels = scripted.get();
        services.panels = std::move(scripted);
        auto preferences = std::make_shared<MemoryUpdatePreferences>();
        preferences->checks = false;
        services.updatePreferences = preferences;
        app = std::make_unique<glyphsmith_views::GlyphsmithApp>(std::move(services));
    }

    glyphsmith_state::ProjectStore& store() const { return app->store(); }

    // Lets background work and its deliveries run until `done` holds; false
    // when it does not within the time (a broken road must not hang the suite).
    bool settle(const std::function<bool()>& done, int milliseconds = 120000) const {
        const QDeadlineTimer deadline(milliseconds);
        while (!done()) {
            if (deadline.hasExpired()) return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        }
        return true;
    }
};

}  // namespace glyphsmith_views_testing
