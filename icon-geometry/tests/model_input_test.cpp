#include "icon_geometry/model_input.hpp"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <type_traits>

#include "icon_geometry/geometry_coding.hpp"
#include "icon_geometry/icon_model.hpp"

using namespace icon_geometry;
using json::DecodingError;

namespace {

enum class Outcome { decoded, notJSON, outOfBounds, decodingError };

// What the guarded input makes of the bytes when asked for T; for the bare tree,
// what the bounds alone make of them.
template <class T = json::Tree>
Outcome outcome(std::string_view bytes) {
    try {
        if constexpr (std::is_same_v<T, json::Tree>) {
            (void)ModelInput::boundedTree(bytes);
        } else {
            (void)ModelInput::decode<T>(bytes);
        }
        return Outcome::decoded;
    } catch (const ModelInput::Failure& failure) {
        EXPECT_EQ(failure, ModelInput::Failure::outOfBounds);
        return Outcome::outOfBounds;
    } catch (const DecodingError& e) {
        // Text that is not JSON is refused at the top level as data corruption.
        if (e.kind == DecodingError::Kind::dataCorrupted && e.codingPath.empty() &&
            e.debugDescription == "The given data was not valid JSON.")
            return Outcome::notJSON;
        return Outcome::decodingError;
    }
}

std::string repeated(std::string_view piece, std::size_t count, std::string_view separator = "") {
    std::string out;
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0) out += separator;
        out += piece;
    }
    return out;
}

std::string arrayOfNumbers(std::size_t count) {
    return "[" + repeated("1", count, ",") + "]";
}

std::string objectOfMembers(std::size_t count) {
    std::string out = "{";
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0) out += ",";
        out += "\"k" + std::to_string(i) + "\":0";
    }
    return out + "}";
}

// `levels` arrays nested inside each other around `inner`.
std::string nested(std::size_t levels, std::string_view inner = "") {
    return repeated("[", levels) + std::string(inner) + repeated("]", levels);
}

constexpr const char* minimalModel = R"({"version":2,"parts":[],"orientation":"wall"})";

}  // namespace

TEST(ModelInputBounds, NumbersUpToTenThousandInMagnitude) {
    struct Case {
        const char* text;
        Outcome expected;
    };
    const Case cases[] = {
        {"10000", Outcome::decoded},
        {"-10000", Outcome::decoded},
        {"10000.5", Outcome::outOfBounds},
        {"{\"a\":[1,2,{\"b\":20000}]}", Outcome::outOfBounds},
        {"18446744073709551615", Outcome::outOfBounds},
        {"123456789012345678901234567890", Outcome::outOfBounds},
        {"[true,false,null]", Outcome::decoded},
    };
    for (const Case& c : cases) EXPECT_EQ(outcome(c.text), c.expected) << c.text;
    // A number beyond the range of a real never passes, however the parser takes it.
    EXPECT_NE(outcome("1e999"), Outcome::decoded);
    EXPECT_NE(outcome("[-1e400]"), Outcome::decoded);
}

TEST(ModelInputBounds, ContainersOfUpToTenThousandEntries) {
    EXPECT_EQ(outcome(arrayOfNumbers(10000)), Outcome::decoded);
    EXPECT_EQ(outcome(arrayOfNumbers(10001)), Outcome::outOfBounds);
    EXPECT_EQ(outcome(objectOfMembers(10000)), Outcome::decoded);
    EXPECT_EQ(outcome(objectOfMembers(10001)), Outcome::outOfBounds);
    // Members are counted once per key: a repeated key keeps its last value.
    const std::string sameKey = "{" + repeated("\"k\":1", 10001, ",") + "}";
    EXPECT_EQ(outcome(sameKey), Outcome::decoded);
    EXPECT_EQ(ModelInput::boundedTree("{\"k\":1,\"k\":2}"), (json::Tree{{"k", 2}}));
}

TEST(ModelInputBounds, DepthUpToSixtyThree) {
    // 64 arrays: the innermost, empty, is at depth 63.
    EXPECT_EQ(outcome(nested(64)), Outcome::decoded);
    // A number inside it is at depth 64, and so is a 65th array.
    EXPECT_EQ(outcome(nested(64, "1")), Outcome::outOfBounds);
    EXPECT_EQ(outcome(nested(65)), Outcome::outOfBounds);
    EXPECT_EQ(outcome(nested(63, "{\"a\":\"deep string\"}")), Outcome::outOfBounds);
}

TEST(ModelInputBounds, HostileNestingFailsWithoutExhaustingTheStack) {
    EXPECT_EQ(outcome(nested(200000)), Outcome::outOfBounds);
    EXPECT_EQ(outcome(repeated("{\"a\":", 200000) + "1" + repeated("}", 200000)), Outcome::outOfBounds);
    // Unclosed, it is not JSON at all.
    EXPECT_EQ(outcome(repeated("[", 200000)), Outcome::notJSON);
    EXPECT_FALSE(ModelInput::version(repeated("[", 200000)));
    EXPECT_EQ(ModelInput::version("{\"version\":2,\"x\":" + nested(200000) + "}"), 2);
}

TEST(ModelInputBounds, StringsKeysAndNullAreFree) {
    const std::string longString = "\"" + std::string(1'000'000, 'x') + "\"";
    EXPECT_EQ(outcome(longString), Outcome::decoded);
    EXPECT_EQ(outcome("{\"" + std::string(100'000, 'k') + "\":null}"), Outcome::decoded);
}

TEST(ModelInputBounds, AnyKeyCountsEvenOneTheModelIgnores) {
    EXPECT_EQ(outcome<IconModel>(minimalModel), Outcome::decoded);
    EXPECT_EQ(outcome<IconModel>(R"({"version":2,"parts":[],"orientation":"wall","extra":20000})"),
              Outcome::outOfBounds);
}

TEST(ModelInputOrder, ParserErrorThenBoundsThenDecoding) {
    // Broken text is reported as such even when it also breaks a bound.
    EXPECT_EQ(outcome<IconModel>(R"({"version":2,"parts":[20000]x)"), Outcome::notJSON);
    EXPECT_EQ(outcome<IconModel>(nested(100) + ","), Outcome::notJSON);
    EXPECT_EQ(outcome<IconModel>(""), Outcome::notJSON);
    EXPECT_EQ(outcome<IconModel>("{} {}"), Outcome::notJSON);
    EXPECT_EQ(outcome<IconModel>("{\"version\":\"\xff\"}"), Outcome::notJSON);
    // A tree that breaks a bound never reaches the decoder, however wrong its shape.
    EXPECT_EQ(outcome<IconModel>(R"({"version":"two","parts":20000})"), Outcome::outOfBounds);
    EXPECT_EQ(outcome<IconModel>(R"({"version":3,"parts":[],"x":-10001})"), Outcome::outOfBounds);
    // Within the bounds, the decoder's own first failure.
    EXPECT_EQ(outcome<IconModel>(R"({"version":2})"), Outcome::decodingError);
}

TEST(ModelInputDecode, PassesTheModelsErrorsThroughUnchanged) {
    try {
        (void)ModelInput::decode<IconModel>(R"({"version":3,"parts":"x"})");
        FAIL();
    } catch (const DecodingError& e) {
        EXPECT_EQ(e.kind, DecodingError::Kind::dataCorrupted);
        EXPECT_EQ(e.debugDescription, "Modèle de version 3, plus récente que l'outil");
        EXPECT_EQ(json::describe(e.codingPath), "version");
    }
    // A lone number parses, passes the bounds, and is no model.
    try {
        (void)ModelInput::decode<IconModel>("2");
        FAIL();
    } catch (const DecodingError& e) {
        EXPECT_EQ(e.kind, DecodingError::Kind::typeMismatch);
    }
}

TEST(ModelInputDecode, DecodesAnyModelType) {
    const IconModel model = ModelInput::decode<IconModel>(minimalModel);
    EXPECT_EQ(model, IconModel());
    EXPECT_EQ(ModelInput::decode<Camera>(R"({"yawDegrees":30,"elevationDegrees":1,"distanceInDiagonals":3})"),
              (Camera{30, 1, 3}));
    EXPECT_EQ(ModelInput::decode<std::vector<Vector2>>(R"([{"x":1,"y":2},{"x":-3,"y":4}])"),
              (std::vector<Vector2>{{1, 2}, {-3, 4}}));
    EXPECT_THROW((void)ModelInput::decode<Camera>(R"({"yawDegrees":30000,"elevationDegrees":1,
                                                     "distanceInDiagonals":3})"),
                 ModelInput::Failure);
}

TEST(ModelInputVersion, PeeksAtTheTopLevelVersionOnly) {
    struct Case {
        std::string text;
        std::optional<std::int64_t> version;
    };
    const Case cases[] = {
        {R"({"version":3,"parts":"x"})", 3},
        {R"({"version":2,"extra":20000})", 2},  // no bounds
        {R"({"version":2.0})", 2},
        {R"({"version":1e3})", 1000},
        {R"({"version":2.5})", std::nullopt},
        {R"({"version":"3"})", std::nullopt},
        {R"({"version":true})", std::nullopt},
        {R"({"version":null})", std::nullopt},
        {R"({"version":[2]})", std::nullopt},
        {R"({"version":1e30})", std::nullopt},
        {R"({"parts":[],"nested":{"version":2}})", std::nullopt},
        {R"({"version":1,"version":4})", 4},
        {R"([1,2])", std::nullopt},
        {R"([{"version":2}])", std::nullopt},
        {"2", std::nullopt},
        {R"({"version":2)", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(ModelInput::version(c.text), c.version) << c.text;
}

TEST(ModelStorage, WhatTheReaderWouldRefuseIsNamedBeforeWriting) {
    using Kind = ModelInput::StorageProblem::Kind;
    // A 1 × 1 face with corner radius 10000 scaled by 10000: radius 1e8.
    const IconModel huge = IconModel::withSingleBody({FaceShape::roundedRectangle(10000, 10000, 1e8), 12});
    EXPECT_EQ(ModelInput::storageProblem(huge),
              (ModelInput::StorageProblem{Kind::magnitude,
                                          "parts[0].solid.extruded._0.face.roundedRectangle.cornerRadius", 1e8}));
    EXPECT_FALSE(ModelInput::isStorable(huge));

    ExtrudedBody notFinite;
    notFinite.depth = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(ModelInput::storageProblem(IconModel::withSingleBody(notFinite))->kind, Kind::unwritable);

    ExtrudedBody crowded;
    crowded.grooves.assign(ModelInput::maximumEntries + 1, 0.5);
    const auto tooMany = ModelInput::storageProblem(IconModel::withSingleBody(crowded));
    ASSERT_TRUE(tooMany);
    EXPECT_EQ(tooMany->kind, Kind::entries);
    EXPECT_EQ(tooMany->codingPath, "parts[0].solid.extruded._0.grooves");
    EXPECT_EQ(tooMany->value, ModelInput::maximumEntries + 1);

    // At the bounds a model is stored, and reads back.
    ExtrudedBody atTheBounds;
    atTheBounds.depth = ModelInput::maximumMagnitude;
    atTheBounds.grooves.assign(ModelInput::maximumEntries, 0.5);
    const IconModel model = IconModel::withSingleBody(atTheBounds);
    EXPECT_TRUE(ModelInput::isStorable(model));
    EXPECT_EQ(ModelInput::decode<IconModel>(json::write(json::encode(model))), model);
}
