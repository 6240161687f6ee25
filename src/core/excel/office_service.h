#pragma once

// One headless LibreOffice kept running while the program runs, so that a PDF of a filled
// workbook takes a conversion, not a LibreOffice start (which is most of a one-shot run).
//
// The office listens on a pipe of its own, in a profile of its own and a process group of
// its own; a small python3-uno bridge (Debian's /usr/bin/python3 with python3-uno) holds the
// connection and converts on request over a socket. Ending the service kills the office's
// group by its process id; a bridge whose program went away ends the office itself. A
// crashed office is started again on the next request, a hung one is killed after the time
// limit and started again, each with a note for the user. Where the resident office cannot
// run at all (no python3-uno), ConvertToPdf falls back to a one-shot conversion.
//
// Thread-safe: started from the GUI thread, used from an output's thread.

#include <QString>
#include <memory>
#include <mutex>
#include <string>

#include "core/excel/office_convert.h"

class QTemporaryDir;

namespace quilto {

class OfficeService {
  public:
    OfficeService();
    ~OfficeService();
    OfficeService(const OfficeService&) = delete;
    OfficeService& operator=(const OfficeService&) = delete;

    // Starts the office and its bridge unless they run; returns at once (the office gets
    // ready in the background). Nothing happens when LibreOffice is missing.
    void Start();
    // Kills the office's process group and the bridge by their process ids.
    void Stop();

    // Converts the workbook input to the PDF output through the resident office, starting
    // it first when needed. kFailed with *error when the resident office cannot do it (the
    // caller may then convert once without it); *note says when the office had to be
    // started again after a crash or a hang.
    [[nodiscard]] OfficeOutcome Convert(const QString& input, const QString& output,
                                        const OfficeCancelled& cancelled, QString* error,
                                        QString* note, int timeoutMs = kOfficeTimeoutMs);

    // The office's process id (the leader of its group), 0 when none runs.
    qint64 OfficePid() const;
    // Whether the resident office was found unusable (no python3-uno, a bridge that fails to
    // connect): conversions then go one-shot without trying it again.
    bool Unusable() const;

  private:
    enum class Line { kLine, kEof, kTimeout, kCancelled };

    void StartLocked();
    void StopLocked();
    Line ReadLineLocked(std::string* line, int timeoutMs, const OfficeCancelled& cancelled);
    bool WriteLocked(const std::string& text);
    bool OfficeAliveLocked() const;
    OfficeOutcome ConvertLocked(const QString& source, const QString& output,
                                const OfficeCancelled& cancelled, QString* error, int timeoutMs);

    mutable std::mutex mutex_;
    std::unique_ptr<QTemporaryDir> profile_;
    qint64 officePid_ = 0;
    qint64 bridgePid_ = 0;
    int socket_ = -1;
    bool ready_ = false;
    bool unusable_ = false;
    std::string buffer_;
    QString unusableReason_;
};

// A filled workbook to PDF: through service when there is one and it works, else one
// LibreOffice run of its own. *note (may be empty) tells the user about a restarted or
// missing resident office; the PDF is the same either way.
[[nodiscard]] OfficeOutcome ConvertToPdf(OfficeService* service, const QString& input,
                                         const QString& output, const OfficeCancelled& cancelled,
                                         QString* error, QString* note);

}  // namespace quilto
