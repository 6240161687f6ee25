#pragma once

// A working folder whose DAT/ holds `count` modest estimates (a header and 40 lines each),
// made current, shared by the benchmarks of the estimate list and of the command line's
// start. It is a temporary folder, or the folder QUILTO_BENCH_FOLDER names, which is kept
// (for profiling a process on the same files after the benchmark).

#include <fcntl.h>
#include <unistd.h>

#include <QDir>
#include <QTemporaryDir>
#include <QtGlobal>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "core/foundation/fixed4.h"
#include "core/store/environment.h"
#include "core/store/estimate_file.h"

namespace quilto::bench {

// A modest estimate: 40 summary, breakdown and detail lines after the header.
inline constexpr int kLinesPerEstimate = 40;

class EstimateFolder {
  public:
    explicit EstimateFolder(int count) {
        const QString kept = qEnvironmentVariable("QUILTO_BENCH_FOLDER");
        if (kept.isEmpty()) {
            temporary_ = std::make_unique<QTemporaryDir>();
            path_ = temporary_->path();
        } else {
            path_ = QDir(kept).absolutePath();
        }
        if (!QDir().mkpath(path_ + "/DAT") || !QDir::setCurrent(path_)) std::abort();
        Environment environment;
        if (CreateEnvironmentFile(environment) != EnvironmentFileResult::kOk) std::abort();
        const std::string lines(kLinesPerEstimate * kLineRecordSize, '\0');
        for (int i = 1; i <= count; ++i) {
            EstimateHeader header;
            header.SetSignature(kEstimateSignature);
            const std::string number = std::to_string(1000000 + i).substr(1);
            header.SetText(HeaderText::MNo, number);
            // "株式会社 山田建設 n" and "外壁塗装工事 n" in CP932.
            header.SetText(
                HeaderText::MName1,
                "\x8A\x94\x8E\xAE\x89\xEF\x8E\xD0 \x8E\x52\x93\x63\x8C\x9A\x90\xDD " + number);
            header.SetText(HeaderText::MTitle1,
                           "\x8A\x4F\x95\xC7\x93\x68\x91\x95\x8D\x48\x8E\x96 " + number);
            header.SetFigure(HeaderFigure::MGoukei01, Fixed4::FromInt(i * 1000));
            const std::string name = "DAT/m_" + number + ".dat";
            names_.push_back(name);
            const std::string bytes = header.Bytes() + lines;
            const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (fd < 0 ||
                ::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) {
                std::abort();
            }
            ::close(fd);
        }
    }
    // The folder itself (absolute) and its estimate files, relative to it.
    QString Path() const { return path_; }
    const std::vector<std::string>& Names() const { return names_; }

  private:
    std::unique_ptr<QTemporaryDir> temporary_;
    QString path_;
    std::vector<std::string> names_;
};

}  // namespace quilto::bench
