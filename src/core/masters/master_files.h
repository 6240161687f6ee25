#pragma once

// Loading and writing the three master files of the master folder: sp_Koji.dat
// (construction names), sp_syo.dat (products), sp_unit.dat (units). Every write replaces
// the whole file crash-safely: a failed write leaves the old file as it was. Results are
// 0 or -1 (I/O failure); nothing here shows a message.

#include <QString>
#include <string>
#include <vector>

#include "core/masters/master_lists.h"

namespace quilto {

class Environment;

inline constexpr char kConstructionFileName[] = "sp_Koji.dat";
inline constexpr char kProductFileName[] = "sp_syo.dat";
inline constexpr char kUnitFileName[] = "sp_unit.dat";

// A master file is read whole; anything beyond this is no master file of ours (30001
// product lines take under 5 MB).
inline constexpr qint64 kMaxMasterFileBytes = 64 * 1024 * 1024;

// How reading or writing a master file ended.
enum class MasterFileResult { kOk = 0, kIoError = -1 };

// The list is cleared first; kIoError when the file cannot be read (the list then stays
// empty, and the list records why, so that nothing writes over the file).
MasterFileResult LoadConstructionNames(MasterLists& lists, Environment& environment);
MasterFileResult LoadProducts(MasterLists& lists, Environment& environment);
MasterFileResult LoadUnits(MasterLists& lists, Environment& environment);
// Products, construction names and units, in this order, as the program does at start;
// the first failure, or kOk.
MasterFileResult LoadMasterLists(MasterLists& lists, Environment& environment);

// A list that was not read whole is never written (kIoError, with the file's failure
// noted).
[[nodiscard]] MasterFileResult WriteConstructionNames(const MasterLists& lists,
                                                      Environment& environment);
[[nodiscard]] MasterFileResult WriteProducts(const MasterLists& lists, Environment& environment);
// Each unit trimmed; blank ones are not written.
[[nodiscard]] MasterFileResult WriteUnits(const MasterLists& lists, Environment& environment);
// After a construction name was deleted with its products: the construction-name file
// first, then the product file. Should the second write fail, the products left behind
// belong to no construction name and simply show nowhere. The first failure, or kOk.
[[nodiscard]] MasterFileResult WriteConstructionNamesThenProducts(const MasterLists& lists,
                                                                  Environment& environment);

// First-run creation of a missing file: the list is emptied (units: set to the defaults)
// and written.
[[nodiscard]] MasterFileResult CreateProductFile(MasterLists& lists, Environment& environment);
[[nodiscard]] MasterFileResult CreateConstructionFile(MasterLists& lists, Environment& environment);
[[nodiscard]] MasterFileResult CreateUnitFile(MasterLists& lists, Environment& environment);

}  // namespace quilto
