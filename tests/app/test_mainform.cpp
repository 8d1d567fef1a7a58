#include "app/forms/mainform.h"

#include <QApplication>
#include <gtest/gtest.h>

TEST(MainForm, StartsWithTheApplicationTitle) {
    int argc = 1;
    char name[] = "test";
    char* argv[] = {name, nullptr};
    QApplication application(argc, argv);
    app::TMainForm form;
    form.show();
    EXPECT_EQ(form.windowTitle(), QStringLiteral("ケストレーン "));
    EXPECT_TRUE(form.isVisible());
}
