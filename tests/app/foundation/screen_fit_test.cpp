#include "foundation/screen_fit.h"

#include <gtest/gtest.h>

#include <QDialog>
#include <QScreen>

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

}  // namespace
}  // namespace quilto
