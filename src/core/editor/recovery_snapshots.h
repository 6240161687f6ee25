#pragma once

// Snapshots of unsaved edits, so that a crash, a power cut or a logout loses at most the
// last few seconds of typing. While an estimate has unsaved changes the editor hands a copy
// of it to a SnapshotWriter, which writes it in the background (never on the typing path)
// in the estimate file format, so bringing it back is an ordinary load. Beside each snapshot
// lies a small record (which working folder, which estimate, new or not, when) and a lock
// file that the writing copy of the program holds for as long as it runs: a snapshot whose
// lock nobody holds was left by a copy that ended without closing its estimate.
//
// Snapshots live in the user's state folder ($XDG_STATE_HOME/quilto/recovery, by default
// ~/.local/state/quilto/recovery), in a folder of their own per working folder, so estimates
// of two working folders with the same numbers never mix.

#include <QDateTime>
#include <QString>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "core/editor/estimate_document.h"

namespace quilto {

class Environment;
class HeldTemporaryFile;

struct RecoveryRecord {
    QString snapshotPath;  // the estimate file of the snapshot
    QString recordPath;
    QString lockPath;
    QString workingFolder;
    std::string number;  // MNo when the snapshot was taken (the proposed one for a new estimate)
    bool newEstimate = false;
    QDateTime savedAt;
};

// The recovery folder of the user, and the one of a working folder within it.
QString RecoveryRoot();
QString RecoveryFolderOf(const QString& workingFolder);

// The snapshots of working folder `workingFolder` that no running copy of the program
// holds, oldest first. Records that cannot be read, and snapshots of another folder, are
// left out (and left alone).
std::vector<RecoveryRecord> UnclaimedSnapshots(const QString& workingFolder);
// Whether the snapshot holds edits the stored estimate lacks: always for a new estimate,
// otherwise when it was taken after the estimate file was last written (or the file is gone).
bool NewerThanStored(const RecoveryRecord& record, Environment& environment);
// The newest unclaimed snapshot of estimate `number` worth asking about, if any.
std::optional<RecoveryRecord> SnapshotToOffer(const QString& workingFolder,
                                              const std::string& number, Environment& environment);
// Removes snapshot, record and lock file. False when one of them stays.
bool DiscardSnapshot(const RecoveryRecord& record);

// The question the user answers about a snapshot (UTF-8). `heldElsewhere`: another copy
// holds the estimate now, so it can only be looked at.
std::string RecoveryQuestion(const RecoveryRecord& record, bool heldElsewhere);
inline constexpr char kRecoverButton[] = "復元する";
inline constexpr char kDiscardButton[] = "破棄する";
inline constexpr char kLaterButton[] = "後で";
inline constexpr char kRecoveryCaption[] = "未保存の編集の復元";

// One editing session's snapshot, written in the background.
class SnapshotWriter {
  public:
    explicit SnapshotWriter(QString workingFolder);
    // Waits for a snapshot being written and keeps the files: an end without closing the
    // estimate (the program stopped from outside) must leave them for the next start.
    ~SnapshotWriter();
    SnapshotWriter(const SnapshotWriter&) = delete;
    SnapshotWriter& operator=(const SnapshotWriter&) = delete;

    // Takes a copy of the document now and writes it in the background; a newer copy
    // handed in before the writer got to an older one replaces it.
    void Submit(const EstimateDocument& document);
    // Writes a copy at once and waits for it; false when it could not be written.
    bool WriteNow(const EstimateDocument& document);
    // Waits until every copy handed in is written.
    void Wait();
    // The estimate was saved or discarded on purpose: the snapshot goes (after waiting for
    // one being written).
    void Discard();

    // Snapshots written so far, and why the last one failed (empty when it did not).
    int Written() const;
    QString LastFailure() const;
    QString SnapshotPath() const { return base_ + QStringLiteral(".dat"); }

  private:
    struct Job {
        std::unique_ptr<EstimateDocument> document;
        QDateTime takenAt;
    };
    void Run();
    bool Write(Job job);

    QString folder_;
    QString workingFolder_;
    QString base_;  // the path of this session's files without their endings
    std::unique_ptr<HeldTemporaryFile> lock_;

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::optional<Job> pending_;
    bool busy_ = false;
    bool stop_ = false;
    int written_ = 0;
    QString lastFailure_;
    std::thread thread_;
};

}  // namespace quilto
