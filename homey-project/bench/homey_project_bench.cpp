#include <benchmark/benchmark.h>

#include "homey_project/compliance_report.hpp"
#include "homey_project/driver_assets_state.hpp"
#include "homey_project/homey_app.hpp"
#include "homey_project/similarity.hpp"
#include "icon_geometry/camera.hpp"
#include "icon_geometry/icon_svg.hpp"
#include "icon_geometry/model_template.hpp"
#include "temporary_project.hpp"
#include "test_images.hpp"

using namespace homey_project;
using testing::TemporaryFolder;

namespace {

std::string templateIcon(std::size_t index, double yaw = 29.5) {
    const auto& cases = icon_geometry::ModelTemplate::allCases;
    return icon_geometry::iconSvg(icon_geometry::ModelTemplate(cases[index % cases.size()]).model(),
                                  icon_geometry::Camera{yaw, 0, 2.5});
}

void readProjectOfFiftyDrivers(benchmark::State& state) {
    TemporaryFolder project;
    project.write("app.json", R"({"id":"com.example","name":{"en":"Example"},"drivers":[]})");
    for (int i = 0; i < 50; ++i)
        project.write("drivers/driver-" + std::to_string(i) + "/driver.compose.json",
                      R"({"name":{"en":"Driver","nl":"Stuurprogramma"},"class":"socket","capabilities":["onoff"]})");
    for (auto _ : state) benchmark::DoNotOptimize(HomeyProjectReader::readProject(project.path()));
}
BENCHMARK(readProjectOfFiftyDrivers)->Unit(benchmark::kMillisecond);

// A driver with a 960 icon and three photo-like images.
void writeDriver(const TemporaryFolder& project, const std::string& id, const std::string& icon, unsigned seed) {
    project.write("drivers/" + id + "/assets/icon.svg", icon);
    for (DriverImageSize size : allDriverImageSizes)
        project.write("drivers/" + id + "/assets/images/" + std::string(fileName(size)),
                      testing::photoLikePng(rawValue(size), seed));
}

void loadDriverAssetsState(benchmark::State& state) {
    TemporaryFolder project;
    project.write("app.json", R"({"id":"x"})");
    project.write("assets/icon.svg", templateIcon(1));
    writeDriver(project, "plug", templateIcon(0), 1);
    const HomeyApp app = HomeyProjectReader::readProject(project.path());
    for (auto _ : state) benchmark::DoNotOptimize(DriverAssetsState::load(app.drivers.at(0), app));
}
BENCHMARK(loadDriverAssetsState)->Unit(benchmark::kMillisecond);

void differenceHashOfPhoto(benchmark::State& state) {
    const std::string png = testing::photoLikePng(static_cast<int>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(Similarity::differenceHash(png));
}
BENCHMARK(differenceHashOfPhoto)->Arg(500)->Arg(1000)->Unit(benchmark::kMillisecond);

// The report of a driver against the app and 20 other drivers, each with an
// icon and a large image.
void reportAgainstTwentyDrivers(benchmark::State& state) {
    TemporaryFolder project;
    project.write("app.json", R"({"id":"x"})");
    project.write("assets/icon.svg", templateIcon(1));
    project.write("assets/images/large.png", testing::photoLikePng(500, 99));
    writeDriver(project, "plug", templateIcon(0), 1);
    for (int i = 0; i < 20; ++i) {
        const std::string id = "other-" + std::to_string(i);
        project.write("drivers/" + id + "/assets/icon.svg", templateIcon(static_cast<std::size_t>(i), 26 + i % 10));
        project.write("drivers/" + id + "/assets/images/large.png", testing::photoLikePng(500, 100 + i));
    }
    const HomeyApp app = HomeyProjectReader::readProject(project.path());
    HomeyDriver plug;
    for (const HomeyDriver& d : app.drivers)
        if (d.id == "plug") plug = d;
    for (auto _ : state)
        benchmark::DoNotOptimize(ComplianceReport::forProjectDriver(plug, app, std::nullopt, {}, 16.0));
}
BENCHMARK(reportAgainstTwentyDrivers)->Unit(benchmark::kMillisecond);

}  // namespace
