#pragma once

// The start-up check: makes sure every data file the program needs exists and has the
// size of its format, creating a missing one and, once the user agrees, re-creating an
// outdated one. Runs once at start, before the masters and the table definitions are
// loaded.

#include <QString>
#include <string>

namespace quilto {

class Environment;
class Questions;
class TableDefinitions;
struct MasterLists;

// The line a failure message adds when the file's folder does not exist: what to do about it.
std::string MissingFolderAdvice(const QString& folder);

// Result codes: 0 everything in order; -1 the environment file could not be made, or the
// user declined a re-creation, or an outdated table definition could not be made again;
// -3, -4, -5 the product, construction-name or unit file could not be created; -6 a table
// definition of pattern 00 could not be created. Every failure but a declined question is
// told through questions.Inform first ("環境作成エラー =-1", ...).
//
// The steps, in this order, the first failure ending the check:
//  1. sp_jis.dat: missing -> a new file; not 6088 bytes -> asked, then a new file.
//  2.-4. sp_syo.dat, sp_Koji.dat, sp_unit.dat of the master folder: missing -> written
//     from an emptied list (units: the default units).
//  5.-6. XlsBase/XKP00.Dat (1096 bytes) and XKPSei00.Dat (1372 bytes): missing -> made
//     and pattern 00 written cleared; wrong size -> asked, every .dat of XlsBase removed,
//     pattern 00 made again.
//  7. XlsBase/XKP01.Dat missing -> patterns 01 and 02 made and written cleared.
// A file that exists but cannot be read is never replaced by an empty one: the check fails
// with that file's creation message instead.
int CheckAndCreate(Environment& environment, MasterLists& masters, TableDefinitions& tables,
                   Questions& questions);

}  // namespace quilto
