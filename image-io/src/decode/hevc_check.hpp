#pragma once

#include "decode/heif_layout.hpp"

// libheif hands over what libde265 decodes: blocks a damaged slice never reached hold whatever
// the memory held before, and libde265 does not always say so. This check decodes the coded data
// itself, twice, without the in-loop filters, into pictures filled beforehand with two different
// values and over heap memory written with two different values: a block left undecoded, or
// decoded from memory libde265 never wrote, shows as a difference; a picture libde265 finds
// faulty and any warning of its count as damage too.
namespace image_io::detail {

// Throws ImageIOError (damaged) unless the image decodes whole and without a warning.
void checkHevcDecodesWhole(const HevcImage& image);

}  // namespace image_io::detail
