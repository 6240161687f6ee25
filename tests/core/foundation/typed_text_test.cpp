#include "core/foundation/typed_text.h"

#include <gtest/gtest.h>

namespace quilto {
namespace {

struct Mapping {
    const char16_t* typed;
    std::string cp932;
};

TEST(TypedText, InputMethodCodePointsBecomeTheCharactersCp932Holds) {
    const Mapping cases[] = {
        {u"1\u301C3", std::string("1\x81\x60"
                                  "3")},  // 〜 -> ～
        {u"\u2016", "\x81\x61"},          // ‖ -> ∥
        {u"\u2212"
         "5",
         "\x81\x7C"
         "5"},  // − -> －
        {u"\u00A2\u00A3\u00AC", "\x81\x91\x81\x92\x81\xCA"},
        {u"\u2014", "\x81\x5C"},  // — -> ―
        {u"\u00A5"
         "100",
         "\\100"},                                    // ¥ -> 0x5C
        {u"\u33A1\uFF76\uFF85", "\x87\x75\xB6\xC5"},  // ㎡ and half-width katakana untouched
    };
    for (const auto& c : cases) {
        TypedTextRefusal refusal;
        const auto bytes = TypedTextToCp932(QString::fromUtf16(c.typed), &refusal);
        ASSERT_TRUE(bytes.has_value()) << QString::fromUtf16(c.typed).toStdString();
        EXPECT_EQ(*bytes, c.cp932);
    }
}

TEST(TypedText, RefusesWhatCp932CannotHoldNamingTheCharacterAndField) {
    TypedTextRefusal refusal;
    EXPECT_FALSE(TypedTextToCp932(QString::fromUtf8("ab😀c"), &refusal).has_value());
    EXPECT_EQ(refusal.character, U'😀');
    EXPECT_FALSE(refusal.isControl);
    EXPECT_EQ(TypedTextRefusalMessage(refusal, QStringLiteral("お客様名")),
              QString::fromUtf8("「😀」は使えない文字です (お客様名)"));
}

TEST(TypedText, RefusesControlCharacters) {
    for (const char* text : {"a\tb", "a\nb", "a\rb", "\x01", "a\x7F"}) {
        TypedTextRefusal refusal;
        EXPECT_FALSE(TypedUtf8ToCp932(text, &refusal).has_value()) << text;
        EXPECT_TRUE(refusal.isControl) << text;
    }
    TypedTextRefusal tab{U'\t', true};
    EXPECT_EQ(TypedTextRefusalMessage(tab, QStringLiteral("件名")),
              QString::fromUtf8("改行やタブなどの制御文字 (U+0009) は使えません (件名)"));
}

TEST(TypedText, Utf8InputConvertsLikeQStringInput) {
    EXPECT_EQ(TypedUtf8ToCp932("工事\xE3\x80\x9C"), std::string("\x8D\x48\x8E\x96\x81\x60"));
    EXPECT_EQ(TypedUtf8ToCp932(""), std::string());
}

}  // namespace
}  // namespace quilto
