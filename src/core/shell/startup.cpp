#include "shell/startup.h"

#include "foundation/era_date.h"
#include "masters/master_files.h"
#include "shell/program_state.h"
#include "store/estimate_history.h"
#include "shell/startup_check.h"

namespace quilto {

int RunStartUp(ProgramState& program) {
    // A missing or short file is the check's to deal with.
    ReadEnvironment(program.environment);

    EstimateHistories histories = BuildEstimateHistories(program.environment);
    program.shell.customerHistory = histories.customers.Entries();
    program.shell.titleHistory = histories.titles.Entries();

    const int checked =
        CheckAndCreate(program.environment, program.masters, program.tables, program.questions);
    if (checked < 0) {
        program.questions.Inform(kEnvironmentBrokenMessage);
        return checked;
    }

    // The check may have written any of these; what the run works with is what is on disk.
    // A file that cannot be read now leaves its list empty: the check made sure it exists.
    ReadEnvironment(program.environment);
    LoadMasterLists(program.masters, program.environment);
    program.tables.Load("00");
    FillEraTable();
    return 0;
}

}  // namespace quilto
