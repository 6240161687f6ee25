#include <gtest/gtest.h>

#include <QApplication>

TEST(AppSmoke, RunsOffscreen) { EXPECT_EQ(QGuiApplication::platformName(), "offscreen"); }
