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

// The list is cleared first; -1 when the file cannot be read (the list then stays empty).
int LoadConstructionNames(MasterLists& lists, Environment& environment);
int LoadProducts(MasterLists& lists, Environment& environment);
int LoadUnits(MasterLists& lists, Environment& environment);
// Products, construction names and units, in this order, as the program does at start;
// the first failure, or 0.
int LoadMasterLists(MasterLists& lists, Environment& environment);

int WriteConstructionNames(const MasterLists& lists, Environment& environment);
int WriteProducts(const MasterLists& lists, Environment& environment);
// Each unit trimmed; blank ones are not written.
int WriteUnits(const MasterLists& lists, Environment& environment);
// After a construction name was deleted with its products: the construction-name file
// first, then the product file. Should the second write fail, the products left behind
// belong to no construction name and simply show nowhere. The first failure, or 0.
int WriteConstructionNamesThenProducts(const MasterLists& lists, Environment& environment);

// First-run creation of a missing file: the list is emptied (units: set to the defaults)
// and written.
int CreateProductFile(MasterLists& lists, Environment& environment);
int CreateConstructionFile(MasterLists& lists, Environment& environment);
int CreateUnitFile(MasterLists& lists, Environment& environment);

// The same on explicit file-system paths.
int ReadMasterLines(const QString& path, std::vector<std::string>& lines);
int WriteMasterLines(const QString& path, const std::vector<std::string>& lines);
int ReadUnitLines(const QString& path, std::vector<std::string>& units);
int WriteUnitLines(const QString& path, const std::vector<std::string>& units);

}  // namespace quilto
