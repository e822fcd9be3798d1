#pragma once

#include "decode/heif_layout.hpp"

// libheif hands over what libde265 decodes: blocks a damaged slice never reached hold whatever
// the memory held before, and libde265 does not always say so. This check decodes the coded data
// itself, twice, into pictures filled beforehand with two different values: a block left
// undecoded shows as a difference, and any warning of libde265 counts as damage too.
namespace image_io::detail {

// Throws ImageIOError (damaged) unless the image decodes whole and without a warning.
void checkHevcDecodesWhole(const HevcImage& image);

}  // namespace image_io::detail
