#include "leading_number.h"

#include <gtest/gtest.h>

#include <optional>

namespace tarvel {
namespace {

TEST(LeadingNumber, ReadsDecimalWithSignAndIgnoresBlanksAnywhere) {
    EXPECT_EQ(ReadLeadingNumber("100"), 100);
    EXPECT_EQ(ReadLeadingNumber("  1 0"), 10);
    EXPECT_EQ(ReadLeadingNumber("\t1\n2 3"), 123);
    EXPECT_EQ(ReadLeadingNumber("-5"), -5);
    EXPECT_EQ(ReadLeadingNumber("- 5"), -5);
    EXPECT_EQ(ReadLeadingNumber("+7"), 7);
}

TEST(LeadingNumber, StopsAtTheFirstCharacterThatCannotContinueTheNumber) {
    EXPECT_EQ(ReadLeadingNumber("12abc"), 12);
    EXPECT_EQ(ReadLeadingNumber("12-3"), 12);
    EXPECT_EQ(ReadLeadingNumber("1.5.5"), 2);
    EXPECT_EQ(ReadLeadingNumber("3e"), 3);
    EXPECT_EQ(ReadLeadingNumber("3e+"), 3);
}

TEST(LeadingNumber, TextWithoutANumberIsZero) {
    EXPECT_EQ(ReadLeadingNumber(""), 0);
    EXPECT_EQ(ReadLeadingNumber("abc"), 0);
    EXPECT_EQ(ReadLeadingNumber("-"), 0);
    EXPECT_EQ(ReadLeadingNumber("--5"), 0);
    EXPECT_EQ(ReadLeadingNumber("."), 0);
    EXPECT_EQ(ReadLeadingNumber("&"), 0);
    EXPECT_EQ(ReadLeadingNumber("&Z12"), 0);
}

TEST(LeadingNumber, RoundsHalfToEven) {
    EXPECT_EQ(ReadLeadingNumber("100.5"), 100);
    EXPECT_EQ(ReadLeadingNumber("101.5"), 102);
    EXPECT_EQ(ReadLeadingNumber("100.51"), 101);
    EXPECT_EQ(ReadLeadingNumber("-2.5"), -2);
    EXPECT_EQ(ReadLeadingNumber(".5"), 0);
    EXPECT_EQ(ReadLeadingNumber("1.5"), 2);
}

TEST(LeadingNumber, ReadsExponentsWrittenWithEOrD) {
    EXPECT_EQ(ReadLeadingNumber("1e3"), 1000);
    EXPECT_EQ(ReadLeadingNumber("1D3"), 1000);
    EXPECT_EQ(ReadLeadingNumber("25E-1"), 2);
    EXPECT_EQ(ReadLeadingNumber("1e-400"), 0);
}

TEST(LeadingNumber, ReadsHexAndOctalAfterAnAmpersand) {
    EXPECT_EQ(ReadLeadingNumber("&H10"), 16);
    EXPECT_EQ(ReadLeadingNumber("&h1f"), 31);
    EXPECT_EQ(ReadLeadingNumber("&HFFz"), 255);
    EXPECT_EQ(ReadLeadingNumber("&O17"), 15);
    EXPECT_EQ(ReadLeadingNumber("&o178"), 15);
    EXPECT_EQ(ReadLeadingNumber("& H 1 0"), 16);
    EXPECT_EQ(ReadLeadingNumber("&H"), 0);
    EXPECT_EQ(ReadLeadingNumber("&H7FFFFFFF"), 2147483647);
}

TEST(LeadingNumber, RefusesValuesOutsideTheSigned32BitRange) {
    EXPECT_EQ(ReadLeadingNumber("2147483647"), 2147483647);
    EXPECT_EQ(ReadLeadingNumber("-2147483648"), -2147483647 - 1);
    EXPECT_EQ(ReadLeadingNumber("2147483647.5"), std::nullopt);  // rounds up to 2^31
    EXPECT_EQ(ReadLeadingNumber("2147483647.4"), 2147483647);
    EXPECT_EQ(ReadLeadingNumber("2147483648"), std::nullopt);
    EXPECT_EQ(ReadLeadingNumber("-2147483649"), std::nullopt);
    EXPECT_EQ(ReadLeadingNumber("1e10"), std::nullopt);
    EXPECT_EQ(ReadLeadingNumber("1e400"), std::nullopt);
    EXPECT_EQ(ReadLeadingNumber("&H80000000"), std::nullopt);
    EXPECT_EQ(ReadLeadingNumber("&HFFFFFFFFFFFFFFFFFFFF"), std::nullopt);
    EXPECT_EQ(ReadLeadingNumber("99999999999999999999999"), std::nullopt);
}

}  // namespace
}  // namespace tarvel
