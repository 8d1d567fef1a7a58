// The race card form: the cells it draws from the race's runner and analysis records (its grid
// model under Qt's model tester), the captions it is given, the selection it lets go of, and its
// bounds.

#include "views/forms/desplform.h"

#include "controls/label3d.h"
#include "keiba/context.h"
#include "keiba/sjis.h"
#include "tests/support/fakes.h"
#include "tests/support/tempdir.h"
#include "tests/support/widgets.h"

#include <QAbstractItemModelTester>

#include <gtest/gtest.h>

using keiba::Sj;
using testsupport::Q;

namespace {

class DeSplFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        form = std::make_unique<views::TDeSplForm>(context);
        // Three runners: brackets 2, 5 and 0 (none); runner 1 won.
        race.runners = 3;
        const char* brackets[] = {"2", "5", "0"};
        for (int h = 0; h < 3; ++h) {
            jvdata::TJvSE& se = race.horses[static_cast<std::size_t>(h)];
            se.SetField(28, 1, brackets[h]);
            se.SetField(29, 2, "0" + std::to_string(h + 1));
            se.SetField(79, 1, "1");
            se.SetField(83, 2, "04");
            se.SetField(289, 3, "570");
            se.SetField(307, 8, Sj("武豊    "));
            se.SetField(335, 2, h == 0 ? "01" : "00");
            se.SetField(360, 4, "0035");
        }
        race.horses[0].SetField(41, 36, Sj("アイウエオカキクケコサシ")); // 24 bytes
        jvdata::TAnalysisRecord& a = race.analysis[0];
        a.SetField(227 + 28, 1, "1");  // R+
        a.SetField(227 + 18, 2, "03"); // R order
        a.SetField(227 + 29, 2, "01"); // ◎
        a.SetField(227 + 31, 1, "4");  // 昇続増
        a.SetField(197, 1, "7");       // past run 1: 高★ R-
        a.SetField(198, 1, "2");
        a.SetField(227 + 49, 2, "SA");
        race.selBamei = Sj("①アイウエオ");
        race.t1 = Sj("2024年11月24日東京05回08日11R");
        race.rLevel = Sj("高＋");
        race.rPlus = " 2";
        tester = std::make_unique<QAbstractItemModelTester>(
            form->Grid()->Model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
        form->ShowRace(race);
    }
    void TearDown() override {
        tester.reset();
        form.reset();
    }
    views::CellPaint Paint(int col, int row) const {
        return form->Grid()->Model()->PaintOf(col, row);
    }
    // The placed text of a cell that reads `text`, or a blank one.
    static views::PlacedText Text(const views::CellPaint& p, const QString& text) {
        for (const views::PlacedText& t : p.texts)
            if (t.text == text) return t;
        ADD_FAILURE() << "no text " << text.toStdString();
        return {};
    }
    testsupport::TempDir dir;
    testsupport::RecordingNotifier notifier;
    testsupport::TestClock clock;
    testsupport::RecordingShell shell;
    keiba::ProgramContext context{dir.path(), notifier, clock, shell};
    std::unique_ptr<views::TDeSplForm> form;
    std::unique_ptr<QAbstractItemModelTester> tester;
    raceday::RCardRace race;
};

} // namespace

TEST_F(DeSplFormTest, BracketsFinishesAndNamesAsTheCardShowsThem) {
    EXPECT_EQ(form->Grid()->Model()->RowCount(), 4);
    EXPECT_EQ(form->windowTitle(), QStringLiteral("出馬表"));
    EXPECT_TRUE(form->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(form->isModal());

    views::CellPaint grey = Paint(0, 1);
    EXPECT_EQ(grey.background, QColor(128, 128, 128));
    EXPECT_EQ(Text(grey, QStringLiteral("2")).color, QColor(Qt::white));
    views::CellPaint yellow = Paint(0, 2);
    EXPECT_EQ(yellow.background, QColor(255, 255, 0));
    EXPECT_EQ(Text(yellow, QStringLiteral("5")).color, QColor(Qt::black));
    EXPECT_EQ(Paint(0, 3).background, QColor(Qt::white)); // no bracket: white, and no "0"
    EXPECT_TRUE(Paint(0, 3).texts.empty());

    views::CellPaint name = Paint(2, 1);
    EXPECT_EQ(Text(name, QStringLiteral("アイウエオカキクケ")).pointSize, 10);
    views::PlacedText finish = Text(name, QStringLiteral(" 1着"));
    EXPECT_EQ(finish.color, QColor(Qt::red));
    EXPECT_TRUE(finish.bold);
    EXPECT_TRUE(finish.fromRight);
    EXPECT_EQ(finish.x, 55);
    Text(name, QStringLiteral("  3.5"));
    Text(name, QStringLiteral("武豊      57.0"));
    Text(Paint(2, 2), QStringLiteral(" ")); // not run yet: no finish

    EXPECT_EQ(Text(Paint(1, 2), QStringLiteral(" 2")).pointSize, 10);
    EXPECT_EQ(Text(Paint(5, 1), QStringLiteral("R+")).color, QColor(Qt::red));
    Text(Paint(5, 1), QStringLiteral(" 3"));
    Text(Paint(4, 1), QStringLiteral("◎"));
    Text(Paint(7, 1), QStringLiteral("高★"));
    EXPECT_EQ(Text(Paint(7, 1), QStringLiteral("R-")).color, QColor(Qt::black));
    Text(Paint(10, 1), QStringLiteral("昇続"));
    Text(Paint(10, 1), QStringLiteral("増"));
    Text(Paint(3, 1), QStringLiteral("S"));
    Text(Paint(3, 1), QStringLiteral("A"));
    Text(Paint(7, 0), QStringLiteral("1走前"));
}

TEST_F(DeSplFormTest, ABlankAnalysisRecordPaintsItsBlankTexts) {
    for (int col = 3; col < views::kDeSplColumns; ++col)
        EXPECT_EQ(Paint(col, 2).background, QColor(Qt::white)) << col;
    Text(Paint(5, 2), QStringLiteral("  ")); // RUmaToText of nothing
    Text(Paint(11, 2), QStringLiteral("　"));
    EXPECT_EQ(Paint(0, 4).texts.size(), 0u); // beyond the runners
}

// A runner lost to damage shows nothing of its record, whatever its slot still holds.
TEST_F(DeSplFormTest, ALostRunnerIsBlank) {
    race.horses[1].Clear();
    race.horses[1].SetField(335, 2, "03"); // a finish the results re-read put in its slot
    form->ShowRace(race);
    for (int col : {0, 1, 2})
        for (const views::PlacedText& t : Paint(col, 2).texts)
            EXPECT_TRUE(t.text.trimmed().isEmpty()) << col << " " << t.text.toStdString();
}

TEST_F(DeSplFormTest, CaptionsSelectionAndBounds) {
    auto caption = [&](const char* name) {
        return testsupport::Find<controls::TLabel3Dj>(*form, name)->Caption();
    };
    EXPECT_EQ(caption("SelBameiLabel"), QStringLiteral("①アイウエオ"));
    EXPECT_EQ(caption("T1Label"), QStringLiteral("2024年11月24日東京05回08日11R"));
    EXPECT_EQ(caption("RLevelLabel"), QStringLiteral("高＋"));
    EXPECT_EQ(caption("RplsTouLabel"), QStringLiteral(" 2"));

    form->Grid()->selectRow(2);
    form->StringGrid6MouseUp();
    EXPECT_FALSE(form->Grid()->selectionModel()->hasSelection());

    EXPECT_EQ(form->geometry(), QRect(200, 10, 680, 560));
    form->setGeometry(40, 50, 600, 500);
    ASSERT_TRUE(form->SaveBounds()); // as its owner does at the quit
    tester.reset();
    form.reset();
    keiba::TIniGT& ini = context.settings;
    EXPECT_EQ(ini.ReadInteger("locateDeSplForm", "left", 0), 40);
    EXPECT_EQ(ini.ReadInteger("locateDeSplForm", "height", 0), 500);
    form = std::make_unique<views::TDeSplForm>(context);
    EXPECT_EQ(form->geometry(), QRect(40, 50, 600, 500));
}
