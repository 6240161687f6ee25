// The app tests drive the real forms without a display.
#include <QApplication>
#include <cstdlib>

#include <gtest/gtest.h>

#include "app/foundation/app_setup.h"

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    quilto::SetUpApplication(app);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
