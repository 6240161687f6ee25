#pragma once

// The three master lists held in memory for the whole run: construction names (53-byte
// lines), products (155-byte lines) and units (trimmed names). Their order is file order:
// new entries go at the end, a change replaces the entry in place, a deletion closes the
// gap. Only the load and write routines of master_files.h touch the files.

#include <QString>
#include <string>
#include <string_view>
#include <vector>

#include "core/masters/master_lines.h"

namespace quilto {

// A save is accepted while a list holds at most this many entries (so a list can reach one
// more than its capacity); the registration window refuses beyond that with the list's
// "件数オーバー" message.
inline constexpr int kConstructionNameCapacity = 300;
inline constexpr int kProductCapacity = 30000;
inline constexpr int kUnitCapacity = 100;

struct MasterLists {
    std::vector<std::string> constructionNames;
    std::vector<std::string> products;
    std::vector<std::string> units;
    // A file that is there but could not be read whole ("path: reason"), for each list;
    // empty when it was read, or is missing (a missing file is created empty). A list
    // whose file could not be read is never written: it would replace the file with the
    // part that was read, or nothing.
    QString constructionNamesUnreadable;
    QString productsUnreadable;
    QString unitsUnreadable;

    // Every file that could not be read, one per line; empty when all could.
    QString Unreadable() const;
};

bool HasRoomForConstructionName(const MasterLists& lists);
bool HasRoomForProduct(const MasterLists& lists);
bool HasRoomForUnit(const MasterLists& lists);

// Index of the first entry whose code field equals code padded to its width, or -1.
int FindConstructionName(const MasterLists& lists, std::string_view code);
// Replaces the entry with this code or appends a new one.
void PutConstructionName(MasterLists& lists, std::string_view code, std::string_view name);
// Removes the entry and every product line of that construction code; the index removed,
// or -1 when no construction name had the code (its stray products are removed all the
// same). Write the construction-name file before the product file afterwards.
int DeleteConstructionName(MasterLists& lists, std::string_view code);

int FindProduct(const MasterLists& lists, std::string_view constructionCode,
                std::string_view productCode);
void PutProduct(MasterLists& lists, const ProductFields& fields);
int DeleteProduct(MasterLists& lists, std::string_view constructionCode,
                  std::string_view productCode);

// Exact byte comparison, letter case included.
int FindUnit(const MasterLists& lists, std::string_view name);
void AddUnit(MasterLists& lists, std::string_view name);
// The index removed, or -1 when there is no such entry.
int DeleteUnit(MasterLists& lists, int index);
// "式", "本", "個", "台", "冊", "ｍ", "㎡", "m3", in this order.
void SetDefaultUnits(MasterLists& lists);
std::vector<std::string> DefaultUnits();

struct NextCode {
    // Every code of the list is taken: a new entry has no code left that would not
    // overwrite an existing one (shown to the user like a full list); code is then empty.
    bool exhausted = false;
    std::string code;
};

// Hands out codes one after another as if each code handed out had been added to the list:
// one more than the greatest code in use, or the lowest free code once that would pass the
// last code or give one already in use. An import numbers thousands of products with it
// without scanning the whole list for each.
class CodeSequence {
  public:
    // codes: the code fields of the entries that share the numbering, as stored.
    CodeSequence(const std::vector<std::string>& codes, int width, int last);
    NextCode Next() const;
    // The code handed out by Next() is now in use.
    void Take(const std::string& code);

  private:
    int width_;
    int last_;
    std::string greatest_;
    // Codes in their canonical form (exactly width digits) are the ones a new code could
    // collide with.
    std::vector<bool> used_;
    int lowestFree_ = 1;
};

// One more than the greatest code in use ("001" for an empty list), so the codes of
// deleted entries below it are not handed out again. Once that would pass 999, or would
// give a code already in use, the lowest free code is used instead: a new entry never
// replaces an existing one.
NextCode NextConstructionCode(const MasterLists& lists);
// The same for the products of one construction code, six digits up to 999999; numbering
// is per construction code, starting at "000001".
NextCode NextProductCode(const MasterLists& lists, std::string_view constructionCode);
CodeSequence ProductCodeSequence(const MasterLists& lists, std::string_view constructionCode);

}  // namespace quilto
