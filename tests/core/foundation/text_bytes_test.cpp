#include "core/foundation/text_bytes.h"

#include <gtest/gtest.h>

#include <string>

namespace quilto {
namespace {

// CP932 bytes of the texts used below.
const std::string kNi = "\x93\xFA";             // 日
const std::string kHon = "\x96\x7B";            // 本 (second byte is "{")
const std::string kGo = "\x8C\xEA";             // 語
const std::string kNihongo = kNi + kHon + kGo;  // 日本語, 6 bytes
const std::string kHyou = "\x95\x5C";           // 表 (second byte is "\")
const std::string kSo = "\x83\x5C";             // ソ

TEST(TextBytes, ByteClassWalksFromTheStart) {
    // "A" 日 "\t" 表: the 0x5C of 表 is a second byte, not a backslash.
    const std::string text = "A" + kNi + "\t" + kHyou;
    struct Case {
        int position;
        int expected;
    };
    for (const Case c : {Case{0, -1}, {1, 0}, {2, 1}, {3, 2}, {4, 3}, {5, 1}, {6, 2}, {7, 0}}) {
        EXPECT_EQ(ByteClass(text, c.position), c.expected) << "position " << c.position;
    }
    EXPECT_EQ(ByteClass("\x7F", 1), 3);
    // A lead-looking byte that is itself a second byte (0x93 after 0x95).
    EXPECT_EQ(ByteClass("\x95\x93\x93\xFA", 2), 2);
    EXPECT_EQ(ByteClass("\x95\x93\x93\xFA", 3), 1);
}

TEST(TextBytes, PadRightNeverSplitsACharacter) {
    struct Case {
        std::string text;
        int width;
        std::string expected;
    };
    const Case cases[] = {
        {kNihongo, 5, kNi + kHon + " "},
        {kNihongo, 6, kNihongo},
        {kNihongo, 1, " "},
        {"ab", 4, "ab  "},
        {"abcdef", 3, "abc"},
        {"ab", 0, "ab"},
        {"ab", -3, "ab"},
        {"", 2, "  "},
        // Only a double-byte character at the cut is dropped; its second byte is not a lead.
        {"A" + kSo + "B", 3, "A" + kSo},
        {"0123456789", 300, "0123456789"},
        {std::string(255, 'x'), 255, std::string(255, 'x')},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PadRightBytes(c.text, c.width), c.expected) << c.text << " at " << c.width;
    }
    // Long texts are still cut, but never padded past a short string's size.
    EXPECT_EQ(PadRightBytes(std::string(400, 'x'), 300), std::string(300, 'x'));
    EXPECT_EQ(PadRightBytes(std::string(10, 'x'), 255).size(), 255u);
}

TEST(TextBytes, PadLeftRightAligns) {
    struct Case {
        std::string text;
        int width;
        std::string expected;
    };
    const Case cases[] = {
        {"123", 6, "   123"},
        {"12345678", 6, "345678"},
        {"123", 3, "123"},
        // Cutting 日 in half would leave a lone second byte: one more byte goes.
        {kNihongo, 5, " " + kHon + kGo},
        {kNihongo, 4, kHon + kGo},
        {"0000" + std::string("7"), 3, "007"},
        {"abc", 0, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PadLeftBytes(c.text, c.width), c.expected) << c.text << " at " << c.width;
    }
    EXPECT_EQ(PadLeftBytes("x", 1000), std::string(254, ' ') + "x");
}

TEST(TextBytes, CutToBytesKeepsWholeCharacters) {
    EXPECT_EQ(CutToBytes(kNihongo, 5), kNi + kHon);
    EXPECT_EQ(CutToBytes(kNihongo, 4), kNi + kHon);
    EXPECT_EQ(CutToBytes(kNihongo, 1), "");
    EXPECT_EQ(CutToBytes(kNihongo, 60), kNihongo);
    EXPECT_EQ(CutToBytes("abc", 0), "");
    EXPECT_EQ(CutToBytes("abc", -1), "");
}

TEST(TextBytes, InsertRepeated) {
    struct Case {
        std::string text;
        std::string piece;
        int position;
        int count;
        int status;
        std::string expected;
    };
    const Case cases[] = {
        {"abc", "-", 2, 2, 0, "a--bc"},
        {"abc", "-", 0, 1, 0, "abc-"},
        {"abc", "-", 9, 1, 0, "abc-"},
        {"abc", "-", 1, 0, -1, "abc"},
        // A position on the second half of 日 moves past it.
        {kNi + "x", "-", 2, 1, 0, kNi + "-x"},
        {std::string(249, 'a'), "xy", 1, 3, 0, "xyxyxy" + std::string(249, 'a')},
        {std::string(250, 'a'), "x", 1, 6, -1, std::string(250, 'a')},
    };
    for (const Case& c : cases) {
        std::string text = c.text;
        EXPECT_EQ(InsertRepeated(text, c.piece, c.position, c.count), c.status) << c.text;
        EXPECT_EQ(text, c.expected) << c.text;
    }
    // The count is limited to 255 before the size check.
    std::string empty;
    EXPECT_EQ(InsertRepeated(empty, "a", 1, 100000), 0);
    EXPECT_EQ(empty, std::string(255, 'a'));
}

TEST(TextBytes, DeleteAndDrop) {
    struct Case {
        std::string text;
        int position;
        int count;
        int status;
        std::string expected;
    };
    const Case deletions[] = {
        {"abcdef", 2, 3, 0, "aef"},
        {"abcdef", 4, 0, 0, "abc"},
        {"abcdef", 4, 99, 0, "abc"},
        {"abcdef", 7, 1, -1, "abcdef"},
        {"", 1, 1, -1, ""},
        // A start on the second byte of 日 moves one on.
        {"a" + kNi + kHon + "z", 3, 2, 0, "a" + kNi + "z"},
        {"a" + kNi + "z", 3, 1, 0, "a" + kNi},
        // An end on the lead byte of 日 takes its second byte too.
        {"a" + kNi + "z", 1, 2, 0, "z"},
        {"ab" + kNi, 2, 2, 0, "a"},
    };
    for (const Case& c : deletions) {
        std::string text = c.text;
        EXPECT_EQ(DeleteBytes(text, c.position, c.count), c.status) << c.text;
        EXPECT_EQ(text, c.expected) << c.text;
    }

    std::string text = kNi + "abc";
    EXPECT_EQ(DropLeadingBytes(text, 1), 0);
    EXPECT_EQ(text, "abc");
    EXPECT_EQ(DropLeadingBytes(text, 0), -1);
    EXPECT_EQ(DropLeadingBytes(text, 10), 0);
    EXPECT_EQ(text, "");
    EXPECT_EQ(DropLeadingBytes(text, 1), -1);

    text = "abc" + kNi;
    EXPECT_EQ(DropTrailingBytes(text, 2), 0);
    EXPECT_EQ(text, "abc");
    EXPECT_EQ(DropTrailingBytes(text, 0), -1);
    EXPECT_EQ(DropTrailingBytes(text, 5), 0);
    EXPECT_EQ(text, "");
}

TEST(TextBytes, CopyBytes) {
    EXPECT_EQ(CopyBytes("abcdef", 2, 3), "bcd");
    EXPECT_EQ(CopyBytes("abcdef", 0, 2), "ab");
    EXPECT_EQ(CopyBytes("abcdef", 5, 0), "ef");
    EXPECT_EQ(CopyBytes("abcdef", 5, 10), "ef");
    EXPECT_EQ(CopyBytes("abcdef", 7, 1), "");
}

TEST(TextBytes, FindTextStepsOverDoubleByteCharacters) {
    // The second byte of 表 is 0x5C and of 本 is "{": neither may match on its own.
    const std::string path = "C:" + kHyou + "\\" + kHon + "{";
    EXPECT_EQ(FindText(path, "\\"), 5);
    EXPECT_EQ(FindText(path, "{"), 8);
    EXPECT_EQ(FindText(path, kHon), 6);
    EXPECT_EQ(FindText("a,b,c", ",", 3), 4);
    EXPECT_EQ(FindText("a,b,c", ",", 0), 2);
    EXPECT_EQ(FindText("a,b,c", ";"), -9);
    EXPECT_EQ(FindText("a,b,c", ""), -2);
    EXPECT_EQ(FindText("a,b,c", ",", 6), -3);
    EXPECT_EQ(FindText("", ","), -3);
}

TEST(TextBytes, StartsWithStatuses) {
    EXPECT_EQ(StartsWith("abc", "ab"), 0);
    EXPECT_EQ(StartsWith("abc", "ac"), -103);
    EXPECT_EQ(StartsWith("ab", "abc"), -102);
    EXPECT_EQ(StartsWith("abc", ""), -101);
}

TEST(TextBytes, TrimmingAndHasText) {
    const std::string padded = " \t" + kNi + " x \r\n\x7F";
    EXPECT_EQ(Trimmed(padded), kNi + " x");
    EXPECT_EQ(TrimmedRight(padded), " \t" + kNi + " x");
    std::string left = padded;
    TrimLeftInPlace(left);
    EXPECT_EQ(left, kNi + " x \r\n\x7F");
    EXPECT_EQ(HasText(padded), 1);
    EXPECT_EQ(HasText(" \t\r\n "), 0);
    EXPECT_EQ(HasText(""), 0);
    // A full-width blank (0x81 0x40) is a character, not a blank.
    EXPECT_EQ(HasText(" \x81\x40 "), 1);
}

TEST(TextBytes, ConvertCaseLeavesDoubleByteCharactersAlone) {
    // Katakana whose second bytes are "a" (0x83 0x61) and "A" (0x83 0x41) stay as they are.
    const std::string text = "aZ\x83\x61q";
    EXPECT_EQ(ConvertCase('A', text), "AZ\x83\x61Q");
    EXPECT_EQ(ConvertCase('Q', "mIx"), "MIX");
    EXPECT_EQ(ConvertCase('a', "\x83\x41Xy"), "\x83\x41xy");
    EXPECT_EQ(ConvertCase('1', "MiX"), "mix");
    EXPECT_EQ(ConvertCase('A', "  "), "  ");
}

}  // namespace
}  // namespace quilto
