// The main window's print commands on the sample folder: 印刷 and 出馬表印刷(&P) show the race
// cards in the print form, the print menu's items the other sheets.

#include "tests/app/mainfixture.h"
#include "tests/views/print/printfixture.h"
#include "views/print/allprintform.h"
#include "views/print/prevx.h"

#include "controls/speedbutton.h"

#include <QListWidget>

using namespace testsupport;
using views::print::TAllPrintForm;

namespace {

class MainPrintTest : public SampleTest {
protected:
    app::TMainForm& StartWithPrinter() {
        app::TMainForm& main = Start();
        auto fake = std::make_unique<views::print::FakePrinter>();
        printer = fake.get();
        main.SetPrinterForTest(std::move(fake));
        main.SetModalHookForTest([this](QDialog& d) {
            auto& form = static_cast<TAllPrintForm&>(d);
            captions.push_back(form.windowTitle());
            QStringList pages;
            for (int i = 0; i < form.CheckListBox1()->count(); ++i)
                pages << form.CheckListBox1()->item(i)->text();
            shown.push_back(pages);
            landscapeWhileShown = printer->Landscape();
            if (!shot.isEmpty()) SaveShot(form, shot.toUtf8().constData());
        });
        return main;
    }
    void Trigger(const char* action) {
        auto* a = Find<QAction>(action);
        ASSERT_NE(a, nullptr);
        a->trigger();
    }
    views::print::FakePrinter* printer = nullptr;
    std::vector<QString> captions;
    std::vector<QStringList> shown;
    bool landscapeWhileShown = false;
    QString shot;
};

TEST_F(MainPrintTest, RaceCardsFromTheButtonAndTheFileMenu) {
    StartWithPrinter();
    Find<controls::TLbSpeedButton>("PrintBtn")->Click();
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(notifier.messages.back(), "分析用ﾃﾞｰﾀを選択してください。");
    EXPECT_EQ(notifier.beeps, 1);

    ChooseDay(QStringLiteral("2026年11月28日"));
    shot = QStringLiteral("racecard-form.png");
    Find<controls::TLbSpeedButton>("PrintBtn")->Click();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(captions[0], Q("出馬表　印刷"));
    EXPECT_EQ(shown[0].size(), 36);
    EXPECT_EQ(shown[0].front(), Q("東京 1R"));
    EXPECT_EQ(shown[0].back(), Q("阪神12R"));

    shot.clear();
    EXPECT_EQ(Find<QAction>("FilePrintItem")->text(), Q("出馬表印刷(&P)"));
    Trigger("FilePrintItem");
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1], shown[0]);
}

TEST_F(MainPrintTest, ThePrintMenuHoldsTheOtherSheets) {
    StartWithPrinter();
    ChooseDay(QStringLiteral("2026年11月28日"));
    Trigger("N14");
    Trigger("N16");
    Trigger("N13");
    Trigger("N17");
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_EQ(captions[0], Q("指数一覧印刷"));
    EXPECT_EQ(shown[0], (QStringList{Q("東京"), Q("京都"), Q("阪神")}));
    EXPECT_EQ(captions[1], Q("成績結果リスト印刷"));
    EXPECT_EQ(shown[1].size(), 3);
    EXPECT_EQ(captions[2], Q("出馬表　印刷"));
    EXPECT_EQ(shown[2].size(), 36);
    EXPECT_EQ(captions[3], Q("過去成績表印刷"));
    EXPECT_EQ(shown[3].size(), 36);
    EXPECT_TRUE(landscapeWhileShown);
    EXPECT_FALSE(printer->Landscape());
    EXPECT_TRUE(notifier.messages.empty());
}

} // namespace
