// A customer name typed with its own honorific is noticed once, so the cover does not
// print "様" twice without the user having been told.

#include "core/editor/customer_honorific.h"

#include <gtest/gtest.h>

namespace quilto {
namespace {

TEST(CustomerHonorific, TheHonorificANameEndsIn) {
    const struct {
        const char* name;
        const char* honorific;
    } cases[] = {
        {"山田太郎 様", "様"},
        {"山田太郎様\u3000 ", "様"},  // blanks of either width
        {"山田工務店 御中", "御中"},
        {"田中殿", "殿"},
        {"山田太郎", ""},
        {"様", ""},  // the honorific alone is no name
        {"様式建設", ""},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(TrailingHonorific(c.name), c.honorific) << c.name;
}

TEST(CustomerHonorific, WarnsOnceForEachTypedName) {
    DoubleHonorificWarning warning;
    const std::string first = warning.Check("山田太郎 様");
    EXPECT_NE(first.find("「山田太郎 様 様」と印刷されます"), std::string::npos) << first;
    EXPECT_EQ(warning.Check("山田太郎 様"), "") << "the same name again";
    EXPECT_EQ(warning.Check("山田太郎"), "");
    EXPECT_NE(warning.Check("山田工務店 御中"), "");

    // An opened estimate's name is no typing: leaving the field says nothing.
    DoubleHonorificWarning opened;
    opened.Seen("佐藤 殿");
    EXPECT_EQ(opened.Check("佐藤 殿"), "");
    EXPECT_NE(opened.Check("佐藤花子 殿"), "");
}

}  // namespace
}  // namespace quilto
