#include "support/flat_images.hpp"

#include <string>
#include <utility>
#include <vector>

#include "support/writers.hpp"

namespace image_io::writers {

namespace {

// Bytes added to a file where its reader skips them, up to just under 64 KiB: a chunk of its own
// in a PNG, a tail after a GIF or TIFF. The file then claims as many pixels as its size lets it.
Bytes filledUp(Bytes file, bool png) {
    constexpr std::size_t target = 65536 - 64;
    if (file.size() + 12 >= target) return file;
    const std::size_t extra = target - file.size() - 12;
    if (!png) {
        file.resize(target, 0x5A);
        return file;
    }
    Bytes chunk;
    for (int shift = 24; shift >= 0; shift -= 8) chunk.push_back(static_cast<std::uint8_t>(extra >> shift));
    chunk.insert(chunk.end(), {'j', 'u', 'N', 'k'});
    chunk.resize(chunk.size() + extra, 0x5A);
    chunk.insert(chunk.end(), 4, 0);  // the checksum of an ancillary chunk libpng is told to skip
    file.insert(file.end() - 12, chunk.begin(), chunk.end());  // before the end chunk
    return file;
}

}  // namespace

std::vector<std::pair<std::string, Bytes>> flatImagesUnder64KiB() {
    std::vector<std::pair<std::string, Bytes>> files;
    const auto add = [&](const std::string& name, const Bytes& file, bool png) {
        files.emplace_back(name, file);
        files.emplace_back(name + ", filled up", filledUp(file, png));
    };
    for (const auto& [width, height] :
         {std::pair{4000, 4000}, {6400, 6400}, {6500, 6500}, {20000, 20000}, {65535, 7800}}) {
        const std::string size = std::to_string(width) + " x " + std::to_string(height);
        GifFrame frame;
        frame.indices = {1};
        add("GIF screen " + size, writeGif(width, height, {{0, 0, 0}, {9, 9, 9}}, {frame}), false);
        if (std::int64_t{width} * height > std::int64_t{50'000'000}) continue;
        TiffSpec tiff;
        tiff.width = width;
        tiff.height = height;
        tiff.photometric = 0;
        tiff.samplesPerPixel = 1;
        tiff.bitsPerSample = 1;
        tiff.compression = 4;
        add("fax TIFF " + size, writeTiff(tiff), false);
        PngSpec png;
        png.width = width;
        png.height = height;
        png.colourType = 0;
        png.bitDepth = 1;
        png.samples.assign(static_cast<std::size_t>(width) * height, 1);
        add("1-bit PNG " + size, writePng(png), true);
    }
    return files;
}

}  // namespace image_io::writers
