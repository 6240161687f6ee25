#include "core/foundation/cp932.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QStringList>
#include <map>
#include <set>
#include <string>
#include <string_view>

#include "support/sjis.h"

namespace quilto {
namespace {

using test::Sjis;
using test::Utf8;

// tests/data/cp932_table.txt: every code of Microsoft's CP932 table, and the code Windows
// writes for each character that has several.
struct CodeTable {
    std::map<unsigned, char16_t> decode;     // code (0x00XX single byte) -> character
    std::map<char16_t, unsigned> preferred;  // character -> the code it is written as
};

CodeTable LoadCodeTable() {
    CodeTable table;
    QFile file(QStringLiteral(QUILTO_TEST_DATA_DIR "/cp932_table.txt"));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        ADD_FAILURE() << "cannot read " << file.fileName().toStdString();
        return table;
    }
    const auto hex = [](const QString& s) { return s.toUInt(nullptr, 16); };
    std::map<char16_t, std::set<unsigned>> codesOf;
    while (!file.atEnd()) {
        const QString line = QString::fromLatin1(file.readLine()).trimmed();
        if (line.isEmpty() || line.startsWith(u'#')) continue;
        const QStringList f = line.split(u' ', Qt::SkipEmptyParts);
        if (f[0] == u"=") {
            table.preferred[static_cast<char16_t>(hex(f[1]))] = hex(f[2]);
            continue;
        }
        EXPECT_EQ(f.size(), 17) << line.toStdString();
        for (int i = 1; i < f.size(); ++i) {
            if (f[i] == u"-") continue;
            const unsigned code = hex(f[0]) + static_cast<unsigned>(i - 1);
            const auto ch = static_cast<char16_t>(hex(f[i]));
            table.decode[code] = ch;
            codesOf[ch].insert(code);
        }
    }
    for (const auto& [ch, codes] : codesOf) {
        if (codes.size() == 1) {
            EXPECT_EQ(table.preferred.count(ch), 0u) << "U+" << std::hex << int(ch);
            table.preferred[ch] = *codes.begin();
        } else {
            EXPECT_EQ(codes.count(table.preferred[ch]), 1u) << "U+" << std::hex << int(ch);
        }
    }
    return table;
}

std::string CodeBytes(unsigned code) {
    if (code < 0x100) return std::string(1, static_cast<char>(code));
    return {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
}

bool IsLead(unsigned byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// UTF-8 of one BMP character, made by hand: Qt's converters treat U+FEFF as a byte order
// mark and drop it.
std::string Utf8Of(char16_t ch) {
    if (ch < 0x80) return std::string(1, static_cast<char>(ch));
    if (ch < 0x800)
        return {static_cast<char>(0xC0 | ch >> 6), static_cast<char>(0x80 | (ch & 0x3F))};
    return {static_cast<char>(0xE0 | ch >> 12), static_cast<char>(0x80 | (ch >> 6 & 0x3F)),
            static_cast<char>(0x80 | (ch & 0x3F))};
}

const CodeTable& Table() {
    static const CodeTable table = LoadCodeTable();
    return table;
}

TEST(Cp932Table, EveryCodeDecodesToItsCharacter) {
    // 191 single bytes and 7724 pairs: a short read of the fixture must not pass quietly.
    ASSERT_EQ(Table().decode.size(), 7915u);
    for (const auto& [code, ch] : Table().decode) {
        const std::string bytes = CodeBytes(code);
        EXPECT_EQ(Cp932ToUtf8(bytes), Utf8Of(ch)) << std::hex << code;
        EXPECT_EQ(Cp932ToQString(bytes), QString(QChar(ch))) << std::hex << code;
    }
}

TEST(Cp932Table, EveryCodeOutsideTheTableIsRefused) {
    for (unsigned code = 0; code < 0x10000; ++code) {
        const bool pair = code >= 0x100;
        if (pair ? !IsLead(code >> 8) : IsLead(code)) continue;
        if (Table().decode.count(code)) continue;
        const std::string bytes = CodeBytes(code);
        Cp932Error error;
        error.offset = 99;
        const auto decoded = Cp932ToUtf8(bytes, &error);
        // A lead byte with a byte that cannot follow it: the second byte is a character of
        // its own, so only the lead is at fault.
        EXPECT_EQ(decoded, std::nullopt) << std::hex << code;
        EXPECT_EQ(error.offset, 0u) << std::hex << code;
        EXPECT_TRUE(Cp932ToQStringLossy(bytes).startsWith(QChar(QChar::ReplacementCharacter)))
            << std::hex << code;
    }
}

TEST(Cp932Table, EveryCharacterEncodesToTheWindowsCode) {
    for (const auto& [ch, code] : Table().preferred) {
        EXPECT_EQ(Utf8ToCp932(Utf8Of(ch)), CodeBytes(code)) << "U+" << std::hex << int(ch);
        EXPECT_EQ(QStringToCp932(QString(QChar(ch))), CodeBytes(code))
            << "U+" << std::hex << int(ch);
    }
}

TEST(Cp932Table, EveryOtherCharacterIsRefused) {
    ASSERT_FALSE(Table().preferred.empty());
    for (char32_t cp = 0; cp < 0x10000; ++cp) {
        if (cp >= 0xD800 && cp <= 0xDFFF) continue;  // no UTF-8 form
        if (Table().preferred.count(static_cast<char16_t>(cp))) continue;
        const std::string utf8 = Utf8Of(static_cast<char16_t>(cp));
        Cp932Error error;
        error.offset = 99;
        EXPECT_EQ(Utf8ToCp932("ab" + utf8, &error), std::nullopt) << "U+" << std::hex << int(cp);
        EXPECT_EQ(error.offset, 2u) << "U+" << std::hex << int(cp);
    }
}

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

// Runs of ASCII are taken eight bytes at a time: a character or an undefined code at any
// place in or after such a run is decoded or reported where it stands.
TEST(Cp932, CharactersAfterAsciiRunsOfAnyLengthDecodeInPlace) {
    for (std::size_t before = 0; before < 20; ++before) {
        for (std::size_t after : {0u, 1u, 7u, 8u, 9u}) {
            const std::string ascii(before, ' ');
            const std::string tail(after, 'b');
            EXPECT_EQ(Cp932ToUtf8(ascii + "\x82\xA0" + tail), ascii + "あ" + tail) << before;
            Cp932Error error;
            EXPECT_EQ(Cp932ToUtf8(ascii + "\x85\x40" + tail, &error), std::nullopt);
            EXPECT_EQ(error.offset, before);
            EXPECT_EQ(Cp932ToUtf8(ascii + tail), ascii + tail);
        }
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
