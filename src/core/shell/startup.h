#pragma once

// What the main menu does each time it is shown, before the user can press anything: read
// the environment, build the histories, make sure every data file exists (the start-up
// check), then load what the run works with.

#include "core/shell/startup_check.h"

namespace quilto {

class ProgramState;

// Shown when the start-up check fails; the program then ends.
inline constexpr char kEnvironmentBrokenMessage[] = "*** 環境が正しくありません。 ***";

// In this order: read sp_jis.dat (a missing or short file leaves the record cleared, said
// nowhere); tell the user about a data or master folder setting that names a Windows folder
// (the default folder is used instead); build the customer-name and title histories; run the
// start-up check. When the check fails, kEnvironmentBrokenMessage is told and its result
// returned: the caller ends the program. Otherwise read the environment again, the product,
// construction-name and unit masters and the table definitions of pattern "00", fill the
// era table and return kOk.
StartUpCheckResult RunStartUp(ProgramState& program);

}  // namespace quilto
