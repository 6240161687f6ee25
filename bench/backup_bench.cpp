// Backing up and restoring a working folder of 3000 estimates of 20 KB each (some 60 MB),
// with its masters and table definitions: files per second, every file synced to disk
// before the run reports done.

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <string>

#include "core/foundation/questions.h"
#include "core/settings/backup.h"
#include "core/store/environment.h"

namespace quilto {
namespace {

constexpr int kEstimates = 3000;

// Confirms every question; messages go nowhere.
struct Yes : Questions {
    ButtonAnswer AskButtons(const std::string&, const std::string&, const std::string&,
                            const std::string&, const std::string&) override {
        return ButtonAnswer::kFirst;
    }
    bool AskOkCancel(const std::string&, const std::string&) override { return true; }
    void Inform(const std::string&, const std::string&) override {}
    std::optional<std::string> AskText(const std::string&, const std::string&,
                                       const std::string&) override {
        return std::nullopt;
    }
};

void Write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) file.write(bytes);
}

// A working folder in use, current for the life of the object.
class Installation {
  public:
    Installation() : previous_(QDir::currentPath()) {
        QDir root(dir_.path());
        for (const char* sub : {"DAT", "MST", "XlsBase"}) root.mkdir(sub);
        QDir::setCurrent(dir_.path());
        if (CreateEnvironmentFile(environment_) != EnvironmentFileResult::kOk) std::abort();
        const QByteArray estimate(20000, '\x41');
        for (int i = 1; i <= kEstimates; ++i) {
            Write(QStringLiteral("DAT/m_%1.dat").arg(i, 6, 10, QLatin1Char('0')), estimate);
        }
        for (const char* master : {"MST/sp_syo.dat", "MST/sp_Koji.dat", "MST/sp_unit.dat"}) {
            Write(master, QByteArray(100000, '\x42'));
        }
        Write("XlsBase/XKP00.Dat", QByteArray(1096, '\0'));
    }
    ~Installation() { QDir::setCurrent(previous_); }

    LiveFolders Live() { return LiveFoldersOf(environment_, QDir::currentPath()); }

  private:
    QTemporaryDir dir_;
    QString previous_;
    Environment environment_;
};

void BM_Backup(benchmark::State& state) {
    Installation installation;
    Yes yes;
    int copied = 0;
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir target;
        state.ResumeTiming();
        copied += RunBackup(yes, installation.Live(), target.path(), {}).copied;
    }
    state.counters["files/s"] = benchmark::Counter(copied, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Backup)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void BM_Restore(benchmark::State& state) {
    Installation installation;
    Yes yes;
    QTemporaryDir backup;
    RunBackup(yes, installation.Live(), backup.path(), {});
    int copied = 0;
    for (auto _ : state) copied += RunRestore(yes, installation.Live(), backup.path(), {}).copied;
    state.counters["files/s"] = benchmark::Counter(copied, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Restore)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace
}  // namespace quilto
