#include "views/cardlist.h"

#include "views/indexcard.h"

#include "tests/support/modelchecks.h"
#include "tests/views/viewsfixture.h"

#include <gtest/gtest.h>

using testsupport::App;
using testsupport::Q;

namespace {

class CardList : public testsupport::RaceDayTest {
protected:
    void SetUp() override {
        App();
        checks.Watch(grid.Model());
        grid.Model()->SetColCount(views::kListColumns);
        grid.Model()->SetRowCount(4);
        views::SetupCardList(grid);
        views::AttachCardList(grid, Day(), [this] { return listEmpty; });
        FreshRace(3);
    }
    jvdata::TJvSE& Se(int h) { return Day().gDayHorses[0][static_cast<std::size_t>(h)]; }
    views::CellPaint Paint(int col, int row = 1) const { return grid.Model()->PaintOf(col, row); }
    // The placed texts of a cell, in the order painted.
    std::vector<QString> Texts(int col, int row = 1) const {
        std::vector<QString> out;
        for (const views::PlacedText& t : Paint(col, row).texts) out.push_back(t.text);
        return out;
    }
    views::StringGrid grid;
    testsupport::ModelChecks checks;
    bool listEmpty = false;
};

using V = std::vector<QString>;

} // namespace

TEST_F(CardList, BracketAndNumberCells) {
    Se(0).SetField(28, 1, "5");
    Se(1).SetField(28, 1, "3");
    Se(2).SetField(28, 1, "0");
    Day().gRaceCalc[0].Tracked[1] = 1;

    views::CellPaint five = Paint(views::kListBracket, 1);
    EXPECT_EQ(five.background, QColor(0xFFFF00));
    ASSERT_EQ(five.texts.size(), 1u);
    EXPECT_EQ(five.texts[0].text, QStringLiteral("5"));
    EXPECT_EQ(five.texts[0].color, QColor(Qt::black));
    EXPECT_EQ(five.texts[0].pointSize, 10);
    EXPECT_TRUE(five.texts[0].bold);
    EXPECT_EQ(QPoint(five.texts[0].x, five.texts[0].y), QPoint(6, 2));
    views::CellPaint three = Paint(views::kListBracket, 2);
    EXPECT_EQ(three.background, QColor(0xFF0000));
    EXPECT_EQ(three.texts[0].color, QColor(0xFFFFFF));
    // A bracket outside 1..8 keeps the cells' white; none (a runner lost to damage) shows none.
    EXPECT_EQ(Paint(views::kListBracket, 3).background, QColor(0xFFFFFF));
    EXPECT_EQ(Texts(views::kListBracket, 3), V{QStringLiteral(" ")});

    EXPECT_EQ(Paint(views::kListNumber, 1).background, views::InfoBackground());
    EXPECT_EQ(Paint(views::kListNumber, 2).background, QColor(0xFF0000));
    EXPECT_EQ(Texts(views::kListNumber, 2), V{QStringLiteral(" 2")});
    // A runner lost to damage (no horse number) shows nothing of its record.
    Se(2).SetField(29, 2, "  ");
    for (int col = 0; col < views::kListColumns; ++col) EXPECT_EQ(Texts(col, 3), V{}) << col;
}

TEST_F(CardList, ResultsInTheirRankColours) {
    Se(0).SetField(333, 2, "01");
    Se(0).SetField(335, 2, "01");
    Se(0).SetField(364, 2, "01");
    Se(0).SetField(360, 4, "0123");
    Se(1).SetField(333, 2, "03"); // arrived third, placed second
    Se(1).SetField(335, 2, "02");
    Se(2).SetField(333, 2, "00"); // no result yet

    views::CellPaint winner = Paint(views::kListOrder, 1);
    ASSERT_EQ(winner.texts.size(), 2u);
    EXPECT_EQ(winner.texts[0].text, QStringLiteral("入: 1"));
    EXPECT_EQ(winner.texts[1].text, QStringLiteral("確: 1"));
    for (const views::PlacedText& t : winner.texts) {
        EXPECT_EQ(t.color, QColor(0xFF0000));
        EXPECT_TRUE(t.bold);
    }
    EXPECT_GT(winner.texts[1].y, winner.texts[0].y);
    views::CellPaint second = Paint(views::kListOrder, 2);
    EXPECT_EQ(second.texts[0].color, QColor(0x0000FF));
    EXPECT_EQ(second.texts[0].text, QStringLiteral("入: 3"));
    EXPECT_EQ(Texts(views::kListOrder, 3), (V{QStringLiteral(" "), QStringLiteral(" ")}));
    EXPECT_EQ(Paint(views::kListOrder, 3).texts[0].color, QColor(Qt::black));

    EXPECT_EQ(Texts(views::kListPopularity, 1),
              (V{QStringLiteral("人気:   1"), QStringLiteral("ｵｯｽﾞ: 12.3")}));
    EXPECT_EQ(Paint(views::kListPopularity, 1).texts[0].color, QColor(0xFF0000));
    EXPECT_EQ(Texts(views::kListPopularity, 2), (V{QStringLiteral(" "), QStringLiteral(" ")}));
}

TEST_F(CardList, CornersAndTheLastFurlongs) {
    Se(0).SetField(352, 8, "030201  ");
    const views::CellPaint corners = Paint(views::kListCorners, 1);
    V texts;
    std::vector<int> xs;
    for (const views::PlacedText& t : corners.texts) {
        texts.push_back(t.text);
        xs.push_back(t.x);
    }
    // A dash follows each of the first three corners that has a position; the fourth has none.
    EXPECT_EQ(texts, (V{QStringLiteral(" 3"), QStringLiteral("-"), QStringLiteral(" 2"),
                        QStringLiteral("-"), QStringLiteral(" 1"), QStringLiteral("-"),
                        QStringLiteral("  ")}));
    EXPECT_EQ(xs, (std::vector<int>{1, 14, 19, 32, 37, 50, 55}));
    EXPECT_EQ(corners.texts[0].color, QColor(0x0000FF));
    EXPECT_EQ(corners.texts[4].color, QColor(0xFF0000));
    EXPECT_EQ(corners.texts[1].color, QColor(Qt::black));

    Se(0).SetField(391, 3, "123");
    Day().gDayRaces[0].SetField(706, 2, "51"); // a jump race
    EXPECT_EQ(Texts(views::kList3F), V{QStringLiteral("1F= 12.3")});
    EXPECT_GT(Paint(views::kList3F).texts[0].y, 1); // on the second line
    Day().gDayRaces[0].SetField(706, 2, "17");
    EXPECT_EQ(Texts(views::kList3F), (V{QStringLiteral(" "), QStringLiteral("後= 12.3")}));
    Day().gRaceCalc[0].HorseValue[0] = 123;
    Se(0).SetField(391, 3, "999");
    EXPECT_EQ(Texts(views::kList3F), (V{QStringLiteral("前= 12.3"), QStringLiteral(" ")}));
}

TEST_F(CardList, NamesTimesAndPrizes) {
    Se(0).SetField(41, 36, keiba::Sj("　ウマ　１ "));
    Se(0).SetField(307, 8, keiba::Sj("騎手"));
    Se(0).SetField(289, 3, "560");
    Se(0).SetField(339, 4, "1345");
    Se(0).SetField(532, 4, "+005");
    Se(0).SetField(366, 8, "00012340");
    const views::CellPaint name = Paint(views::kListName);
    ASSERT_GE(name.texts.size(), 3u);
    EXPECT_EQ(name.texts[0].text, QStringLiteral("ウマ１"));
    EXPECT_EQ(name.texts[2].text, QStringLiteral("騎手     56.0kg"));
    EXPECT_EQ(name.texts[2].x, 10);
    EXPECT_EQ(Texts(views::kListTime), (V{QStringLiteral("1.34.5"), QStringLiteral("+ 0.5")}));
    EXPECT_EQ(Texts(views::kListTime, 2), (V{QStringLiteral("      "), QStringLiteral("      ")}));
    EXPECT_EQ(Texts(views::kListPrize), (V{QStringLiteral(" 1234.0千円"), QString()}));
}

TEST_F(CardList, TheTextTheSelectionWroteIsCoveredAndNothingPaintsWithoutRaces) {
    grid.Model()->SetCells(1, 1, QStringLiteral(" 1"));
    const views::CellPaint p = Paint(views::kListNumber);
    ASSERT_EQ(p.runs.size(), 1u);
    EXPECT_TRUE(p.runs[0].text.isEmpty());

    EXPECT_TRUE(Paint(views::kListName, 0).texts.empty()); // the heading row draws itself
    listEmpty = true;
    EXPECT_TRUE(Paint(views::kListName, 1).texts.empty());
    EXPECT_TRUE(Paint(views::kListName, 1).runs.empty());
}
