// SPDX-License-Identifier: GPL-3.0-or-later
// Numbers as captions, descriptions and files show them. These run under the C locale and
// again under one with a decimal comma (see tests/CMakeLists.txt): the texts must not change.
#include "platform/NumberFormat.h"

#include <clocale>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <stdexcept>
#include <utility>

namespace platform {
namespace {

using Cases = std::initializer_list<std::pair<double, const char*>>;

TEST(NumberFormat, ScaleCaptionNumbers) {
    for (const auto& [v, text] : Cases{{1, "1"},
                                       {1 / 0.7, "1.43"},
                                       {1.25, "1.25"},
                                       {0.5, "0.5"},
                                       {100, "100"},
                                       {999.4, "999"},
                                       {999.6, "1E+03"},
                                       {1234.5, "1.23E+03"},
                                       {0.000001234, "1.23E-06"},
                                       {12.0, "12"}})
        EXPECT_EQ(FormatGeneral(v, 3, ExponentSign::Always), text) << v;
}

TEST(NumberFormat, TrackingNumbers) {
    for (const auto& [v, text] : Cases{{0.0, "0"},
                                       {12.5, "12.5"},
                                       {-3.25, "-3.25"},
                                       {1234567.0, "1234567"},
                                       {1234567.8, "1234568"},
                                       {12345678.0, "1.234568E07"},
                                       {9999999.6, "1E07"},
                                       {0.1 + 0.2, "0.3"},
                                       {0.00001, "0.00001"},
                                       {0.000001234, "1.234E-06"},
                                       {123.4567891, "123.4568"}})
        EXPECT_EQ(FormatGeneral(v, 7, ExponentSign::NegativeOnly), text) << v;
}

TEST(NumberFormat, FixedAfterSignificantRounding) {
    EXPECT_EQ(FormatFixed(12.3456, 3, 8), "12.346");
    EXPECT_EQ(FormatFixed(-0.5, 3, 8), "-0.500");
    EXPECT_EQ(FormatFixed(123456.789, 3, 8), "123456.790");
    EXPECT_EQ(FormatFixed(123456789.0, 3, 8), "1.2345679E+08");
}

TEST(NumberFormat, SevenSignificantDigits) {
    for (const auto& [v, text] : Cases{{12.5, "12.500"},
                                       {0, "0.000"},
                                       {-0.0001, "0.000"},
                                       {-3.14159, "-3.142"},
                                       {12345.678, "12345.680"},
                                       {1234567.8, "1234568.000"},
                                       {9999999.4, "9999999.000"},
                                       {9999999.6, "1.000000E+07"},
                                       {12345678, "1.234568E+07"},
                                       {-2e20, "-2.000000E+20"},
                                       {0.0005, "0.001"},
                                       {99999.996, "100000.000"}})
        EXPECT_EQ(FormatSignificant7(v, 3), text) << v;
    EXPECT_EQ(FormatSignificant7(-0.126, 2), "-0.13");
    EXPECT_EQ(FormatSignificant7(1e8, 2), "1.000000E+08");
}

TEST(NumberFormat, SixByteRealNotation) {
    for (const auto& [v, text] : Cases{{45, " 4.50000000000000E+0001"},
                                       {0, " 0.00000000000000E+0000"},
                                       {-0.5, "-5.00000000000000E-0001"},
                                       {123456.75, " 1.23456750000000E+0005"},
                                       // A 6-byte real keeps 40 bits: 0.1 reads 0.100000000000023.
                                       {0.1, " 1.00000000000023E-0001"}}) {
        EXPECT_EQ(FormatReal48(v), text) << v;
        EXPECT_EQ(FormatReal48(v).size(), 23u);
    }
    EXPECT_EQ(ReduceToReal48(1e-40), 0);
}

TEST(NumberFormat, NonFiniteValuesHaveWords) {
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(FormatGeneral(std::nan(""), 3, ExponentSign::Always), "NAN");
    EXPECT_EQ(FormatFixed(-inf, 3, 8), "-INF");
    EXPECT_EQ(FormatSignificant7(inf, 3), "INF");
}

TEST(NumberFormat, RoundingIsToNearestWithTiesToEven) {
    EXPECT_EQ(Rnd(2.5), 2);
    EXPECT_EQ(Rnd(3.5), 4);
    EXPECT_EQ(Round(-2.5), -2);
    EXPECT_EQ(Round(2.4999), 2);
    EXPECT_THROW(Round(3e9), std::range_error);
    EXPECT_THROW(Round(std::nan("")), std::range_error);
    EXPECT_EQ(RoundClamped(3e9), INT32_MAX);
    EXPECT_EQ(RoundClamped(std::nan("")), 0);
}

} // namespace
} // namespace platform
