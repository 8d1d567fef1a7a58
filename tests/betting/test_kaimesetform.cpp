// The default-stake dialog and the settings it keeps.

#include "betfixture.h"

#include "betting/forms/kaimesetform.h"
#include "controls/numedit.h"
#include "tests/support/fakes.h"
#include "tests/support/tempdir.h"
#include "tests/support/widgets.h"

#include <QCoreApplication>
#include <QPointer>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

class KaimeSetForm : public testsupport::BetDay {
protected:
    testsupport::FakeHost host;
};

TEST_F(KaimeSetForm, TheDefaultStakeIsStoredOnlyOnOk) {
    host.races = 2;
    day().gCurRace = 1;
    for (const char* typed : {"50", ""}) {
        QPointer<betting::TKaimeSetForm> form = new betting::TKaimeSetForm(context, day(), &host);
        EXPECT_EQ(form->AmountEdit()->GetTextAsInteger(), 3000);
        ASSERT_TRUE(context.settings.WriteInteger("KaimeSet", "DefaultAmount", 3000));
        form->AmountEdit()->SetText(typed);
        form->OkButton()->click();
        EXPECT_EQ(form->AmountEdit()->GetTextAsInteger(), 100);
        EXPECT_EQ(context.settings.ReadInteger("KaimeSet", "DefaultAmount", 0), 100);
        ASSERT_TRUE(context.settings.WriteInteger("KaimeSet", "DefaultAmount", 3000));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        delete form.data();
    }
    EXPECT_EQ(host.shown, (std::vector<int>{1, 1}));

    QPointer<betting::TKaimeSetForm> form = new betting::TKaimeSetForm(context, day(), &host);
    form->AmountEdit()->SetText("700");
    form->close(); // the window button
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(form.isNull()); // freed on close
    EXPECT_EQ(context.settings.ReadInteger("KaimeSet", "DefaultAmount", 0), 3000);
}

// What OK stores at both ends of the edit's range: at least 100, and six digits as typed.
TEST_F(KaimeSetForm, OkStoresAtLeast100AndUpToSixDigits) {
    const std::pair<const char*, int> cases[] = {
        {"0", 100},     {"99", 100},        {"100", 100},    {"101", 101},
        {"3050", 3050}, {"999999", 999999}, {"1000000", 100}};
    for (const auto& [typed, stored] : cases) {
        QPointer<betting::TKaimeSetForm> form = new betting::TKaimeSetForm(context, day(), &host);
        form->AmountEdit()->SetText(typed);
        form->OkButton()->click();
        EXPECT_EQ(context.settings.ReadInteger("KaimeSet", "DefaultAmount", 0), stored) << typed;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        delete form.data();
    }
}

} // namespace
