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
        ByteKind expected;
    };
    for (const Case c : {Case{0, ByteKind::kBeforeText},
                         {1, ByteKind::kSingle},
                         {2, ByteKind::kLead},
                         {3, ByteKind::kSecond},
                         {4, ByteKind::kControl},
                         {5, ByteKind::kLead},
                         {6, ByteKind::kSecond},
                         {7, ByteKind::kSingle}}) {
        EXPECT_EQ(ByteClass(text, c.position), c.expected) << "position " << c.position;
    }
    EXPECT_EQ(ByteClass("\x7F", 1), ByteKind::kControl);
    // A lead-looking byte that is itself a second byte (0x93 after 0x95).
    EXPECT_EQ(ByteClass("\x95\x93\x93\xFA", 2), ByteKind::kSecond);
    EXPECT_EQ(ByteClass("\x95\x93\x93\xFA", 3), ByteKind::kLead);
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

TEST(TextBytes, TrimmingAndHasText) {
    const std::string padded = " \t" + kNi + " x \r\n\x7F";
    EXPECT_EQ(Trimmed(padded), kNi + " x");
    EXPECT_EQ(TrimmedRight(padded), " \t" + kNi + " x");
    EXPECT_TRUE(HasText(padded));
    EXPECT_FALSE(HasText(" \t\r\n "));
    EXPECT_FALSE(HasText(""));
    // A full-width blank (0x81 0x40) is a character, not a blank.
    EXPECT_TRUE(HasText(" \x81\x40 "));
}

}  // namespace
}  // namespace quilto
