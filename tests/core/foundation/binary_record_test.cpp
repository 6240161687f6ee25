#include "core/foundation/binary_record.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace quilto {
namespace {

// A short string field of capacity 5 as stored: length byte, text, zeros.
std::string Field(const std::string& text) {
    std::string field(1, static_cast<char>(text.size()));
    field += text;
    field.resize(6, '\0');
    return field;
}

// The field gets its length, the text cut to whole characters, and zeros; what lies around
// it is never touched.
TEST(BinaryRecord, ShortStringFillsItsFieldExactly) {
    const std::string kNi = "\x93\xFA";  // a double-byte character
    struct Case {
        std::string before;  // the field's bytes beforehand
        std::string text;
        std::string stored;
    };
    const Case cases[] = {
        {std::string(6, 'x'), "ab", "ab"},
        {Field("abcde"), "", ""},
        {Field("abcde"), "z", "z"},
        {std::string(6, 'x'), "abcdefg", "abcde"},
        {std::string(6, 'x'), "abcd" + kNi, "abcd"},  // never half a character
        {std::string(6, 'x'), "abc" + kNi, "abc" + kNi},
    };
    for (const Case& c : cases) {
        std::string bytes = "<" + c.before + ">";
        RecordWriter(bytes).ShortString(1, 5, c.text);
        EXPECT_EQ(bytes, std::string(1, '<').append(Field(c.stored)).append(1, '>')) << c.text;
        EXPECT_EQ(RecordReader(bytes).ShortString(1, 5), c.stored) << c.text;
    }
}

TEST(BinaryRecord, ShortStringTakesATextFromTheSameRecord) {
    // Moved two bytes to the right over itself, and back.
    std::string bytes = Field("abc") + "##";
    RecordWriter(bytes).ShortString(2, 5, std::string_view(bytes).substr(1, 3));
    EXPECT_EQ(bytes, Field("abc").substr(0, 2) + Field("abc"));
    RecordWriter(bytes).ShortString(0, 5, std::string_view(bytes).substr(3, 3));
    EXPECT_EQ(bytes, Field("abc") + std::string(2, '\0'));
}

TEST(BinaryRecord, ShortStringOutsideTheRecordWritesNothing) {
    std::string bytes = "abcdef";
    RecordWriter(bytes).ShortString(2, 5, "zz");
    EXPECT_EQ(bytes, "abcdef");
}

}  // namespace
}  // namespace quilto
