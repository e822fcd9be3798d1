#pragma once

// The one entry through which model JSON from outside (files in projects, files
// the user opens, the stored free-standing icon) becomes a value. The parsed
// tree is bounded before any typed decoding sees it, and the bounds are checked
// while parsing, so a hostile file can neither nest deep enough to exhaust the
// stack nor make the tree huge.

#include <cstddef>
#include <cstdint>
#include <exception>
#include <optional>
#include <string>
#include <string_view>

#include "icon_geometry/geometry_coding.hpp"
#include "icon_geometry/icon_model_coding.hpp"
#include "icon_geometry/json.hpp"

namespace icon_geometry::ModelInput {

// The parsed JSON broke a bound. No payload and no message: callers word it.
class Failure : public std::exception {
public:
    enum Case : unsigned char { outOfBounds };

    Case value = outOfBounds;

    Failure(Case c = outOfBounds) noexcept : value(c) {}
    const char* what() const noexcept override;

    friend constexpr bool operator==(const Failure& a, const Failure& b) { return a.value == b.value; }
};

// Bounds, inclusive at the allowed end. The top-level value has depth 0.
inline constexpr std::size_t maximumDepth = 63;
inline constexpr std::size_t maximumEntries = 10000;
inline constexpr double maximumMagnitude = 10000;

// Parses bytes (any JSON value at the top level) while checking the bounds.
// Text that is not JSON fails as the JSON layer's parser fails (a data-corrupted
// decoding error at the top level), whatever bound it may also break; a tree
// that breaks a bound fails with `Failure::outOfBounds`.
[[nodiscard]] json::Tree boundedTree(std::string_view bytes);

// A value of any decodable type from bounded bytes (this header brings the
// coding of models, cameras and vectors). The decoding errors of the
// type come back unchanged.
template <class T>
[[nodiscard]] T decode(std::string_view bytes) {
    const json::Tree tree = boundedTree(bytes);
    return json::Decoder(tree).decode<T>();
}

// The top-level "version" of a JSON object, when it is a number with an integral
// value; nothing on any problem (broken JSON, a top level that is no object, a
// missing, fractional, textual or boolean version). No bounds apply.
[[nodiscard]] std::optional<std::int64_t> version(std::string_view bytes) noexcept;

// What keeps a model from being stored: the first value, in key order, that
// the bounds above refuse once the model is written, or a value that cannot be
// written at all. The app's store and the tool check every model with it before
// saving, so nothing is written that would not read back.
struct StorageProblem {
    enum class Kind : unsigned char {
        magnitude,   // `value` is a number whose magnitude exceeds maximumMagnitude
        entries,     // `value` is the entry count of an array or object over maximumEntries
        depth,       // `value` is the depth of a value nested deeper than maximumDepth
        unwritable,  // a number that is not finite
        unreadable,  // written within the bounds, yet the reader refuses the text
    };
    Kind kind = Kind::magnitude;
    // Where the value stands, "parts[0].solid.extruded._0.depth"; "" for the top level.
    std::string codingPath;
    double value = 0;

    friend bool operator==(const StorageProblem&, const StorageProblem&) = default;
};

[[nodiscard]] std::optional<StorageProblem> storageProblem(const IconModel& model);
[[nodiscard]] inline bool isStorable(const IconModel& model) {
    return !storageProblem(model);
}

}  // namespace icon_geometry::ModelInput

template <>
struct std::hash<icon_geometry::ModelInput::Failure> {
    std::size_t operator()(const icon_geometry::ModelInput::Failure& failure) const noexcept {
        return std::hash<unsigned char>{}(failure.value);
    }
};
