// The main window with the parts it hosts, on the sample folder: the race cards and the bet tab
// after a race selection, the target slots and the R-horse search form, the data dialogs through
// the modal hook, and the fetch buttons and timers over a scripted JV-Link. What each part does
// on its own is its own tests' business; these check that the window hands it the right grids,
// lists and hosts.

#include "app/forms/userkaimeform.h"
#include "betting/forms/betpage.h"
#include "controls/speedbutton.h"
#include "jvdata/forms/fetchtimers.h"
#include "jvdata/forms/getdataform.h"
#include "jvdata/forms/ozgettimeform.h"
#include "search/forms/neraigaitoform.h"
#include "search/forms/neraislotpanel.h"
#include "search/forms/shutugenform.h"
#include "tests/app/mainfixture.h"
#include "tests/search/neraifixture.h"
#include "views/detailcard.h"
#include "views/gridsort.h"
#include "views/indexcard.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>

#include <algorithm>

using namespace testsupport;
namespace fs = std::filesystem;

namespace {

constexpr int kEightRunners = 9; // 東京10R of the sample's 2026年11月28日

class WiringTest : public SampleTest {
protected:
    // The sample's target folder is shared by every test: sets are saved in a folder of ours.
    void OwnTargetFolder() {
        fs::remove(dir / "nerai");
        fs::create_directory(dir / "nerai");
    }
    void ShowRace(int row) {
        ChooseDay(QStringLiteral("2026年11月28日"));
        Find<QListWidget>("DatList")->setCurrentRow(row);
        ASSERT_EQ(app::Day().gCurRace, row);
    }
    void Press(const char* button) {
        auto* b = Find<controls::TLbSpeedButton>(button);
        ASSERT_NE(b, nullptr) << button;
        b->Click();
    }
    std::vector<std::vector<std::string>> RtOpens() const {
        std::vector<std::vector<std::string>> out;
        for (const FakeJvLink::Call& c : lastJv->calls)
            if (c.method == "JVRTOpen") out.push_back(c.args);
        return out;
    }
    std::string RaceKey(int r) const {
        return std::string(app::Day().gDayRaces[static_cast<std::size_t>(r)].Field(12, 16));
    }
};

TEST_F(WiringTest, ARaceSelectionFillsBothCardsAndTheBetTab) {
    app::TMainForm& main = Start();
    ShowRace(kEightRunners);
    const app::TRaceDay& day = app::Day();

    views::TGridModel* card = Grid("StringGrid10")->Model();
    ASSERT_EQ(card->RowCount(), 9);
    for (int row = 1; row <= 8; ++row) {
        const jvdata::TJvSE& se = day.gDayHorses[kEightRunners][static_cast<std::size_t>(row - 1)];
        EXPECT_EQ(card->Cells(views::kCardNumber, row), QString::asprintf("%2d", row));
        EXPECT_EQ(card->PaintOf(views::kCardBracket, row).background,
                  views::BracketColor(se.Bracket()))
            << row;
        EXPECT_EQ(card->PaintOf(views::kCardNumber, row).background, views::InfoBackground());
    }
    // A selection leaves the heading sorts ready to sort ascending on the first press.
    const auto& dirs = views::GridSorts().gCardSortDir;
    EXPECT_TRUE(std::all_of(dirs.begin(), dirs.end(), [](std::uint8_t d) { return d == 1; }));

    // The detailed card paints its runner blocks from the shown race.
    views::TGridModel* detail = Grid("StringGrid2")->Model();
    ASSERT_EQ(detail->RowCount(), 9);
    EXPECT_EQ(detail->PaintOf(views::kDetailBracket, 1).background,
              views::BracketColor(day.gDayHorses[kEightRunners][0].Bracket()));
    EXPECT_FALSE(detail->PaintOf(views::kDetailName, 8).texts.empty());
    EXPECT_TRUE(detail->PaintOf(views::kDetailName, 0).texts.empty());

    // The bet tab's mark grid is the one the race card's fill writes, and its builder ran.
    betting::TBetPage* bets = main.BetPage();
    ASSERT_EQ(Grid("StringGrid1"), bets->MarkGrid());
    views::TGridModel* marks = bets->MarkGrid()->Model();
    ASSERT_EQ(marks->RowCount(), 9);
    EXPECT_EQ(marks->Cells(1, 8), QStringLiteral(" 8"));
    // An axis on runner 1 and partners on 2 and 3 in both legs give bets of every kind.
    for (int row = 1; row <= 8; ++row)
        for (int col = 8; col <= 11; ++col) marks->SetCells(col, row, QString());
    Q_EMIT bets->MarkGrid()->CellClicked(8, 1);
    for (int row : {2, 3}) {
        Q_EMIT bets->MarkGrid()->CellClicked(9, row);
        Q_EMIT bets->MarkGrid()->CellClicked(10, row);
    }
    EXPECT_EQ(bets->BetModel(betting::BetKind::Tan)->rowCount(), 2);
    EXPECT_EQ(bets->BetModel(betting::BetKind::Umaren)->rowCount(), 3);
    EXPECT_EQ(bets->BetModel(betting::BetKind::Sanrentan)->rowCount(), 7);
    // The race's stake is in the amount edit.
    EXPECT_EQ(bets->Tab().Amount(), day.RaceAmounts[kEightRunners]);
    EXPECT_TRUE(notifier.messages.empty());
}

TEST_F(WiringTest, ATargetSlotMarksTheRunnersAndTheHitListShowsThem) {
    OwnTargetFolder();
    ASSERT_TRUE(search::WriteNeraiFile("open", OpenSet()));
    app::TMainForm& main = Start();
    ShowRace(kEightRunners);

    int cardRepaints = 0, detailRepaints = 0;
    QObject::connect(Grid("StringGrid10")->Model(), &QAbstractItemModel::dataChanged, &main,
                     [&] { ++cardRepaints; });
    QObject::connect(Grid("StringGrid2")->Model(), &QAbstractItemModel::dataChanged, &main,
                     [&] { ++detailRepaints; });
    QComboBox* slot1 = Find<QComboBox>("NeraiCombo1");
    ASSERT_EQ(slot1->findText(QStringLiteral("open")), 0); // listed by the R-horse search form
    slot1->setCurrentIndex(0);
    Q_EMIT slot1->activated(0);

    const auto& calc = app::Day().gRaceCalc[kEightRunners];
    for (int h = 0; h < 8; ++h) EXPECT_EQ(calc.NeraiMatch[static_cast<std::size_t>(h)][0], 1);
    EXPECT_GE(cardRepaints, 1);
    EXPECT_GE(detailRepaints, 1);
    EXPECT_FALSE(Grid("StringGrid10")->isHidden());
    views::CellPaint name = Grid("StringGrid10")->Model()->PaintOf(views::kCardName, 3);
    ASSERT_EQ(name.boxes.size(), 1u);
    EXPECT_EQ(name.boxes[0].fill, views::TargetSlotColor(1));
    EXPECT_EQ(Grid("StringGrid10")->Model()->PaintOf(views::kCardNumber, 3).background,
              QColor(0xFF0000));

    // The hit list counts the runners of every listed race.
    QString count;
    int hitRows = 0;
    main.SetModalHookForTest([&](QDialog& d) {
        auto* gaito = qobject_cast<search::TNeraiGaitoForm*>(&d);
        ASSERT_NE(gaito, nullptr);
        count = gaito->NeraiLabels[0]->text();
        for (int row = 1; row < gaito->StringGrid8->Model()->RowCount(); ++row)
            if (!gaito->StringGrid8->Model()->Cells(0, row).isEmpty()) ++hitRows;
    });
    Find<QPushButton>("NeraiGaitoBtn")->click();
    EXPECT_GT(hitRows, 8);
    EXPECT_EQ(count.trimmed().toInt(), hitRows);
}

TEST_F(WiringTest, TheRHorseSearchFormSavesSetsIntoEveryList) {
    OwnTargetFolder();
    Start();
    Press("RSerchBtn");
    search::TShutugenForm* form = forms->ShutugenForm;
    ASSERT_TRUE(form->isVisible());
    ASSERT_NE(form->ConditionEditor(), nullptr);

    form->findChild<QLineEdit*>(QStringLiteral("NeraiEdit"))->setText(QStringLiteral("芝の穴"));
    form->findChild<QPushButton*>(QStringLiteral("NeraiSaveBtn"))->click();
    EXPECT_TRUE(fs::exists(dir / "nerai" / "芝の穴.nri"));
    for (int k = 1; k <= 4; ++k)
        EXPECT_EQ(Main().NeraiSlots()->NeraiCombo(k)->findText(QStringLiteral("芝の穴")), 0) << k;
    for (int u = 1; u <= 3; ++u)
        EXPECT_EQ(forms->UserKaimeForm->NeraiKaimeCombo(u)->findText(QStringLiteral("芝の穴")), 0)
            << u;
    // A drop-down shows nothing until a set is chosen.
    EXPECT_EQ(forms->UserKaimeForm->NeraiKaimeCombo(1)->currentIndex(), -1);
}

TEST_F(WiringTest, TheDataDialogsOpenThroughTheHookWithoutBlocking) {
    forms = app::StartApplication([this] { return jvdata::CreateReplayJvLink(dir / "feed"); });
    ASSERT_TRUE(forms);
    app::TMainForm& main = Main();
    ShowRace(0);
    const int days = Find<QComboBox>("DateCombo")->count();

    QStringList shown;
    main.SetModalHookForTest([&](QDialog& d) {
        shown << d.objectName() + QLatin1Char(':') + d.windowTitle();
        if (qobject_cast<jvforms::TGetDataForm*>(&d)) {
            EXPECT_NE(d.findChild<controls::TLbSpeedButton*>(QStringLiteral("ButtonStart")),
                      nullptr);
        }
        if (auto* times = qobject_cast<jvforms::TOzGetTimeForm*>(&d)) {
            EXPECT_EQ(times->SpinEdit1->value(), 10);
        }
        d.reject();
    });
    Press("JVBtn");
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0], QStringLiteral("GetDataForm:ＪＶデータ取込"));
    // Closed: the race list is emptied, the pages hidden and the days listed again.
    EXPECT_EQ(Find<QListWidget>("DatList")->count(), 0);
    EXPECT_TRUE(Find<QTabWidget>("PageControl1")->isHidden());
    EXPECT_EQ(Find<QComboBox>("DateCombo")->count(), days);
    EXPECT_EQ(Find<QComboBox>("DateCombo")->currentIndex(), -1);

    Find<QAction>("N8")->trigger();
    Find<QAction>("N18")->trigger();
    EXPECT_EQ(shown.mid(1), (QStringList{QStringLiteral("OzGetTimeForm:データﾞ自動取得時刻指定"),
                                         QStringLiteral("KaimeSetForm:買い目設定")}));
    EXPECT_TRUE(notifier.messages.empty());
}

TEST_F(WiringTest, FetchButtonsGoThroughTheJvLinkAndShowTheRaceAgain) {
    Start();
    ShowRace(10);
    const std::string key = RaceKey(10);
    lastJv->rtOpenResults["0B30/" + key] = 0;
    lastJv->calls.clear();
    Press("SokuhoOddsBtn");
    EXPECT_EQ(RtOpens(), (std::vector<std::vector<std::string>>{{"0B30", key}}));
    EXPECT_EQ(app::Day().gOddsRaceIndex, 10);
    EXPECT_EQ(Find<QLabel>("DLlabel")->text(), QString());

    // A failed results fetch: the label is cleared at the end, the error log keeps the line.
    Press("KekkaGetBtn");
    EXPECT_EQ(RtOpens().back(), (std::vector<std::string>{"0B12", key.substr(0, 8)}));
    ASSERT_FALSE(Main().ErrorLog.empty());
    EXPECT_TRUE(Main().ErrorLog.back().starts_with("【エラー】"));
    std::string log = Slurp(dir / "ErrorLog.txt");
    EXPECT_NE(log.find(keiba::Utf8ToCp932(Main().ErrorLog.back()) + "\r\n"), std::string::npos);

    Find<QPushButton>("GetDMBtn")->click();
    EXPECT_EQ(RtOpens().back()[0], "0B13");
    Main().WorkList = {RaceKey(3) + " 3"};
    Find<QPushButton>("OzGetLoopBtn")->click();
    EXPECT_EQ(RtOpens().back(), (std::vector<std::string>{"0B30", RaceKey(3)}));
    EXPECT_EQ(app::Day().gOddsRaceIndex, 3);
    EXPECT_EQ(app::Day().gCurRace, 10); // the loop showed nothing but the selected race

    // Nothing starts while a fetch runs, and the date combo keeps the loaded day.
    const std::size_t calls = lastJv->calls.size();
    fetch::Flags().gFetchBusy = true;
    Press("SokuhoOddsBtn");
    ChooseDay(QStringLiteral("2026年11月29日"));
    Find<QListWidget>("DatList")->setCurrentRow(2);
    fetch::Flags().gFetchBusy = false;
    EXPECT_EQ(lastJv->calls.size(), calls);
    EXPECT_EQ(Find<QComboBox>("DateCombo")->currentText(), QStringLiteral("2026年11月28日"));
    EXPECT_EQ(app::Day().gCurRace, 10);

    // The next race to post, at 12:00 on the day.
    clock.now = keiba::MakeLocalTime(2026, 11, 28, 12, 0);
    Press("NextRaceBtn");
    const int next = Find<QListWidget>("DatList")->currentRow();
    EXPECT_EQ(app::Day().gCurRace, next);
    EXPECT_GT(app::Day().gDayRaces[static_cast<std::size_t>(next)].PostTime(), "1200");

    // The whole day's odds: one quick-odds fetch per listed race.
    lastJv->calls.clear();
    Find<QAction>("N1O1")->trigger();
    EXPECT_EQ(RtOpens().size(), 36u);
    EXPECT_EQ(RtOpens().back(), (std::vector<std::string>{"0B30", RaceKey(35)}));
}

TEST_F(WiringTest, TimersFollowTheBoxAndTheClock) {
    clock.now = keiba::MakeLocalTime(2026, 11, 28, 9, 0);
    app::TMainForm& main = Start();
    ChooseDay(QStringLiteral("2026年11月28日"));
    jvforms::TFetchTimers* timers = main.FetchTimers();
    auto* autoOz = Find<QCheckBox>("AutoOzCheck");
    // The day load ticked the box; its checks passed once, silently.
    EXPECT_TRUE(autoOz->isChecked());
    EXPECT_TRUE(timers->Timer1->isActive());
    EXPECT_TRUE(timers->Timer4->isActive());
    EXPECT_TRUE(notifier.messages.empty());
    autoOz->click();
    EXPECT_FALSE(timers->Timer1->isActive());

    // The clock and the time to post tick on their own.
    QElapsedTimer wait;
    wait.start();
    auto* now = Find<QLabel>("NowTimLabel");
    auto* rest = Find<QLabel>("RestTimeLabel");
    while ((now->text().isEmpty() || rest->text().isEmpty()) && wait.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_EQ(now->text(), QStringLiteral("09時00分00秒"));
    EXPECT_EQ(rest->text(), QStringLiteral("発走までの残り時間：00:50:00")); // 東京1R, 09:50

    // Tomorrow's day before 18:00: the box refuses.
    ChooseDay(QStringLiteral("2026年11月29日"));
    EXPECT_FALSE(timers->Timer4->isActive());
    autoOz->click();
    EXPECT_FALSE(autoOz->isChecked());
    EXPECT_EQ(notifier.messages,
              std::vector<std::string>{"翌日のﾃﾞｰﾀは１８時過ぎに読み込んでください。"});
}

// A day load arms the odds timer through the box and runs its checks once: a failing check is
// said once and leaves the box unticked.
TEST_F(MainFormTest, TheDayLoadRunsTheOddsChecksOnce) {
    fs::create_directories(dir / "Data");
    std::string early = Ra("20261128", "05", 1, 2);
    early[2] = '1'; // the early entry list
    WriteBytes(dir / "Data" / "2026年11月28日.jvRA", early);
    clock.now = keiba::MakeLocalTime(2026, 11, 28, 9, 0);
    app::TMainForm& main = Start();
    auto* combo = Find<QComboBox>("DateCombo");
    combo->setCurrentIndex(0);
    Q_EMIT combo->activated(0);
    EXPECT_EQ(notifier.messages,
              (std::vector<std::string>{"出走表データが最新でありません。JVデータ取得ボタンよりデー"
                                        "タを取得してからオッズを取得してください。",
                                        "1レースはデータが不十分です。"}));
    EXPECT_FALSE(Find<QCheckBox>("AutoOzCheck")->isChecked());
    EXPECT_FALSE(main.FetchTimers()->Timer1->isActive());
    EXPECT_TRUE(main.FetchTimers()->Timer4->isActive());
}

// Each race page grabbed offscreen: the PNGs are kept under the build folder to be looked at.
TEST_F(WiringTest, EveryRacePageIsDrawnFilled) {
    app::TMainForm& main = Start();
    main.resize(1280, 800);
    main.show();
    ShowRace(10);
    auto* pages = Find<QTabWidget>("PageControl1");
    const char* files[] = {"wiring-card.png", "wiring-detail.png", "wiring-result.png",
                           "wiring-bet.png"};
    for (int page = 0; page < 4; ++page) {
        pages->setCurrentIndex(page);
        QApplication::processEvents();
        QPixmap shot = main.grab();
        ASSERT_FALSE(shot.isNull());
        EXPECT_TRUE(shot.save(QString::fromLatin1(files[page])));
    }

    // The bracket cell of the first runner of each card is filled with its bracket colour.
    const int bracket = app::Day().gDayHorses[10][0].Bracket();
    for (const char* name : {"StringGrid10", "StringGrid2"}) {
        views::TStringGrid* g = Grid(name);
        pages->setCurrentWidget(g->parentWidget()->parentWidget());
        QApplication::processEvents();
        QImage image = g->grab().toImage();
        const QRect cell = g->visualRect(g->model()->index(1, 0));
        EXPECT_EQ(QColor(image.pixel(cell.center() + QPoint(0, cell.height() / 2 - 2))),
                  views::BracketColor(bracket))
            << name;
    }
    // The bet tab shows built rows.
    pages->setCurrentIndex(3);
    betting::TBetPage* bets = main.BetPage();
    EXPECT_GT(bets->BetModel(betting::BetKind::Tan)->rowCount(), 1);
}

} // namespace
