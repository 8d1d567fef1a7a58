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
    ASSERT_TRUE(ini.WriteInteger("Time", "AutoOzGet", 99));
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

// Times the settings file cannot keep (an editor saved it as UTF-16, which is never written over)
// are said, and the file is left as it was.
TEST_F(OzGetTimeForm, TimesThatCannotBeSavedAreSaid) {
    std::string utf16 = "\xFF\xFE";
    for (char c : std::string_view("[Time]\r\nAutoOzGet=20\r\n")) utf16 += std::string{c, '\0'};
    WriteBytes(dir / "kestrane.ini", utf16);
    fetch::TOzGetTimeForm form(context);
    EXPECT_EQ(form.SpinEdit3->value(), 20);
    form.SpinEdit3->setValue(12);
    form.BitBtn1->click();
    EXPECT_EQ(notifier.messages,
              std::vector<std::string>{(dir / "kestrane.ini").string() +
                                       " はUTF-16で保存されているため、設定を書き込めません。"
                                       "Shift-JISかUTF-8で保存し直してください。"});
    EXPECT_EQ(Slurp(dir / "kestrane.ini"), utf16);
}

// Each spin edit offers its range and no more, and shows its default when the key is absent:
// minutes before the post 3 to 59 (10), the interval 5 to 59 (10), the hidden one 2 to 59 (37).
TEST_F(OzGetTimeForm, EachSpinEditOffersItsRange) {
    fetch::TOzGetTimeForm form(context);
    const struct {
        QSpinBox* spin;
        const char* key;
        int min, max, initial;
    } spins[] = {{form.SpinEdit3, "AutoOzGet", 3, 59, 10},
                 {form.SpinEdit1, "AutoRdataGet", 5, 59, 10},
                 {form.SpinEdit2, "AutoBataijuGet", 2, 59, 37}};
    for (const auto& s : spins) {
        EXPECT_EQ(s.spin->value(), s.initial) << s.key;
        for (const auto& [typed, held] :
             {std::pair{s.min - 1, s.min}, {s.min, s.min}, {s.max, s.max}, {s.max + 1, s.max}}) {
            s.spin->setValue(typed);
            EXPECT_EQ(s.spin->value(), held) << s.key << " " << typed;
        }
        s.spin->setValue(s.min);
    }
    form.BitBtn1->click();
    for (const auto& s : spins)
        EXPECT_EQ(context.settings.ReadInteger("Time", s.key, 0), s.min) << s.key;
}
