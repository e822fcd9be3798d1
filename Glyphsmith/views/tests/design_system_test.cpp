#include "glyphsmith_views/design_system.hpp"

#include <gtest/gtest.h>

#include "glyphsmith_views/plain_text.hpp"

namespace glyphsmith_views {
namespace {

struct BrandColourCase {
    const char* text;
    int red, green, blue;  // -1: no colour
};

TEST(BrandColour, ReadsTheHashAndSixDigitsAsTheNumberReaderDoes) {
    const BrandColourCase cases[] = {
        {"#00A0E3", 0, 160, 227},
        {"#00a0e3", 0, 160, 227},
        {"  #00A0E3\t", 0, 160, 227},
        {"\t #00A0E3 ", 0, 160, 227},
        // The five digits after the sign are one number: 0x0A0E3 is green A0.
        {"#+0A0E3", 0, 160, 227},
        {"#-00000", 0, 0, 0},
        {"#FFFFFF", 255, 255, 255},
        {"#-00001", -1, 0, 0},
        {"00A0E3", -1, 0, 0},
        {"#00A0E", -1, 0, 0},
        {"#00A0E3F", -1, 0, 0},
        {"#00A0E3FF", -1, 0, 0},
        {"#0AF", -1, 0, 0},
        {"#", -1, 0, 0},
        {"", -1, 0, 0},
        {"#00A0G3", -1, 0, 0},
        {"#0x00A0", -1, 0, 0},
        {"# 0A0E3", -1, 0, 0},
        {"#00A0E3\n", -1, 0, 0},
        {"#+-0A0E", -1, 0, 0},
        {"#00A\u00A0E3", -1, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const auto colour = Palette::color(std::optional<QString>(QString::fromUtf8(c.text)));
        if (c.red < 0) {
            EXPECT_FALSE(colour.has_value());
            continue;
        }
        ASSERT_TRUE(colour.has_value());
        EXPECT_EQ(colour->red(), c.red);
        EXPECT_EQ(colour->green(), c.green);
        EXPECT_EQ(colour->blue(), c.blue);
        EXPECT_EQ(colour->alpha(), 255);
    }
    EXPECT_FALSE(Palette::color(std::optional<QString>()).has_value());
}

TEST(UnwrittenChanges, NamesOneDriverAloneAndSeveralAsAFrenchList) {
    EXPECT_EQ(
        unwrittenChangesMessage({QStringLiteral("<b>Prise</b>")}),
        QStringLiteral("Ces pilotes ont des modifications qui ne sont pas écrites dans le projet : <b>Prise</b>."));
    EXPECT_EQ(joinedNames({QStringLiteral("A"), QStringLiteral("B")}), QStringLiteral("A et B"));
}

}  // namespace
}  // namespace glyphsmith_views
