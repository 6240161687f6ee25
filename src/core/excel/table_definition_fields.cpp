#include "core/excel/table_definition_fields.h"

#include <array>
#include <utility>

namespace quilto {

namespace {

// The standard values put the cells where the shipped templates of patterns 00-02 have
// them. Between the fields lie reserved slots that no version of the files gives content.
constexpr TableField kFields[] = {
    // XKPnn.Dat
    {"GyoD1", TableFile::kStandard, 308, TableFieldKind::kCount, "20"},
    {"GyoE1", TableFile::kStandard, 316, TableFieldKind::kCount, "20"},
    {"GyoF1", TableFile::kStandard, 324, TableFieldKind::kCount, "20"},
    {"HMno", TableFile::kStandard, 332, TableFieldKind::kCell, ""},
    {"HMBango", TableFile::kStandard, 339, TableFieldKind::kCell, "AB4"},
    {"HTitle1", TableFile::kStandard, 346, TableFieldKind::kCell, "H17"},
    {"HName1", TableFile::kStandard, 353, TableFieldKind::kCell, "E5"},
    {"HName2", TableFile::kStandard, 360, TableFieldKind::kCell, ""},
    {"HBasyo1", TableFile::kStandard, 367, TableFieldKind::kCell, "H19"},
    {"HTanto1", TableFile::kStandard, 374, TableFieldKind::kCell, ""},
    {"HYMD1", TableFile::kStandard, 381, TableFieldKind::kCell, "AB5"},
    {"HYMD2", TableFile::kStandard, 388, TableFieldKind::kCell, "H21"},
    {"HYMD3", TableFile::kStandard, 395, TableFieldKind::kCell, "N21"},
    {"HKigen1", TableFile::kStandard, 416, TableFieldKind::kCell, "H23"},
    {"HBiko01", TableFile::kStandard, 423, TableFieldKind::kCell, "H25"},
    {"HBiko02", TableFile::kStandard, 430, TableFieldKind::kCell, "H26"},
    {"HBiko03", TableFile::kStandard, 437, TableFieldKind::kCell, "H27"},
    {"HBiko04", TableFile::kStandard, 444, TableFieldKind::kCell, "H28"},
    {"HBiko05", TableFile::kStandard, 451, TableFieldKind::kCell, "H29"},
    {"HBKsep", TableFile::kStandard, 493, TableFieldKind::kText, nullptr},
    {"HGoukei", TableFile::kStandard, 500, TableFieldKind::kCell, "L10"},
    {"HGoukei1", TableFile::kStandard, 507, TableFieldKind::kCell, ""},
    {"HGoukei2", TableFile::kStandard, 514, TableFieldKind::kCell, ""},
    {"HJName1", TableFile::kStandard, 542, TableFieldKind::kCell, "X17"},
    {"HJName2", TableFile::kStandard, 549, TableFieldKind::kCell, "X18"},
    {"HJUbin", TableFile::kStandard, 556, TableFieldKind::kCell, "X19"},
    {"HJJyu1", TableFile::kStandard, 563, TableFieldKind::kCell, "X20"},
    {"HJJyu2", TableFile::kStandard, 570, TableFieldKind::kCell, "X21"},
    {"HJTel", TableFile::kStandard, 577, TableFieldKind::kCell, "AA22"},
    {"HJFax", TableFile::kStandard, 584, TableFieldKind::kCell, "AA23"},
    {"HJDaihyo", TableFile::kStandard, 591, TableFieldKind::kCell, "AA24"},
    {"HJTanto", TableFile::kStandard, 598, TableFieldKind::kCell, "AA25"},
    {"Hadd1", TableFile::kStandard, 605, TableFieldKind::kCell, "K11"},
    {"Hadd2", TableFile::kStandard, 612, TableFieldKind::kCell, "U33"},
    {"DGBan", TableFile::kStandard, 668, TableFieldKind::kCell, "B3"},
    {"DName", TableFile::kStandard, 682, TableFieldKind::kCell, "C3"},
    {"DTanni", TableFile::kStandard, 696, TableFieldKind::kCell, "E3"},
    {"DSuu", TableFile::kStandard, 703, TableFieldKind::kCell, "D3"},
    {"DUgou", TableFile::kStandard, 717, TableFieldKind::kCell, "F3"},
    {"DStanka", TableFile::kStandard, 724, TableFieldKind::kCell, "G3"},
    {"DTekiyo1", TableFile::kStandard, 731, TableFieldKind::kCell, "H3"},
    {"DTekiyo2", TableFile::kStandard, 738, TableFieldKind::kCell, "G3"},
    {"DPage1", TableFile::kStandard, 745, TableFieldKind::kCell, ""},
    {"Dadd2", TableFile::kStandard, 766, TableFieldKind::kCell, "F23"},
    {"DSGou", TableFile::kStandard, 773, TableFieldKind::kCell, ""},
    {"DRes02", TableFile::kStandard, 780, TableFieldKind::kCell, ""},
    {"EGBan", TableFile::kStandard, 794, TableFieldKind::kCell, "B3"},
    {"EName", TableFile::kStandard, 808, TableFieldKind::kCell, "C3"},
    {"EKikaku", TableFile::kStandard, 815, TableFieldKind::kCell, "D3"},
    {"ETanni", TableFile::kStandard, 822, TableFieldKind::kCell, "F3"},
    {"ESuu", TableFile::kStandard, 829, TableFieldKind::kCell, "E3"},
    {"EUtanka", TableFile::kStandard, 836, TableFieldKind::kCell, "G3"},
    {"EUgou", TableFile::kStandard, 843, TableFieldKind::kCell, "H3"},
    {"EStanka", TableFile::kStandard, 850, TableFieldKind::kCell, ""},
    {"ESgou", TableFile::kStandard, 857, TableFieldKind::kCell, "I3"},
    {"ETekiyo1", TableFile::kStandard, 864, TableFieldKind::kCell, "J3"},
    {"ETekiyo2", TableFile::kStandard, 871, TableFieldKind::kCell, "I3"},
    {"EPage1", TableFile::kStandard, 878, TableFieldKind::kCell, ""},
    {"Eadd1", TableFile::kStandard, 892, TableFieldKind::kCell, "C1"},
    {"Eadd2", TableFile::kStandard, 899, TableFieldKind::kCell, "F23"},
    {"EKTan", TableFile::kStandard, 906, TableFieldKind::kCell, ""},
    {"EKake", TableFile::kStandard, 913, TableFieldKind::kCell, ""},
    {"ERes02", TableFile::kStandard, 955, TableFieldKind::kCell, ""},
    {"FGBan", TableFile::kStandard, 969, TableFieldKind::kCell, "B3"},
    {"FName", TableFile::kStandard, 983, TableFieldKind::kCell, "C3"},
    {"FTanni", TableFile::kStandard, 997, TableFieldKind::kCell, "E3"},
    {"FSuu", TableFile::kStandard, 1004, TableFieldKind::kCell, "D3"},
    {"FUtanka", TableFile::kStandard, 1011, TableFieldKind::kCell, ""},
    {"FUgou", TableFile::kStandard, 1018, TableFieldKind::kCell, "F3"},
    {"FStanka", TableFile::kStandard, 1025, TableFieldKind::kCell, ""},
    {"FTekiyo1", TableFile::kStandard, 1032, TableFieldKind::kCell, "H3"},
    {"FTekiyo2", TableFile::kStandard, 1039, TableFieldKind::kCell, "G3"},
    {"FPage1", TableFile::kStandard, 1046, TableFieldKind::kCell, ""},
    {"Fadd2", TableFile::kStandard, 1067, TableFieldKind::kCell, "F23"},
    {"FSGou", TableFile::kStandard, 1074, TableFieldKind::kCell, "G3"},
    {"FRes02", TableFile::kStandard, 1081, TableFieldKind::kCell, ""},
    // XKPSeinn.Dat, part A: free-form output A
    {"SA1LinP1", TableFile::kFreeForm, 332, TableFieldKind::kCount, "21"},
    {"SA2LinP1", TableFile::kFreeForm, 340, TableFieldKind::kCount, "35"},
    {"SA1HMno", TableFile::kFreeForm, 348, TableFieldKind::kCell, "T2"},
    {"SA1HTitle1", TableFile::kFreeForm, 362, TableFieldKind::kCell, ""},
    {"SA1HName1", TableFile::kFreeForm, 369, TableFieldKind::kCell, "C6"},
    {"SA1HYMD1", TableFile::kFreeForm, 397, TableFieldKind::kCell, "C3"},
    {"SA1HGoukeiU", TableFile::kFreeForm, 453, TableFieldKind::kCell, "E9"},
    {"SA1HJName1", TableFile::kFreeForm, 460, TableFieldKind::kCell, ""},
    {"SA1HJName2", TableFile::kFreeForm, 467, TableFieldKind::kCell, ""},
    {"SA1HJUbin", TableFile::kFreeForm, 474, TableFieldKind::kCell, ""},
    {"SA1HJJyu1", TableFile::kFreeForm, 481, TableFieldKind::kCell, ""},
    {"SA1HJJyu2", TableFile::kFreeForm, 488, TableFieldKind::kCell, ""},
    {"SA1HJTel", TableFile::kFreeForm, 495, TableFieldKind::kCell, ""},
    {"SA1HJFax", TableFile::kFreeForm, 502, TableFieldKind::kCell, ""},
    {"SA1HJDaihyo", TableFile::kFreeForm, 509, TableFieldKind::kCell, ""},
    {"SA1HJTanto", TableFile::kFreeForm, 516, TableFieldKind::kCell, ""},
    {"SA1HNebiki", TableFile::kFreeForm, 523, TableFieldKind::kCell, "O36"},
    {"SA1HNakakei", TableFile::kFreeForm, 530, TableFieldKind::kCell, "O37"},
    {"SA1HZei", TableFile::kFreeForm, 537, TableFieldKind::kCell, "O38"},
    {"SA1HGoukei", TableFile::kFreeForm, 544, TableFieldKind::kCell, "O39"},
    {"SA1Hadd1", TableFile::kFreeForm, 551, TableFieldKind::kCell, "C10"},
    {"SA1Hadd2", TableFile::kFreeForm, 558, TableFieldKind::kCell, "K41"},
    {"SA1HSkei", TableFile::kFreeForm, 565, TableFieldKind::kCell, "O35"},
    {"SA1GBan", TableFile::kFreeForm, 621, TableFieldKind::kCell, "A14"},
    {"SA1Name", TableFile::kFreeForm, 635, TableFieldKind::kCell, "C14"},
    {"SA1Kikaku", TableFile::kFreeForm, 642, TableFieldKind::kCell, ""},
    {"SA1Tanni", TableFile::kFreeForm, 649, TableFieldKind::kCell, ""},
    {"SA1Suu", TableFile::kFreeForm, 656, TableFieldKind::kCell, "L14"},
    {"SA1Utanka", TableFile::kFreeForm, 663, TableFieldKind::kCell, ""},
    {"SA1Ugou", TableFile::kFreeForm, 670, TableFieldKind::kCell, "O14"},
    {"SA1Tekiyo", TableFile::kFreeForm, 677, TableFieldKind::kCell, "S14"},
    {"SA1Page1", TableFile::kFreeForm, 684, TableFieldKind::kCell, "T1"},
    {"SA1add2", TableFile::kFreeForm, 705, TableFieldKind::kCell, "K41"},
    {"SA2GBan", TableFile::kFreeForm, 740, TableFieldKind::kCell, "A3"},
    {"SA2Name", TableFile::kFreeForm, 754, TableFieldKind::kCell, "C3"},
    {"SA2Kikaku", TableFile::kFreeForm, 761, TableFieldKind::kCell, ""},
    {"SA2Tanni", TableFile::kFreeForm, 768, TableFieldKind::kCell, ""},
    {"SA2Suu", TableFile::kFreeForm, 775, TableFieldKind::kCell, "L3"},
    {"SA2Utanka", TableFile::kFreeForm, 782, TableFieldKind::kCell, ""},
    {"SA2Ugou", TableFile::kFreeForm, 789, TableFieldKind::kCell, "O3"},
    {"SA2Tekiyo", TableFile::kFreeForm, 796, TableFieldKind::kCell, "S3"},
    {"SA2Page1", TableFile::kFreeForm, 803, TableFieldKind::kCell, "T1"},
    {"SA2add2", TableFile::kFreeForm, 824, TableFieldKind::kCell, "K39"},
    // Part B, free-form output B: the same fields 520 bytes further on
    {"SB1LinP1", TableFile::kFreeForm, 852, TableFieldKind::kCount, "21"},
    {"SB2LinP1", TableFile::kFreeForm, 860, TableFieldKind::kCount, "35"},
    {"SB1HMno", TableFile::kFreeForm, 868, TableFieldKind::kCell, "T2"},
    {"SB1HTitle1", TableFile::kFreeForm, 882, TableFieldKind::kCell, ""},
    {"SB1HName1", TableFile::kFreeForm, 889, TableFieldKind::kCell, "C6"},
    {"SB1HYMD1", TableFile::kFreeForm, 917, TableFieldKind::kCell, "C3"},
    {"SB1HGoukeiU", TableFile::kFreeForm, 973, TableFieldKind::kCell, "E9"},
    {"SB1HJName1", TableFile::kFreeForm, 980, TableFieldKind::kCell, ""},
    {"SB1HJName2", TableFile::kFreeForm, 987, TableFieldKind::kCell, ""},
    {"SB1HJUbin", TableFile::kFreeForm, 994, TableFieldKind::kCell, ""},
    {"SB1HJJyu1", TableFile::kFreeForm, 1001, TableFieldKind::kCell, ""},
    {"SB1HJJyu2", TableFile::kFreeForm, 1008, TableFieldKind::kCell, ""},
    {"SB1HJTel", TableFile::kFreeForm, 1015, TableFieldKind::kCell, ""},
    {"SB1HJFax", TableFile::kFreeForm, 1022, TableFieldKind::kCell, ""},
    {"SB1HJDaihyo", TableFile::kFreeForm, 1029, TableFieldKind::kCell, ""},
    {"SB1HJTanto", TableFile::kFreeForm, 1036, TableFieldKind::kCell, ""},
    {"SB1HNebiki", TableFile::kFreeForm, 1043, TableFieldKind::kCell, "O36"},
    {"SB1HNakakei", TableFile::kFreeForm, 1050, TableFieldKind::kCell, "O37"},
    {"SB1HZei", TableFile::kFreeForm, 1057, TableFieldKind::kCell, "O38"},
    {"SB1HGoukei", TableFile::kFreeForm, 1064, TableFieldKind::kCell, "O39"},
    {"SB1Hadd1", TableFile::kFreeForm, 1071, TableFieldKind::kCell, "C10"},
    {"SB1Hadd2", TableFile::kFreeForm, 1078, TableFieldKind::kCell, "K41"},
    {"SB1HSkei", TableFile::kFreeForm, 1085, TableFieldKind::kCell, "O35"},
    {"SB1GBan", TableFile::kFreeForm, 1141, TableFieldKind::kCell, "A14"},
    {"SB1Name", TableFile::kFreeForm, 1155, TableFieldKind::kCell, "C14"},
    {"SB1Kikaku", TableFile::kFreeForm, 1162, TableFieldKind::kCell, ""},
    {"SB1Tanni", TableFile::kFreeForm, 1169, TableFieldKind::kCell, ""},
    {"SB1Suu", TableFile::kFreeForm, 1176, TableFieldKind::kCell, "K14"},
    {"SB1Utanka", TableFile::kFreeForm, 1183, TableFieldKind::kCell, "M14"},
    {"SB1Ugou", TableFile::kFreeForm, 1190, TableFieldKind::kCell, "O14"},
    {"SB1Tekiyo", TableFile::kFreeForm, 1197, TableFieldKind::kCell, "S14"},
    {"SB1Page1", TableFile::kFreeForm, 1204, TableFieldKind::kCell, "T1"},
    {"SB1add2", TableFile::kFreeForm, 1225, TableFieldKind::kCell, "K41"},
    {"SB2GBan", TableFile::kFreeForm, 1260, TableFieldKind::kCell, "A3"},
    {"SB2Name", TableFile::kFreeForm, 1274, TableFieldKind::kCell, "C3"},
    {"SB2Kikaku", TableFile::kFreeForm, 1281, TableFieldKind::kCell, ""},
    {"SB2Tanni", TableFile::kFreeForm, 1288, TableFieldKind::kCell, ""},
    {"SB2Suu", TableFile::kFreeForm, 1295, TableFieldKind::kCell, "K3"},
    {"SB2Utanka", TableFile::kFreeForm, 1302, TableFieldKind::kCell, "M3"},
    {"SB2Ugou", TableFile::kFreeForm, 1309, TableFieldKind::kCell, "O3"},
    {"SB2Tekiyo", TableFile::kFreeForm, 1316, TableFieldKind::kCell, "S3"},
    {"SB2Page1", TableFile::kFreeForm, 1323, TableFieldKind::kCell, "T1"},
    {"SB2add2", TableFile::kFreeForm, 1344, TableFieldKind::kCell, "K39"},
    // XKPSeinn.invoice: the invoice items of the free-form first pages (parts A and B),
    // which the records have no field for: the registration number, and beside the totals
    // the rate ("10%対象"), the amount it applies to and the tax at that rate. No offset:
    // the file names each by its field name.
    {"SA1HJTouroku", TableFile::kInvoice, 0, TableFieldKind::kCell, ""},
    {"SA1HZRitu", TableFile::kInvoice, 0, TableFieldKind::kCell, ""},
    {"SA1HZTaisyo", TableFile::kInvoice, 0, TableFieldKind::kCell, ""},
    {"SA1HZGaku", TableFile::kInvoice, 0, TableFieldKind::kCell, ""},
    {"SB1HJTouroku", TableFile::kInvoice, 0, TableFieldKind::kCell, ""},
    {"SB1HZRitu", TableFile::kInvoice, 0, TableFieldKind::kCell, ""},
    {"SB1HZTaisyo", TableFile::kInvoice, 0, TableFieldKind::kCell, ""},
    {"SB1HZGaku", TableFile::kInvoice, 0, TableFieldKind::kCell, ""},
};

const std::string kNoText;

}  // namespace

std::span<const TableField> TableFields() { return kFields; }

int TableFieldIndex(std::string_view name) {
    for (std::size_t i = 0; i < std::size(kFields); ++i) {
        if (name == kFields[i].name) return static_cast<int>(i);
    }
    return -1;
}

TableFieldTexts::TableFieldTexts() : texts_(std::size(kFields)) {}

const std::string& TableFieldTexts::Get(std::string_view name) const {
    const int index = TableFieldIndex(name);
    return index < 0 ? kNoText : texts_[static_cast<std::size_t>(index)];
}

void TableFieldTexts::Set(std::string_view name, std::string text) {
    const int index = TableFieldIndex(name);
    if (index >= 0) texts_[static_cast<std::size_t>(index)] = std::move(text);
}

TableFieldTexts StandardTableDefaults(TableFieldTexts fields) {
    for (std::size_t i = 0; i < std::size(kFields); ++i) {
        if (kFields[i].standard != nullptr) fields.SetAt(i, kFields[i].standard);
    }
    return fields;
}

}  // namespace quilto
