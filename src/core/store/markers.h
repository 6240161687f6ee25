#pragma once

// Exclusive-use markers: the only coordination between copies of the program sharing one
// data folder and one master folder. A marker is a file beside the data
// ("m_NNNNNN.tmp" for an estimate, "Master.tmp" for all master lists) that the copy
// editing the data keeps open.
//
// On this platform deleting an open file succeeds, so "held open" alone protects nothing.
// A marker is therefore held with an open-file-description lock (a write lock on the
// descriptor kept open while held): a copy that cannot take the lock opens the data
// read-only, and nothing deletes a marker file whose lock someone else holds. The lock
// belongs to the open file description, so it conflicts even with another descriptor of
// this same process and is dropped by the kernel when a copy dies.

#include <QString>
#include <functional>
#include <string>
#include <string_view>

#include "core/foundation/questions.h"

namespace quilto {

// One value per marker kind for the whole run; the editor and the registration window work
// read-only while their marker's state is kInUse.
enum class MarkerState : int {
    kNone = 0,     // no marker handled by this program
    kHeld = 1,     // this program created the marker and holds it
    kInUse = 100,  // the marker was found to exist: the data opens read-only
};

// Whether a marker file exists. One left behind by a crash exists too, until the leftover
// deletion removes it.
enum class MarkerCheck { kPresent, kAbsent };

// How taking a marker ended. kDone leaves the answer in the state: kHeld when it is ours,
// kInUse when another copy turned out to hold it (the data opens read-only).
enum class MarkerHold : int {
    kDone = 0,
    kBlankNumber = -2,
    kFailed = -10,  // after the error message has been shown
};

// Whether a released marker's file is gone.
enum class MarkerRelease : int { kReleased = 0, kNotReleased = -1 };

// Where the markers live. Each call gives the folder as it is at that moment (the folder
// settings may be re-read), as a file-system path; "DAT/" and "MST/" by default.
struct MarkerFolders {
    std::function<QString()> dataFolder;
    std::function<QString()> masterFolder;
};

// What the leftover deletion did.
struct LeftoverDeletion {
    int deleted = 0;
    int held = 0;    // kept: a running copy holds them
    int failed = 0;  // kept: they could not be deleted (permissions, say)
    bool operator==(const LeftoverDeletion&) const = default;
};

class Environment;
// The folders of the environment's folder rule, formed anew at every use.
MarkerFolders MarkerFoldersOf(Environment& environment);

class Markers {
  public:
    Markers(Questions& questions, MarkerFolders folders);
    // A marker still held when the run ends is released, not left behind as a leftover.
    ~Markers();
    Markers(const Markers&) = delete;
    Markers& operator=(const Markers&) = delete;

    MarkerState EstimateState() const { return estimate_.state; }
    MarkerState MasterState() const { return master_.state; }
    // The estimate list forgets a marker it found in use once it has refused the deletion.
    void ClearEstimateInUse();

    // The state follows: kInUse when present, kNone when absent.
    [[nodiscard]] MarkerCheck CheckEstimateMarker(std::string_view number);
    // In state kInUse nothing is tried: kDone.
    MarkerHold HoldEstimateMarker(std::string_view number);
    // kNotReleased when the marker could not be deleted (it is missing, or another copy
    // holds it); the state is kNone afterwards. In state kInUse the other copy's marker is
    // left alone.
    MarkerRelease ReleaseEstimateMarker(std::string_view number);

    // As above for "Master.tmp"; a check that finds no marker leaves the state unchanged.
    [[nodiscard]] MarkerCheck CheckMasterMarker();
    MarkerHold HoldMasterMarker();
    MarkerRelease ReleaseMasterMarker();

    // Deletes every "*.tmp" file (extension in any letter case) of the data folder and
    // then of the master folder, and every "m_new.*.part" of the data folder (left by a
    // first save that never finished), whose lock can be taken: files held by a running
    // copy, this one included, are kept. Says how many went and how many stayed.
    LeftoverDeletion DeleteLeftoverMarkers();

    // Who holds the marker, from what its holder wrote into it (UTF-8; empty when nothing
    // is known, as for a marker of an older copy). See MarkerHolderText.
    std::string EstimateHolder(std::string_view number) const;
    std::string MasterHolder() const;

    static QString EstimateMarkerName(std::string_view number);
    static QString MasterMarkerName();

  private:
    struct Slot {
        MarkerState state = MarkerState::kNone;
        int fd = -1;  // open while held
        QString heldPath;
    };
    struct Messages {
        const char* createFailed;
        const char* openFailed;
    };

    MarkerHold Hold(Slot& slot, const QString& path, const Messages& messages);
    MarkerRelease Release(Slot& slot, const QString& path);
    // Deletes the held marker while its lock is still ours, then closes it.
    static MarkerRelease LetGo(Slot& slot);
    QString EstimatePath(std::string_view number) const;
    QString MasterPath() const;

    Questions& questions_;
    MarkerFolders folders_;
    Slot estimate_;
    Slot master_;
};

// True when a running copy of the program, this one included, holds the marker at path
// (its lock is taken). Only looks: it never takes the lock itself.
bool MarkerHeld(const QString& path);

// A held marker carries its holder as its content (PC name, user, process id and since
// when), written while the lock is taken; nothing decides by it, the lock does. This reads
// it back as the user is told it: "PC「name」のユーザー user（プロセス 123、2026-12-10 09:30
// から）", with a note when no running copy holds the marker any more (a crash left it).
// Empty when the marker is missing or says nothing.
std::string MarkerHolderText(const QString& path);

// message, followed on a line of its own by who holds the marker, when that is known.
std::string NamingHolder(std::string_view message, const std::string& holder);

enum class FreeDeletion { kDeleted, kHeld, kFailed };
// Deletes path only when its lock can be taken, i.e. no running copy holds it.
FreeDeletion DeleteIfFree(const QString& path);

}  // namespace quilto
