// Opening a project of 50 drivers (icon, three photo-like images and a model
// each) against computing the same asset states one driver after the other on
// the main thread; and the compliance refresh: the main-thread snapshot per
// template, and a request to its stored report on a 20-driver project.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdint>
#include <memory>
#include <vector>

#include "glyphsmith_state/free_icon.hpp"
#include "glyphsmith_state/project_store.hpp"
#include "glyphsmith_state/thread_pool_task_runner.hpp"
#include "glyphsmith_state_testing/editor_fields.hpp"
#include "homey_project/driver_assets_state.hpp"
#include "icon_geometry/icon_model_coding.hpp"
#include "icon_geometry/icon_svg.hpp"
#include "icon_geometry/json.hpp"
#include "icon_geometry/model_template.hpp"
#include "image_io/png_encoder.hpp"

using glyphsmith_state_testing::EditorFields;

namespace {

using namespace glyphsmith_state;
using homey_project::DriverImageSize;
using icon_geometry::ModelTemplate;

class NoRecents final : public RecentProjectsStoring {
public:
    QStringList loadRecentProjects() const override { return {}; }
    void saveRecentProjects(const QStringList&) override {}
};

QCoreApplication& application() {
    static int argc = 1;
    static char name[] = "project_store_bench";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(path.section(QLatin1Char('/'), 0, -2));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) file.write(bytes);
}

// A device on white with some grain, like a rendered photo.
QByteArray photoLikePng(int side, std::uint32_t seed) {
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(side) * side * 3, 255);
    std::uint32_t state = seed * 2654435761u + 1;
    for (int y = side / 5; y < side * 4 / 5; ++y) {
        for (int x = side / 4; x < side * 3 / 4; ++x) {
            state = state * 1664525u + 1013904223u;
            const auto grain = static_cast<int>(state >> 28);
            auto* p = &rgb[(static_cast<std::size_t>(y) * side + x) * 3];
            p[0] = static_cast<std::uint8_t>(90 + (x * 60) / side + grain);
            p[1] = static_cast<std::uint8_t>(100 + (y * 50) / side + grain);
            p[2] = static_cast<std::uint8_t>(110 + grain);
        }
    }
    const std::vector<std::uint8_t> png = image_io::encodePngRgb(side, side, rgb);
    return QByteArray(reinterpret_cast<const char*>(png.data()), static_cast<qsizetype>(png.size()));
}

// A project of `count` drivers, made once per size.
QString project(int count) {
    static std::map<int, std::unique_ptr<QTemporaryDir>> made;
    auto& folder = made[count];
    if (!folder) {
        folder = std::make_unique<QTemporaryDir>();
        const QString root = folder->path();
        writeFile(root + QStringLiteral("/app.json"), R"({"id": "com.example.bench", "name": "Bench"})");
        for (int i = 0; i < count; ++i) {
            const QString id = QStringLiteral("driver-%1").arg(i, 2, 10, QLatin1Char('0'));
            const QString driver = root + QStringLiteral("/drivers/") + id;
            const ModelTemplate t =
                ModelTemplate::allCases[static_cast<std::size_t>(i) % ModelTemplate::allCases.size()];
            writeFile(
                driver + QStringLiteral("/assets/icon.svg"),
                QByteArray::fromStdString(icon_geometry::iconSvg(t.model(), icon_geometry::Camera::defaultCamera())));
            for (DriverImageSize size : homey_project::allDriverImageSizes) {
                writeFile(driver + QStringLiteral("/assets/images/") + QString::fromUtf8(homey_project::fileName(size)),
                          photoLikePng(homey_project::rawValue(size), static_cast<std::uint32_t>(i)));
            }
            writeFile(root + QStringLiteral("/sources/icones/") + id + QStringLiteral("/modele.json"),
                      QByteArray::fromStdString(icon_geometry::json::write(icon_geometry::json::encode(t.model()))));
        }
    }
    return folder->path();
}

// Lets the states of the open project arrive.
void awaitStates(const ProjectStore& store) {
    while (store.states().size() < store.app()->drivers.size())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

// Opening a 50-driver project: what it holds the main thread for (0), and
// until every driver's state has arrived (1).
void BM_OpenHomeyApp(benchmark::State& state) {
    application();
    const QString root = project(50);
    const bool untilEveryState = state.range(0) == 1;
    NoRecents recents;
    ThreadPoolTaskRunner runner;
    ProjectStore store(recents, nullptr, runner);
    for (auto _ : state) {
        store.openHomeyApp(root);
        if (untilEveryState) awaitStates(store);
        benchmark::DoNotOptimize(store.app());
        state.PauseTiming();
        awaitStates(store);
        store.closeProject();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenHomeyApp)->ArgName("untilEveryState")->DenseRange(0, 1)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same 50 asset states, one after the other on the calling thread.
void BM_DriverStatesInSequence(benchmark::State& state) {
    const homey_project::HomeyApp app = homey_project::HomeyProjectReader::readProject(project(50).toStdString());
    for (auto _ : state) {
        for (const auto& driver : app.drivers)
            benchmark::DoNotOptimize(homey_project::DriverAssetsState::load(driver, app));
    }
}
BENCHMARK(BM_DriverStatesInSequence)->Unit(benchmark::kMillisecond)->UseRealTime();

// What the request does on the main thread before the work leaves it.
void BM_ComplianceSnapshot(benchmark::State& state) {
    application();
    NoRecents recents;
    class HeldRunner final : public TaskRunner {
    protected:
        void submit(TaskPriority, QObject*, std::function<void()>, std::function<void()>) override {}
    } held;
    ProjectStore store(recents, nullptr, held);
    store.freeEditor().setModel(
        ModelTemplate(ModelTemplate::allCases[static_cast<std::size_t>(state.range(0))]).model());
    DriverEditor::DriverImages images;
    for (DriverImageSize size : homey_project::allDriverImageSizes)
        images.emplace(size, photoLikePng(homey_project::rawValue(size), 7));
    EditorFields(store.freeEditor()).setDriverImages(images);
    for (auto _ : state) store.refreshComplianceReport(store.freeEditor());
}
BENCHMARK(BM_ComplianceSnapshot)->DenseRange(0, 6)->Unit(benchmark::kMillisecond);

// From the request to the report stored in the editor, on a 20-driver project.
void BM_ComplianceRequestToStored(benchmark::State& state) {
    application();
    NoRecents recents;
    ThreadPoolTaskRunner runner;
    ProjectStore store(recents, nullptr, runner);
    store.openHomeyApp(project(20));
    DriverEditor& editor = store.currentEditor();
    for (auto _ : state) {
        bool stored = false;
        store.refreshComplianceReport(editor, [&] { stored = true; });
        while (!stored) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}
BENCHMARK(BM_ComplianceRequestToStored)->Unit(benchmark::kMillisecond)->UseRealTime();

// The report alone, computed where the request above computes it.
void BM_ComplianceReportAlone(benchmark::State& state) {
    const homey_project::HomeyApp app = homey_project::HomeyProjectReader::readProject(project(20).toStdString());
    const std::string icon = icon_geometry::iconSvg(freeIconStartingModel(), icon_geometry::Camera::defaultCamera());
    for (auto _ : state) {
        benchmark::DoNotOptimize(homey_project::ComplianceReport::forProjectDriver(app.drivers.front(), app, icon, {},
                                                                                   ProjectStore::complianceTolerance));
    }
}
BENCHMARK(BM_ComplianceReportAlone)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
