// Listing and searching large data folders through the list index, beside the floor of
// reading every header bare in the same run: 10,000 and 100,000 estimates. The list with a
// valid index should cost less than the bare headers (it opens no file); the first listing
// (no index yet) a little more; a search as the user types one key, a few milliseconds.
#include <benchmark/benchmark.h>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/foundation/fixed4.h"
#include "core/store/environment.h"
#include "core/store/estimate_file.h"
#include "core/store/estimate_list.h"
#include "core/store/estimate_list_index.h"
#include "core/store/estimate_search.h"

namespace {

// A working folder whose DAT/ holds `count` estimates (a header and one line each), made
// once per size.
class DataFolder {
  public:
    explicit DataFolder(int count) {
        QDir(dir_.path()).mkdir("DAT");
        const char* customers[] = {"\x8E\x52\x93\x63\x8C\x9A\x90\xDD",          // 山田建設
                                   "\x93\x63\x92\x86\x8D\x48\x96\xB1\x93\x58",  // 田中工務店
                                   "\xB6\xCC\xDE\xBC\xB7\xB6\xDE\xB2\xBC\xAC"};  // ｶﾌﾞｼｷｶﾞｲｼｬ
        const std::string line(quilto::kLineRecordSize, '\0');
        for (int i = 1; i <= count; ++i) {
            quilto::EstimateHeader header;
            header.SetSignature(quilto::kEstimateSignature);
            const std::string number = std::to_string(1000000 + i).substr(1);
            header.SetText(quilto::HeaderText::MNo, number);
            header.SetText(quilto::HeaderText::MName1, std::string(customers[i % 3]) + number);
            header.SetText(quilto::HeaderText::MTitle1, "\x8A\x4F\x95\xC7 " + number);  // 外壁
            // Built by appending: GCC 12 at -O3 warns falsely about a chain of + here.
            std::string date = "R";
            date += std::to_string(1 + i % 8);
            date += '.';
            date += std::to_string(1 + i % 12);
            date += '.';
            date += std::to_string(1 + i % 28);
            header.SetText(quilto::HeaderText::MYMD1, date);
            header.SetFigure(quilto::HeaderFigure::MGoukei01,
                             quilto::Fixed4::FromInt((i % 1000) * 1000));
            const std::string name = dir_.path().toStdString() + "/DAT/m_" + number + ".dat";
            names_.push_back(name);
            const std::string bytes = header.Bytes() + line;
            const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (fd < 0 ||
                ::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
                std::abort();
            ::close(fd);
        }
    }
    QString Path() const { return dir_.path(); }
    const std::vector<std::string>& Names() const { return names_; }

  private:
    QTemporaryDir dir_;
    std::vector<std::string> names_;
};

const DataFolder& Folder(int count) {
    static std::map<int, std::unique_ptr<DataFolder>> folders;
    auto& folder = folders[count];
    if (!folder) folder = std::make_unique<DataFolder>(count);
    QDir::setCurrent(folder->Path());
    return *folder;
}

// The floor: open each file and read its header, nothing else.
void BM_ReadHeadersBare(benchmark::State& state) {
    const DataFolder& folder = Folder(static_cast<int>(state.range(0)));
    char header[quilto::kEstimateHeaderSize];
    for (auto _ : state) {
        std::size_t read = 0;
        for (const std::string& name : folder.Names()) {
            const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
            read += static_cast<std::size_t>(::read(fd, header, sizeof header));
            ::close(fd);
        }
        benchmark::DoNotOptimize(read);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ReadHeadersBare)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// What checking the index against the files costs at the least: the folder walk and one
// stat of each file, nothing read.
void BM_WalkAndStatBare(benchmark::State& state) {
    Folder(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        DIR* dir = ::opendir("DAT");
        std::size_t bytes = 0;
        while (const dirent* entry = ::readdir(dir)) {
            struct stat info {};
            if (::fstatat(::dirfd(dir), entry->d_name, &info, 0) == 0)
                bytes += static_cast<std::size_t>(info.st_size);
        }
        ::closedir(dir);
        benchmark::DoNotOptimize(bytes);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_WalkAndStatBare)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// The list as the window and the command line build it, the index valid.
void BM_ListThroughIndex(benchmark::State& state) {
    Folder(static_cast<int>(state.range(0)));
    quilto::Environment environment;
    (void)quilto::ListThroughIndex(environment, {});
    for (auto _ : state) {
        const auto listing = quilto::ListThroughIndex(environment, {});
        if (listing.read != 0 || static_cast<int>(listing.entries.size()) != state.range(0))
            state.SkipWithError("the index was not used for every estimate");
        benchmark::DoNotOptimize(listing.entries.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ListThroughIndex)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// The first listing of a folder: no index yet, every header read and the index written.
void BM_ListWithoutIndex(benchmark::State& state) {
    Folder(static_cast<int>(state.range(0)));
    quilto::Environment environment;
    const QString index = QStringLiteral("DAT/") + quilto::kListIndexName;
    for (auto _ : state) {
        QFile::remove(index);
        const auto listing = quilto::ListThroughIndex(environment, {});
        benchmark::DoNotOptimize(listing.entries.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ListWithoutIndex)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// One key typed into the search bar: the whole list searched again (text and an amount).
void BM_SearchAsYouType(benchmark::State& state) {
    Folder(static_cast<int>(state.range(0)));
    quilto::Environment environment;
    const auto listing = quilto::ListThroughIndex(environment, {});
    quilto::EstimateSearch search;
    search.minAmount = quilto::Fixed4::FromInt(100000);
    const QString typed[] = {QStringLiteral("山"), QStringLiteral("山田"), QStringLiteral("ｶﾌﾞ"),
                             QStringLiteral("0012")};
    std::size_t key = 0;
    for (auto _ : state) {
        search.text = typed[key++ % 4];
        const auto rows = quilto::SearchRows(listing.entries, search);
        benchmark::DoNotOptimize(rows.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_SearchAsYouType)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// The list as it was built before the index (every header read on every showing).
void BM_BuildEstimateListDirect(benchmark::State& state) {
    Folder(static_cast<int>(state.range(0)));
    quilto::Environment environment;
    for (auto _ : state) {
        const auto entries = quilto::BuildEstimateList(environment);
        benchmark::DoNotOptimize(entries.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_BuildEstimateListDirect)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
