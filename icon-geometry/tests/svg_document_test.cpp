#include "icon_geometry/svg_document.hpp"

#include <gtest/gtest.h>
#include <sys/mman.h>

#include <cmath>
#include <string>

using namespace icon_geometry;

namespace {

const std::string svgOpen =
    R"(<svg xmlns="http://www.w3.org/2000/svg" width="960" height="960" viewBox="0 0 960 960">)";

SVGDocument parsed(const std::string& body) {
    return SVGDocument::parse(svgOpen + body + "</svg>");
}

const SVGDocument::Element& named(const SVGDocument& document, std::string_view id) {
    for (const auto& element : document.elements)
        if (auto it = element.attributes.find("id"); it != element.attributes.end() && it->second == id) return element;
    throw std::runtime_error("no element " + std::string(id));
}

std::optional<BezierPath> pathOf(const std::string& element) {
    const SVGDocument document = parsed(element);
    return SVGDocument::elementPath(document.elements.at(1));
}

bool malformed(std::string_view text) {
    try {
        (void)SVGDocument::parse(text);
        return false;
    } catch (const IconGeometryError& error) {
        return error == IconGeometryError::malformedDocument();
    }
}

}  // namespace

TEST(SVGDocumentParse, RefusesWhatIsNotAWellFormedSVGDocument) {
    EXPECT_TRUE(malformed(""));
    EXPECT_TRUE(malformed(R"(<g fill="none"><path d="M0 0L1 1"/></g>)"));    // no svg element
    EXPECT_TRUE(malformed(svgOpen + "<g>"));                                 // unclosed
    EXPECT_TRUE(malformed(svgOpen + R"(<path d="M0 0" d="M1 1"/></svg>)"));  // duplicate attribute
    EXPECT_TRUE(malformed(svgOpen + "<path d='&undefined;'/></svg>"));
    // Entity expansion that would grow without bound is refused, not attempted.
    std::string laughs = "<?xml version=\"1.0\"?><!DOCTYPE svg [<!ENTITY l0 \"lol\">";
    for (int i = 1; i < 10; ++i) {
        laughs += "<!ENTITY l" + std::to_string(i) + " \"";
        for (int j = 0; j < 10; ++j) laughs += "&l" + std::to_string(i - 1) + ";";
        laughs += "\">";
    }
    laughs += "]><svg><g id=\"&l9;\"/></svg>";
    EXPECT_TRUE(malformed(laughs));
}

TEST(SVGDocumentParse, RefusesInputLargerThanTwoGibibytesWithoutReadingIt) {
    const std::size_t size = (std::size_t{1} << 31) + 1;
    void* pages = mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    ASSERT_NE(pages, MAP_FAILED);
    try {
        (void)SVGDocument::parse(std::span(static_cast<const std::uint8_t*>(pages), size));
        ADD_FAILURE() << "parsed";
    } catch (const IconGeometryError& error) {
        EXPECT_EQ(error, IconGeometryError::malformedDocument());
    }
    munmap(pages, size);
}

TEST(SVGDocumentParse, ElementsComeFlatInStartTagOrderWithTheirDepths) {
    const SVGDocument document = SVGDocument::parse(
        R"(<?xml version="1.0"?><root><svg:svg xmlns:svg="http://www.w3.org/2000/svg"/>)"
        R"(<svg id="first" width="10"><g id="g"><path id="p"/></g><rect id="r"/></svg><svg id="second"/></root>)");
    EXPECT_EQ(document.root, (SVGDocument::Attributes{{"id", "first"}, {"width", "10"}}));
    std::vector<std::pair<std::string, std::int64_t>> seen;
    for (const auto& element : document.elements) seen.emplace_back(element.name, element.depth);
    EXPECT_EQ(seen, (std::vector<std::pair<std::string, std::int64_t>>{
                        {"root", 0}, {"svg:svg", 1}, {"svg", 1}, {"g", 2}, {"path", 3}, {"rect", 2}, {"svg", 1}}));
}

TEST(SVGDocumentParse, FillAndStrokeAreInheritedThroughOpenElements) {
    const SVGDocument document = parsed(R"(<g id="g1" fill="none"><path id="inner"/></g>)"
                                        R"(<g id="g2" style="fill: #ff0000"><rect id="styled"/></g>)"
                                        R"(<path id="top"/>)"
                                        R"(<path id="both" fill="red" style="fill:blue"/>)"
                                        R"(<g stroke="#FFF"><g fill="inherit"><circle id="deep"/></g></g>)");
    EXPECT_EQ(named(document, "inner").fill, "none");
    EXPECT_EQ(named(document, "inner").stroke, "none");
    EXPECT_EQ(named(document, "styled").fill, "#ff0000");
    EXPECT_EQ(named(document, "top").fill, "#000000");
    EXPECT_EQ(named(document, "top").stroke, "none");
    const auto& both = named(document, "both");
    EXPECT_EQ(both.fill, "blue");
    EXPECT_EQ(both.presentation.at("fill"), "blue");
    EXPECT_EQ(both.attributes.at("fill"), "red");
    EXPECT_EQ(named(document, "deep").fill, "inherit");  // taken as written
    EXPECT_EQ(named(document, "deep").stroke, "#FFF");
}

TEST(SVGDocumentParse, StyleDeclarationsAreCutAtTheirFirstColon) {
    struct Case {
        const char* style;
        SVGDocument::Attributes expected;  // presentation besides id and style
    };
    const std::vector<Case> cases{
        {"fill: none; stroke:#FFF", {{"fill", "none"}, {"stroke", "#FFF"}}},
        {"fill:", {}},
        {":red", {}},
        {"a:b:c", {{"a", "b:c"}}},
        {"::a:b", {{"a", "b"}}},
        {"a::b", {{"a", ":b"}}},
        {" ;; fill  :  red ;", {{"fill", "red"}}},
        {"fill: ", {{"fill", ""}}},
        {"nothing", {}},
    };
    for (const Case& c : cases) {
        const SVGDocument document = parsed(std::string(R"(<path id="p" style=")") + c.style + R"("/>)");
        SVGDocument::Attributes presentation = named(document, "p").presentation;
        EXPECT_EQ(presentation.at("style"), c.style);
        presentation.erase("style");
        presentation.erase("id");
        EXPECT_EQ(presentation, c.expected) << c.style;
    }
}

TEST(SVGDocumentParse, KeepsOnlyAttributesAsWritten) {
    const SVGDocument document =
        SVGDocument::parse(R"(<!DOCTYPE svg [<!ATTLIST path fill CDATA "red"><!ENTITY ink "#000000">]>)"
                           R"(<svg><path id="p"/><path id="q" fill="&ink;"/></svg>)");
    EXPECT_FALSE(named(document, "p").attributes.contains("fill"));
    EXPECT_EQ(named(document, "p").fill, "#000000");
    EXPECT_EQ(named(document, "q").fill, "#000000");
}

TEST(SVGDocumentLengths, ReadPlainNumbersAndPixelsOnly) {
    struct Case {
        std::optional<std::string> text;
        double length;
    };
    const std::vector<Case> cases{
        {"12", 12},
        {"12.5px", 12.5},
        {" \t7 ", 7},
        {"1e2", 100},
        {"0x10", 16},
        {"-3px", -3},
        {"12 px", 0},
        {"50%", 0},
        {"12pt", 0},
        {"", 0},
        {"px", 0},
        {"\n7", 0},
        {std::nullopt, 0},
        {"inf", PathData::magnitudeLimit},
        {"-infinity", -PathData::magnitudeLimit},
        {"1e308", PathData::magnitudeLimit},
        {"nan", 0},
    };
    for (const Case& c : cases) {
        SVGDocument::Attributes attributes;
        if (c.text) attributes.emplace("width", *c.text);
        EXPECT_EQ(SVGDocument::lengthAttribute("width", attributes), c.length) << c.text.value_or("(absent)");
    }
    // Without sanitising, as the canvas check wants it.
    EXPECT_EQ(SVGDocument::parseLength("960px"), 960);
    EXPECT_EQ(SVGDocument::parseLength("inf"), std::numeric_limits<double>::infinity());
    EXPECT_TRUE(std::isnan(*SVGDocument::parseLength("nan")));
    EXPECT_EQ(SVGDocument::parseLength("100%"), std::nullopt);
    EXPECT_EQ(SVGDocument::parseLength(std::nullopt), std::nullopt);
}

TEST(SVGDocumentGeometry, BasicShapesBecomeOutlines) {
    const auto rect = pathOf(R"(<rect width="10" height="20" x="5" y="5"/>)");
    ASSERT_TRUE(rect);
    EXPECT_EQ(rect->bounds(), (Rect{5, 5, 10, 20}));
    EXPECT_EQ(rect->subpaths.size(), 1u);
    EXPECT_TRUE(rect->subpaths[0].isClosed);

    EXPECT_FALSE(pathOf(R"(<rect width="0" height="20"/>)"));
    EXPECT_FALSE(pathOf(R"(<rect width="10"/>)"));
    EXPECT_FALSE(pathOf(R"(<rect width="-10" height="20"/>)"));

    // One corner radius: rx when it reads, else ry, else none.
    const auto radius = [](const std::string& attributes) {
        const auto path = pathOf(R"(<rect width="40" height="40" )" + attributes + "/>");
        return path->subpaths[0].segments[0].asLine()->to.x;  // the top edge stops where the corner begins
    };
    EXPECT_EQ(radius(R"(rx="4px")"), 36);
    EXPECT_EQ(radius(R"(rx="4 px" ry="6")"), 34);
    EXPECT_EQ(radius(R"(ry="6" rx="8")"), 32);
    EXPECT_EQ(radius(R"(rx="4 px")"), 40);
    EXPECT_EQ(radius(R"(rx="nan" ry="6")"), 40);  // a radius that is not a number is none

    EXPECT_FALSE(pathOf(R"(<circle r="-1"/>)"));
    EXPECT_EQ(pathOf(R"(<circle r="10"/>)")->bounds(), (Rect{-10, -10, 20, 20}));
    EXPECT_EQ(pathOf(R"(<circle r="10" cx="100" cy="50"/>)")->bounds(), (Rect{90, 40, 20, 20}));
    EXPECT_EQ(pathOf(R"(<ellipse rx="30" ry="10" cx="100" cy="50"/>)")->bounds(), (Rect{70, 40, 60, 20}));
    EXPECT_FALSE(pathOf(R"(<ellipse rx="30" cx="100"/>)"));
    EXPECT_FALSE(pathOf(R"(<g width="10" height="10"/>)"));
    EXPECT_FALSE(pathOf(R"(<path/>)"));
    EXPECT_FALSE(pathOf(R"(<Rect width="10" height="10"/>)"));  // names are case-sensitive
}

TEST(SVGDocumentGeometry, PointListsDrawPolygonsAndPolylines) {
    const BezierPath triangle{{Subpath{{0, 0}, {PathSegment::line({10, 0}), PathSegment::line({10, 10})}, true}}};
    EXPECT_EQ(pathOf(R"(<polygon points="0,0 10,0 10,10"/>)"), triangle);
    EXPECT_EQ(pathOf(R"(<polygon points="0,0 10,0 10,10 0,0"/>)"), triangle);
    EXPECT_EQ(pathOf(R"(<polygon points="0 0,10	0
10,10"/>)"),
              triangle);
    EXPECT_FALSE(pathOf(R"(<polygon points="0,0 10"/>)"));
    EXPECT_FALSE(pathOf(R"(<polyline/>)"));
    EXPECT_EQ(pathOf(R"(<polyline points="0,0 x 10,10 7"/>)"),
              (BezierPath{{Subpath{{0, 0}, {PathSegment::line({10, 10})}, false}}}));
    EXPECT_EQ(pathOf(R"(<polyline points="5,5 5,5 5,5"/>)"), BezierPath{});
    // Imported nonsense stays finite: infinities are held to the limit, NaN is skipped.
    EXPECT_EQ(pathOf(R"(<polyline points="0,0 inf,nan,0"/>)"),
              (BezierPath{{Subpath{{0, 0}, {PathSegment::line({PathData::magnitudeLimit, 0})}, false}}}));

    EXPECT_EQ(pathOf(R"(<line/>)"), BezierPath{});
    EXPECT_EQ(pathOf(R"(<line x1="1" y1="2" x2="3" y2="4px"/>)"),
              (BezierPath{{Subpath{{1, 2}, {PathSegment::line({3, 4})}, false}}}));
}

TEST(SVGDocumentGeometry, HugeOrNonFiniteLengthsGiveFiniteOutlines) {
    for (const char* element :
         {R"(<rect x="-1e308" width="1e308" height="inf"/>)", R"(<circle r="1e308" cx="-inf"/>)",
          R"(<ellipse rx="1e300" ry="1e-300" cy="nan"/>)", R"(<rect width="5" height="5" rx="inf"/>)"}) {
        const auto path = pathOf(element);
        ASSERT_TRUE(path) << element;
        const Rect bounds = path->bounds();
        EXPECT_TRUE(std::isfinite(bounds.x) && std::isfinite(bounds.y) && std::isfinite(bounds.width) &&
                    std::isfinite(bounds.height))
            << element;
    }
}

TEST(SVGDocumentGeometry, DrawablePathsListEveryDrawableElementInOrder) {
    const SVGDocument document = parsed(R"(<g><rect width="10" height="10" fill="none"/></g><text>x</text><line/>)"
                                        R"(<rect width="0" height="1"/><path d="M1 1L2 2" stroke="#000"/>)");
    const std::vector<BezierPath> paths = document.drawablePaths();
    ASSERT_EQ(paths.size(), 3u);
    EXPECT_EQ(paths[1], BezierPath{});
    EXPECT_EQ(paths[2].subpaths[0].start, (Vector2{1, 1}));

    try {
        (void)parsed(R"(<path d="M0 0L1 1"/><path d="M 0 0 L"/><path d="X"/>)").drawablePaths();
        ADD_FAILURE() << "no error";
    } catch (const IconGeometryError& error) {
        EXPECT_EQ(error, IconGeometryError::malformedPathData(7));
    }
}
