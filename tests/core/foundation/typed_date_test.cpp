#include "core/foundation/typed_date.h"

#include <gtest/gtest.h>

#include "support/sjis.h"

namespace quilto {
namespace {

struct DateCase {
    const char* typed;  // UTF-8
    QDate expected;     // invalid: no date
};

TEST(TypedDate, ReadsTheFormsOfficesType) {
    const DateCase cases[] = {
        // eras, by name and by letter, every separator, either width
        {"令和8年12月10日", QDate(2026, 12, 10)},
        {"令和 8年 12月 10日", QDate(2026, 12, 10)},
        {"令和元年5月1日", QDate(2019, 5, 1)},
        {"R8.12.10", QDate(2026, 12, 10)},
        {"r08/12/10", QDate(2026, 12, 10)},
        {"R8-1-5", QDate(2026, 1, 5)},
        {"Ｒ８．１２．１０", QDate(2026, 12, 10)},
        {"令和８年１２月１０日（木）", QDate(2026, 12, 10)},
        {"平成30年1月5日", QDate(2018, 1, 5)},
        {"H31.4.30", QDate(2019, 4, 30)},
        {"㍻元年2月1日", QDate(1989, 2, 1)},
        {"昭和64年1月7日", QDate(1989, 1, 7)},
        {"S50.10.1", QDate(1975, 10, 1)},
        {"大正15年12月24日", QDate(1926, 12, 24)},
        {"M45.7.29", QDate(1912, 7, 29)},
        // Western
        {"2026/12/10", QDate(2026, 12, 10)},
        {"2026-12-10", QDate(2026, 12, 10)},
        {"2026.1.5", QDate(2026, 1, 5)},
        {"2026年12月10日", QDate(2026, 12, 10)},
        {"２０２６／１２／１０", QDate(2026, 12, 10)},
        {"20261210", QDate(2026, 12, 10)},
        {" 2026/12/10 (木) ", QDate(2026, 12, 10)},
        // no day named
        {"", QDate()},
        {"   ", QDate()},
        {"　", QDate()},
        {"未定", QDate()},
        {"令和8年12月", QDate()},
        {"2026/2/30", QDate()},
        {"R0.1.1", QDate()},
        {"X8.12.10", QDate()},
        {"26/12/10", QDate()},
        {"2026/12/10/1", QDate()},
        {"12月10日", QDate()},
        {"2026年13月1日", QDate()},
    };
    for (const DateCase& c : cases) {
        const std::optional<QDate> read = ReadTypedDate(QString::fromUtf8(c.typed));
        EXPECT_EQ(read.value_or(QDate()), c.expected) << c.typed;
    }
}

TEST(TypedDate, ReadsTheStoredCp932Text) {
    EXPECT_EQ(ReadTypedDateCp932(test::Sjis("令和8年12月10日")).value_or(QDate()),
              QDate(2026, 12, 10));
    // Bytes that are not CP932 make no date rather than a wrong one.
    EXPECT_FALSE(ReadTypedDateCp932("\x81\x7F\xFF").has_value());
}

}  // namespace
}  // namespace quilto
