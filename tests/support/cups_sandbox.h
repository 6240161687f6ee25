#pragma once

// CUPS for tests: a private place for the client's settings, and printer queues added to
// the running scheduler for the life of a test.

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <map>
#include <string>
#include <vector>

namespace quilto::test {

// Whether a CUPS scheduler answers on this machine (scripts/test.sh starts one).
bool CupsSchedulerRunning();

// While alive, the CUPS client keeps its settings (the lpoptions files that say the user's
// default printer) in a temporary folder, emptied first: HOME and CUPS_SERVERROOT point
// there, LPDEST and PRINTER are unset. Everything is restored afterwards. The folder is the
// same for the whole test program, since libcups reads these variables once per thread.
class CupsClientSandbox {
  public:
    CupsClientSandbox();
    ~CupsClientSandbox();
    CupsClientSandbox(const CupsClientSandbox&) = delete;
    CupsClientSandbox& operator=(const CupsClientSandbox&) = delete;

    // The user's lpoptions file, which making a default printer writes (root's too).
    QString LpOptionsPath() const;
    // The default printer as `lpstat -d` reports it under the same settings.
    std::string LpstatDefault() const;

  private:
    QString dir_;
    std::map<QByteArray, std::pair<bool, QByteArray>> saved_;
};

// PDF printer queues (cups-pdf) added to the running scheduler, deleted again afterwards.
// Each writes its PDFs into a folder of its own (a cups-pdf setting per queue in /etc/cups,
// so this needs root).
class CupsPdfQueues {
  public:
    explicit CupsPdfQueues(std::vector<std::string> names);
    // Where the queue's PDFs go.
    QString OutputFolder(const std::string& name) const;
    ~CupsPdfQueues();
    CupsPdfQueues(const CupsPdfQueues&) = delete;
    CupsPdfQueues& operator=(const CupsPdfQueues&) = delete;

    // Whether every queue was added.
    bool Ready() const { return ready_; }

  private:
    std::vector<std::string> names_;
    QTemporaryDir out_;
    bool ready_ = true;
};

}  // namespace quilto::test
