#pragma once

// Loading, saving and deleting estimates, choosing management numbers, and reading the
// header alone for the estimate list and the start-up histories.
//
// An estimate NNNNNN lives in the data folder as m_NNNNNN.dat; the number "BackUp" names
// the backup estimate m_BackUp.dat in the working folder, which every save of the editor
// writes first. Every save replaces the whole file crash-safely. A new estimate's file is
// claimed exclusively at its first save, so two copies of the program sharing a data
// folder never give out the same number. A file of the data folder that is not an estimate
// (a foreign signature) is never overwritten.

#include <QString>
#include <string>
#include <string_view>

#include "core/editor/estimate_document.h"
#include "core/foundation/file_helpers.h"
#include "core/foundation/questions.h"
#include "core/store/environment.h"
#include "core/store/estimate_file.h"

namespace quilto {

inline constexpr std::string_view kBackupNumber = "BackUp";

// Results of the operations below. The numbers are those the save's error messages show.
enum class EstimateResult : int {
    kOk = 0,
    kIoError = -1,
    kNoNumber = -2,     // MNo blank: nothing written, no message
    kNotEstimate = -3,  // the file on disk is not an estimate
    kReadOnly = -4,     // read-only document: nothing written
    kSaveFailed = -10,  // after the error message
};

// The file of management number `number` (trimmed): m_BackUp.dat in the working folder for
// "BackUp", otherwise m_NNNNNN.dat in the data folder. An existing file whose name differs
// only in letter case is found.
QString EstimateFilePath(Environment& environment, std::string_view number);

// Six digits: one more than the highest m_NNNNNN.dat of the data folder (names without six
// digits there are ignored), "000001" in an empty folder. Past 999999 the lowest free
// number; empty when every number is taken.
std::string NextManagementNumber(Environment& environment);

// A fresh estimate: cover cleared, MYMD1 today in era form, the figures "0", ZRitu the
// environment's tax rate (10 when that is not above 0), both check boxes off, the grids,
// the header and all line records emptied. The session state is kept.
void NewEstimate(EstimateDocument& document, const Environment& environment);

// Loads the estimate named by the document's MNo into header, records, cover and grids.
// 0 when loaded. A file with a foreign signature loads nothing: the document stays empty
// and becomes read-only (0). -1 when the header cannot be read: the document then holds a
// new estimate, still under the number asked for.
[[nodiscard]] EstimateResult LoadEstimate(EstimateDocument& document, Environment& environment);

// Writes the document under its MNo. In entry modes 1 and 2 the first save of the session
// gives the estimate the next free number (MNo), empties MBiko10 and MYMD4, and claims the
// file exclusively. Results: 0 saved; -2 MNo blank; -10 after the message
// "見積作成エラー  " + code (file not creatable -1; not an estimate -3) or
// "見積作成エラ－  " + code (write failed -1). On failure the old file is unchanged.
[[nodiscard]] EstimateResult SaveEstimate(EstimateDocument& document, Environment& environment,
                                          Questions& questions);

// The editor's save, once the document is prepared (EstimateDocument::PrepareForSave) and
// checked: writes the backup estimate (MNo "BackUp" for that write) and, when that worked,
// the estimate under its number. A read-only document is not written (-4, no message).
// Otherwise the first failure's result, or 0.
[[nodiscard]] EstimateResult SaveEstimateWithBackup(EstimateDocument& document,
                                                    Environment& environment, Questions& questions);

// The bytes a save of the document would write, without touching the document or running
// any calculation: the detail sheet on screen counts as stored. Safe to call on a copy in
// another thread (the copy's calculation steps are taken out first).
std::string EstimateFileBytes(EstimateDocument document);

// Loads an estimate file from `path` (a recovery snapshot) as LoadEstimate loads the file
// of MNo; the document keeps the number it has. 0, or -1 when the file cannot be read.
[[nodiscard]] EstimateResult LoadEstimateFrom(EstimateDocument& document, const QString& path);

// Where a deleted estimate goes when its file system has no desktop trash: this folder of
// the data folder.
inline constexpr char kDeletedFolderName[] = "削除済み";

// Deletes the file named by MNo without destroying it: it goes to the desktop's trash or,
// where there is none, into the data folder's 削除済み folder. On success the cover and
// grids are cleared. 0, or -1 with LastFileFailure() saying why; no message.
// removal, when given, tells where the file went.
[[nodiscard]] EstimateResult DeleteEstimate(EstimateDocument& document, Environment& environment,
                                            Removal* removal = nullptr);

// The header of file `fileName` of the data folder; kIoError when it cannot be read. The
// caller judges the signature.
[[nodiscard]] EstimateResult ReadEstimateHeader(Environment& environment, std::string_view fileName,
                                                EstimateHeader& header);

// A whole estimate file into header and stores (as ParseEstimateFile); kIoError when the file
// is missing or shorter than the header.
[[nodiscard]] EstimateResult ReadEstimateFile(const QString& path, EstimateHeader& header,
                                              EstimateStores& stores);

}  // namespace quilto
