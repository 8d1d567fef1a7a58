// The window's side of the day load and of the race header, built over widgets of its own
// without the window.

#include "app/forms/dayloadhost.h"

#include "app/forms/prgrsform.h"
#include "app/forms/raceheaderview.h"
#include "controls/label3d.h"
#include "keiba/operations.h"
#include "raceday/raceheader.h"
#include "tests/raceday/dayfixture.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>

using namespace testsupport;

namespace {

class DayLoadViewTest : public DayFixture {
protected:
    DayLoadViewTest() {
        auto label = [this] { return new QLabel(&holder); };
        RaceHeaderView::Widgets& h = header.ui;
        h.Panel3 = new QFrame(&holder);
        for (QLabel** l : {&h.BashoLabel, &h.RaceLabel, &h.Label1, &h.Label2, &h.Label3, &h.Label4,
                           &h.Label6, &h.Label7, &h.TFWtimeLabel, &h.RLevelLabel, &h.RplsTouLabel,
                           &h.RmnsTouLabel, &h.RestTimeLabel})
            *l = label();
        h.Label3Dj1 = new controls::TLabel3Dj(&holder);
        h.Label3Dj2 = new controls::TLabel3Dj(&holder);
        h.Memo1 = new QPlainTextEdit(&holder);

        app::MainDayLoadView::Widgets& w = view.ui;
        w.DatList = new QListWidget(&holder);
        w.DateCombo = new QComboBox(&holder);
        w.StringGrid6 = new QWidget(&holder);
        w.PageControl3 = new QWidget(&holder);
        w.Panel8 = new QWidget(&holder);
        w.PageControl1 = new QWidget(&holder);
        for (std::size_t i = 0; i < 3; ++i) {
            w.BashoLabels[i] = label();
            w.BashoIdxs[i] = label();
        }
        w.searchRaceList = &searchRaces;
    }
    using RaceHeaderView = app::RaceHeaderView;

    static QStringList Items(const QListWidget& list) {
        QStringList out;
        for (int i = 0; i < list.count(); ++i) out << list.item(i)->text();
        return out;
    }

    QWidget holder;
    QListWidget searchRaces;
    keiba::OperationOwner operations;
    RaceHeaderView header;
    app::MainDayLoadView view{operations, header};
};

} // namespace

TEST_F(DayLoadViewTest, ALoadListsItsRacesTwiceAndADayThatFailsLeavesNothingOfIt) {
    WriteRaces("20261206",
               {Ra("20261206", "05", 1, 1, "1540"), Ra("20261206", "08", 1, 1, "1005")});
    WriteRunners("20261206", "東京", {Se("20261206", "05", 1, 1, "2020100001")});
    std::filesystem::create_directories(dir / "UMA/2020");
    clock.now = keiba::MakeLocalTime(2026, 12, 6, 9, 0);
    ASSERT_EQ(raceday::LoadDay(Day(), Stem("20261206"), view, host, context),
              raceday::DayLoadResult::Loaded);

    // Race 1 has a blank before its number.
    const QStringList races{QStringLiteral("東京 1R"), QStringLiteral("京都 1R")};
    EXPECT_EQ(Items(*view.ui.DatList), races);
    EXPECT_EQ(Items(searchRaces), races);
    const QStringList venues{view.ui.BashoLabels[0]->text(), view.ui.BashoLabels[1]->text(),
                             view.ui.BashoLabels[2]->text()};
    EXPECT_EQ(venues, (QStringList{QStringLiteral("05"), QStringLiteral("08"), QString()}));
    EXPECT_EQ(view.ui.BashoIdxs[1]->text(), QStringLiteral(" 1"));
    // Today's races count down to their post time.
    EXPECT_FALSE(header.ui.RestTimeLabel->isHidden());

    // A race of the day was shown; then a day without a race file is chosen.
    view.ui.PageControl1->show();
    header.ui.BashoLabel->setText(QStringLiteral("東京"));
    header.ui.Label3Dj1->SetCaption(QStringLiteral("コースレコード"));
    EXPECT_EQ(raceday::LoadDay(Day(), Stem("20261207"), view, host, context),
              raceday::DayLoadResult::NoRaceFile);
    EXPECT_EQ(view.ui.DatList->count(), 0);
    EXPECT_EQ(searchRaces.count(), 0);
    EXPECT_TRUE(view.ui.PageControl1->isHidden());
    EXPECT_TRUE(header.ui.BashoLabel->text().isEmpty());
    EXPECT_TRUE(header.ui.Label3Dj1->Caption().isEmpty());
}

// The runner a load reads is named in the record's own encoding.
TEST_F(DayLoadViewTest, TheProgressTextIsReadAsShiftJis) {
    app::TPrgrsForm progress;
    view.ui.progress = &progress;
    view.SetProgressText(keiba::Sj("ウマ１"));
    EXPECT_EQ(progress.StaticText1()->text(), QStringLiteral("ウマ１"));
}

// Every text of a selection's header in the label the window shows it in: each label a text of
// its own, so that one wired to a neighbour's text shows.
TEST_F(DayLoadViewTest, EachHeaderTextShowsInItsOwnLabel) {
    for (int i = 0; i < 3 * raceday::kLabel3DTriples; ++i)
        header.ui.gLabel3DTable.push_back(new controls::TLabel3Dj(&holder));
    for (int i = 0; i < 3 * raceday::kPayoutLabelTriples; ++i)
        header.ui.gPayoutLabels.push_back(new QLabel(&holder));
    raceday::RaceHeader h;
    h.basho = keiba::Sj("東京");
    h.race = "11";
    h.label1 = "L1";
    h.label2 = "L2";
    h.label3 = "L3";
    h.label4 = "L4";
    h.label6 = "L6";
    h.label7 = "L7";
    h.label3Dj1 = "J1";
    h.label3Dj2 = "J2";
    h.tfwTime = "14:55";
    h.rLevel = keiba::Sj("高＋");
    h.rPlus = " 3";
    h.rMinus = " 1";
    h.turf = false;
    h.commentLines = {"C1", "C2"};
    h.label3D.back() = {"18", " 7", "    1230"};
    h.payoutLabels.back() = {"18-17-16", "4896", " 1234560"};
    header.Show(h);

    const RaceHeaderView::Widgets& w = header.ui;
    const std::pair<QLabel*, const char*> labels[] = {
        {w.BashoLabel, "東京"},  {w.RaceLabel, "11"},    {w.Label1, "L1"},
        {w.Label2, "L2"},        {w.Label3, "L3"},       {w.Label4, "L4"},
        {w.Label6, "L6"},        {w.Label7, "L7"},       {w.TFWtimeLabel, "14:55"},
        {w.RLevelLabel, "高＋"}, {w.RplsTouLabel, " 3"}, {w.RmnsTouLabel, " 1"}};
    for (const auto& [label, text] : labels) EXPECT_EQ(label->text(), QString::fromUtf8(text));
    EXPECT_EQ(w.Label3Dj1->Caption(), QStringLiteral("J1"));
    EXPECT_EQ(w.Label3Dj2->Caption(), QStringLiteral("J2"));
    EXPECT_EQ(w.Panel3->palette().color(QPalette::Window), QColor(128, 0, 0));
    EXPECT_EQ(w.Memo1->toPlainText(), QStringLiteral("C1\nC2"));
    EXPECT_EQ(header.Title(), QStringLiteral("L1\r\nL2\r\nL3\r\nL4"));
    // The last triple of each table: the wide's seventh entry and the trifecta's sixth.
    EXPECT_EQ(w.gLabel3DTable[62]->Caption(), QStringLiteral("    1230"));
    EXPECT_EQ(w.gLabel3DTable[60]->Caption(), QStringLiteral("18"));
    EXPECT_EQ(w.gPayoutLabels[42]->text(), QStringLiteral("18-17-16"));
    EXPECT_EQ(w.gPayoutLabels[44]->text(), QStringLiteral(" 1234560"));
}
