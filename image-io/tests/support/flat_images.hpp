#pragma once

#include <string>
#include <utility>
#include <vector>

#include "support/writers.hpp"

namespace image_io::writers {

// One-colour images from 16 Mpx up to the size caps in the formats that write them small (GIF,
// fax TIFF, 1-bit PNG), each as written and filled up to just under 64 KiB: the files a decoder
// must decode or refuse without running away in time or memory. Named for what they hold.
std::vector<std::pair<std::string, Bytes>> flatImagesUnder64KiB();

}  // namespace image_io::writers
