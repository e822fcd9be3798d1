// Model bytes through the guarded reader to the icon: every model that reads
// must draw, at any allowed camera, orientation and turn, a document the
// validator accepts, with each revolved body's outline and lines on the body,
// within a second.
//
// The first four bytes choose the camera and the mounting: yaw, elevation and
// distance across their allowed ranges, then the orientation (0 keeps the
// model's) and a turn added to every part. The rest is the model's JSON.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "../tests/body_bounds.hpp"
#include "icon_geometry/geometry_coding.hpp"
#include "icon_geometry/icon_model.hpp"
#include "icon_geometry/model_input.hpp"
#include "icon_geometry/svg_validator.hpp"

using namespace icon_geometry;

namespace {

constexpr std::size_t settingBytes = 4;

double within(const Camera::Range& range, std::uint8_t byte) {
    return range.lowerBound + (range.upperBound - range.lowerBound) * byte / 255.0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < settingBytes) return 0;
    IconModel model;
    try {
        model = ModelInput::decode<IconModel>(
            std::string_view(reinterpret_cast<const char*>(data + settingBytes), size - settingBytes));
    } catch (const ModelInput::Failure&) {
        return 0;
    } catch (const json::DecodingError&) {
        return 0;
    }
    const Camera camera{within(Camera::yawRange, data[0]), within(Camera::elevationRange, data[1]),
                        within(Camera::distanceRange, data[2])};
    model.camera.reset();
    const std::uint8_t mounting = data[3];
    if (mounting % 4 != 0) model.orientation = Orientation::allCases[mounting % 4 - 1];
    const double turn = (mounting / 4) * (360.0 / 64);
    for (BodyPart& part : model.parts) part.turn += turn;

    const auto start = std::chrono::steady_clock::now();
    const std::string svg = model.svg(camera);
    if (std::chrono::steady_clock::now() - start > std::chrono::seconds(1)) __builtin_trap();
    if (!SVGValidator::validateText(svg).passes()) __builtin_trap();
    if (!body_bounds::strayInk(model, camera).empty()) __builtin_trap();
    return 0;
}
