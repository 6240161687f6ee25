#pragma once

// The environment file sp_jis.dat in the working folder: one record of exactly 6088 bytes
// with the company data, the calculation and print options and the two folder settings.
//
// The program keeps one Environment for the whole run. It holds the record as read and the
// working copy of the settings dialog: the dialog's controls by name (Edit1, Zratio1, Hasu,
// CheckBox2, ...). Reading the file fills the controls from the record; writing first
// rebuilds the record from the controls. Every reader elsewhere (editor, output) reads the
// record through the accessors below. Texts are CP932 bytes.

#include <QString>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "core/foundation/fixed4.h"

namespace quilto {

inline constexpr std::size_t kEnvironmentRecordSize = 6088;
inline constexpr std::string_view kEnvironmentFileName = "sp_jis.dat";
// The signature every file has carried since the first version of the format.
inline constexpr std::string_view kEnvironmentSignature = "***\\??Q-$%%7";
// A new file, and a blank or zero rate in the dialog, get the standard rate in force since
// 2019-10-01.
inline constexpr Fixed4 kDefaultTaxRate = Fixed4::FromInt(10);

// The five special-line captions, in the order of the record.
enum class LineCaption { Subtotal = 0, Discount, Total, Tax, GrandTotal };

// The fields of a company block. Blocks 1-3 are the stored alternatives of block 0; the
// four extra lines exist in block 0 only (hidden in the dialog).
enum class CompanyField {
    Name1,
    Name2,
    PostalCode,
    Address1,
    Address2,
    Tel,
    Fax,
    Representative,
    PersonInCharge,
    Logo,
    Extra1,
    Extra2,
    Extra3,
    Extra4,
};

// Combo texts of the two rounding choices: " 0 四捨五入", " 1 切捨て", " 2 切上げ";
// any other code shows the first.
std::string RoundingChoiceText(int code);
// The code a rounding combo text stands for: its first two bytes, trimmed, as a whole
// number (0 when that is not a whole number).
int RoundingChoiceCode(std::string_view comboText);
// The default caption of a special line ("－  小  計  －", ...).
std::string DefaultLineCaption(LineCaption caption);

// The settings dialog's controls. Text controls hold CP932 text as shown; check boxes a
// flag. Unknown names are refused (false / empty), so a binding typo shows at once.
class EnvironmentSettings {
  public:
    EnvironmentSettings();

    static const std::vector<std::string>& TextControlNames();
    static const std::vector<std::string>& CheckControlNames();

    bool HasText(std::string_view control) const;
    std::string Text(std::string_view control) const;
    bool SetText(std::string_view control, std::string_view text);

    bool HasCheck(std::string_view control) const;
    bool Checked(std::string_view control) const;
    bool SetChecked(std::string_view control, bool checked);

  private:
    std::map<std::string, std::string, std::less<>> texts_;
    std::map<std::string, bool, std::less<>> checks_;
};

class Environment {
  public:
    // A cleared record with the controls filled from it.
    Environment();

    const std::string& Record() const { return record_; }
    EnvironmentSettings& Settings() { return settings_; }
    const EnvironmentSettings& Settings() const { return settings_; }

    // Takes bytes as the record (cut or zero-padded to the record size) and fills the
    // controls from it.
    void Load(std::string_view bytes);
    // Record -> controls, with the normalisations of every read: trade flag reset, blank
    // captions defaulted (in the record too), rounding codes as combo texts, the tax rate in
    // shortest form.
    void FillSettings();
    // Controls -> record, as before every write.
    void BuildRecord();
    // Empties every text (company blocks, folders, pattern names, the cleared texts), the
    // tax rate and its rounding and the reserved bytes: the record of a new file. The
    // controls are filled again from it, so what is written next is that new file.
    void Clear();

    // Readers of the record.
    Fixed4 TaxRate() const;
    int TaxRounding() const;
    int AmountRounding() const;
    int QuantityDecimals() const;
    bool ThousandsSeparator() const;
    bool OtherTrade() const;
    bool DiscountSign() const;
    std::string Caption(LineCaption caption) const;
    std::string TaxIncludedMessage() const;
    std::string TaxExcludedMessage() const;
    // Pattern 0, 1 or 2; empty for any other.
    std::string PatternName(int pattern) const;
    // Block 0 (shown and printed) to 5; empty for any other.
    std::string Company(int block, CompanyField field) const;
    std::string DataFolderSetting() const;
    std::string MasterFolderSetting() const;
    void SetDataFolderSetting(std::string_view folder);
    void SetMasterFolderSetting(std::string_view folder);

  private:
    std::string record_;
    EnvironmentSettings settings_;
};

// The environment file in the working folder (resolved case-insensitively when the exact
// name is missing).
QString EnvironmentFilePath();

// How reading or writing the environment file ended; the start-up check's message shows
// the number ("環境作成エラー =-1").
enum class EnvironmentFileResult { kOk = 0, kFailed = -1 };

// kFailed when the file is missing or shorter than one record; the record is then left as
// it was. The controls are filled in either case.
EnvironmentFileResult ReadEnvironment(Environment& environment);
// Rebuilds the record from the controls and replaces the file with it, crash-safely.
// kFailed when the file does not exist (it is never created here), cannot be written, or
// the write fails; the old file then stays as it was.
[[nodiscard]] EnvironmentFileResult WriteEnvironment(Environment& environment);
// Clears the record and writes it as a new file (the file need not exist).
[[nodiscard]] EnvironmentFileResult CreateEnvironmentFile(Environment& environment);

// The folder rule. A blank setting gives "DAT/" or "MST/" relative to the working folder; a
// set folder is read with "/" for the Windows separator "\", gets its separator, and is
// stored back in the record (cut to its 200 bytes). A Windows folder (drive letter or
// network share, IsWindowsFolderSetting) names nothing on this computer: it is left as it
// is and the default folder is used. The results are CP932 folder texts ending in the
// separator.
bool IsWindowsFolderSetting(std::string_view setting);
std::string DataFolder(Environment& environment);
std::string MasterFolder(Environment& environment);
// A file of either folder as a file-system path; the name is resolved case-insensitively
// when the exact name is missing (files migrated from Windows).
QString DataFilePath(Environment& environment, std::string_view fileName);
QString MasterFilePath(Environment& environment, std::string_view fileName);

}  // namespace quilto
