#pragma once

// The issued-document archive at start-up: PDFs a kill left without their index line get it,
// and what is not as it should be is said once, with the folder, so that nothing the firm
// must keep goes missing unnoticed.

#include <string>

namespace quilto {

class ProgramState;

// The message to show (UTF-8), empty when the archive is in order or does not exist yet.
std::string CheckIssuedArchive(ProgramState& program);

}  // namespace quilto
