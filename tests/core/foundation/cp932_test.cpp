#include "foundation/cp932.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "support/sjis.h"

namespace quilto {
namespace {

using test::Sjis;
using test::Utf8;

// The characters estimates live on, whose codes differ between CP932 converters.
TEST(Cp932, NamedCharactersRoundTripAsWindowsCodes) {
    struct Case {
        std::string_view utf8;
        std::string_view cp932;
    };
    const Case cases[] = {
        {"㎡", "\x87\x75"},
        {"～", "\x81\x60"},
        {"－", "\x81\x7C"},
        {"＼", "\x81\x5F"},
        {"①", "\x87\x40"},
        {"ｱｲｳ", "\xB1\xB2\xB3"},
        {"ｰﾟ", "\xB0\xDF"},
        {"\\~", "\x5C\x7E"},
        {"見積書", "\x8C\xA9\x90\xCF\x8F\x91"},
        {"≒", "\x81\xE0"},
        {"№", "\x87\x82"},
        {"Ⅰ", "\x87\x54"},
        {std::string_view("a\0b", 3), std::string_view("a\0b", 3)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.utf8);
        EXPECT_EQ(Utf8ToCp932(c.utf8), std::string(c.cp932));
        EXPECT_EQ(Cp932ToUtf8(c.cp932), std::string(c.utf8));
    }
}

// A character with several codes is written to the code Windows writes; every one of its
// codes still reads as the character.
TEST(Cp932, DuplicatedCharactersEncodeToTheWindowsChoice) {
    EXPECT_EQ(Utf8ToCp932("ⅰ"), "\xFA\x40");   // not EEEF
    EXPECT_EQ(Utf8ToCp932("纊"), "\xFA\x5C");  // not ED40
    EXPECT_EQ(Utf8ToCp932("￢"), "\x81\xCA");  // not EEF9 nor FA54
    EXPECT_EQ(Utf8ToCp932("∵"), "\x81\xE6");   // not 879A nor FA5B
    EXPECT_EQ(Cp932ToUtf8("\xEE\xEF\xED\x40\xEE\xF9\xFA\x54\x87\x9A"), "ⅰ纊￢￢∵");
}

TEST(Cp932, RefusedCharactersReportTheirOffset) {
    struct Case {
        std::string_view utf8;
        std::size_t offset;
    };
    const Case cases[] = {
        {"ab\u00A5", 2},      // yen sign: would come back as a backslash
        {"a\u203E", 1},       // overline: would come back as a tilde
        {"\u2014", 0},        // em dash: would come back as the horizontal bar U+2015
        {"x\U000E0001y", 1},  // language tag: iconv drops it without a word
        {"見\U0001F600", 3},  // emoji
        {"\uE000", 0},        // private use: the user-defined rows are not ours
        {"ok\xE3\x81", 2},    // truncated UTF-8
        {"\xC0\xAF", 0},      // overlong UTF-8
        {"\xED\xA0\x80", 0},  // encoded surrogate
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.utf8);
        Cp932Error error;
        EXPECT_EQ(Utf8ToCp932(c.utf8, &error), std::nullopt);
        EXPECT_EQ(error.offset, c.offset);
    }
}

TEST(Cp932, QStringInputReportsTheCodeUnitIndex) {
    Cp932Error error;
    EXPECT_EQ(QStringToCp932(QString::fromUtf8("㎡～①ｱ"), &error), "\x87\x75\x81\x60\x87\x40\xB1");
    EXPECT_EQ(QStringToCp932(QString::fromUtf8("見積\U0001F600"), &error), std::nullopt);
    EXPECT_EQ(error.offset, 2u);
    const QChar loneSurrogate[] = {QChar(u'a'), QChar(char16_t(0xD800)), QChar(u'b')};
    EXPECT_EQ(QStringToCp932(QString(loneSurrogate, 3), &error), std::nullopt);
    EXPECT_EQ(error.offset, 1u);
}

TEST(Cp932, UndefinedAndTruncatedBytesReportTheirOffset) {
    struct Case {
        std::string_view cp932;
        std::size_t offset;
    };
    const Case cases[] = {
        {"ab\x81", 2},            // lone lead byte at the end
        {"\x81\x20", 0},          // lead byte followed by a byte that cannot follow it
        {"\x82\xA0\x85\x40", 2},  // unassigned code
        {"\x80", 0},
        {"a\xA0", 1},
        {"\xFD", 0},
        {"\xFE", 0},
        {"\xFF", 0},
        {"\xF0\x40", 0},  // user-defined area
        {"\xF9\xFC", 0},
    };
    for (const Case& c : cases) {
        Cp932Error error;
        EXPECT_EQ(Cp932ToUtf8(c.cp932, &error), std::nullopt) << Utf8(c.cp932);
        EXPECT_EQ(error.offset, c.offset) << Utf8(c.cp932);
        error.offset = 99;
        EXPECT_EQ(Cp932ToQString(c.cp932, &error), std::nullopt) << Utf8(c.cp932);
        EXPECT_EQ(error.offset, c.offset) << Utf8(c.cp932);
    }
}

TEST(Cp932, LossyDecodingReplacesOnlyWhatIsUndefined) {
    EXPECT_EQ(Cp932ToQStringLossy("\x81\x20x"), QString::fromUtf8("\uFFFD x"));
    EXPECT_EQ(Cp932ToQStringLossy("\x85\x40\x87\x75"), QString::fromUtf8("\uFFFD㎡"));
    EXPECT_EQ(Cp932ToQStringLossy("\x80\xA0\xFD\xF0\x40"
                                  "a\x9F"),
              QString::fromUtf8("\uFFFD\uFFFD\uFFFD\uFFFDa\uFFFD"));
    EXPECT_EQ(Cp932ToQStringLossy(""), QString());
}

TEST(Cp932, TestHelpersShowUndefinedBytes) {
    EXPECT_EQ(Sjis("見積"), "\x8C\xA9\x90\xCF");
    EXPECT_EQ(Utf8("\x8C\xA9\x81"), "見\\x81");
    EXPECT_EQ(Utf8("a\x80\x81\x20"), "a\\x80\\x81 ");
}

}  // namespace
}  // namespace quilto
