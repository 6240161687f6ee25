#include "core/store/markers.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <string>

#include "core/foundation/file_lock.h"
#include "core/store/environment.h"
#include "support/scripted_questions.h"
#include "support/silent_questions.h"
#include "support/working_folder.h"

namespace quilto {

void PrintTo(const LeftoverDeletion& d, std::ostream* os) {
    *os << "{deleted " << d.deleted << ", held " << d.held << ", failed " << d.failed << "}";
}

namespace {

using test::ScriptedQuestions;
using test::WorkingFolder;

MarkerFolders DefaultFolders() {
    return {[] { return QStringLiteral("DAT"); }, [] { return QStringLiteral("MST"); }};
}

bool Exists(const QString& path) { return QFileInfo::exists(path); }

void Touch(const QString& path, const std::string& content = {}) { test::WriteAll(path, content); }

using test::SilentQuestions;

// A file of the data folder held as a first save in progress holds its part file.
class HeldFile {
  public:
    explicit HeldFile(const QString& path)
        : fd_(::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666)) {
        held_ = fd_ >= 0 && TryWriteLock(fd_) == LockResult::kTaken;
    }
    ~HeldFile() {
        if (fd_ >= 0) ::close(fd_);
    }
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;
    bool Held() const { return held_; }

  private:
    int fd_;
    bool held_ = false;
};

// Another running copy of the program sharing the working folder: a forked child that holds
// a marker until it is told to release it or is killed.
class OtherCopy {
  public:
    // An empty number holds the master marker.
    explicit OtherCopy(std::string number) {
        int report[2];
        int command[2];
        if (::pipe(report) != 0 || ::pipe(command) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(report[0]);
            ::close(command[1]);
            RunChild(number, report[1], command[0]);
        }
        ::close(report[1]);
        ::close(command[0]);
        reportFd_ = report[0];
        commandFd_ = command[1];
        char state = 0;
        if (::read(reportFd_, &state, 1) == 1) heldState_ = static_cast<unsigned char>(state);
    }
    ~OtherCopy() { Crash(); }
    OtherCopy(const OtherCopy&) = delete;
    OtherCopy& operator=(const OtherCopy&) = delete;

    // The state the child reached with its hold; -1 when the child never reported.
    int HeldState() const { return heldState_; }

    // Ends the child as a crash would: the marker file stays behind, the lock goes.
    void Crash() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
        ::close(reportFd_);
        ::close(commandFd_);
    }

    // Lets the child release its marker and end; its release result.
    int Finish() {
        if (pid_ <= 0) return -99;
        ::close(commandFd_);
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
        ::close(reportFd_);
        return WIFEXITED(status) ? WEXITSTATUS(status) - 100 : -99;
    }

  private:
    [[noreturn]] static void RunChild(const std::string& number, int reportFd, int commandFd) {
        SilentQuestions questions;
        int state = -1;
        int released = -99;
        {
            Markers markers(questions, DefaultFolders());
            const bool master = number.empty();
            if ((master ? markers.HoldMasterMarker() : markers.HoldEstimateMarker(number)) ==
                MarkerHold::kDone) {
                state = static_cast<int>(master ? markers.MasterState() : markers.EstimateState());
            }
            const char report = static_cast<char>(state);
            (void)::write(reportFd, &report, 1);
            char ignored;
            while (::read(commandFd, &ignored, 1) > 0) {
            }
            released = static_cast<int>(master ? markers.ReleaseMasterMarker()
                                               : markers.ReleaseEstimateMarker(number));
        }
        ::_exit(100 + released);
    }

    pid_t pid_ = -1;
    int reportFd_ = -1;
    int commandFd_ = -1;
    int heldState_ = -1;
};

TEST(MarkersTest, CheckCountsAnyExistingMarkerAsInUse) {
    WorkingFolder folder;
    ScriptedQuestions questions;
    Markers markers(questions, DefaultFolders());

    EXPECT_EQ(markers.CheckEstimateMarker("000001"), MarkerCheck::kAbsent);
    EXPECT_EQ(markers.EstimateState(), MarkerState::kNone);

    // A leftover of a crash: nobody holds it, yet it counts until the leftovers are cleared.
    Touch("DAT/m_000001.tmp");
    EXPECT_EQ(markers.CheckEstimateMarker("000001"), MarkerCheck::kPresent);
    EXPECT_EQ(markers.EstimateState(), MarkerState::kInUse);
    EXPECT_EQ(markers.CheckEstimateMarker("000002"), MarkerCheck::kAbsent);
    EXPECT_EQ(markers.EstimateState(), MarkerState::kNone);

    // A folder of the marker's name is no marker.
    QDir().mkdir("DAT/m_000003.tmp");
    EXPECT_EQ(markers.CheckEstimateMarker("000003"), MarkerCheck::kAbsent);

    // The master check leaves the state alone when it finds nothing.
    EXPECT_EQ(markers.CheckMasterMarker(), MarkerCheck::kAbsent);
    EXPECT_EQ(markers.MasterState(), MarkerState::kNone);
    Touch("MST/Master.tmp");
    EXPECT_EQ(markers.CheckMasterMarker(), MarkerCheck::kPresent);
    EXPECT_EQ(markers.MasterState(), MarkerState::kInUse);
    QFile::remove("MST/Master.tmp");
    EXPECT_EQ(markers.CheckMasterMarker(), MarkerCheck::kAbsent);
    EXPECT_EQ(markers.MasterState(), MarkerState::kInUse);
}

// What another copy is told about the holder: PC, user, process and since when.
std::string ExpectedHolderStart() {
    char host[256] = {};
    gethostname(host, sizeof host - 1);
    return std::string("PC「") + host + "」のユーザー ";
}

TEST(MarkersTest, HoldCreatesAMarkerNamingItsHolderAndReleaseDeletesIt) {
    WorkingFolder folder;
    ScriptedQuestions questions;
    Markers markers(questions, DefaultFolders());
    Markers other(questions, DefaultFolders());
    EXPECT_EQ(other.EstimateHolder("000007"), "");

    EXPECT_EQ(markers.HoldEstimateMarker("000007"), MarkerHold::kDone);
    EXPECT_EQ(markers.EstimateState(), MarkerState::kHeld);
    EXPECT_TRUE(Exists("DAT/m_000007.tmp"));
    const std::string holder = other.EstimateHolder("000007");
    EXPECT_EQ(holder.rfind(ExpectedHolderStart(), 0), 0u) << holder;
    EXPECT_NE(holder.find("（プロセス " + std::to_string(getpid()) + "、"), std::string::npos)
        << holder;
    EXPECT_NE(holder.find(" から）"), std::string::npos) << holder;
    EXPECT_EQ(holder.find("終了"), std::string::npos) << holder;
    // Holding the same marker again keeps the one hold (it would otherwise block itself).
    EXPECT_EQ(markers.HoldEstimateMarker("000007"), MarkerHold::kDone);
    EXPECT_EQ(markers.EstimateState(), MarkerState::kHeld);

    EXPECT_EQ(markers.ReleaseEstimateMarker("000007"), MarkerRelease::kReleased);
    EXPECT_EQ(markers.EstimateState(), MarkerState::kNone);
    EXPECT_FALSE(Exists("DAT/m_000007.tmp"));

    EXPECT_EQ(markers.HoldMasterMarker(), MarkerHold::kDone);
    EXPECT_EQ(markers.MasterState(), MarkerState::kHeld);
    EXPECT_TRUE(Exists("MST/Master.tmp"));
    EXPECT_EQ(other.MasterHolder().rfind(ExpectedHolderStart(), 0), 0u);
    EXPECT_EQ(markers.ReleaseMasterMarker(), MarkerRelease::kReleased);
    EXPECT_EQ(markers.MasterState(), MarkerState::kNone);
    EXPECT_FALSE(Exists("MST/Master.tmp"));

    // Nothing left to delete.
    EXPECT_EQ(markers.ReleaseEstimateMarker("000007"), MarkerRelease::kNotReleased);

    // A hold still standing when the run ends is released, not left as a leftover.
    {
        Markers ending(questions, DefaultFolders());
        ASSERT_EQ(ending.HoldEstimateMarker("000008"), MarkerHold::kDone);
    }
    EXPECT_FALSE(Exists("DAT/m_000008.tmp"));
}

// A marker a crash left names its last holder and says that it has ended; one without
// content (an older copy's) names nobody; a hold over a leftover writes its own holder.
TEST(MarkersTest, HoldTakesOverACrashLeftoverAndWritesItsOwnHolder) {
    WorkingFolder folder;
    ScriptedQuestions questions;
    Markers markers(questions, DefaultFolders());
    Touch("DAT/m_000004.tmp", "host=kitchen\nuser=yamada\npid=77\nsince=2026-12-10T09:30:00\n");
    Touch("DAT/m_000005.tmp", "");
    EXPECT_EQ(markers.EstimateHolder("000004"),
              "PC「kitchen」のユーザー yamada（プロセス 77、2026-12-10 09:30 から）。"
              "ただし使用していたプログラムは終了しています（不要ファイル削除で消せます）");
    EXPECT_EQ(markers.EstimateHolder("000005"), "");

    EXPECT_EQ(markers.HoldEstimateMarker("000004"), MarkerHold::kDone);
    EXPECT_EQ(markers.EstimateState(), MarkerState::kHeld);
    EXPECT_NE(test::ReadAll("DAT/m_000004.tmp").find("pid=" + std::to_string(getpid())),
              std::string::npos);
}

TEST(MarkersTest, HoldRefusesABlankNumberAndDoesNothingInReadOnlyMode) {
    WorkingFolder folder;
    ScriptedQuestions questions;
    Markers markers(questions, DefaultFolders());

    EXPECT_EQ(markers.HoldEstimateMarker("  "), MarkerHold::kBlankNumber);
    EXPECT_EQ(markers.EstimateState(), MarkerState::kNone);
    EXPECT_TRUE(QDir("DAT").isEmpty());

    // Found in use by the list: the editor's hold must not touch the other copy's marker,
    // and neither must its release.
    Touch("DAT/m_000005.tmp", "x");
    ASSERT_EQ(markers.CheckEstimateMarker("000005"), MarkerCheck::kPresent);
    EXPECT_EQ(markers.HoldEstimateMarker("000005"), MarkerHold::kDone);
    EXPECT_EQ(markers.EstimateState(), MarkerState::kInUse);
    EXPECT_EQ(test::ReadAll("DAT/m_000005.tmp"), "x");
    EXPECT_EQ(markers.ReleaseEstimateMarker("000005"), MarkerRelease::kReleased);
    EXPECT_EQ(markers.EstimateState(), MarkerState::kNone);
    EXPECT_TRUE(Exists("DAT/m_000005.tmp"));
}

TEST(MarkersTest, HoldThatCannotCreateTheMarkerSaysSo) {
    struct Case {
        const char* what;
        bool master;
        const char* blocker;  // folder made at the marker's name; nullptr: folder missing
        const char* message;
    };
    const Case cases[] = {
        {"estimate, data folder missing", false, nullptr, "見積排他ファイル エラー=-1"},
        {"estimate, folder in the way", false, "DAT/m_000009.tmp", "見積排他ファイル エラー=-1"},
        {"master, master folder missing", true, nullptr, "マスタ排他ファイル エラー=-1"},
        {"master, folder in the way", true, "MST/Master.tmp", "マスタ排他ファイル エラー=-1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WorkingFolder folder;
        if (c.blocker) {
            QDir().mkdir(c.blocker);
        } else {
            QDir().rmdir(c.master ? "MST" : "DAT");
        }
        ScriptedQuestions questions;
        questions.ExpectInform(c.message);
        Markers markers(questions, DefaultFolders());
        EXPECT_EQ(c.master ? markers.HoldMasterMarker() : markers.HoldEstimateMarker("000009"),
                  MarkerHold::kFailed);
        EXPECT_EQ(c.master ? markers.MasterState() : markers.EstimateState(), MarkerState::kNone);
        questions.Done();
    }
}

// Two copies in one process still exclude each other: the lock belongs to the open file,
// not to the process.
TEST(MarkersTest, ASecondCopyGetsReadOnlyAndCannotRemoveTheHeldMarker) {
    WorkingFolder folder;
    ScriptedQuestions questions;
    Markers first(questions, DefaultFolders());
    Markers second(questions, DefaultFolders());
    ASSERT_EQ(first.HoldEstimateMarker("000010"), MarkerHold::kDone);
    ASSERT_EQ(first.HoldMasterMarker(), MarkerHold::kDone);

    EXPECT_EQ(second.HoldEstimateMarker("000010"), MarkerHold::kDone);
    EXPECT_EQ(second.EstimateState(), MarkerState::kInUse);
    EXPECT_EQ(second.HoldMasterMarker(), MarkerHold::kDone);
    EXPECT_EQ(second.MasterState(), MarkerState::kInUse);

    // A release without a hold may clear a leftover, never a held marker.
    Markers third(questions, DefaultFolders());
    EXPECT_EQ(third.ReleaseEstimateMarker("000010"), MarkerRelease::kNotReleased);
    EXPECT_EQ(third.ReleaseMasterMarker(), MarkerRelease::kNotReleased);
    EXPECT_TRUE(Exists("DAT/m_000010.tmp"));
    EXPECT_TRUE(Exists("MST/Master.tmp"));

    // Read-only: the holder's marker is left alone.
    EXPECT_EQ(second.ReleaseEstimateMarker("000010"), MarkerRelease::kReleased);
    EXPECT_EQ(second.EstimateState(), MarkerState::kNone);
    EXPECT_TRUE(Exists("DAT/m_000010.tmp"));

    ASSERT_EQ(first.ReleaseEstimateMarker("000010"), MarkerRelease::kReleased);
    EXPECT_EQ(third.HoldEstimateMarker("000010"), MarkerHold::kDone);
    EXPECT_EQ(third.EstimateState(), MarkerState::kHeld);
}

TEST(MarkersTest, LeftoverDeletionSkipsHeldFilesAndOtherExtensions) {
    WorkingFolder folder;
    ScriptedQuestions questions;
    Markers markers(questions, DefaultFolders());
    ASSERT_EQ(markers.HoldEstimateMarker("000020"), MarkerHold::kDone);
    ASSERT_EQ(markers.HoldMasterMarker(), MarkerHold::kDone);
    for (const char* name :
         {"DAT/m_000021.tmp", "DAT/m_000022.TMP", "DAT/old.Tmp", "MST/x.tmp", "DAT/m_000023.dat",
          "DAT/m_000024.tmpx", "DAT/tmp", "DAT/.hidden.tmp", "DAT/m_new.0123456789abcdef.part",
          "MST/m_new.0123456789abcdef.part"}) {
        Touch(name);
    }
    // A first save in progress elsewhere holds its part file.
    HeldFile saving("DAT/m_new.fedcba9876543210.part");
    ASSERT_TRUE(saving.Held());
    QDir().mkdir("DAT/folder.tmp");

    EXPECT_EQ(markers.DeleteLeftoverMarkers(), (LeftoverDeletion{5, 3, 0}));

    QStringList data =
        QDir("DAT").entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    EXPECT_EQ(data.join(' ').toStdString(),
              ".hidden.tmp folder.tmp m_000020.tmp m_000023.dat m_000024.tmpx "
              "m_new.fedcba9876543210.part tmp");
    EXPECT_EQ(QDir("MST").entryList(QDir::Files, QDir::Name).join(' ').toStdString(),
              "Master.tmp m_new.0123456789abcdef.part");
    // Our own holds survive it intact.
    EXPECT_EQ(markers.ReleaseEstimateMarker("000020"), MarkerRelease::kReleased);
    EXPECT_EQ(markers.ReleaseMasterMarker(), MarkerRelease::kReleased);
}

TEST(MarkersTest, FoldersComeFromTheEnvironmentAtEachUse) {
    WorkingFolder folder;
    QDir().mkdir("shared");
    ScriptedQuestions questions;
    Environment environment;
    Markers markers(questions, MarkerFoldersOf(environment));

    ASSERT_EQ(markers.HoldEstimateMarker("000030"), MarkerHold::kDone);
    EXPECT_TRUE(Exists("DAT/m_000030.tmp"));
    ASSERT_EQ(markers.ReleaseEstimateMarker("000030"), MarkerRelease::kReleased);

    environment.SetMasterFolderSetting("shared");
    ASSERT_EQ(markers.HoldMasterMarker(), MarkerHold::kDone);
    EXPECT_TRUE(Exists("shared/Master.tmp"));
    EXPECT_FALSE(Exists("MST/Master.tmp"));
}

TEST(MarkersTest, AnotherProcessHoldingAnEstimateMakesItReadOnlyHere) {
    WorkingFolder folder;
    OtherCopy other("000040");
    ASSERT_EQ(other.HeldState(), static_cast<int>(MarkerState::kHeld));

    ScriptedQuestions questions;
    Markers markers(questions, DefaultFolders());
    EXPECT_EQ(markers.CheckEstimateMarker("000040"), MarkerCheck::kPresent);
    EXPECT_EQ(markers.EstimateState(), MarkerState::kInUse);

    Markers editor(questions, DefaultFolders());
    EXPECT_EQ(editor.HoldEstimateMarker("000040"), MarkerHold::kDone);
    EXPECT_EQ(editor.EstimateState(), MarkerState::kInUse);

    // Leftover deletion here skips the marker the other process holds.
    Touch("DAT/m_000041.tmp");
    EXPECT_EQ(markers.DeleteLeftoverMarkers(), (LeftoverDeletion{1, 1, 0}));
    EXPECT_TRUE(Exists("DAT/m_000040.tmp"));
    EXPECT_FALSE(Exists("DAT/m_000041.tmp"));

    // Its own release still works and leaves nothing behind.
    EXPECT_EQ(other.Finish(), 0);
    EXPECT_FALSE(Exists("DAT/m_000040.tmp"));
    EXPECT_EQ(markers.CheckEstimateMarker("000040"), MarkerCheck::kAbsent);
}

TEST(MarkersTest, AfterAProcessDiesItsMarkerCountsUntilLeftoversAreDeleted) {
    WorkingFolder folder;
    OtherCopy other("000050");
    ASSERT_EQ(other.HeldState(), static_cast<int>(MarkerState::kHeld));
    other.Crash();

    ScriptedQuestions questions;
    Markers markers(questions, DefaultFolders());
    EXPECT_EQ(markers.CheckEstimateMarker("000050"), MarkerCheck::kPresent);
    EXPECT_EQ(markers.CheckEstimateMarker("000050"), MarkerCheck::kPresent);

    EXPECT_EQ(markers.DeleteLeftoverMarkers(), (LeftoverDeletion{1, 0, 0}));
    EXPECT_FALSE(Exists("DAT/m_000050.tmp"));
    EXPECT_EQ(markers.CheckEstimateMarker("000050"), MarkerCheck::kAbsent);
}

TEST(MarkersTest, AnotherProcessHoldingTheMastersMakesThemReadOnlyHere) {
    WorkingFolder folder;
    OtherCopy other("");
    ASSERT_EQ(other.HeldState(), static_cast<int>(MarkerState::kHeld));

    ScriptedQuestions questions;
    Markers markers(questions, DefaultFolders());
    EXPECT_EQ(markers.HoldMasterMarker(), MarkerHold::kDone);
    EXPECT_EQ(markers.MasterState(), MarkerState::kInUse);
    EXPECT_EQ(markers.DeleteLeftoverMarkers(), (LeftoverDeletion{0, 1, 0}));
    EXPECT_TRUE(Exists("MST/Master.tmp"));

    other.Crash();
    Markers later(questions, DefaultFolders());
    EXPECT_EQ(later.HoldMasterMarker(), MarkerHold::kDone);
    EXPECT_EQ(later.MasterState(), MarkerState::kHeld);
}

}  // namespace
}  // namespace quilto
