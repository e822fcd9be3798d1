// Model bytes through the guarded reader to the icon: every model that reads
// must draw, at any allowed camera, orientation and turn, a document the
// validator accepts, with each revolved body's outline and lines on the body,
// within a second of processor time (ten under the sanitizers).
//
// The first four bytes choose the camera and the mounting: yaw, elevation and
// distance across their allowed ranges, then the orientation (0 keeps the
// model's) and a turn added to every part. The rest is the model's JSON, or,
// after a "#", bytes that write the JSON of a revolved body (profile, axis,
// rings and knurls) for the reader, so that mutations reach the drawing.

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

#include "../tests/body_bounds.hpp"
#include "icon_geometry/geometry_coding.hpp"
#include "icon_geometry/icon_model.hpp"
#include "icon_geometry/icon_svg.hpp"
#include "icon_geometry/model_input.hpp"
#include "icon_geometry/svg_validator.hpp"

using namespace icon_geometry;

namespace {

constexpr std::size_t settingBytes = 4;

// The sanitizers slow a drawing down about tenfold; the time allowed grows with them.
#if defined(__SANITIZE_ADDRESS__)
constexpr std::clock_t allowedTime = 10 * CLOCKS_PER_SEC;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr std::clock_t allowedTime = 10 * CLOCKS_PER_SEC;
#else
constexpr std::clock_t allowedTime = CLOCKS_PER_SEC;
#endif
#else
constexpr std::clock_t allowedTime = CLOCKS_PER_SEC;
#endif

double within(const Camera::Range& range, std::uint8_t byte) {
    return range.lowerBound + (range.upperBound - range.lowerBound) * byte / 255.0;
}

class ByteReader {
public:
    ByteReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    std::uint8_t next() { return position_ < size_ ? data_[position_++] : 0; }
    // A number from lower to upper in 256 steps, written for JSON.
    std::string number(double lower, double upper) {
        const double value = lower + (upper - lower) * next() / 255.0;
        char text[32];
        const auto result = std::to_chars(text, text + sizeof text, value);
        return std::string(text, result.ptr);
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t position_ = 0;
};

std::string point(ByteReader& bytes, double height) {
    return R"({"x":)" + bytes.number(0, 40) + R"(,"y":)" + std::to_string(static_cast<int>(height)) + "." +
           std::to_string(bytes.next() % 10) + "}";
}

std::string revolvedModel(ByteReader& bytes) {
    double height = 0;
    std::string segments;
    const int count = 1 + bytes.next() % 5;
    const std::string start = point(bytes, height);
    for (int i = 0; i < count; ++i) {
        if (i > 0) segments += ",";
        const double step = bytes.next() % 40 - 8;
        if (bytes.next() % 2 == 0) {
            height += step;
            segments += R"({"line":{"to":)" + point(bytes, height) + "}}";
        } else {
            const std::string c1 = point(bytes, height + step / 3), c2 = point(bytes, height + 2 * step / 3);
            height += step;
            segments +=
                R"({"cubic":{"control1":)" + c1 + R"(,"control2":)" + c2 + R"(,"to":)" + point(bytes, height) + "}}";
        }
    }
    const char* const axes[] = {"vertical", "depth", "horizontal"};
    std::string details = R"({"knurl":{"count":)" + std::to_string(bytes.next()) + R"(,"from":)" +
                          bytes.number(-10, 100) + R"(,"to":)" + bytes.number(-10, 100) + R"(}},{"rings":{"count":)" +
                          std::to_string(bytes.next() % 8) + R"(,"from":)" + bytes.number(-10, 100) + R"(,"to":)" +
                          bytes.number(-10, 100) + "}}";
    std::string parts = R"({"offset":{"x":0,"y":0,"z":0},"turn":)" + bytes.number(-180, 180) +
                        R"(,"solid":{"revolved":{"_0":{"axis":")" + axes[bytes.next() % 3] + R"(","details":[)" +
                        details + R"(],"profile":{"subpaths":[{"isClosed":false,"start":)" + start +
                        R"(,"segments":[)" + segments + "]}]}}}}}";
    if (bytes.next() % 4 == 0)
        parts +=
            R"(,{"offset":{"x":)" + bytes.number(-60, 60) +
            R"(,"y":0,"z":0},"solid":{"extruded":{"_0":{"depth":12,"details":[],"face":{"roundedRectangle":{"cornerRadius":10,"height":86,"width":86}}}}}})";
    return R"({"version":2,"orientation":"wall","parts":[)" + parts + "]}";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < settingBytes) return 0;
    std::string_view text(reinterpret_cast<const char*>(data + settingBytes), size - settingBytes);
    std::string written;
    if (!text.empty() && text.front() == '#') {
        ByteReader bytes(data + settingBytes + 1, size - settingBytes - 1);
        written = revolvedModel(bytes);
        text = written;
    }
    IconModel model;
    try {
        model = ModelInput::decode<IconModel>(text);
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

    // Processor time, not wall time: a loaded machine must not make a drawing
    // count as slow.
    const std::clock_t start = std::clock();
    const std::string svg = iconSvg(model, camera);
    if (std::clock() - start > allowedTime) __builtin_trap();
    if (!SVGValidator::validateText(svg).passes()) __builtin_trap();
    if (!body_bounds::strayInk(model, camera).empty()) __builtin_trap();
    return 0;
}
