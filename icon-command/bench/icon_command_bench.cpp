// The check and driver commands end to end, with the console captured: what a
// user waits for at the terminal.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <icon_geometry/camera.hpp>
#include <icon_geometry/model_template.hpp>
#include <image_io/png_encoder.hpp>
#include <string>
#include <vector>

#include "commands.hpp"
#include "gs_test/golden.hpp"
#include "icon_command/console.hpp"
#include "icon_command/icon_command.hpp"

namespace {

using icon_command::Console;
using icon_command::Language;
using icon_geometry::ModelTemplate;

std::string icon(ModelTemplate::Case modelTemplate) {
    return icon_command::IconCommand::iconSVG(ModelTemplate(modelTemplate).model(),
                                              icon_geometry::Camera::defaultCamera());
}

std::string greyPng(int side, std::uint8_t grey) {
    const std::vector<std::uint8_t> bytes =
        image_io::encodePngRgb(side, side, std::vector<std::uint8_t>(std::size_t(side) * side * 3, grey));
    return {bytes.begin(), bytes.end()};
}

void writeFile(const std::string& path, std::string_view text) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    gs_test::writeText(path, text);
}

void runCommand(benchmark::State& state, const std::vector<std::string>& arguments) {
    for (auto _ : state) {
        std::string out;
        std::string err;
        const Console console{.out = [&](std::string_view text) { (out += text) += '\n'; },
                              .err = [&](std::string_view text) { (err += text) += '\n'; },
                              .data = [&](std::string_view bytes) { out += bytes; }};
        const std::int32_t code = icon_command::IconCommand::run(arguments, console, Language::en, "");
        if (code > 1) state.SkipWithError(err.c_str());
        benchmark::DoNotOptimize(out);
    }
}

// The panel's 960 icon and three driver images.
void BM_CheckIconWithThreeImages(benchmark::State& state) {
    const gs_test::TemporaryFolder folder;
    writeFile(folder.file("icon.svg"), icon(ModelTemplate::panel));
    for (const auto& [name, side] : {std::pair{"small.png", 75}, {"large.png", 500}, {"xlarge.png", 1000}}) {
        writeFile(folder.file(std::string("images/") + name), greyPng(side, 255));
    }
    runCommand(state, {"check", folder.file("icon.svg"), "--images", folder.file("images")});
}
BENCHMARK(BM_CheckIconWithThreeImages)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// A dry run without photo in an app of 20 drivers, each with its icon and its
// large image, all compared with the driver's.
void BM_DriverDryRunAmongTwentyDrivers(benchmark::State& state) {
    const gs_test::TemporaryFolder folder;
    writeFile(folder.file("app/app.json"), R"({"id": "com.exemple.maison", "name": "Home"})");
    writeFile(folder.file("app/assets/icon.svg"), icon(ModelTemplate::bulb));
    for (int i = 0; i < 20; ++i) {
        const std::string driver = "app/drivers/d" + std::to_string(10 + i) + "/";
        const auto modelTemplate = ModelTemplate::allCases[std::size_t(i) % ModelTemplate::allCases.size()];
        writeFile(folder.file(driver + "driver.compose.json"), R"({"name": "Driver"})");
        writeFile(folder.file(driver + "assets/icon.svg"), icon(modelTemplate));
        writeFile(folder.file(driver + "assets/images/large.png"), greyPng(500, std::uint8_t(100 + i)));
    }
    runCommand(state, {"driver", folder.file("app"), "d10", "--template", "contact-sensor"});
}
BENCHMARK(BM_DriverDryRunAmongTwentyDrivers)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace
