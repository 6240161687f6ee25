#pragma once

// Runs an output off the GUI thread while the dialog stays live: the progress the output
// reports arrives as signals on the GUI thread, and キャンセル sets a flag the output reads
// between lines and before each page is made.

#include <QObject>
#include <QString>
#include <atomic>

#include "core/output/output_progress.h"
#include "core/output/output_run.h"

namespace quilto {

class OutputRunner : public QObject, public OutputProgress {
    Q_OBJECT

  public:
    explicit OutputRunner(QObject* parent = nullptr) : QObject(parent) {}

    // Produces the output on a thread of its own and returns when it is done; events are
    // processed meanwhile (the caller must keep the user from starting another run).
    OutputResult Run(const OutputJob& job);
    bool Running() const { return running_; }

    void Cancel() { cancelled_ = true; }
    void ClearCancel() { cancelled_ = false; }

    // OutputProgress, called from the output's thread (or, for Status, from the GUI thread
    // when the result is reported).
    void Begin(int pages, int lines) override;
    void Page(int page) override;
    void Status(const std::string& utf8) override;
    bool Cancelled() override { return cancelled_; }

  signals:
    void Began(int pages, int lines);
    void PageReached(int page);
    void StatusChanged(const QString& text);

  private:
    std::atomic<bool> cancelled_ = false;
    bool running_ = false;
};

}  // namespace quilto
