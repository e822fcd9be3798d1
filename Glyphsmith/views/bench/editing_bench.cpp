// Live editing in the main window, offscreen: one step of a slider drag (the
// camera's yaw) or of a dimension typed in, for every template, from the
// control's change to the repainted window — the setter, the model's signal,
// the canvas redrawn and the inspector refreshed — and a whole drag at 60 steps
// a second, counting the compliance reports it asks for and, on the app's
// clock, when the one report comes after the last step.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QSlider>
#include <QStandardPaths>
#include <QThread>
#include <algorithm>
#include <chrono>

#include "app_fixture.hpp"
#include "editing/number_field.hpp"
#include "glyphsmith_views/action_registry.hpp"
#include "glyphsmith_views/editing_panel.hpp"
#include "glyphsmith_views/main_window.hpp"
#include "icon_geometry/model_template.hpp"

namespace {

using glyphsmith_views::NumberField;
using icon_geometry::ModelTemplate;

enum class Control { yaw, dimension };

template <class W>
W* named(QWidget* root, const QString& name) {
    for (W* widget : root->findChildren<W*>())
        if (widget->accessibleName() == name && widget->isVisibleTo(root)) return widget;
    return nullptr;
}

// The main window at its usual size, showing the template, with the main
// body's controls open for the dimension.
struct Window {
    glyphsmith_views_testing::AppFixture fixture;
    glyphsmith_views::ActionRegistry actions{*fixture.app};
    glyphsmith_views::MainWindow window{*fixture.app, actions};
    QSlider* yaw = nullptr;
    NumberField* dimension = nullptr;
    double width = 0;

    explicit Window(ModelTemplate modelTemplate) {
        window.resize(1280, 800);
        window.show();
        auto& editor = fixture.store().currentEditor();
        editor.applyTemplate(modelTemplate);
        editor.setSelectedPart(0);
        QApplication::processEvents();
        yaw = named<QSlider>(window.inspector(), QStringLiteral("Lacet"));
        for (const char* label : {"Largeur (mm)", "Diamètre (mm)"})
            if (!dimension) dimension = named<NumberField>(window.inspector(), QString::fromUtf8(label));
        width = editor.partDimensions(0).at(0);
    }

    // One step of the control, then the event loop's turn that repaints.
    void step(Control control, int i) {
        if (control == Control::yaw) {
            yaw->setValue(yaw->minimum() + (yaw->value() - yaw->minimum() + 7) % (yaw->maximum() - yaw->minimum()));
        } else {
            dimension->setText(NumberField::format(width + (i % 20) * 0.5, 1));
            dimension->commit();
        }
        QApplication::sendPostedEvents();
        QApplication::processEvents();
    }
};

void liveEditStep(benchmark::State& state) {
    const auto modelTemplate = ModelTemplate::allCases[static_cast<std::size_t>(state.range(0))];
    const auto control = static_cast<Control>(state.range(1));
    Window w(modelTemplate);
    if (!w.yaw || !w.dimension) {
        state.SkipWithError("control not found");
        return;
    }
    int i = 0;
    for (auto _ : state) w.step(control, i++);
    state.SetLabel(std::string(ModelTemplate(modelTemplate).rawValue()) +
                   (control == Control::yaw ? " yaw" : " dimension"));
}
BENCHMARK(liveEditStep)->ArgsProduct({benchmark::CreateDenseRange(0, 6, 1), {0, 1}})->Unit(benchmark::kMillisecond);

// A drag of 60 steps paced at 60 a second, the app's clock moved with it, then
// the clock until the report is asked for: the slowest step, the reports asked,
// and the time on the clock from the last step to the request.
void dragThenReport(benchmark::State& state) {
    const auto modelTemplate = ModelTemplate::allCases[static_cast<std::size_t>(state.range(0))];
    const auto control = static_cast<Control>(state.range(1));
    double slowest = 0;
    double requests = 0;
    double delay = 0;
    for (auto _ : state) {
        Window w(modelTemplate);
        auto& appClock = *w.fixture.clock;
        auto& runner = *w.fixture.runner;
        // The report of the window's first wait, out of the way.
        appClock.advance(glyphsmith_state::AppSession::reportDelay);
        runner.dropAll();
        QElapsedTimer clock;
        clock.start();
        for (int i = 0; i < 60; ++i) {
            const auto due = std::chrono::microseconds(i * 16667);
            while (std::chrono::nanoseconds(clock.nsecsElapsed()) < due) QApplication::processEvents();
            QElapsedTimer one;
            one.start();
            w.step(control, i);
            slowest = std::max(slowest, one.nsecsElapsed() / 1e6);
            appClock.advance(std::chrono::milliseconds(17));
        }
        // Each report asked waits in the queue.
        int waited = 0;
        while (runner.pendingCount() == 0 && waited < 2000) {
            appClock.advance(std::chrono::milliseconds(1));
            ++waited;
        }
        delay = (17 + waited) / 1e3;
        // Nothing more comes once the drag is over.
        appClock.advance(std::chrono::milliseconds(500));
        requests = static_cast<double>(runner.pendingCount());
    }
    state.counters["slowest_step_ms"] = slowest;
    state.counters["reports"] = requests;
    state.counters["report_after_s"] = delay;
    state.SetLabel(std::string(ModelTemplate(modelTemplate).rawValue()) +
                   (control == Control::yaw ? " yaw" : " dimension"));
}
BENCHMARK(dragThenReport)
    ->ArgsProduct({benchmark::CreateDenseRange(0, 6, 1), {0, 1}})
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
