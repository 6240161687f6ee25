// プレビュー without LibreOffice: the user is told what to install and no PDF is written.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QPushButton>
#include <QTest>

#include "app/excel/form_mxls2.h"
#include "app/modal_driver.h"
#include "core/excel/office_convert.h"
#include "core/output/output_templates.h"
#include "core/shell/program_state.h"
#include "core/store/issued_archive.h"
#include "support/fake_printers.h"
#include "support/output_fixture.h"
#include "support/scripted_questions.h"
#include "support/working_folder.h"

namespace quilto {
namespace {

TEST(PreviewForm, WithoutLibreOfficeTheUserIsToldAndNoPdfIsWritten) {
    test::WorkingFolder folder;
    test::InstallOutputFiles();
    qputenv("QUILTO_SOFFICE", "/nonexistent/soffice");
    // The previews' folder too is then looked through for PDFs.
    const QByteArray previousTemp = qgetenv("TMPDIR");
    QDir().mkpath(folder.FilePath("tmp"));
    qputenv("TMPDIR", folder.FilePath("tmp").toLocal8Bit());
    test::ScriptedQuestions questions;
    ProgramState program{questions};
    test::OutputFixture estimate;
    estimate.Breakdown(1, "", "1", "外壁", "300");
    estimate.AddDetails(1, 3);
    program.document = estimate.document;
    test::FakePrinters printers;
    QStringList pdfs;
    {
        TFormMXls2 form(program, printers);
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
        questions.ExpectInform(OfficeMissingMessage().toStdString());
        test::Child<QPushButton>(&form, "PreviewBtn")->click();
        questions.Done();
        EXPECT_FALSE(form.Running());
        EXPECT_EQ(QApplication::activeModalWidget(), &form) << "a preview showed";
        for (QDirIterator it(folder.Path(), {"*.pdf"}, QDir::Files, QDirIterator::Subdirectories);
             it.hasNext();)
            pdfs << it.next();
    }
    qunsetenv("QUILTO_SOFFICE");
    qputenv("TMPDIR", previousTemp);
    EXPECT_EQ(pdfs, QStringList());
    EXPECT_TRUE(ReadIssuedArchive(QStringLiteral("DAT/発行済み")).entries.empty());
}

}  // namespace
}  // namespace quilto
