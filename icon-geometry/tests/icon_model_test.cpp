#include "icon_geometry/icon_model.hpp"

#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "decoding.hpp"
using namespace icon_geometry;
using json::DecodingError;

namespace {

std::string written(const IconModel& model) {
    return json::write(json::encode(model));
}

IconModel read(std::string_view text) {
    return json::decode<IconModel>(text);
}

RevolvedBody knob() {
    return RevolvedBody::cylinder(5, 0, 10, RevolvedAxis::depth, {RevolvedDetail::ring(5)});
}

ExtrudedBody squareBody(double side) {
    return {FaceShape::roundedRectangle(side, side, 2), 9, std::nullopt, {}, {}};
}

BodyPart part(Solid solid, Vector3 offset = {}, double turn = 0) {
    return {std::move(solid), offset, turn};
}

constexpr const char* oldBody = R"({"face": {"ellipse": {"width": 40, "height": 30}}, "depth": 7})";

}  // namespace

TEST(IconModel, DefaultModelWritesTheDocumentedTextAndReadsBack) {
    const IconModel model = IconModel::withSingleBody(ExtrudedBody::defaultBody());
    std::string text = written(model);
    std::erase_if(text, [](char c) { return c == ' ' || c == '\n'; });
    EXPECT_EQ(
        text,
        R"({"orientation":"wall","parts":[{"offset":{"x":0,"y":0,"z":0},"solid":{"extruded":{"_0":{"depth":12,)"
        R"("details":[],"face":{"roundedRectangle":{"cornerRadius":6,"height":86,"width":86}}}}}}],"version":2})");
    EXPECT_EQ(read(written(model)), model);
    EXPECT_EQ(model, IconModel({part(Solid::extruded({}))}));
}

TEST(IconModel, PrimaryBodyIsPartZeroWhenExtruded) {
    EXPECT_EQ(IconModel().primaryBody(), ExtrudedBody::defaultBody());
    EXPECT_FALSE(IconModel().hasExtrudedPrimaryBody());
    const IconModel revolvedFirst({part(Solid::revolved(knob()))});
    EXPECT_EQ(revolvedFirst.primaryBody(), ExtrudedBody::defaultBody());
    EXPECT_FALSE(revolvedFirst.hasExtrudedPrimaryBody());
    EXPECT_EQ(IconModel({part(Solid::extruded(squareBody(40)))}).primaryBody(), squareBody(40));
}

TEST(IconModel, WritingThePrimaryBodyNeverLosesARevolvedPart) {
    IconModel empty;
    empty.setPrimaryBody(squareBody(30));
    EXPECT_EQ(empty, IconModel::withSingleBody(squareBody(30)));

    IconModel revolvedFirst({part(Solid::revolved(knob()), {1, 2, 3}, 45)});
    revolvedFirst.setPrimaryBody(squareBody(30));
    EXPECT_EQ(revolvedFirst.parts, (std::vector<BodyPart>{part(Solid::extruded(squareBody(30))),
                                                          part(Solid::revolved(knob()), {1, 2, 3}, 45)}));

    IconModel extrudedFirst({part(Solid::extruded(squareBody(40)), {4, 5, 6}, 10), part(Solid::revolved(knob()))});
    extrudedFirst.setPrimaryBody(squareBody(60));
    EXPECT_EQ(extrudedFirst.parts, (std::vector<BodyPart>{part(Solid::extruded(squareBody(60)), {4, 5, 6}, 10),
                                                          part(Solid::revolved(knob()))}));

    IconModel changed({part(Solid::revolved(knob()))});
    changed.changePrimaryBody([](ExtrudedBody& body) { body.bevel = ExtrudedBody::defaultBevel; });
    ASSERT_EQ(changed.parts.size(), 2u);
    EXPECT_EQ(changed.primaryBody().bevel, 50);
}

TEST(IconModel, CameraDiffersOnlyWithACamera) {
    EXPECT_FALSE(IconModel().cameraDiffers(1, 2, 3));
    const IconModel model = IconModel::withSingleBody({}, Camera{30, 2, 3});
    EXPECT_FALSE(model.cameraDiffers(30, 2, 3));
    EXPECT_TRUE(model.cameraDiffers(30.000000001, 2, 3));
    EXPECT_TRUE(model.cameraDiffers(30, 2.5, 3));
    EXPECT_TRUE(model.cameraDiffers(30, 2, 2.9));
}

TEST(BodyPart, RotationTurnsThePartThenTipsItWithTheDevice) {
    const BodyPart still = part(Solid::extruded({}));
    EXPECT_EQ(still.rotation(Orientation::wall), Rotation3::identity());
    EXPECT_EQ(still.rotation(Orientation::ceiling).apply({1, 2, 3}), (Vector3{1, -3, 2}));
    EXPECT_EQ(still.rotation(Orientation::floor).apply({1, 2, 3}), (Vector3{1, 3, -2}));

    const BodyPart quarter = part(Solid::extruded({}), {}, 90);
    const Vector3 v = quarter.rotation(Orientation::wall).apply({1, 0, 0});
    EXPECT_NEAR(v.x, 0, 1e-15);
    EXPECT_EQ(v.z, 1);
    // Turned x goes to z, which the ceiling then tips to −y.
    EXPECT_EQ(quarter.rotation(Orientation::ceiling).apply({1, 0, 0}).y, -1);
}

TEST(IconModelJSON, WritesOptionalAndDefaultFieldsOnlyWhenTheyCarrySomething) {
    ExtrudedBody body = squareBody(20);
    IconModel model({part(Solid::extruded(body)), part(Solid::revolved(knob()), {1, 0, 0}, 15)});
    model.version = 7;
    json::Tree tree = json::encode(model);
    EXPECT_EQ(tree["version"], 2);
    EXPECT_FALSE(tree.contains("camera"));
    EXPECT_FALSE(tree["parts"][0].contains("turn"));
    EXPECT_EQ(tree["parts"][1]["turn"], 15.0);
    const json::Tree& first = tree["parts"][0]["solid"]["extruded"]["_0"];
    EXPECT_FALSE(first.contains("bevel"));
    EXPECT_FALSE(first.contains("grooves"));
    EXPECT_EQ(first["details"], json::Tree::array());

    body.bevel = 3;
    body.grooves = {0.5};
    model.parts[0].solid = Solid::extruded(body);
    model.camera = Camera{};
    const IconModel back = read(written(model));
    EXPECT_EQ(back.version, 2);
    model.version = 2;
    EXPECT_EQ(back, model);

    body.grooves = {std::numeric_limits<double>::infinity()};
    EXPECT_THROW((void)written(IconModel::withSingleBody(body)), json::EncodingError);
}

TEST(IconModelJSON, OlderVersionsHoldASingleBody) {
    for (const char* version : {"1", "0", "-4"}) {
        const IconModel model = read(std::string(R"({"version": )") + version + R"(, "body": )" + oldBody +
                                     R"(, "parts": "ignored", "orientation": "floor"})");
        EXPECT_EQ(model, IconModel::withSingleBody({FaceShape::ellipse(40, 30), 7, std::nullopt, {}, {}})) << version;
    }
    EXPECT_EQ(read(std::string(R"({"version": 1, "body": )") + oldBody +
                   R"(, "camera": {"yawDegrees": 30, "elevationDegrees": 1, "distanceInDiagonals": 3}})")
                  .camera,
              (Camera{30, 1, 3}));
    // Absent or null optional keys read as their defaults.
    const IconModel defaults = read(R"({"version": 2, "orientation": null, "camera": null, "parts": [
        {"solid": {"extruded": {"_0": {"face": {"ellipse": {"width": 40, "height": 30}}, "depth": 7,
                                       "bevel": null, "details": null, "grooves": null}}},
         "offset": null, "turn": null}]})");
    EXPECT_EQ(defaults, IconModel::withSingleBody({FaceShape::ellipse(40, 30), 7, std::nullopt, {}, {}}));
}

TEST(IconModelJSON, VersionRulesFailInTheirOrder) {
    struct Case {
        std::string text;
        DecodingError::Kind kind;
        std::string path;
    };
    const Case cases[] = {
        {R"({"parts": []})", DecodingError::Kind::keyNotFound, ""},
        {R"({"version": null, "parts": []})", DecodingError::Kind::valueNotFound, "version"},
        {R"({"version": "2", "parts": []})", DecodingError::Kind::typeMismatch, "version"},
        {R"({"version": 2.5, "parts": []})", DecodingError::Kind::typeMismatch, "version"},
        {R"({"version": 2})", DecodingError::Kind::keyNotFound, ""},
        {R"({"version": 2, "parts": [], "orientation": "side"})", DecodingError::Kind::dataCorrupted, "orientation"},
        {R"({"version": 1, "parts": []})", DecodingError::Kind::keyNotFound, ""},
        // A newer version is refused before anything else is looked at.
        {R"({"version": 3, "parts": "nonsense", "camera": 1})", DecodingError::Kind::dataCorrupted, "version"},
        {R"({"version": 2, "parts": [], "camera": {"yawDegrees": 30}})", DecodingError::Kind::keyNotFound, "camera"},
        {R"({"version": 2, "parts": [{"offset": {"x": 0, "y": 0, "z": 0}}]})", DecodingError::Kind::keyNotFound,
         "parts[0]"},
        {R"({"version": 2, "parts": [{"solid": {"extruded": {"_0": {}}, "revolved": {"_0": {}}}}]})",
         DecodingError::Kind::typeMismatch, "parts[0].solid"},
    };
    for (const Case& c : cases) {
        const DecodingError e = decodingFailure<IconModel>(c.text);
        EXPECT_EQ(e.kind, c.kind) << c.text;
        EXPECT_EQ(json::describe(e.codingPath), c.path) << c.text;
    }
}

TEST(IconModelJSON, NewerVersionIsRefusedWithItsNumber) {
    for (const std::string version : {"3", "12345678901"}) {
        EXPECT_EQ(decodingFailure<IconModel>(R"({"version": )" + version + R"(, "parts": []})").debugDescription,
                  "Modèle de version " + version + ", plus récente que l'outil");
    }
}

TEST(IconModel, HashAgreesWithEquality) {
    const IconModel a({part(Solid::extruded(squareBody(10)), {0.0, 1, 2}, 0.0)}, Orientation::floor);
    const IconModel b({part(Solid::extruded(squareBody(10)), {-0.0, 1, 2}, -0.0)}, Orientation::floor);
    EXPECT_EQ(a, b);
    EXPECT_EQ(std::hash<IconModel>{}(a), std::hash<IconModel>{}(b));
    IconModel c = a;
    c.camera = Camera{};
    EXPECT_NE(a, c);
}
