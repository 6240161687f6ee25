#include <gtest/gtest.h>

#include <QFile>
#include <QListWidget>
#include <QTimer>

#include "app/editor/editor_fixture.h"
#include "app/excel/form_mxls2.h"
#include "app/modal_driver.h"
#include "core/shell/shell_state.h"

namespace quilto {
namespace {

using test::Child;
using test::ModalDriver;
using test::PressKey;

// The editor's way into the output dialog and the definition editor.
class OutputWiring : public test::EditorRun {
  protected:
    // A new estimate with its customer and title and one breakdown line with a detail line.
    void TypeEstimate() {
        Type(QStringLiteral("山田工務店"));
        Key(Qt::Key_Return);
        Type(QStringLiteral("外壁塗装工事"));
        Key(Qt::Key_Return);
        Key(Qt::Key_F12);
        Key(Qt::Key_F12);
        ASSERT_EQ(Context().VisibleTab(), kBreakdownTab);
        for (const char* cell : {"1", "足場", "式", "1", "", "", ""}) Cell(QString::fromUtf8(cell));
        Key(Qt::Key_Home, Qt::ControlModifier);
        Key(Qt::Key_F12);
        ASSERT_EQ(Context().VisibleTab(), kDetailTab);
        for (const char* cell : {"", "単管足場", "", "式", "1", "1000", "", "", ""}) {
            Cell(QString::fromUtf8(cell));
        }
    }

    // The dialog's construction list as it shows.
    static QStringList Listed(QWidget* dialog) {
        QStringList names;
        auto* list = Child<QListWidget>(dialog, "ListBox1");
        for (int i = 0; i < list->count(); ++i) names << list->item(i)->text();
        return names;
    }
};

TEST_F(OutputWiring, ControlPSavesTheEstimateAndOpensTheDialogOnIt) {
    Open(EntryMode::kNew);
    TypeEstimate();
    QString shown;
    QStringList listed;
    {
        ModalDriver driver([&](QWidget* modal) {
            shown = modal->objectName();
            listed = Listed(modal);
            PressKey(Qt::Key_Escape);
        });
        Key(Qt::Key_P, Qt::ControlModifier);
    }
    EXPECT_EQ(shown, "FormMXls2");
    EXPECT_EQ(listed, QStringList{"足場"});
    EXPECT_TRUE(QFile::exists("DAT/m_000001.dat")) << "saved before the dialog";
    EXPECT_TRUE(Editor().isVisible());
}

TEST_F(OutputWiring, EntryModeSixShowsTheDialogAndThenClosesTheEditor) {
    Open(EntryMode::kNew);
    TypeEstimate();
    questions.ExpectButtons("見積作成を終了してメニューに戻ります。", 1);
    Key(Qt::Key_Escape, Qt::ShiftModifier);
    questions.Done();
    ASSERT_TRUE(QFile::exists("DAT/m_000001.dat"));

    // The editor is itself modal: the dialog is looked for by name once the editor shows.
    QStringList listed;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        TFormMXls2& dialog = program->FormMXls2();
        if (!dialog.isVisible() || QApplication::activeModalWidget() != &dialog) return;
        poll.stop();
        listed = Listed(&dialog);
        dialog.reject();
    });
    poll.start(20);
    Open(EntryMode::kOutput, "000001");
    EXPECT_TRUE(QTest::qWaitFor([this] { return !Editor().isVisible(); }, 5000));
    EXPECT_EQ(listed, QStringList{"足場"});
}

TEST_F(OutputWiring, TableSetupOpensTheDefinitionEditor) {
    Open(EntryMode::kNew);
    QString shown;
    {
        ModalDriver driver([&](QWidget* modal) {
            shown = modal->objectName();
            PressKey(Qt::Key_Escape);
        });
        Trigger("XlsSetup1");
    }
    EXPECT_EQ(shown, "FormMXls1");
}

}  // namespace
}  // namespace quilto
