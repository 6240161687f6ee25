#pragma once

// The rules of the name-registration window: its composed captions and messages, the items
// of its two lists, its counters, its price fields, and its writes of the master lists,
// which are skipped while another running copy holds the master marker (read-only mode).
// The window's other decisions are in registration_rules.h.

#include <string>
#include <string_view>
#include <vector>

#include "core/masters/master_lists.h"

namespace quilto {

class Environment;
class Markers;

// Texts composed from the label word for a construction item ("工事"), UTF-8.
struct RegistrationTexts {
    explicit RegistrationTexts(std::string_view label);

    std::string groupCaption;     // "< 工事名 >"
    std::string nameLabel;        // "工事名"
    std::string listHeading;      // "工事名一覧"
    std::string selectFirstHint;  // "先に工事を選択してください。"
    std::string titlePanel;       // "名称登録 （工事・商品・単位）"
    std::string statusPrefix;     // " 工事 = "
    std::string newQuestion;      // "工事名新規入力。"
    std::string saveQuestion;     // "工事名を保存します。"
    std::string deleteQuestion;   // "工事名を削除します。"
    std::string capacityMessage;  // "工事件数オーバー"
    std::string selectMessage;    // "工事を選択してください。"
};

inline constexpr char kRegistrationCaption[] = "名称登録（マスター） ";
inline constexpr char kReadOnlyCaptionSuffix[] = " < 書込み不可 >";
inline constexpr char kRegistrationCloseQuestion[] = "終了します。";
inline constexpr char kOkButton[] = "Ｏ Ｋ";
inline constexpr char kCancelButton[] = "キャンセル";
inline constexpr char kProductCapacityMessage[] = "商品件数オーバー";
inline constexpr char kUnitCapacityMessage[] = "単位件数オーバー";
inline constexpr char kSaveProductQuestion[] = "商品を保存します。";
inline constexpr char kDeleteProductQuestion[] = "商品を削除します。";
inline constexpr char kProductNameMissing[] = "商品名を入力してください。";
inline constexpr char kDeleteUnitQuestion[] = "単位名を削除します。";
inline constexpr char kProductCodeError[] = "コードエラー !!";
inline constexpr char kUnitMemoText[] = "単位登録は左の「単位」をクリックしてください。";
inline constexpr char kProductStatusPrefix[] = " 商品 = ";

// Field limits in CP932 bytes.
inline constexpr int kConstructionNameFieldBytes = 30;
inline constexpr int kProductNameFieldBytes = 30;
inline constexpr int kSpecificationFieldBytes = 30;
inline constexpr int kRemarksFieldBytes = 30;
inline constexpr int kUnitFieldBytes = 4;
inline constexpr int kPriceFieldCharacters = 10;

// One line of a list on screen and the index of the master entry it shows.
struct ListItems {
    std::vector<std::string> items;  // CP932
    std::vector<int> entries;
};

// The 50-byte name of every construction name, in list order.
ListItems ConstructionListItems(const MasterLists& lists);
// The products of one construction code in list order: the name cut or padded to 26 bytes,
// a blank, the 30-byte specification and the 6-byte code.
ListItems ProductListItems(const MasterLists& lists, std::string_view constructionCode);
// The products of one construction code in list order, each as its name cut or padded to
// nameBytes, gap, the 30-byte specification and the 6-byte code.
ListItems ProductItems(const MasterLists& lists, std::string_view constructionCode, int nameBytes,
                       std::string_view gap);
// The code of a list item: its last 6 bytes.
std::string ProductCodeOfItem(std::string_view item);
// A code taken from an item that can name no product: its first character sorts before "0"
// or it has fewer than 3 characters once trimmed.
bool IsBadProductCode(std::string_view code);

// "( 12/300 )".
std::string CounterText(std::size_t count, int capacity);

// A price field on leaving it: the number grouped in 10 places without decimals, trimmed;
// "0" for a blank text or a number too wide to show.
std::string PriceDisplayText(std::string_view typed);
// A price field on entering it: only the number.
std::string PriceEditText(std::string_view shown);

// How one of the window's writes ended. Each changes the lists in memory and writes the
// file at once, except in read-only mode, when nothing changes and the answer is kDone
// (the window offers no write there).
enum class RegistrationResult {
    kDone = 0,
    // The write failed; the lists in memory are complete and the next write repairs the file.
    kWriteFailed = -1,
    // Nothing was to be done: a blank unit, one already there, or one not in the list.
    kNothingToDo = 1,
    // The list is past its capacity, or no code is left.
    kListFull = -30,
};

class NameRegistration {
  public:
    NameRegistration(MasterLists& lists, Environment& environment, Markers& markers);

    // Loads the three lists afresh and claims the master marker; read-only when another
    // copy holds it.
    void Open();
    // Releases the marker.
    void Close();
    bool ReadOnly() const { return readOnly_; }
    // Who holds the masters when another running copy does (UTF-8); empty when this copy
    // holds them, or when nothing is known of the holder.
    std::string OtherHolder() const;
    // Which master files could not be read and why (UTF-8), empty when all were read:
    // the window is then read-only and says so.
    std::string UnreadableMessage() const;

    // code blank: a new construction name with the next code.
    [[nodiscard]] RegistrationResult SaveConstructionName(std::string code, std::string_view name);
    [[nodiscard]] RegistrationResult DeleteConstructionName(std::string_view code);
    // fields.productCode must be set.
    [[nodiscard]] RegistrationResult SaveProduct(const ProductFields& fields);
    [[nodiscard]] RegistrationResult DeleteProduct(std::string_view constructionCode,
                                                   std::string_view productCode);
    [[nodiscard]] RegistrationResult AddUnit(std::string_view name);
    [[nodiscard]] RegistrationResult DeleteUnit(std::string_view name);

    MasterLists& Lists() { return lists_; }
    Environment& Env() { return environment_; }

  private:
    MasterLists& lists_;
    Environment& environment_;
    Markers& markers_;
    bool readOnly_ = false;
};

// The message for a master file that could not be written.
std::string MasterWriteFailedMessage(Environment& environment, std::string_view fileName);

}  // namespace quilto
