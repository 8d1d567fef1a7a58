// The window's side of the bet tab, built over a list of days and a race list of its own.

#include "app/forms/bethost.h"

#include "keiba/operations.h"

#include <QComboBox>
#include <QListWidget>

#include <gtest/gtest.h>

TEST(MainBetHost, ARaceChosenFromTheTabIsShownOnceAndAMissingOneHasNoCaption) {
    QComboBox days;
    QListWidget races;
    races.addItems({QStringLiteral("東京1R"), QStringLiteral("東京2R")});
    keiba::OperationOwner operations;
    int shown = 0;
    app::MainBetHost host(operations, [&] { ++shown; });
    host.ui = {&days, &races};
    // As on the window: a selection made by the user shows its race.
    QObject::connect(&races, &QListWidget::currentRowChanged, &races, [&](int) { ++shown; });

    host.ShowRace(1);
    EXPECT_EQ(host.SelectedRace(), 1);
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(host.RaceCaption(1), "東京2R");
    EXPECT_EQ(host.RaceCaption(2), "");
    EXPECT_EQ(host.DateIndex(), -1);
}
