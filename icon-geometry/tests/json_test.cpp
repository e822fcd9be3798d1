#include "icon_geometry/json.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <type_traits>

using namespace icon_geometry;
using json::DecodingError;

namespace {

DecodingError decodingError(const std::function<void()>& f) {
    try {
        f();
    } catch (const DecodingError& e) {
        return e;
    }
    ADD_FAILURE() << "no decoding error";
    return DecodingError(DecodingError::Kind::dataCorrupted, {}, "");
}

// A decoder refers to its tree, so one made from a temporary tree would read
// freed memory.
static_assert(std::is_constructible_v<json::Decoder, const json::Tree&>);
static_assert(!std::is_constructible_v<json::Decoder, json::Tree>);
static_assert(!std::is_constructible_v<json::Decoder, json::Tree&&>);

}  // namespace

TEST(JSONWriter, SortsKeysIndentsAndWritesShortestNumbers) {
    json::Tree t = json::Tree::object();
    t["b"] = 12.0;
    t["a"] = json::Tree::array({0.1, -0.0, 1e21, std::int64_t{3}});
    t["C"] = json::Tree::object();
    t["e"] = json::Tree::array();
    t["d"] = "quote \" and \\ and \n";
    EXPECT_EQ(json::write(t),
              "{\n"
              "  \"C\" : {},\n"
              "  \"a\" : [\n"
              "    0.1,\n"
              "    -0,\n"
              "    1e+21,\n"
              "    3\n"
              "  ],\n"
              "  \"b\" : 12,\n"
              "  \"d\" : \"quote \\\" and \\\\ and \\n\",\n"
              "  \"e\" : []\n"
              "}");
}

TEST(JSONWriter, RefusesNumbersThatAreNotFinite) {
    for (double bad : {std::numeric_limits<double>::infinity(), std::nan("")}) {
        json::Tree t = {{"outer", {{"inner", bad}}}};
        try {
            (void)json::write(t);
            FAIL();
        } catch (const json::EncodingError& e) {
            EXPECT_EQ(json::describe(e.codingPath), "outer.inner");
        }
    }
}

TEST(JSONDecoder, IntegersRefuseFractionsButAcceptWholeReals) {
    const json::Tree t = json::parse(R"({"a": 3.0, "b": 1e3, "c": 1.5, "d": true, "e": 18446744073709551615})");
    const json::Decoder d(t);
    EXPECT_EQ(d.required<int>("a"), 3);
    EXPECT_EQ(d.required<int>("b"), 1000);
    EXPECT_EQ(decodingError([&] { (void)d.required<int>("c"); }).kind, DecodingError::Kind::typeMismatch);
    EXPECT_EQ(decodingError([&] { (void)d.required<int>("d"); }).kind, DecodingError::Kind::typeMismatch);
    EXPECT_EQ(decodingError([&] { (void)d.required<int>("e"); }).kind, DecodingError::Kind::typeMismatch);
    EXPECT_EQ(decodingError([&] { (void)d.required<double>("d"); }).kind, DecodingError::Kind::typeMismatch);
    EXPECT_EQ(decodingError([&] { (void)d.required<bool>("a"); }).kind, DecodingError::Kind::typeMismatch);
}

TEST(JSONDecoder, EachErrorKindWithItsPath) {
    const json::Tree t = json::parse(R"({"list": [{"x": null}, {"y": 1}], "kind": "sideways", "n": "1"})");
    const json::Decoder d(t);
    const auto missing = decodingError([&] { (void)d.member("list").element(1).required<double>("x"); });
    EXPECT_EQ(missing.kind, DecodingError::Kind::keyNotFound);
    EXPECT_EQ(json::describe(missing.codingPath), "list[1]");
    const auto null = decodingError([&] { (void)d.member("list").element(0).required<double>("x"); });
    EXPECT_EQ(null.kind, DecodingError::Kind::valueNotFound);
    EXPECT_EQ(json::describe(null.codingPath), "list[0].x");
    const auto raw = decodingError([&] { (void)d.member("kind").rawValue({"wall", "ceiling"}); });
    EXPECT_EQ(raw.kind, DecodingError::Kind::dataCorrupted);
    EXPECT_EQ(json::describe(raw.codingPath), "kind");
    EXPECT_EQ(d.member("kind").rawValue({"up", "sideways"}), 1u);
    const auto notJSON = decodingError([] { (void)json::parse("{\"a\": "); });
    EXPECT_EQ(notJSON.kind, DecodingError::Kind::dataCorrupted);
    EXPECT_TRUE(notJSON.codingPath.empty());
}

TEST(JSONDecoder, OptionalMembersReadMissingAndNullAsAbsent) {
    const json::Tree t = json::parse(R"({"a": null, "b": 2})");
    const json::Decoder d(t);
    EXPECT_FALSE(d.optional<double>("a").has_value());
    EXPECT_FALSE(d.optional<double>("z").has_value());
    EXPECT_EQ(d.optional<double>("b"), 2.0);
    EXPECT_EQ(decodingError([&] { (void)d.required<double>("a"); }).kind, DecodingError::Kind::valueNotFound);
}

TEST(JSONDecoder, CasesOfAnEnumerationWithPayload) {
    const json::Tree t = json::parse(
        R"({"one": {"circle": {"_0": 2}, "note": 1}, "two": {"circle": {}, "square": {}}, "bad": {"circle": 3}})");
    const json::Decoder d(t);
    const auto [name, payload] = d.member("one").singleCase({"circle", "square"});
    EXPECT_EQ(name, "circle");
    EXPECT_EQ(payload.required<double>("_0"), 2);
    EXPECT_EQ(json::describe(payload.codingPath()), "one.circle");
    const auto two = decodingError([&] { (void)d.member("two").singleCase({"circle", "square"}); });
    EXPECT_EQ(two.kind, DecodingError::Kind::typeMismatch);
    EXPECT_EQ(two.debugDescription, "Invalid number of keys found, expected one.");
    EXPECT_EQ(json::describe(two.codingPath), "two");
    EXPECT_EQ(decodingError([&] { (void)d.member("bad").singleCase({"circle"}); }).kind,
              DecodingError::Kind::typeMismatch);
}
