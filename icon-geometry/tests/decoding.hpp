#pragma once

// The error decoding a text as T raises; a test failure when it decodes.

#include <gtest/gtest.h>

#include <string_view>

#include "icon_geometry/face_detail_coding.hpp"
#include "icon_geometry/face_shape_coding.hpp"
#include "icon_geometry/geometry_coding.hpp"
#include "icon_geometry/icon_drawing_coding.hpp"
#include "icon_geometry/icon_model_coding.hpp"
#include "icon_geometry/pictogram_coding.hpp"
#include "icon_geometry/revolved_body_coding.hpp"

template <class T>
icon_geometry::json::DecodingError decodingFailure(std::string_view text) {
    using icon_geometry::json::DecodingError;
    try {
        (void)icon_geometry::json::decode<T>(text);
    } catch (const DecodingError& e) {
        return e;
    }
    ADD_FAILURE() << "decoded " << text;
    return DecodingError(DecodingError::Kind::dataCorrupted, {}, "");
}
