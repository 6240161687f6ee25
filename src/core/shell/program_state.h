#pragma once

// Everything the forms of one run share, made once at start and handed to each form: the
// environment record, the master lists, the table definitions of the current pattern, the
// estimate the editor holds, the shell's shared values and the exclusive-use markers.

#include "core/editor/editor_session.h"
#include "core/excel/table_definition.h"
#include "core/foundation/questions.h"
#include "core/masters/master_lists.h"
#include "core/shell/shell_state.h"
#include "core/store/environment.h"
#include "core/store/markers.h"

namespace quilto {

class ProgramState {
  public:
    // asker answers every question of the run; it must outlive this object.
    explicit ProgramState(Questions& asker)
        : questions(asker), markers(asker, MarkerFoldersOf(environment)) {}
    // The markers refer to this object's environment: it stays where it was made.
    ProgramState(const ProgramState&) = delete;
    ProgramState& operator=(const ProgramState&) = delete;

    Questions& questions;
    Environment environment;
    MasterLists masters;
    TableDefinitions tables;
    // The estimate the editor holds, with its calculator and history; `document` is its
    // document, for the forms that only read it (output, the list's delete).
    EditorSession editor;
    EstimateDocument& document = editor.Document();
    ShellState shell;
    Markers markers;
};

}  // namespace quilto
