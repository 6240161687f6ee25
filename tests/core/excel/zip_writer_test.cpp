#include "core/excel/zip_writer.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "core/excel/xlsx_package.h"

namespace quilto {
namespace {

// Every way of adding an entry reads back as the same bytes (the reader checks each CRC),
// and an entry copied as stored lands in the archive as it was stored, not deflated again.
TEST(ZipWriter, EntriesReadBackWhicheverWayTheyWereWritten) {
    std::string large;
    for (int i = 0; large.size() < 300 * 1024; ++i)
        large += "<c r=\"A" + std::to_string(i) + "\"/>";
    const char pngBytes[] = "\x89PNG\r\n\x1a\n\0\0binary";
    const std::string png(pngBytes, sizeof pngBytes - 1);
    std::string first;
    {
        ZipWriter zip(&first);
        ASSERT_TRUE(zip.Add("whole.xml", "<a>whole</a>"));
        ASSERT_TRUE(zip.Add("empty.xml", ""));
        ASSERT_TRUE(zip.Add("image.png", png, true));
        ASSERT_TRUE(zip.Begin("pieces.xml"));
        for (std::size_t at = 0; at < large.size(); at += 7000)
            ASSERT_TRUE(zip.Append(std::string_view(large).substr(at, 7000)));
        ASSERT_TRUE(zip.End());
        ASSERT_TRUE(zip.Finish());
    }
    const std::map<std::string, std::string> expected{{"whole.xml", "<a>whole</a>"},
                                                      {"empty.xml", ""},
                                                      {"image.png", png},
                                                      {"pieces.xml", large}};
    XlsxPackage package;
    std::map<std::string, ZipStoredEntry> stored;
    QString error;
    ASSERT_TRUE(ReadXlsxPackage(first, &package, &error, &stored)) << error.toStdString();
    EXPECT_EQ(package.order,
              (std::vector<std::string>{"whole.xml", "empty.xml", "image.png", "pieces.xml"}));
    EXPECT_EQ(package.parts, expected);

    std::string second;
    {
        ZipWriter zip(&second);
        for (const std::string& name : package.order)
            ASSERT_TRUE(zip.AddStored(name, stored.at(name))) << name;
        ASSERT_TRUE(zip.Finish());
    }
    XlsxPackage copied;
    ASSERT_TRUE(ReadXlsxPackage(second, &copied, &error)) << error.toStdString();
    EXPECT_EQ(copied.parts, expected);
    const ZipStoredEntry& deflated = stored.at("pieces.xml");
    EXPECT_EQ(deflated.method, 8);
    EXPECT_LT(deflated.data.size(), large.size() / 4);
    EXPECT_NE(second.find(deflated.data), std::string::npos);

    // A writer used out of order refuses, rather than writing a broken archive.
    std::string broken;
    ZipWriter zip(&broken);
    EXPECT_FALSE(zip.Append("no entry begun"));
    EXPECT_FALSE(zip.Finish());
}

}  // namespace
}  // namespace quilto
