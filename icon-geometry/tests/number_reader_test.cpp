#include "icon_geometry/number_reader.hpp"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <string>
#include <utility>
#include <vector>

namespace icon_geometry {
namespace {

TEST(NumberRule, WholeTextAsStrtodReadsIt) {
    const double inf = std::numeric_limits<double>::infinity();
    const std::vector<std::pair<std::string, double>> numbers{
        {"12", 12},       {"-3.5", -3.5},    {"1e3", 1000},        {"+5", 5},           {"5.", 5},
        {".5", 0.5},      {"1E+2", 100},     {"inf", inf},         {"-INFINITY", -inf}, {"0x1p4", 16},
        {"0X.8", 0.5},    {"-0x1A", -26},    {"1e-400", 0},        {"1e400", inf},      {"-1e400", -inf},
        {"0x1p-2000", 0}, {"0x1p2000", inf}, {"0.000001e-320", 0}, {"123456e305", inf}};
    for (const auto& [text, value] : numbers) {
        const std::optional<double> read = readNumber(text);
        ASSERT_TRUE(read.has_value()) << text;
        EXPECT_EQ(*read, value) << text;
    }
    EXPECT_TRUE(std::signbit(*readNumber("-1e-400")));
    EXPECT_TRUE(std::isnan(*readNumber("nan")));
    EXPECT_TRUE(std::isnan(*readNumber("-NaN(0x1f)")));

    for (std::string text : {"",     " 5",  "5 ",  "\t5",  "--5",     "+-5", "-+5", "1e",   "1e+", "0x",
                             "0x1p", "abc", "1,5", "nan(", "infinit", ".",   "-",   "1..2", "5f",  "0b101"}) {
        EXPECT_EQ(readNumber(text), std::nullopt) << '"' << text << '"';
    }
}

TEST(NumberRule, ADecimalCommaLocaleDoesNotChangeTheReading) {
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = previous != nullptr ? previous : "C";
    if (std::setlocale(LC_NUMERIC, "fr_FR.UTF-8") == nullptr) GTEST_SKIP() << "no French locale installed";
    EXPECT_EQ(readNumber("12.5"), 12.5);
    EXPECT_EQ(readNumber("12,5"), std::nullopt);
    std::setlocale(LC_NUMERIC, saved.c_str());
}

}  // namespace
}  // namespace icon_geometry
