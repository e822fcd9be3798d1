// The photo road of a driver editor on the app's own runner and photo analysis:
// a frontal and a side view of 12 megapixels dropped together, until the roles
// are applied and the driver images rendered, then the detail detection. The
// counters give the longest stretch the main thread spent in one delivery, and
// in the editor's own calls: a frame is 16.7 ms.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <memory>
#include <vector>

#include "glyphsmith_state/analysis_photo_services.hpp"
#include "glyphsmith_state/driver_editor.hpp"
#include "glyphsmith_state/thread_pool_task_runner.hpp"
#include "icon_geometry/icon_model.hpp"
#include "test_photo/image_files.hpp"
#include "test_photo/scene.hpp"

namespace {

using glyphsmith_state::DriverEditor;
using glyphsmith_state::TaskOutcome;
using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The app's runner, timing each delivery it makes on the main thread.
class TimedRunner final : public glyphsmith_state::TaskRunner {
public:
    double longestDelivery = 0;
    glyphsmith_state::ThreadPoolTaskRunner pool;

protected:
    void submit(glyphsmith_state::TaskPriority priority, QObject* context, std::function<void()> background,
                std::function<void()> onMainThread) override {
        pool.run(priority, context, std::move(background),
                 [this, onMainThread = std::move(onMainThread)](TaskOutcome<std::monostate>) {
                     const Clock::time_point start = Clock::now();
                     onMainThread();
                     longestDelivery = std::max(longestDelivery, millisecondsSince(start));
                 });
    }
};

QCoreApplication& application() {
    static int argc = 1;
    static char name[] = "editor_photos_bench";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}

// The two views, written once as JPEG files.
struct Views {
    QTemporaryDir folder;
    QList<QUrl> urls;
    icon_geometry::IconModel model;

    Views() {
        for (const double yaw : {0.0, 90.0}) {
            test_photo::SceneOptions options = test_photo::twelveMegapixelScene();
            options.faceWidthMm = 86;
            options.faceHeightMm = 86;
            options.depthMm = 30;
            options.yawDegrees = yaw;
            const test_photo::Scene scene = test_photo::renderScene(options);
            const QString path = folder.filePath(yaw == 0 ? "face.jpg" : "side.jpg");
            test_photo::writeFile(path.toStdString(),
                                  test_photo::encodeJpeg(test_photo::rgbaImage(scene.width, scene.height, scene.rgba)));
            urls.push_back(QUrl::fromLocalFile(path));
        }
        icon_geometry::ExtrudedBody body;
        body.face = icon_geometry::FaceShape::roundedRectangle(86, 86, 8);
        body.depth = 20;
        model = icon_geometry::IconModel::withSingleBody(std::move(body));
    }
};

void waitUntil(TimedRunner& runner, const std::function<bool()>& done) {
    while (!done()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        (void)runner;
    }
}

void BM_DroppedViewsThenDetection(benchmark::State& state) {
    application();
    static const Views views;
    auto services = std::make_shared<glyphsmith_state::AnalysisPhotoServices>();
    std::vector<double> longestDeliveries;
    double longestCall = 0;
    double loadMs = 0;
    double detectMs = 0;
    for (auto _ : state) {
        TimedRunner runner;
        DriverEditor editor(views.model, glyphsmith_state::PhotoWork{services, &runner});
        const Clock::time_point start = Clock::now();
        editor.addPhotos(views.urls, false, false);
        longestCall = std::max(longestCall, millisecondsSince(start));
        waitUntil(runner, [&] { return !editor.isWorking() && !editor.driverImages().empty(); });
        runner.pool.waitForDone();
        QCoreApplication::processEvents();
        loadMs += millisecondsSince(start);

        const Clock::time_point detection = Clock::now();
        editor.detectDetails(false);
        longestCall = std::max(longestCall, millisecondsSince(detection));
        waitUntil(runner, [&] { return !editor.isWorking(); });
        detectMs += millisecondsSince(detection);
        longestDeliveries.push_back(runner.longestDelivery);
        benchmark::DoNotOptimize(editor.proposals().size());
    }
    const auto n = static_cast<double>(state.iterations());
    state.counters["load_ms"] = loadMs / n;
    state.counters["detect_ms"] = detectMs / n;
    // The first run also pays for the first allocations of photo-sized buffers.
    std::sort(longestDeliveries.begin(), longestDeliveries.end());
    state.counters["longest_delivery_ms"] = longestDeliveries.back();
    state.counters["median_longest_delivery_ms"] = longestDeliveries[longestDeliveries.size() / 2];
    state.counters["longest_call_ms"] = longestCall;
}
BENCHMARK(BM_DroppedViewsThenDetection)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

}  // namespace
