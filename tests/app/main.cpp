// The app tests drive the real forms without a display.
#include <QApplication>
#include <QTemporaryDir>
#include <cstdlib>

#include <gtest/gtest.h>

#include "app/foundation/app_setup.h"

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // Snapshots of unsaved edits go to a state folder of this run, not the user's (a child
    // run started by a test is given its parent's).
    QTemporaryDir state;
    setenv("XDG_STATE_HOME", state.path().toLocal8Bit().constData(), 0);
    QApplication app(argc, argv);
    quilto::SetUpApplication(app);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
