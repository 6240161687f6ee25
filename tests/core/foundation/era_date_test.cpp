#include "core/foundation/era_date.h"

#include <gtest/gtest.h>

#include <QDate>
#include <string>
#include <string_view>

#include "core/foundation/clock.h"
#include "support/sjis.h"

namespace quilto {
namespace {

using test::Sjis;
using test::Utf8;

struct TextCase {
    std::string_view input;
    std::string_view expected;
};

TEST(EraDate, EraTableHoldsFiveErasInOrder) {
    FillEraTable();
    const EraTable& eras = Eras();
    const char* letters[] = {"M", "T", "S", "H", "R"};
    const char* names[] = {"明治", "大正", "昭和", "平成", "令和"};
    const char* boundaries[] = {"18680101", "19120101", "19260101", "19890115", "20190431"};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(eras[i].letter, letters[i]);
        EXPECT_EQ(Utf8(eras[i].name), names[i]);
        EXPECT_EQ(eras[i].boundary, boundaries[i]);
    }
    for (int i = 5; i < kEraSlots; ++i) EXPECT_EQ(eras[i].letter, "") << i;

    EXPECT_EQ(FindEra("H"), 3);
    EXPECT_EQ(FindEra(" R "), 4);
    EXPECT_EQ(FindEra("X"), -1);
}

TEST(EraDate, ToEraCodeFollowsTheProgramsBoundaries) {
    const TextCase cases[] = {
        {"20190501", "R010501"},  // first day of Reiwa
        {"20190430", "H310430"},
        {"19890110", "S640110"},
        {"19890115", "S640115"},  // the boundary day itself still belongs to Showa
        {"19890116", "H010116"},
        {"19260101", "T150101"},
        {"19120102", "T010102"},
        {"18680101", "X680101"},  // before any era: counted from year 1, cut to two digits
        {"240520", "R060520"},    // two-digit years below 60 are 20xx
        {"600101", "S350101"},    // and from 60 on 19xx
        {" 1999/05/20 ", "H110520"},
        {"", ""},
        {"2019050", ""},
        {"201905011", ""},
        {"H110520", ""},  // already an era code: seven characters are no date
    };
    for (const TextCase& c : cases) {
        EXPECT_EQ(ToEraCode(c.input), c.expected) << "input: " << c.input;
    }
}

TEST(EraDate, EraCodeTextWritesTheEraName) {
    const TextCase cases[] = {
        {"H010108", "平成元年01月08日"},
        {"R060520", "令和06年05月20日"},
        {"h110520", "平成11年05月20日"},
        {"S640107", "昭和64年01月07日"},
        {"R0605", ""},
        {"", ""},
    };
    for (const TextCase& c : cases) {
        EXPECT_EQ(Utf8(EraCodeText(c.input)), c.expected) << "input: " << c.input;
    }
}

TEST(EraDate, TodayFollowsTheFixedClock) {
    {
        FixedToday day(QDate(2024, 5, 20));
        EXPECT_EQ(TodayDigits(), "20240520");
        EXPECT_EQ(TodayEraText(), Sjis("令和06年05月20日"));
    }
    FixedToday day(QDate(2019, 5, 1));
    EXPECT_EQ(TodayEraText(), Sjis("令和元年05月01日"));
}

TEST(EraDate, NormalizeAndSplitDates) {
    const TextCase normalized[] = {
        {"1999/05/20", "19990520"},
        {" h11/05/20 ", "H110520"},
        {"x11/05/20", "110520"},
        {"99.05.20", "99.0520"},  // cleaned like a number: the first "." stays
        {"   ", ""},
    };
    for (const TextCase& c : normalized) {
        EXPECT_EQ(NormalizeDate(c.input), c.expected) << "input: " << c.input;
    }

    EXPECT_EQ(YearPart(" 99/05/20"), "99");
    EXPECT_EQ(YearPart("1999/05/20"), "1999");
    EXPECT_EQ(MonthPart("1999/05/20"), "05");
    EXPECT_EQ(DayPart("99/05/20"), "20");
    EXPECT_EQ(YearPart("1999/5/20"), "");
    EXPECT_EQ(DayPart("5/20"), "");
}

TEST(EraDate, ExpandYearAndReformatDate) {
    struct YearCase {
        std::string_view year;
        int width;
        std::string_view expected;
    };
    const YearCase years[] = {
        {"59", 4, "2059"},   {"60", 4, "1960"}, {" 05 ", 4, "2005"}, {"1999", 2, "99"},
        {"1999", 4, "1999"}, {"99", 2, "99"},   {"5", 4, ""},        {"199", 4, ""},
    };
    for (const YearCase& c : years) {
        EXPECT_EQ(ExpandYear(c.year, c.width), c.expected) << c.year << " width " << c.width;
    }

    const YearCase dates[] = {
        {"99/05/20", 4, "1999/05/20"},
        {"1999/05/20", 2, "99/05/20"},
        {"990520", 4, "19990520"},
        {"20240520", 2, "240520"},
        {" 1999/05/20", 4, " 1999/05/20"},  // already that width: the input as it was
        {"1999/05/20", 3, "99/05/20"},      // any other width is taken as 2
        {"no date", 4, ""},
    };
    for (const YearCase& c : dates) {
        EXPECT_EQ(ReformatDate(c.year, c.width), c.expected) << c.year << " width " << c.width;
    }
}

}  // namespace
}  // namespace quilto
