#pragma once

// The workbook fuzz targets put their input into an otherwise sound package. The package
// is stored, not deflated: deflating a harness package on every input would cost more than
// what is being fuzzed, and reading stored entries still goes through the zip reader.

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "core/excel/zip_writer.h"

namespace quilto::fuzz {

using Parts = std::vector<std::pair<std::string, std::string>>;

inline std::string StoredPackage(const Parts& parts) {
    std::string bytes;
    ZipWriter zip(&bytes);
    for (const auto& [name, part] : parts)
        if (!zip.Add(name, part, true)) std::abort();
    if (!zip.Finish()) std::abort();
    return bytes;
}

}  // namespace quilto::fuzz
