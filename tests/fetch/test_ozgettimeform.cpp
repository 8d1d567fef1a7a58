// The fetch-time dialog and the settings it keeps.

#include "fetch/forms/ozgettimeform.h"
#include "tests/fetch/fetchfixture.h"
#include "tests/support/widgets.h"

#include <QPushButton>
#include <QSpinBox>

using namespace testsupport;

using OzGetTimeForm = FetchFixture;

TEST_F(OzGetTimeForm, SavesOnlyOnOkAndHoldsTheRanges) {
    keiba::TIniGT& ini = context.settings;
    ini.WriteInteger("Time", "AutoOzGet", 99);
    {
        fetch::TOzGetTimeForm form(context);
        EXPECT_EQ(form.SpinEdit3->value(), 59); // held to its range
        form.SpinEdit1->setValue(3);
        EXPECT_EQ(form.SpinEdit1->value(), 5);
        form.SpinEdit3->setValue(12);
        form.reject();
    }
    EXPECT_EQ(ini.ReadInteger("Time", "AutoOzGet", 0), 99);
    fetch::TOzGetTimeForm form(context);
    form.SpinEdit3->setValue(12);
    form.BitBtn1->click();
    EXPECT_EQ(ini.ReadInteger("Time", "AutoOzGet", 0), 12);
    EXPECT_EQ(ini.ReadInteger("Time", "AutoRdataGet", 0), 10);
}
