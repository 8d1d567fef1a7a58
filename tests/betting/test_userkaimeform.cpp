#include "betting/forms/userkaimeform.h"

#include "betfixture.h"
#include "betting/forms/betpage.h"
#include "search/nerairecord.h"
#include "tests/search/neraifixture.h"
#include "tests/support/fakes.h"
#include "tests/support/tempdir.h"
#include "tests/support/widgets.h"
#include "views/grid.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;
using testsupport::Q;

// The R code of this run in an analysis record (1-based).
constexpr std::size_t kRCodePos =
    jvdata::TAnalysisRecord::kThisRunPos + jvdata::TAnalysisRun::kRCode.pos - 1;

// A race of five runners that every open set passes; runners 2 and 4 are R+ in this run.
class UserKaimeFormTest : public testsupport::BetDay {
protected:
    void SetUp() override {
        BetDay::SetUp();
        testsupport::RunnerData data;
        day().gDayRaces[0] = data.race;
        SetRace(5);
        day().gDayRaceCount = 1;
        for (int h : {1, 3})
            day().gDayHorseAnalysis[0][static_cast<std::size_t>(h)].SetField(kRCodePos, 1, "1");
        search::TNeraiRecord rPlus = testsupport::OpenSet();
        testsupport::Put(rPlus, 0, search::kRUmaFlags, "100");
        ASSERT_TRUE(search::WriteNeraiFile(dir.path(), "X", rPlus));
        ASSERT_TRUE(search::WriteNeraiFile(dir.path(), "Y", testsupport::OpenSet()));
        ASSERT_TRUE(search::WriteNeraiFile(dir.path(), "Z", testsupport::OpenSet()));
    }
    void TearDown() override { form.reset(); }
    betting::TUserKaimeForm& Open() {
        form = std::make_unique<betting::TUserKaimeForm>(context, day());
        return *form;
    }
    // Chooses `name` in combo u as a person does.
    void Choose(int u, const char* name) {
        QComboBox* combo = form->NeraiKaimeCombo(u);
        const int i = combo->findText(Q(name));
        ASSERT_GE(i, 0) << name;
        combo->setCurrentIndex(i);
        Q_EMIT combo->activated(i);
    }
    void ChooseSetting(const char* name) {
        QComboBox* combo = form->SelComboBox();
        const int i = combo->findText(Q(name));
        ASSERT_GE(i, 0) << name;
        combo->setCurrentIndex(i);
        Q_EMIT combo->activated(i);
    }
    void Store(const char* name) {
        form->NameEdit()->setText(Q(name));
        testsupport::Find<QPushButton>(*form, "BitBtn2")->click();
    }
    std::string File() const { return testsupport::Slurp(dir / "UserSet.usd"); }
    // The runners (horse numbers) flagged for set u.
    std::vector<int> Flagged(int u) {
        std::vector<int> out;
        for (std::size_t h = 0; h < raceday::kMaxRunners; ++h)
            if (calc().UserNeraiMatch[h][static_cast<std::size_t>(u - 1)])
                out.push_back(static_cast<int>(h) + 1);
        return out;
    }
    std::string Favo(int u) {
        return context.settings.ReadString("MyfavoKai", "nerai" + std::to_string(u), "(none)");
    }

    std::unique_ptr<betting::TUserKaimeForm> form;
};

using Ints = std::vector<int>;

} // namespace

TEST_F(UserKaimeFormTest, AChosenSetFlagsItsRunnersAndTheBetTabsUserModeMarksThem) {
    Open();
    EXPECT_EQ(form->windowTitle(), QStringLiteral("ユーザー買い目設定"));
    ASSERT_EQ(form->NeraiKaimeCombo(1)->count(), 3);
    Choose(1, "X");
    EXPECT_EQ(Favo(1), "X");
    EXPECT_EQ(Flagged(1), (Ints{2, 4}));
    Choose(2, "Y");
    EXPECT_EQ(Flagged(2), (Ints{1, 2, 3, 4, 5}));
    EXPECT_EQ(Flagged(1), (Ints{2, 4})); // the axis set stays as it was
    EXPECT_EQ(Flagged(3), Ints{});

    testsupport::FakeHost host;
    betting::BetPage page(context, day(), host);
    page.MarkGrid()->Model()->SetRowCount(6);
    testsupport::Find<QRadioButton>(page, "RadioGroup2Item1")->click(); // ユーザー
    auto mark = [&](int col, int row) { return page.MarkGrid()->Model()->Cells(col, row); };
    for (int row = 1; row <= 5; ++row) {
        EXPECT_EQ(mark(8, row), row == 2 || row == 4 ? QStringLiteral("◎") : QString()) << row;
        EXPECT_EQ(mark(9, row), QStringLiteral("▲")) << row;
        EXPECT_EQ(mark(10, row), QString()) << row;
    }

    // A set whose file went away loads nothing: the combo shows again the set it holds.
    fs::remove(dir / "nerai" / "Z.nri");
    Choose(1, "Z");
    EXPECT_EQ(form->NeraiKaimeCombo(1)->currentText(), QStringLiteral("X"));
    EXPECT_EQ(Favo(1), "X");
    EXPECT_EQ(Flagged(1), (Ints{2, 4}));
}

TEST_F(UserKaimeFormTest, StoringAddsOrReplacesAndSelectsTheStoredSetting) {
    Open();
    Choose(1, "X");
    Choose(2, "Y");
    Choose(3, "Z");
    Store("A");
    EXPECT_EQ(File(), "\"A\",\"X\",\"Y\",\"Z\"\r\n");
    EXPECT_EQ(notifier.messages.back(), "設定[A]を保存しました。");
    Store("B");
    EXPECT_EQ(form->SelComboBox()->currentIndex(), 1);

    // The same name with blanks around it: asked, and replaced where it stands.
    Choose(1, "Z");
    notifier.answers = {false};
    Store(" A ");
    EXPECT_EQ(notifier.questions.back(), "[A]はすでに登録済みの名称です。上書きしますか?");
    EXPECT_EQ(File(), "\"A\",\"X\",\"Y\",\"Z\"\r\n\"B\",\"X\",\"Y\",\"Z\"\r\n");
    notifier.answers = {true};
    Store(" A ");
    EXPECT_EQ(File(), "\"A\",\"Z\",\"Y\",\"Z\"\r\n\"B\",\"X\",\"Y\",\"Z\"\r\n");
    EXPECT_EQ(notifier.messages.back(), "設定[A]を上書保存しました。");
    EXPECT_EQ(form->SelComboBox()->currentIndex(), 0);
    EXPECT_EQ(form->SelComboBox()->count(), 2);
    EXPECT_EQ(context.settings.ReadInteger("UserSetting", "SetID", -1), 0);

    // A quote in a name is doubled so that the line still reads back whole.
    Store("q\"t");
    EXPECT_TRUE(File().ends_with("\"q\"\"t\",\"Z\",\"Y\",\"Z\"\r\n"));
    EXPECT_EQ(form->SelComboBox()->currentText(), QStringLiteral("q\"t"));

    // The file gives a name typed with 〜 back with ～: typed again, it names the same setting.
    Store("本命〜");
    notifier.answers = {false};
    Store("本命〜");
    EXPECT_EQ(notifier.questions.back(), "[本命～]はすでに登録済みの名称です。上書きしますか?");
}

TEST_F(UserKaimeFormTest, StoringRefusesAnIncompleteSetting) {
    Open();
    Store("A");
    EXPECT_EQ(notifier.beeps, 1);
    EXPECT_EQ(notifier.messages.back(), "軸馬が選択されていません。");
    Choose(1, "X");
    Store("A");
    EXPECT_EQ(notifier.messages.back(), "紐１が選択されていません。");
    Choose(2, "X");
    Store("A");
    EXPECT_EQ(notifier.messages.back(), "紐２が選択されていません。");
    EXPECT_EQ(notifier.beeps, 3);
    Choose(3, "X");
    Store("  ");
    EXPECT_EQ(notifier.messages.back(), "設定名を入力してくだい。");
    EXPECT_EQ(notifier.beeps, 3);
    EXPECT_FALSE(fs::exists(dir / "UserSet.usd"));
}

TEST_F(UserKaimeFormTest, DeletingTheOnlySettingLeavesAnEmptyFileAndTheFormAsItWas) {
    Open();
    testsupport::Find<QPushButton>(*form, "SpeedButton2")->click();
    EXPECT_EQ(notifier.messages.back(), "削除項目がありません。");
    Choose(1, "X");
    Choose(2, "Y");
    Choose(3, "Z");
    Store("A");
    form->SelComboBox()->setCurrentIndex(-1);
    testsupport::Find<QPushButton>(*form, "SpeedButton2")->click();
    EXPECT_EQ(notifier.messages.back(), "削除項目がありません。");
    EXPECT_EQ(File(), "\"A\",\"X\",\"Y\",\"Z\"\r\n");

    form->SelComboBox()->setCurrentIndex(0);
    notifier.answers = {true};
    testsupport::Find<QPushButton>(*form, "SpeedButton2")->click();
    EXPECT_EQ(notifier.questions.back(), "A を削除しますか?");
    EXPECT_EQ(File(), "");
    EXPECT_EQ(form->SelComboBox()->count(), 0);
    EXPECT_EQ(form->NameEdit()->text(), QStringLiteral("A"));
    EXPECT_EQ(form->NeraiKaimeCombo(3)->currentText(), QStringLiteral("Z"));
}

TEST_F(UserKaimeFormTest, ChoosingAStoredSettingLoadsTheSetsItNames) {
    testsupport::WriteBytes(
        dir / "UserSet.usd",
        "\"A\",\"X\",\"Y\",\"Z\"\r\n\"B\",\"Y\",\"X\",\"gone\"\r\n\"C\",\"Z\"\r\n");
    testsupport::WriteBytes(dir / "kestrane.ini",
                            "[UserSetting]\r\nSetID=7\r\n[MyfavoKai]\r\nnerai3=Z\r\n");
    Open();
    // A SetID the list does not hold applies nothing; the combos follow MyfavoKai. A line of two
    // fields is no setting: it is not offered.
    EXPECT_EQ(form->SelComboBox()->count(), 2);
    EXPECT_EQ(form->SelComboBox()->currentIndex(), -1);
    EXPECT_EQ(form->NameEdit()->text(), QString());
    EXPECT_EQ(form->NeraiKaimeCombo(1)->currentIndex(), -1);
    EXPECT_EQ(form->NeraiKaimeCombo(3)->currentText(), QStringLiteral("Z"));

    ChooseSetting("B");
    EXPECT_EQ(form->NameEdit()->text(), QStringLiteral("B"));
    EXPECT_EQ(form->NeraiKaimeCombo(1)->currentText(), QStringLiteral("Y"));
    EXPECT_EQ(form->NeraiKaimeCombo(2)->currentText(), QStringLiteral("X"));
    EXPECT_EQ(form->NeraiKaimeCombo(3)->currentText(), QStringLiteral("Z")); // no set "gone"
    EXPECT_EQ(context.settings.ReadInteger("UserSetting", "SetID", -1), 1);
    // The marks follow what the form shows.
    EXPECT_EQ(Flagged(1), (Ints{1, 2, 3, 4, 5}));
    EXPECT_EQ(Flagged(2), (Ints{2, 4}));
    EXPECT_EQ(Flagged(3), (Ints{1, 2, 3, 4, 5}));
    EXPECT_EQ(Favo(2), "X");

    EXPECT_TRUE(notifier.messages.empty());

    // At the next start the stored choice is applied again.
    form.reset();
    Open();
    EXPECT_EQ(form->SelComboBox()->currentText(), QStringLiteral("B"));
    EXPECT_EQ(form->NameEdit()->text(), QStringLiteral("B"));
}
