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

// How the check ended. The numbers are what `quilto-cli check` prints. Every failure but a
// declined question is told through questions.Inform first ("環境作成エラー =-1", ...).
enum class StartUpCheckResult {
    kOk = 0,
    // The environment file could not be made, the user declined a re-creation, or an
    // outdated table definition could not be made again.
    kFailed = -1,
    kProductFileFailed = -3,
    kConstructionFileFailed = -4,
    kUnitFileFailed = -5,
    kTableDefinitionFailed = -6,  // a table definition of pattern 00 could not be created
};

// The steps, in this order, the first failure ending the check:
//  1. sp_jis.dat: missing -> a new file; not 6088 bytes -> asked, then a new file.
//  2.-4. sp_syo.dat, sp_Koji.dat, sp_unit.dat of the master folder: missing -> written
//     from an emptied list (units: the default units).
//  5.-6. XlsBase/XKP00.Dat (1096 bytes) and XKPSei00.Dat (1372 bytes): missing -> made
//     and pattern 00 written cleared; wrong size -> asked, the file kept as .bak
//     and made again (the other definitions stay).
//  7. XlsBase/XKP01.Dat missing -> patterns 01 and 02 made and written cleared.
// A file that exists but cannot be read is never replaced by an empty one: the check fails
// with that file's creation message instead.
StartUpCheckResult CheckAndCreate(Environment& environment, MasterLists& masters,
                                  TableDefinitions& tables, Questions& questions);

}  // namespace quilto
