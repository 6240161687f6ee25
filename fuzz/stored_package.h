#pragma once

// The workbook fuzz targets put their input into an otherwise sound package. The package
// is stored, not deflated: deflating a harness package on every input would cost more than
// what is being fuzzed, and reading stored entries still goes through the zip reader.

#include <zip.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

namespace quilto::fuzz {

using Parts = std::vector<std::pair<std::string, std::string>>;

inline std::string StoredPackage(const Parts& parts) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
    if (buffer == nullptr) std::abort();
    zip_source_keep(buffer);
    zip_t* archive = zip_open_from_source(buffer, ZIP_TRUNCATE, &error);
    if (archive == nullptr) std::abort();
    for (const auto& [name, bytes] : parts) {
        zip_source_t* part = zip_source_buffer(archive, bytes.data(), bytes.size(), 0);
        const zip_int64_t index =
            part == nullptr ? -1 : zip_file_add(archive, name.c_str(), part, ZIP_FL_ENC_UTF_8);
        if (index < 0) std::abort();
        zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_STORE, 0);
    }
    if (zip_close(archive) != 0) std::abort();
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_source_stat(buffer, &stat) != 0 || zip_source_open(buffer) != 0) std::abort();
    std::string bytes(stat.size, '\0');
    if (zip_source_read(buffer, bytes.data(), stat.size) != static_cast<zip_int64_t>(stat.size))
        std::abort();
    zip_source_close(buffer);
    zip_source_free(buffer);
    zip_error_fini(&error);
    return bytes;
}

}  // namespace quilto::fuzz
