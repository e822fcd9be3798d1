// How responsive the app stays on its main road, with the real store and
// services: the longest main-thread event while a 12 MP JPEG is loaded, its
// face found, its images rendered and its details detected; one repaint of the
// photo overlay with the photo, the icon, four corners and 50 proposals; and
// opening a project of 50 (and 500) drivers until its list is drawn.
//
//   glyphsmith_views_road_bench
//   glyphsmith_views_road_bench --write-photo=face.jpg [--size=4000x3000] [--yaw=90]
//     writes the frontal photo the benchmarks load (or the side view), for a run by hand.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QListWidget>
#include <QStandardPaths>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <numbers>

#include "glyphsmith_state_testing/editor_fields.hpp"
#include "glyphsmith_views/action_registry.hpp"
#include "glyphsmith_views/canvas_view.hpp"
#include "glyphsmith_views/icon_image.hpp"
#include "glyphsmith_views/main_window.hpp"
#include "glyphsmith_views/photo_overlay.hpp"
#include "glyphsmith_views/sidebar_column.hpp"
#include "icon_geometry/model_template.hpp"
#include "road_fixture.hpp"

using glyphsmith_state_testing::EditorFields;

namespace {

// Times every event the main thread delivers from the event loop, outermost only.
class TimingApplication final : public QApplication {
public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override {
        if (depth_++ > 0) {
            const bool handled = QApplication::notify(receiver, event);
            --depth_;
            return handled;
        }
        QElapsedTimer timer;
        timer.start();
        const bool handled = QApplication::notify(receiver, event);
        --depth_;
        longest = std::max(longest, timer.nsecsElapsed() / 1e6);
        ++events;
        return handled;
    }

    double longest = 0;
    long events = 0;

private:
    int depth_ = 0;
};

TimingApplication* timing() {
    return static_cast<TimingApplication*>(QCoreApplication::instance());
}

QString photoFile() {
    static QTemporaryDir folder;
    static const QString file = [] {
        const QString path = folder.filePath(QStringLiteral("face.jpg"));
        glyphsmith_views_testing::writeBytes(path, glyphsmith_views_testing::frontalPhotoJpeg(4000, 3000));
        return path;
    }();
    return file;
}

// Dropped on the canvas of a shown window in the photo mode, until the editor
// has loaded, rendered and detected.
void RoadMainThreadEventsWithATwelveMegapixelPhoto(benchmark::State& state) {
    const QString photo = photoFile();
    double longest = 0;
    double drop = 0;
    for (auto _ : state) {
        glyphsmith_views_testing::RealApp real;
        glyphsmith_views::ActionRegistry actions(*real.app);
        glyphsmith_views::MainWindow window(*real.app, actions);
        window.resize(1280, 800);
        window.show();
        QCoreApplication::processEvents();
        auto& editor = real.store().currentEditor();
        timing()->longest = 0;
        QElapsedTimer timer;
        timer.start();
        // The drop itself is one event of the window.
        window.canvas()->dropFiles({QUrl::fromLocalFile(photo)});
        drop = std::max(drop, timer.nsecsElapsed() / 1e6);
        const bool settled = real.settle([&] { return !editor.isWorking() && !editor.proposals().empty(); });
        if (!settled || editor.driverImages().size() != 3) state.SkipWithError("the photo did not settle");
        // A few more turns for the repaints the results asked for.
        for (int i = 0; i < 5; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        longest = std::max({longest, timing()->longest, drop});
    }
    state.counters["longest_event_ms"] = longest;
    state.counters["drop_ms"] = drop;
}
BENCHMARK(RoadMainThreadEventsWithATwelveMegapixelPhoto)->Iterations(3)->Unit(benchmark::kMillisecond);

// A closed outline of `points` points about a centre, as a proposal's path.
icon_geometry::BezierPath ring(icon_geometry::Vector2 centre, double radius, int points) {
    icon_geometry::Subpath subpath;
    subpath.start = {centre.x + radius, centre.y};
    for (int i = 1; i <= points; ++i) {
        const double a = 2 * std::numbers::pi * i / points;
        subpath.segments.push_back(
            icon_geometry::PathSegment::line({centre.x + radius * std::cos(a), centre.y + radius * std::sin(a)}));
    }
    subpath.isClosed = true;
    icon_geometry::BezierPath path;
    path.subpaths.push_back(subpath);
    return path;
}

void RoadOverlayRepaint(benchmark::State& state) {
    glyphsmith_views_testing::AppFixture fixture;
    auto& editor = fixture.store().currentEditor();
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(4000) * 3000 * 4);
    for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = (i % 4 == 3) ? 255 : static_cast<std::uint8_t>(i / 7);
    EditorFields(editor).setFacePhoto(photo_analysis::Photo(4000, 3000, std::move(pixels)));
    editor.setCorners({{1000, 600}, {3000, 620}, {2980, 2400}, {1010, 2380}});
    std::vector<glyphsmith_state::ProposedDetail> proposals;
    for (int i = 0; i < 50; ++i) {
        const icon_geometry::Vector2 centre{1100.0 + (i % 10) * 190, 700.0 + (i / 10) * 330};
        const auto path = ring(centre, 60, 48);
        proposals.push_back({QUuid::createUuid(),
                             photo_analysis::DetectedFeature{photo_analysis::DetectedFeature::Boundary{path}},
                             icon_geometry::FaceDetail::indicator({0, 0}, 4, icon_geometry::DetailStyle::automatic),
                             {path},
                             i % 3 != 0});
    }
    editor.setProposals(std::move(proposals));
    const auto icon = glyphsmith_views::IconImage::fromSvg(editor.iconSvg(icon_geometry::Camera::defaultCamera()));
    glyphsmith_views::PhotoOverlay overlay(*fixture.app);
    overlay.setIconImage(icon ? &*icon : nullptr);
    overlay.resize(800, 760);
    glyphsmith_views::PhotoArea* area = overlay.area();
    area->resize(800, 720);
    QImage frame(area->size(), QImage::Format_ARGB32_Premultiplied);
    area->render(&frame);
    // The corners are set, so the icon waits for the tool: none shows it.
    editor.setTool(glyphsmith_state::PhotoTool::none());
    area->render(&frame);
    for (auto _ : state) {
        area->update();
        area->render(&frame);
        benchmark::DoNotOptimize(frame.constBits());
    }
    state.counters["photo_scalings"] = area->photoScalings();
}
BENCHMARK(RoadOverlayRepaint)->Unit(benchmark::kMillisecond);

// The same overlay while the window is resized: each new size scales the photo once.
void RoadOverlayRepaintAtANewSize(benchmark::State& state) {
    glyphsmith_views_testing::AppFixture fixture;
    auto& editor = fixture.store().currentEditor();
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(4000) * 3000 * 4, 200);
    EditorFields(editor).setFacePhoto(photo_analysis::Photo(4000, 3000, std::move(pixels)));
    glyphsmith_views::PhotoOverlay overlay(*fixture.app);
    glyphsmith_views::PhotoArea* area = overlay.area();
    QImage frame(QSize(820, 720), QImage::Format_ARGB32_Premultiplied);
    int step = 0;
    for (auto _ : state) {
        area->resize(800 + (step++ % 16), 720);
        area->render(&frame);
        benchmark::DoNotOptimize(frame.constBits());
    }
    state.counters["photo_scalings"] = area->photoScalings();
}
BENCHMARK(RoadOverlayRepaintAtANewSize)->Unit(benchmark::kMillisecond);

// A project of `count` drivers, made once per count.
QString driverProject(int count) {
    static std::map<int, std::unique_ptr<QTemporaryDir>> folders;
    auto& folder = folders[count];
    if (folder) return folder->filePath(QStringLiteral("maison"));
    folder = std::make_unique<QTemporaryDir>();
    const QString root = [&] {
        QStringList ids;
        for (int i = 0; i < count; ++i) ids << QStringLiteral("pilote-%1").arg(i, 3, 10, QLatin1Char('0'));
        const QString path = folder->filePath(QStringLiteral("maison"));
        glyphsmith_views_testing::makeHomeyApp(path, ids);
        // Each driver with its icon and its three images, as a project that is under way.
        const QByteArray icon =
            glyphsmith_state::DriverEditor(icon_geometry::ModelTemplate(icon_geometry::ModelTemplate::panel).model())
                .iconSvg(icon_geometry::Camera::defaultCamera());
        std::vector<QByteArray> images;
        for (const int side : {75, 500, 1000}) {
            std::vector<std::uint8_t> rgba(static_cast<std::size_t>(side) * side * 4, 255);
            for (int y = side / 4; y < side * 3 / 4; ++y)
                for (int x = side / 4; x < side * 3 / 4; ++x)
                    std::fill_n(&rgba[(static_cast<std::size_t>(y) * side + x) * 4], 3, std::uint8_t{90});
            const auto png = test_photo::encodePng(test_photo::rgbaImage(side, side, std::move(rgba)));
            images.emplace_back(reinterpret_cast<const char*>(png.data()), static_cast<qsizetype>(png.size()));
        }
        for (const QString& id : ids) {
            const QString assets = path + QStringLiteral("/drivers/") + id + QStringLiteral("/assets");
            glyphsmith_views_testing::writeBytes(assets + QStringLiteral("/icon.svg"), icon);
            glyphsmith_views_testing::writeBytes(assets + QStringLiteral("/images/small.png"), images[0]);
            glyphsmith_views_testing::writeBytes(assets + QStringLiteral("/images/large.png"), images[1]);
            glyphsmith_views_testing::writeBytes(assets + QStringLiteral("/images/xlarge.png"), images[2]);
        }
        return path;
    }();
    return root;
}

// Timed by hand: from opening the project to its list drawn. The app's
// teardown (which waits for the reports still being computed) is left out.
void RoadDriverProjectList(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    const QString root = driverProject(count);
    double statesMs = 0;
    double longest = 0;
    for (auto _ : state) {
        glyphsmith_views_testing::RealApp real;
        glyphsmith_views::ActionRegistry actions(*real.app);
        glyphsmith_views::MainWindow window(*real.app, actions);
        window.resize(1280, 800);
        QImage frame(window.sidebar()->size(), QImage::Format_ARGB32_Premultiplied);
        QElapsedTimer timer;
        timing()->longest = 0;
        timer.start();
        real.store().openHomeyApp(root);
        window.sidebar()->render(&frame);
        benchmark::DoNotOptimize(frame.constBits());
        state.SetIterationTime(static_cast<double>(timer.nsecsElapsed()) / 1e9);
        real.settle([&] { return real.store().states().size() == static_cast<std::size_t>(count); });
        QCoreApplication::processEvents();
        window.sidebar()->render(&frame);
        statesMs = std::max(statesMs, timer.nsecsElapsed() / 1e6);
        longest = std::max(longest, timing()->longest);
    }
    state.counters["all_states_drawn_ms"] = statesMs;
    // The longest event while the states arrive and the rows follow them.
    state.counters["longest_event_ms"] = longest;
}
BENCHMARK(RoadDriverProjectList)->Arg(50)->Arg(500)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true);
    TimingApplication app(argc, argv);
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--write-photo=", 14) == 0) {
            int width = 4000, height = 3000, yaw = 0;
            for (int j = 1; j < argc; ++j) {
                (void)std::sscanf(argv[j], "--size=%dx%d", &width, &height);
                (void)std::sscanf(argv[j], "--yaw=%d", &yaw);
            }
            glyphsmith_views_testing::writeBytes(QString::fromLocal8Bit(argv[i] + 14),
                                                 glyphsmith_views_testing::frontalPhotoJpeg(width, height, yaw));
            return 0;
        }
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
