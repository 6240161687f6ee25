#include "core/excel/printers.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <algorithm>

#include "support/cups_sandbox.h"
#include "support/working_folder.h"

namespace quilto {
namespace {

using test::CupsClientSandbox;
using test::CupsPdfQueues;
using test::ReadAll;

bool Contains(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

TEST(CupsPrinterList, TwoQueuesTheUsersDefaultMovesBetweenThem) {
    if (!test::CupsSchedulerRunning()) GTEST_SKIP() << "no CUPS scheduler is running";
    CupsClientSandbox sandbox;
    CupsPdfQueues queues({"QuiltoSetupA", "QuiltoSetupB"});
    ASSERT_TRUE(queues.Ready());
    const std::unique_ptr<PrinterSource> printers = CupsPrinters();

    const std::vector<std::string> names = printers->Printers();
    EXPECT_TRUE(Contains(names, "QuiltoSetupA"));
    EXPECT_TRUE(Contains(names, "QuiltoSetupB"));

    for (const char* chosen : {"QuiltoSetupB", "QuiltoSetupA"}) {
        std::string error;
        ASSERT_TRUE(printers->MakeDefault(chosen, &error)) << error;
        EXPECT_EQ(printers->DefaultPrinter(), chosen);
        // What lp and LibreOffice go by agrees, and it was written for this user only.
        EXPECT_EQ(sandbox.LpstatDefault(), chosen);
        EXPECT_NE(ReadAll(sandbox.LpOptionsPath()).find(std::string("Default ") + chosen),
                  std::string::npos);
    }

    std::string error;
    EXPECT_FALSE(printers->MakeDefault("QuiltoSetupGone", &error));
    EXPECT_EQ(error, kPrinterNotFoundMessage);
    EXPECT_EQ(printers->DefaultPrinter(), "QuiltoSetupA");
}

TEST(CupsPrinterList, NoSchedulerMeansNoPrinterAndNoDefault) {
    CupsClientSandbox sandbox;
    QTemporaryDir nowhere;
    const QByteArray previous = qgetenv("CUPS_SERVER");
    qputenv("CUPS_SERVER", QFile::encodeName(nowhere.filePath("no-cups.sock")));
    const std::unique_ptr<PrinterSource> printers = CupsPrinters();
    EXPECT_TRUE(printers->Printers().empty());
    EXPECT_EQ(printers->DefaultPrinter(), "");
    std::string error;
    EXPECT_FALSE(printers->MakeDefault("PDF", &error));
    EXPECT_FALSE(error.empty());
    if (previous.isNull()) {
        qunsetenv("CUPS_SERVER");
    } else {
        qputenv("CUPS_SERVER", previous);
    }
}

}  // namespace
}  // namespace quilto
