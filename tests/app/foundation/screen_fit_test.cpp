#include "app/foundation/screen_fit.h"

#include <gtest/gtest.h>

#include <QDialog>
#include <QScreen>
#include <QTest>
#include <utility>

#include "app/editor/editor_fixture.h"
#include "app/excel/form_mxls1.h"
#include "app/excel/form_mxls2.h"
#include "app/excel/form_prt_setup.h"
#include "app/masters/form_msyo.h"
#include "app/masters/form_ref1.h"
#include "app/settings/form_mbup1.h"
#include "app/settings/form_mconf.h"

namespace quilto {
namespace {

TEST(ScreenFit, AWindowStaysWhereItAsksWhenItFitsAndIsMovedInOrShrunkOtherwise) {
    const QRect screen(0, 0, 1280, 1024);
    const struct {
        QRect wanted;
        QRect placed;
    } cases[] = {
        {{35, 10, 245, 500}, {35, 10, 245, 500}},      // fits: unchanged
        {{200, 60, 1128, 600}, {152, 60, 1128, 600}},  // the list: moved left
        {{900, 900, 300, 300}, {900, 724, 300, 300}},  // moved up
        {{-50, -20, 300, 300}, {0, 0, 300, 300}},      // moved in from the top left
        {{100, 100, 1400, 1100}, {0, 0, 1280, 1024}},  // larger than the screen
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FitIntoArea(c.wanted, screen), c.placed) << c.wanted.x() << "," << c.wanted.y();
    }
    // An area that does not start at the origin (a panel at the top, a second screen).
    EXPECT_EQ(FitIntoArea({1900, 0, 400, 300}, {1280, 32, 1024, 736}), QRect(1900, 32, 400, 300));
    EXPECT_EQ(FitIntoArea({2000, 0, 400, 300}, {1280, 32, 1024, 736}), QRect(1904, 32, 400, 300));
}

TEST(ScreenFit, PlacingAWindowKeepsItsFrameOnItsScreen) {
    QDialog window;
    window.resize(5000, 200);
    PlaceOnScreen(&window, {200, 60});
    window.show();
    PlaceOnScreen(&window, window.pos());
    const QRect area = window.screen()->availableGeometry();
    EXPECT_TRUE(area.contains(window.frameGeometry()))
        << window.frameGeometry().width() << " in " << area.width();
}

// A shown window whose frame the window manager has not reported yet (or never will) is
// placed with room for a title bar above its client area: asked for the screen's top-left
// corner, its title bar stays on the screen where it can be seen and dragged.
TEST(ScreenFit, AWindowWithoutAKnownFrameLeavesRoomForItsTitleBar) {
    QDialog window;
    window.resize(400, 300);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    // The test display reports a thin border and no title bar, as a window manager does
    // before it has decorated the window.
    ASSERT_LE(window.geometry().top() - window.frameGeometry().top(), 4);
    const QRect area = window.screen()->availableGeometry();
    PlaceOnScreen(&window, area.topLeft());
    EXPECT_GE(window.geometry().top() - area.top(), 30);
    EXPECT_GE(window.geometry().left() - area.left(), 4);
    EXPECT_EQ(window.size(), QSize(400, 300));
}

// Each window of the program, opened over the editor on a screen smaller than the editor
// asks for, stands wholly inside the screen's usable area.
class ProgramWindowsOnASmallScreen : public test::EditorRun {};

TEST_F(ProgramWindowsOnASmallScreen, EveryWindowStaysInsideTheScreen) {
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    ASSERT_LT(area.width(), 1270) << "the screen should be smaller than the editor";
    ASSERT_LT(area.height(), 960);
    Open(EntryMode::kNew);
    EXPECT_TRUE(area.contains(Editor().frameGeometry()))
        << "editor: " << Editor().frameGeometry().width() << "x"
        << Editor().frameGeometry().height();

    const auto expectInside = [&](const char* name, QWidget& window) {
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window)) << name;
        const QRect frame = window.frameGeometry();
        EXPECT_TRUE(area.contains(frame))
            << name << " at " << frame.x() << "," << frame.y() << " " << frame.width() << "x"
            << frame.height() << " on " << area.width() << "x" << area.height();
        window.hide();
    };
    const std::pair<const char*, QDialog*> dialogs[] = {
        {"FormMSyo", &program->FormMSyo()},   {"FormMXls1", &program->FormMXls1()},
        {"FormMXls2", &program->FormMXls2()}, {"FormPrtSetup", &program->FormPrtSetup()},
        {"FormMConf", &program->FormMConf()}, {"FormMBup1", &program->FormMBup1()},
    };
    for (const auto& [name, dialog] : dialogs) {
        dialog->show();
        expectInside(name, *dialog);
    }
    // The lookup guide is placed beside the editor, at its right edge.
    program->FormRef1().ShowConstructionGuide("", "");
    expectInside("FormRef1", program->FormRef1());
}

}  // namespace
}  // namespace quilto
