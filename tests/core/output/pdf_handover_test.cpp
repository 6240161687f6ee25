#include "core/output/pdf_handover.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "core/editor/estimate_document.h"
#include "core/store/environment.h"
#include "core/store/issued_archive.h"
#include "support/sjis.h"
#include "support/working_folder.h"

namespace quilto {
namespace {

using test::Sjis;

TEST(PdfFileName, KeepsWhatFileSystemsAcceptAndNothingElse) {
    const QString longTitle = QString(120, QChar(u'工'));  // 360 bytes in UTF-8
    const struct {
        QString number, customer, title, expected;
    } cases[] = {
        {"000123", "株式会社 山田商事", "本社ビル改装工事",
         "000123_株式会社 山田商事_本社ビル改装工事.pdf"},
        // Separators and the characters Windows and mail programs refuse, control characters.
        {"000124", "A/B\\C", "a:b*c?d\"e<f>g|h\ti", "000124_A_B_C_a_b_c_d_e_f_g_h_i.pdf"},
        // Blank parts are left out; surrounding and repeated blanks go.
        {"000125", "  ", "  外壁   塗装  ", "000125_外壁 塗装.pdf"},
        // No hidden file.
        {"", "", "..hidden", "hidden.pdf"},
        {"", "", "", "見積書.pdf"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PdfFileName(c.number, c.customer, c.title), c.expected) << c.title.toStdString();

    // Cut to the 255 bytes of a file name, between whole characters.
    const QString cut = PdfFileName("000126", "様", longTitle);
    EXPECT_LE(cut.toUtf8().size(), 255);
    EXPECT_GT(cut.toUtf8().size(), 250);
    EXPECT_TRUE(cut.endsWith(".pdf"));
    EXPECT_TRUE(cut.startsWith("000126_様_工工"));
    EXPECT_FALSE(cut.contains(QChar::ReplacementCharacter));
}

class PdfHandOverTest : public ::testing::Test {
  protected:
    void SetUp() override {
        document.SetText(HeaderText::MNo, "000042");
        document.SetText(HeaderText::MName1, Sjis("鈴木 一郎"));
        document.SetText(HeaderText::MTitle1, Sjis("浴室改修工事"));
        pdf = folder.FilePath("preview.pdf");
        QFile file(pdf);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("%PDF-1.4 preview\n");
        file.close();
        qputenv("XDG_CACHE_HOME", cache.path().toLocal8Bit());
        previousPath = qgetenv("PATH");
    }
    void TearDown() override {
        qputenv("PATH", previousPath);
        qunsetenv("XDG_CACHE_HOME");
    }
    // PATH holds only a fake xdg-email with this body (none when body is empty).
    void FakeMailTool(const std::string& body) {
        if (!body.empty()) {
            const QString tool = tools.filePath("xdg-email");
            test::WriteAll(tool, "#!/bin/sh\n" + body);
            QFile::setPermissions(tool, QFile::ReadOwner | QFile::ExeOwner);
        }
        qputenv("PATH", tools.path().toLocal8Bit());
    }
    PdfHandOverOutcome Mail() {
        PdfHandOver request;
        request.way = PdfHandOverWay::kMail;
        request.pdfPath = pdf;
        return HandOverPdf(document, environment, choices, request);
    }
    size_t Archived() { return ReadIssuedArchive(QStringLiteral("DAT/発行済み")).entries.size(); }

    test::WorkingFolder folder;
    QTemporaryDir cache;
    QTemporaryDir tools;
    QByteArray previousPath;
    EstimateDocument document;
    Environment environment;
    OutputChoices choices;
    QString pdf;
};

TEST_F(PdfHandOverTest, MailAttachesACopyNamedAfterTheEstimateWithTheSubjectAndArchivesIt) {
    FakeMailTool("printf '%s\\n' \"$@\" > \"${0%/*}/args\"\n");
    const PdfHandOverOutcome outcome = Mail();
    ASSERT_EQ(outcome.result, PdfHandOverResult::kDone) << outcome.error.toStdString();
    const QString attachment = cache.filePath("quilto/mail/000042_鈴木 一郎_浴室改修工事.pdf");
    EXPECT_EQ(outcome.handedPath, attachment);
    EXPECT_EQ(test::ReadAll(attachment), "%PDF-1.4 preview\n");
    EXPECT_EQ(test::ReadAll(tools.filePath("args")),
              ("--subject\n御見積書 浴室改修工事 (No.000042)\n--attach\n" + attachment + "\n")
                  .toStdString());
    EXPECT_EQ(Archived(), 1u);
}

TEST_F(PdfHandOverTest, NoMailProgramIsSaidWithWhatToInstallAndNothingIsArchived) {
    const struct {
        std::string tool;
        const char* says;
    } cases[] = {
        {"", "sudo apt install xdg-utils"},
        {"echo 'no method available for opening mailto' >&2; exit 3\n",
         "メールソフトが設定されていない"},
    };
    for (const auto& c : cases) {
        FakeMailTool(c.tool);
        const PdfHandOverOutcome outcome = Mail();
        EXPECT_EQ(outcome.result, PdfHandOverResult::kFailed);
        EXPECT_TRUE(outcome.error.contains(QString::fromUtf8(c.says)))
            << outcome.error.toStdString();
        EXPECT_TRUE(outcome.error.contains("既定のアプリケーション"))
            << outcome.error.toStdString();
    }
    EXPECT_EQ(Archived(), 0u);
}

TEST_F(PdfHandOverTest, SaveWritesTheSameBytesAndRemembersNothingItself) {
    PdfHandOver request;
    request.way = PdfHandOverWay::kSave;
    request.pdfPath = pdf;
    request.savePath = folder.FilePath("out/見積.pdf");
    QDir().mkpath(folder.FilePath("out"));
    ASSERT_EQ(HandOverPdf(document, environment, choices, request).result,
              PdfHandOverResult::kDone);
    EXPECT_EQ(test::ReadAll(request.savePath), "%PDF-1.4 preview\n");
    EXPECT_EQ(Archived(), 1u);

    // A folder that cannot be written: the reason and what to do, nothing archived.
    request.savePath = "/proc/見積.pdf";
    const PdfHandOverOutcome refused = HandOverPdf(document, environment, choices, request);
    EXPECT_EQ(refused.result, PdfHandOverResult::kFailed);
    EXPECT_TRUE(refused.error.contains("/proc/見積.pdf")) << refused.error.toStdString();
    EXPECT_EQ(Archived(), 1u);
}

TEST(PdfFolderMemory, RemembersTheLastFolderPerUserAndForgetsAGoneOne) {
    test::WorkingFolder folder;
    const QString config = folder.ConfigHome() + "/quilto/quilto.conf";
    EXPECT_EQ(LastPdfFolder(config), "");
    QDir().mkpath(folder.FilePath("pdfs"));
    RememberPdfFolder(config, folder.FilePath("pdfs"));
    EXPECT_EQ(LastPdfFolder(config), folder.FilePath("pdfs"));
    QDir(folder.FilePath("pdfs")).removeRecursively();
    EXPECT_EQ(LastPdfFolder(config), "");
}

}  // namespace
}  // namespace quilto
