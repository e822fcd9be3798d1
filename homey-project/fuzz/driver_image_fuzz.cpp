// Any bytes as a driver image: the check on the bytes (streamed rows) and on
// the decoded image, and the difference hash. Never a crash, a throw or a huge
// allocation; what decodes gets a hash, and a PNG the same verdict both ways
// (any other format is refused for what it is).

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "homey_project/driver_image_check.hpp"
#include "homey_project/similarity.hpp"
#include "image_io/image.hpp"

using namespace homey_project;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    const std::vector<DriverImageIssue> streamed = DriverImageCheck::checkImageData(bytes, DriverImageSize::small);
    const std::optional<Similarity::DifferenceHash> hash =
        Similarity::differenceHash(std::string_view(reinterpret_cast<const char*>(data), size));
    image_io::RgbaImage image;
    try {
        image = image_io::decode(bytes);
    } catch (const image_io::ImageIOError&) {
        return 0;
    }
    if (image_io::sniffFormat(bytes) != image_io::ImageFormat::png) {
        if (streamed != std::vector{DriverImageIssue::wrongFormat()}) std::abort();
    } else if (DriverImageCheck::check(image, DriverImageSize::small) != streamed) {
        std::abort();
    }
    if (!hash) std::abort();
    return 0;
}
