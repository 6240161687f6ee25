// The cover tab as a user meets it: the honorific the cover prints is shown beside the
// customer, a name typed with one of its own is warned about once, and the line commands
// are off on the cover whether the estimate is new or reopened.

#include "app/editor/cover_panel.h"
#include "app/editor/editor_fixture.h"
#include "app/screenshot.h"
#include "core/editor/customer_honorific.h"

namespace quilto {
namespace {

using test::EditorRun;
using CoverTab = EditorRun;

TEST_F(CoverTab, ShowsTheHonorificAndWarnsOnceAboutATypedOne) {
    Open(EntryMode::kNew);
    auto* hint = Editor().findChild<QLabel*>("MName1Honorific");
    ASSERT_NE(hint, nullptr);
    EXPECT_TRUE(hint->isVisible());
    EXPECT_EQ(hint->text().toStdString(), kCoverHonorific);

    Context().cover->MName1()->setFocus();
    Type(QStringLiteral("山田太郎 様"));
    questions.ExpectInformStartingWith("お客様名が「様」で終わっています。");
    Key(Qt::Key_Tab);
    QCoreApplication::processEvents();
    questions.Done();
    test::SaveScreenshot(&Editor(), "ui-editor-honorific.png");
    // Back to the name and away again: said once is enough.
    Context().cover->MName1()->setFocus();
    Key(Qt::Key_Tab);
    QCoreApplication::processEvents();
    questions.Done();
}

TEST_F(CoverTab, LineCommandsAreOffOnTheCoverOfANewAndAReopenedEstimate) {
    const auto offered = [this] {
        std::string on;
        for (const char* name : {"SB_Syokei", "SB_Nakakei", "SB_Zei"})
            if (Editor().findChild<QToolButton*>(name)->isEnabled()) on += name;
        return on;
    };
    Open(EntryMode::kNew);
    EXPECT_EQ(offered(), "") << "a new estimate";
    Context().pageControl1->setCurrentIndex(kBreakdownTab);
    EXPECT_EQ(offered(), "SB_SyokeiSB_NakakeiSB_Zei") << "on a grid they act";
    Context().pageControl1->setCurrentIndex(kCoverTab);
    Editor().done(0);
    Open(EntryMode::kNew);
    EXPECT_EQ(offered(), "") << "shown again";
}

}  // namespace
}  // namespace quilto
