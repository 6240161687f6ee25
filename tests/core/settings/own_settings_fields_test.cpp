#include "core/settings/own_settings_fields.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

#include "support/working_folder.h"

namespace quilto {
namespace {

using test::ReadAll;
using test::WorkingFolder;
using test::WriteAll;

// 7000012050002 is the National Tax Agency's corporate number: its check digit is 7.
constexpr const char* kValid = "T7000012050002";
constexpr const char* kBadCheckDigit = "T1000012050002";

TEST(OwnSettingsFields, RegistrationNumberAndRateAreCheckedWhenTheDialogCloses) {
    OwnSettings stored;
    stored.SetRegistrationNumber(kBadCheckDigit);  // a sole proprietor's, accepted before
    struct Case {
        const char* number;
        const char* rate;
        bool accepted;
        const char* control;  // refused: the field the dialog goes back to
        bool warned;
    } cases[] = {
        {kValid, "15.6", true, "", false},
        {"", "", true, "", false},  // blank: no invoices, no rate
        {"Ｔ７０００ ０１２０ ５０００２", "１５．６", true, "", false},  // full-width, spaced
        {"t7000012050002", "100", true, "", false},
        {"T1200012050002", "", true, "", true},  // check digit off, and new: warned once
        {kBadCheckDigit, "", true, "", false},   // the same number again: not warned again
        {"T700001205000", "", false, kRegistrationNumberControl, false},    // 12 digits
        {"T70000120500021", "", false, kRegistrationNumberControl, false},  // 14 digits
        {"7000012050002", "", false, kRegistrationNumberControl, false},    // no T
        {"T-7000012050002", "", false, kRegistrationNumberControl, false},
        {kValid, "0", false, kWelfareRateControl, false},
        {kValid, "100.5", false, kWelfareRateControl, false},
        {kValid, "15,6", false, kWelfareRateControl, false},
        {kValid, "1.2.3", false, kWelfareRateControl, false},
        {"T12", "abc", false, kRegistrationNumberControl, false},  // the number is told first
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.number) + " / " + c.rate);
        const OwnSettingsCheck check = CheckOwnSettingsFields({c.number, c.rate}, stored);
        EXPECT_EQ(check.accepted, c.accepted);
        if (!c.accepted) {
            EXPECT_EQ(check.control, c.control);
            EXPECT_FALSE(check.message.empty());
        } else {
            EXPECT_EQ(!check.message.empty(), c.warned) << check.message;
        }
    }
}

TEST(OwnSettingsFields, SavedNormalisedBesideWhatTheFileHeldAndOnlyWhenChanged) {
    WorkingFolder folder;
    WriteAll(OwnSettingsPath(), "future_key=1\nwelfare_rate=15.6\n");
    std::string message;
    ASSERT_TRUE(SaveOwnSettingsFields({"Ｔ７０００ ０１２０５０００２", "16.5"}, &message))
        << message;
    EXPECT_EQ(ReadAll(OwnSettingsPath()),
              "future_key=1\nwelfare_rate=16.5\nregistration_number=T7000012050002\n");

    OwnSettings settings;
    ASSERT_TRUE(OpenOwnSettingsFields(&settings, &message));
    const OwnSettingsFields shown = OwnSettingsFieldsOf(settings);
    EXPECT_EQ(shown.registrationNumber, kValid);
    EXPECT_EQ(shown.welfareRate, "16.5");

    // Unchanged: the file is not rewritten (a hand-written spacing stays as it was).
    WriteAll(OwnSettingsPath(), "registration_number = T7000012050002\nwelfare_rate=16.5\n");
    ASSERT_TRUE(SaveOwnSettingsFields({kValid, "16.50"}, &message));
    EXPECT_EQ(ReadAll(OwnSettingsPath()),
              "registration_number = T7000012050002\nwelfare_rate=16.5\n");

    // Both cleared: the keys go, so the welfare command asks again and invoices print none.
    ASSERT_TRUE(SaveOwnSettingsFields({"", ""}, &message));
    EXPECT_EQ(ReadAll(OwnSettingsPath()), "");
}

TEST(OwnSettingsFields, AFileThatCannotBeReadIsNamedAndNeverOverwritten) {
    WorkingFolder folder;
    ASSERT_TRUE(QDir().mkdir(OwnSettingsPath()));  // there, but not a file one can read
    OwnSettings settings;
    std::string message;
    EXPECT_FALSE(OpenOwnSettingsFields(&settings, &message));
    EXPECT_NE(message.find(QFileInfo(OwnSettingsPath()).absoluteFilePath().toStdString()),
              std::string::npos)
        << message;
    message.clear();
    EXPECT_FALSE(SaveOwnSettingsFields({kValid, "15"}, &message));
    EXPECT_NE(message.find("quilto.conf"), std::string::npos) << message;
    EXPECT_TRUE(QFileInfo(OwnSettingsPath()).isDir());
}

}  // namespace
}  // namespace quilto
