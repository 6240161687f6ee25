// The command line as a user meets it: whole processes, from exec to exit, each run beside
// its floor in the same repetition so that the machine's noise falls on both alike.
//
//  - `quilto-cli list` over a data folder of 10,000 estimates (its list index current, as
//    from the second listing on, and without one) beside list_floor_reader, a bare program
//    that reads the same 10,000 headers and writes a line for each;
//  - `quilto-cli --help` beside list_floor_reader with no arguments: a process that starts
//    and ends.
//
// The time shown is the CPU time (user and system) of the process, which a machine shared
// with other work inflates far less than the time on the clock (given as wall_ms and
// floor_wall_ms); floor_ms is the floor's CPU time and ratio the process's over the floor's.
// One iteration is one run of each; repetitions give min and median:
//   cli_start_bench --benchmark_repetitions=11 --benchmark_report_aggregates_only=true
// QUILTO_BENCH_CLI=path runs another build's quilto-cli (the one before a change) against
// the same floor; QUILTO_BENCH_FOLDER=dir keeps the data folder there, for callgrind:
//   valgrind --tool=callgrind quilto-cli --folder dir list >/dev/null

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QByteArray>
#include <QFile>
#include <QtGlobal>
#include <algorithm>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "core/store/estimate_list_index.h"
#include "estimate_folder.h"

extern char** environ;

namespace {

constexpr int kEstimates = 10000;

std::string CliPath() {
    const QByteArray chosen = qgetenv("QUILTO_BENCH_CLI");
    return chosen.isEmpty() ? std::string(QUILTO_CLI) : chosen.toStdString();
}

const quilto::bench::EstimateFolder& Folder() {
    static const quilto::bench::EstimateFolder folder(kEstimates);
    return folder;
}

struct Took {
    double cpu = -1;   // user and system time of the process, seconds; negative if it failed
    double wall = -1;  // from spawn to exit, seconds
};

// Runs the program to its end with stdout and stderr on /dev/null. A failure (not started,
// or an exit other than 0) comes back as negative times.
Took Run(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return {};
    int status = 0;
    rusage usage{};
    if (::wait4(pid, &status, 0, &usage) != pid) return {};
    const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - start;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return {};
    const auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    return {seconds(usage.ru_utime) + seconds(usage.ru_stime), wall.count()};
}

// Times `program` beside `floor`, the floor first, once per iteration (the benchmarks run
// one iteration a repetition); prepare runs before each, off the clock.
void BesideFloor(
    benchmark::State& state, const std::vector<std::string>& program,
    const std::vector<std::string>& floor, const std::function<void()>& prepare = [] {}) {
    for (auto _ : state) {
        state.PauseTiming();
        prepare();
        state.ResumeTiming();
        const Took floorTook = Run(floor);
        const Took programTook = Run(program);
        if (floorTook.cpu < 0 || programTook.cpu < 0) {
            state.SkipWithError("a process failed");
            return;
        }
        state.SetIterationTime(programTook.cpu);
        state.counters["floor_ms"] = floorTook.cpu * 1000;
        state.counters["ratio"] = programTook.cpu / floorTook.cpu;
        state.counters["wall_ms"] = programTook.wall * 1000;
        state.counters["floor_wall_ms"] = floorTook.wall * 1000;
    }
}

double Min(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

void BM_ListWithIndex(benchmark::State& state) {
    const QString folder = Folder().Path();
    // A first listing writes the index every later one reads.
    if (Run({CliPath(), "--folder", folder.toStdString(), "list"}).cpu < 0) {
        state.SkipWithError("quilto-cli list failed");
        return;
    }
    BesideFloor(state, {CliPath(), "--folder", folder.toStdString(), "list"},
                {LIST_FLOOR_READER, (folder + "/DAT").toStdString()});
}
BENCHMARK(BM_ListWithIndex)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->ComputeStatistics("min", Min);

void BM_ListWithoutIndex(benchmark::State& state) {
    const QString folder = Folder().Path();
    const QString index = folder + "/DAT/" + quilto::kListIndexName;
    BesideFloor(state, {CliPath(), "--folder", folder.toStdString(), "list"},
                {LIST_FLOOR_READER, (folder + "/DAT").toStdString()},
                [&index] { QFile::remove(index); });
}
BENCHMARK(BM_ListWithoutIndex)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->ComputeStatistics("min", Min);

void BM_Help(benchmark::State& state) {
    BesideFloor(state, {CliPath(), "--help"}, {LIST_FLOOR_READER});
}
BENCHMARK(BM_Help)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->ComputeStatistics("min", Min);

}  // namespace
