#include "core/excel/zip_reader.h"

#include <gtest/gtest.h>
#include <libdeflate.h>

#include <functional>
#include <string>
#include <vector>

namespace quilto {
namespace {

void Put(std::string& out, std::uint64_t value, int width) {
    for (int i = 0; i < width; ++i) out += static_cast<char>((value >> (8 * i)) & 0xff);
}

// An archive made field by field, as other programs make them: the entries' 32-bit sizes
// and offsets saturated with their values in 64-bit records when `zip64`, a comment after
// the end record, and `change` for damaging the parts afterwards.
struct Archive {
    struct Entry {
        std::string name;
        std::string bytes;
        bool deflate = true;
        std::uint16_t flags = 0;
        std::uint16_t method = 0;    // as the headers say it; 0 for what `deflate` chose
        std::string localName = {};  // as the local header says it; empty for `name`
    };
    std::vector<Entry> entries;
    bool zip64 = false;
    std::string comment;
    std::uint16_t disk = 0;
    std::uint64_t countShown = 0;  // the end record's entry count; 0 for the real one

    std::string Bytes() const {
        std::string out;
        std::string central;
        for (const Entry& e : entries) {
            std::string data = e.bytes;
            if (e.deflate) {
                libdeflate_compressor* c = libdeflate_alloc_compressor(6);
                data.resize(libdeflate_deflate_compress_bound(c, e.bytes.size()));
                data.resize(libdeflate_deflate_compress(c, e.bytes.data(), e.bytes.size(),
                                                        data.data(), data.size()));
                libdeflate_free_compressor(c);
            }
            const std::uint16_t method = e.method ? e.method : (e.deflate ? 8 : 0);
            const std::uint32_t crc = libdeflate_crc32(0, e.bytes.data(), e.bytes.size());
            const std::string& localName = e.localName.empty() ? e.name : e.localName;
            const std::uint64_t offset = out.size();
            Put(out, 0x04034b50, 4);
            Put(out, 20, 2);
            Put(out, e.flags, 2);
            Put(out, method, 2);
            Put(out, 0, 4);  // time and date
            // With sizes after the data (flag 8), the local header leaves them empty.
            const bool after = (e.flags & 0x0008) != 0;
            Put(out, after ? 0 : crc, 4);
            Put(out, after ? 0 : data.size(), 4);
            Put(out, after ? 0 : e.bytes.size(), 4);
            Put(out, localName.size(), 2);
            Put(out, 0, 2);
            out += localName + data;
            if (after) {
                Put(out, 0x08074b50, 4);
                Put(out, crc, 4);
                Put(out, data.size(), 4);
                Put(out, e.bytes.size(), 4);
            }

            std::string extra;
            if (zip64) {
                Put(extra, 0x0001, 2);
                Put(extra, 24, 2);
                Put(extra, e.bytes.size(), 8);
                Put(extra, data.size(), 8);
                Put(extra, offset, 8);
            }
            const std::uint64_t saturated = 0xffffffff;
            Put(central, 0x02014b50, 4);
            Put(central, 45, 2);
            Put(central, 45, 2);
            Put(central, e.flags, 2);
            Put(central, method, 2);
            Put(central, 0, 4);
            Put(central, crc, 4);
            Put(central, zip64 ? saturated : data.size(), 4);
            Put(central, zip64 ? saturated : e.bytes.size(), 4);
            Put(central, e.name.size(), 2);
            Put(central, extra.size(), 2);
            Put(central, 0, 2);  // comment
            Put(central, 0, 2);  // disk
            Put(central, 0, 2);  // internal attributes
            Put(central, 0, 4);  // external attributes
            Put(central, zip64 ? saturated : offset, 4);
            central += e.name + extra;
        }
        const std::uint64_t directory = out.size();
        const std::uint64_t count = countShown ? countShown : entries.size();
        out += central;
        if (zip64) {
            const std::uint64_t record = out.size();
            Put(out, 0x06064b50, 4);
            Put(out, 44, 8);
            Put(out, 45, 2);
            Put(out, 45, 2);
            Put(out, 0, 4);
            Put(out, 0, 4);
            Put(out, count, 8);
            Put(out, count, 8);
            Put(out, central.size(), 8);
            Put(out, directory, 8);
            Put(out, 0x07064b50, 4);
            Put(out, 0, 4);
            Put(out, record, 8);
            Put(out, 1, 4);
        }
        Put(out, 0x06054b50, 4);
        Put(out, disk, 2);
        Put(out, disk, 2);
        Put(out, zip64 ? 0xffff : count, 2);
        Put(out, zip64 ? 0xffff : count, 2);
        Put(out, zip64 ? 0xffffffff : central.size(), 4);
        Put(out, zip64 ? 0xffffffff : directory, 4);
        Put(out, comment.size(), 2);
        return out + comment;
    }
};

Archive TwoEntries() {
    Archive archive;
    archive.entries = {{"xl/sheet.xml", std::string(3000, 'x') + "<row/>"},
                       {"xl/media/a.png", std::string("\x89PNG\0\1\2", 7), false}};
    return archive;
}

// Archives as other programs write them read back entry by entry, their bytes checked.
TEST(ZipReader, ReadsArchivesAsOtherProgramsWriteThem) {
    const struct {
        const char* what;
        std::function<void(Archive&)> make;
    } cases[] = {
        {"plain", [](Archive&) {}},
        {"with 64-bit records", [](Archive& a) { a.zip64 = true; }},
        {"with a comment that looks like an end record",
         [](Archive& a) { a.comment = std::string("PK\x05\x06", 4) + "0123456789"; }},
        {"with sizes after the data (their flag set)",
         [](Archive& a) { a.entries[0].flags = 0x0008; }},
    };
    for (const auto& c : cases) {
        Archive archive = TwoEntries();
        c.make(archive);
        const std::string zip = archive.Bytes();
        std::vector<ZipEntry> entries;
        QString reason;
        ASSERT_TRUE(ReadZipDirectory(zip, 100, &entries, &reason))
            << c.what << ": " << reason.toStdString();
        ASSERT_EQ(entries.size(), 2u) << c.what;
        for (std::size_t i = 0; i < entries.size(); ++i) {
            EXPECT_EQ(entries[i].name, archive.entries[i].name) << c.what;
            EXPECT_EQ(entries[i].method, i == 0 ? 8 : 0) << c.what;
            std::string bytes;
            EXPECT_TRUE(ExpandZipEntry(entries[i], &bytes)) << c.what;
            EXPECT_EQ(bytes, archive.entries[i].bytes) << c.what;
        }
    }
}

// Damaged or unusual archives are refused with a reason, naming the entry where there is
// one; an entry whose bytes do not match what the directory says fails when expanded.
TEST(ZipReader, RefusesWhatItCannotReadSoundly) {
    const struct {
        const char* what;
        std::function<void(Archive&)> make;
        std::function<void(std::string&)> damage;
        const char* reason;  // nullptr: the directory reads, the first entry fails to expand
        std::size_t allowed = 100;
    } cases[] = {
        {"encrypted", [](Archive& a) { a.entries[0].flags = 1; }, nullptr, "暗号化"},
        {"compressed with bzip2", [](Archive& a) { a.entries[0].method = 12; }, nullptr,
         "圧縮方式 (12)"},
        {"local header names another entry",
         [](Archive& a) { a.entries[1].localName = "xl/media/b.png"; }, nullptr, "xl/media/a.png"},
        {"split over several parts", [](Archive& a) { a.disk = 1; }, nullptr, "複数"},
        {"more entries said than the directory holds", [](Archive& a) { a.countShown = 9; },
         nullptr, "目録が壊れて"},
        {"more entries than allowed", {}, nullptr, "多すぎ", 1},
        {"no end record", {}, [](std::string& z) { z.resize(z.size() - 22); }, "目録がありません"},
        {"cut in the data", {}, [](std::string& z) { z.erase(100, 200); }, "目録"},
        {"empty", {}, [](std::string& z) { z.clear(); }, "目録がありません"},
        {"CRC does not match",
         {},
         // In the directory's record: its CRC lies 30 bytes before its name.
         [](std::string& z) { z[z.rfind("xl/sheet.xml") - 30] ^= 1; },
         nullptr},
        {"deflated bytes damaged",
         {},
         [](std::string& z) { z[z.find("xl/sheet.xml") + 14] ^= 0x55; },
         nullptr},
    };
    for (const auto& c : cases) {
        Archive archive = TwoEntries();
        if (c.make) c.make(archive);
        std::string zip = archive.Bytes();
        if (c.damage) c.damage(zip);
        std::vector<ZipEntry> entries;
        QString reason;
        const bool read = ReadZipDirectory(zip, c.allowed, &entries, &reason);
        if (c.reason == nullptr) {
            ASSERT_TRUE(read) << c.what << ": " << reason.toStdString();
            std::string bytes;
            EXPECT_FALSE(ExpandZipEntry(entries.at(0), &bytes)) << c.what;
            continue;
        }
        EXPECT_FALSE(read) << c.what;
        EXPECT_FALSE(reason.isEmpty()) << c.what;
        EXPECT_TRUE(reason.contains(QString::fromUtf8(c.reason)))
            << c.what << ": " << reason.toStdString();
    }
}

}  // namespace
}  // namespace quilto
