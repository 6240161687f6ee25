// Qt's own dialogs speak the program's language: the standard buttons of a file chooser or
// a message are Japanese whatever the session's language (the tests run under C).

#include "app/foundation/app_setup.h"

#include <gtest/gtest.h>

#include <QDialogButtonBox>
#include <QPushButton>

namespace quilto {
namespace {

TEST(AppSetup, QtsStandardButtonsSpeakJapanese) {
    QDialogButtonBox box(QDialogButtonBox::Cancel | QDialogButtonBox::Open);
    EXPECT_EQ(box.button(QDialogButtonBox::Cancel)->text().toStdString(), "キャンセル");
    EXPECT_EQ(box.button(QDialogButtonBox::Open)->text().toStdString(), "開く");
}

}  // namespace
}  // namespace quilto
