// The target condition editor, the target slots and the hit list on screen (offscreen).

#include "search/forms/conditioneditor.h"
#include "search/forms/neraigaitoform.h"
#include "search/forms/neraislotpanel.h"
#include "search/forms/shutugenform.h"

#include "app/inigt.h"
#include "controls/numedit.h"
#include "keiba/appdir.h"
#include "keiba/sjis.h"
#include "tests/search/neraifixture.h"
#include "tests/support/fakes.h"
#include "tests/support/tempdir.h"
#include "views/grid.h"
#include "views/indexcard.h"

#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSpinBox>
#include <QTemporaryDir>

using namespace search;
using namespace testsupport;

namespace {

class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        qputenv("XDG_CONFIG_HOME", config_.path().toUtf8());
        app_ = new QApplication(argc_, argv_);
    }
    void TearDown() override { delete app_; }

private:
    QTemporaryDir config_;
    int argc_ = 1;
    char name_[20] = "test_searchforms";
    char* argv_[2] = {name_, nullptr};
    QApplication* app_ = nullptr;
};
[[maybe_unused]] const auto* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

// Where the renders go for a look by eye.
std::filesystem::path RenderPath(const char* name) {
    return std::filesystem::temp_directory_path() / name;
}

class SearchForms : public ::testing::Test {
protected:
    void SetUp() override {
        keiba::SetAppDirForTest(dir.path());
        app::ResetDayForTest();
        form = std::make_unique<TShutugenForm>();
        editor = form->ConditionEditor();
    }
    void TearDown() override {
        form.reset();
        keiba::SetAppDirForTest({});
    }

    template <typename T> T* Find(const char* name) const {
        T* w = form->findChild<T*>(QString::fromUtf8(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QSpinBox* Spin(int half, NeraiFieldId id) const {
        return static_cast<QSpinBox*>(editor->Control(half, id));
    }
    controls::TSaNumEditExC* Num(int half, NeraiFieldId id) const {
        return static_cast<controls::TSaNumEditExC*>(editor->Control(half, id));
    }
    QListWidget* List(int half, NeraiFieldId id) const {
        return static_cast<QListWidget*>(editor->Control(half, id));
    }
    void Save(const char* name) {
        Find<QLineEdit>("NeraiEdit")->setText(QString::fromUtf8(name));
        form->NeraiSaveBtnClick();
    }
    void Choose(const char* name) {
        auto* combo = Find<QComboBox>("NeraiCombo");
        combo->setCurrentIndex(combo->findText(QString::fromUtf8(name)));
        form->NeraiComboChange();
    }
    std::string File(const char* name) const {
        return Slurp(dir / (std::string("nerai/") + name + ".nri"));
    }

    TempDir dir;
    RecordingNotifier notifier;
    ScopedPlatform platform{&notifier};
    std::unique_ptr<TShutugenForm> form;
    TNeraiConditionEditor* editor = nullptr;
};

const std::string kDefaultHalf1 =
    " 51810005000" + std::string(63, '0') + "  1.0999.9 118    " + "  0.0  0.0 -99";
const std::string kDefaultHalf2 =
    " 51810005000" + std::string(63, '0') + "  1.0999.9 118 118" + "  0.0  0.0 -99";

} // namespace

TEST_F(SearchForms, SavingTheStartValuesWritesTheDefaultRecord) {
    EXPECT_EQ(form->windowTitle(), QStringLiteral("R馬検索"));
    Save("t");
    EXPECT_EQ(File("t"), kDefaultHalf1 + kDefaultHalf2 + "\r\n");
    EXPECT_EQ(notifier.messages, std::vector<std::string>{"結果を狙い馬ファイルに保存しました。"});
    EXPECT_EQ(notifier.beeps, 0);

    // 東京 in the first half and 高★ in the second: bytes 16 and 143 and nothing else.
    List(0, kBashoFlags)->item(4)->setSelected(true);
    List(1, kRLevelFlags)->item(6)->setSelected(true);
    notifier.answers = {true};
    Save("t");
    std::string expected = kDefaultHalf1 + kDefaultHalf2 + "\r\n";
    expected[16] = '1';
    expected[143] = '1';
    EXPECT_EQ(File("t"), expected);
}

TEST_F(SearchForms, NamesAreRefusedOrAcceptedWithTheirMessages) {
    Save("  ");
    Save("a.b");
    Save("x/y");
    EXPECT_EQ(notifier.messages,
              (std::vector<std::string>{"狙い馬ファイル名が未入力す。",
                                        "ファイル名にできない文字が含まれています。",
                                        "ファイル名にできない文字が含まれています。"}));
    EXPECT_EQ(notifier.beeps, 3);
    EXPECT_FALSE(std::filesystem::exists(dir / "nerai"));

    notifier.messages.clear();
    Save(" ソ表 の条件 ");
    EXPECT_TRUE(std::filesystem::exists(dir / "nerai/ソ表 の条件.nri"));
    EXPECT_EQ(notifier.messages.size(), 1u);
}

TEST_F(SearchForms, OverwriteAsksAndNoLeavesTheFileAsItWas) {
    Save("t");
    const std::string before = File("t");
    notifier.messages.clear();
    Spin(0, kTosuMin)->setValue(9);
    notifier.answers = {false};
    Save("t");
    EXPECT_EQ(notifier.questions,
              std::vector<std::string>{"[t]はすでに存在しています。上書きしますか？"});
    EXPECT_TRUE(notifier.messages.empty());
    EXPECT_EQ(File("t"), before);

    notifier.answers = {true};
    Save("t");
    EXPECT_EQ(File("t").substr(0, 2), " 9");
    EXPECT_EQ(notifier.messages, std::vector<std::string>{"結果を狙い馬ファイルに保存しました。"});
}

TEST_F(SearchForms, AnEmptyDecimalEditWritesNothing) {
    Num(1, kTanOzMax)->SetText("");
    Save("t");
    EXPECT_EQ(notifier.messages,
              std::vector<std::string>{"前走条件指定の単勝オッズ(上限)が未入力です。"});
    EXPECT_FALSE(std::filesystem::exists(dir / "nerai/t.nri"));
}

TEST_F(SearchForms, SaveClearAndLoadRestoreEveryControl) {
    // Every control away from its start value.
    int step = 0;
    for (int half = 0; half < 2; ++half) {
        for (std::size_t i = 0; i < kNeraiFieldCount; ++i) {
            const auto id = static_cast<NeraiFieldId>(i);
            QWidget* w = editor->Control(half, id);
            if (!w) continue;
            const NeraiField& f = NeraiFieldOf(id);
            ++step;
            switch (f.kind) {
            case NeraiFieldKind::Spin: Spin(half, id)->setValue(f.min + 1 + step % 3); break;
            case NeraiFieldKind::Decimal:
                Num(half, id)->SetText(std::to_string(10 + step) + ".5");
                break;
            case NeraiFieldKind::Total: Num(half, id)->SetTextAsInteger(-7 - step); break;
            case NeraiFieldKind::Flags:
                for (int k = 0; k < List(half, id)->count(); ++k)
                    List(half, id)->item(k)->setSelected((k + step) % 2 == 0);
                break;
            }
        }
    }
    const NeraiValues saved = editor->Values();
    Save("round");
    form->ClearSetBtnClick();
    EXPECT_EQ(Num(0, kTanOzMin)->Text(), "1");
    EXPECT_EQ(Num(0, kTanOzMax)->Text(), "999.9");
    EXPECT_EQ(Num(1, kLoLvShorituMin)->Text(), "0");
    EXPECT_EQ(Num(1, kR5soTotalMin)->Text(), "-99");
    EXPECT_EQ(Spin(1, kChakujunMax)->value(), 18);
    EXPECT_TRUE(List(0, kBashoFlags)->selectedItems().isEmpty());

    Choose("round");
    const NeraiValues loaded = editor->Values();
    for (int half = 0; half < 2; ++half) {
        for (std::size_t i = 0; i < kNeraiFieldCount; ++i) {
            const auto& a = saved[static_cast<std::size_t>(half)][i];
            const auto& b = loaded[static_cast<std::size_t>(half)][i];
            const char* name = NeraiFields()[i].name.data();
            EXPECT_EQ(a.number, b.number) << half << name;
            EXPECT_EQ(a.text, b.text) << half << name;
            EXPECT_EQ(a.selected, b.selected) << half << name;
        }
    }
    EXPECT_EQ(Find<QLineEdit>("NeraiEdit")->text(), QStringLiteral("round"));
}

TEST_F(SearchForms, AShortFileOrAZeroPopularityChangesNoControl) {
    Spin(0, kTanNinMin)->setValue(4);
    TNeraiRecord rec = DefaultSet();
    Put(rec, 0, kTanNinMin, " 0");
    Put(rec, 0, kTosuMin, " 7");
    ASSERT_TRUE(WriteNeraiFile("zero", rec));
    WriteBytes(dir / "nerai/short.nri", std::string(rec.Bytes().substr(0, 200)));
    form->MakeListBtnClick();
    Choose("short");
    EXPECT_EQ(notifier.messages,
              std::vector<std::string>{"[short]は狙い馬ファイルとして読み込めません。"});
    EXPECT_EQ(Spin(0, kTosuMin)->value(), 5);
    Choose("zero");
    EXPECT_EQ(Spin(0, kTosuMin)->value(), 7);
    EXPECT_EQ(Spin(0, kTanNinMin)->value(), 4);
}

TEST_F(SearchForms, TheListsFollowTheFolderAndReselectTheRememberedNames) {
    std::array<QComboBox, 4> mainCombos;
    std::array<QComboBox*, 4> combos{&mainCombos[0], &mainCombos[1], &mainCombos[2],
                                     &mainCombos[3]};
    int userLists = 0;
    form->SetUserKaimeMakeList([&] { ++userLists; });
    app::TIniGT ini;
    ini.Loaded();
    ini.WriteString("Myfavo", "nerai2", "b");
    ini.WriteString("Myfavo", "nerai3", "B");

    // No set at all: the combos stay empty whatever the settings name.
    form->AttachTargetCombos(combos);
    EXPECT_EQ(mainCombos[1].count(), 0);

    Save("b");
    Save("a");
    EXPECT_EQ(userLists, 2);
    auto* own = Find<QComboBox>("NeraiCombo");
    ASSERT_EQ(own->count(), 2);
    EXPECT_EQ(own->itemText(0), QStringLiteral("a"));
    EXPECT_EQ(own->currentIndex(), -1);
    EXPECT_EQ(mainCombos[0].currentIndex(), -1);
    EXPECT_EQ(mainCombos[1].currentText(), QStringLiteral("b"));
    EXPECT_EQ(mainCombos[2].currentIndex(), -1); // the comparison is case-sensitive

    own->setCurrentIndex(1);
    form->NeraiDelBtnClick();
    EXPECT_FALSE(std::filesystem::exists(dir / "nerai/b.nri"));
    EXPECT_EQ(mainCombos[1].count(), 1);
    EXPECT_EQ(mainCombos[1].currentIndex(), -1);
    EXPECT_EQ(userLists, 3);
}

TEST_F(SearchForms, ARightClickSelectsAllOrNothing) {
    QListWidget* list = List(1, kClassFlags);
    TNeraiConditionEditor::ToggleAll(list);
    EXPECT_EQ(list->selectedItems().size(), 8);
    list->item(3)->setSelected(false);
    TNeraiConditionEditor::ToggleAll(list);
    EXPECT_TRUE(list->selectedItems().isEmpty());
    EXPECT_EQ(list->objectName(), QStringLiteral("ClassList1"));
    EXPECT_EQ(list->contextMenuPolicy(), Qt::CustomContextMenu);
}

TEST_F(SearchForms, TheEditorRendersBothHalves) {
    form->resize(980, 620);
    List(0, kBashoFlags)->item(4)->setSelected(true);
    EXPECT_TRUE(form->grab().save(
        QString::fromStdString(RenderPath("kestrane_nerai_editor.png").string())));
}

TEST_F(SearchForms, TheSlotPanelLoadsSearchesAndShowsTheHeldSet) {
    ASSERT_TRUE(WriteNeraiFile("open", OpenSet()));
    TNeraiSlotPanel panel;
    form->AttachTargetCombos(panel.Combos());
    EXPECT_EQ(panel.Shape(3)->palette().color(QPalette::Window), views::TargetSlotColor(3));
    EXPECT_EQ(panel.NeraiCombo(2)->objectName(), QStringLiteral("NeraiCombo2"));
    app::TRaceDay& day = app::Day();
    day.gDayRaces[0].SetField(882, 2, "02");
    int repaints = 0;
    panel.SetRaceListCount([] { return 1; });
    panel.SetRepaintRaceCards([&] { ++repaints; });

    QComboBox* combo = panel.NeraiCombo(2);
    combo->setCurrentIndex(0);
    Q_EMIT combo->activated(0);
    EXPECT_EQ(day.gRaceCalc[0].NeraiMatch[1][1], 1);
    EXPECT_EQ(repaints, 1);

    // The file goes away: choosing it again keeps the slot and the combo shows what it holds.
    Save("other");
    std::filesystem::remove(dir / "nerai/other.nri");
    combo->setCurrentIndex(combo->findText(QStringLiteral("other")));
    EXPECT_EQ(panel.NeraiComboChange(2), NeraiSlotResult::Missing);
    EXPECT_EQ(combo->currentText(), QStringLiteral("open"));
}

TEST_F(SearchForms, TheHitListShowsTheMatchingRunners) {
    app::TRaceDay& day = app::Day();
    auto race = [&](int r, const char* venue, const char* post) {
        jvdata::TJvRA& ra = day.gDayRaces[static_cast<std::size_t>(r)];
        ra.SetField(20, 2, venue);
        ra.SetField(26, 2, "11");
        ra.SetField(605, 6, keiba::Sj("天皇賞"));
        ra.SetField(617, 2, "14");
        ra.SetField(635, 3, "999");
        ra.SetField(698, 4, "2000");
        ra.SetField(706, 2, "11");
        ra.SetField(874, 4, post);
        ra.SetField(882, 2, "02");
    };
    race(0, "08", "1540");
    race(1, "05", "1540");
    auto runner = [&](int r, int h, const char* name, std::array<std::uint8_t, 4> m) {
        jvdata::TJvSE& se =
            day.gDayHorses[static_cast<std::size_t>(r)][static_cast<std::size_t>(h)];
        se.SetField(28, 1, std::to_string(h + 3));
        se.SetField(29, 2, "0" + std::to_string(h + 1));
        se.SetField(41, 36, keiba::Sj(name));
        day.gRaceCalc[static_cast<std::size_t>(r)].NeraiMatch[static_cast<std::size_t>(h)] = m;
    };
    runner(0, 1, "キョウトノホシ", {0, 1, 0, 0});
    runner(1, 0, "アイウエオカキクケコサシスセソタチツ", {1, 0, 1, 0});

    TNeraiGaitoForm gaito;
    EXPECT_EQ(gaito.windowTitle(), QStringLiteral("狙い馬該当リスト"));
    EXPECT_EQ(gaito.geometry(), QRect(200, 50, 610, 500));
    gaito.FillHits(day, QStringLiteral("2026年12月06日"), 2);
    views::TGridModel* grid = gaito.StringGrid8->Model();
    ASSERT_EQ(grid->RowCount(), 3);
    EXPECT_EQ(grid->Cells(14, 0), QStringLiteral("馬名"));
    EXPECT_EQ(grid->Cells(0, 1), QStringLiteral("■"));
    EXPECT_EQ(grid->Cells(1, 1), QString());
    EXPECT_EQ(grid->Cells(2, 1), QStringLiteral("■"));
    EXPECT_EQ(grid->Cells(5, 1), QStringLiteral("東京"));
    EXPECT_EQ(grid->Cells(14, 1), QStringLiteral("アイウエオカキクケ"));
    EXPECT_EQ(grid->Cells(5, 2), QStringLiteral("京都"));
    EXPECT_EQ(gaito.SosuLabel->text(), QStringLiteral("  2"));
    EXPECT_EQ(gaito.NeraiLabels[0]->text(), QStringLiteral("  1"));
    EXPECT_EQ(gaito.NeraiLabels[1]->text(), QStringLiteral("  1"));
    EXPECT_EQ(gaito.NeraiLabels[3]->text(), QStringLiteral("  0"));
    EXPECT_EQ(gaito.TitleLabel1->text(), QStringLiteral("2026年12月06日"));

    EXPECT_EQ(grid->PaintOf(0, 0).background, QColor(0xC0C0C0));
    EXPECT_EQ(grid->PaintOf(2, 1).textColor, views::TargetSlotColor(3));
    EXPECT_EQ(grid->PaintOf(2, 1).background, QColor(0x808080));
    EXPECT_EQ(grid->PaintOf(12, 1).background, views::BracketColor(3));
    EXPECT_TRUE(grid->PaintOf(12, 1).bold);
    EXPECT_EQ(grid->PaintOf(13, 2).background, views::InfoBackground());
    EXPECT_EQ(grid->PaintOf(7, 2).background, QColor(0xFFFFFF));

    gaito.resize(610, 300);
    EXPECT_TRUE(
        gaito.grab().save(QString::fromStdString(RenderPath("kestrane_nerai_hits.png").string())));

    // No hit: the rows stay, blank, and the counts are empty.
    day.gRaceCalc[0].NeraiMatch = {};
    day.gRaceCalc[1].NeraiMatch = {};
    gaito.FillHits(day, QStringLiteral("2026年12月06日"), 2);
    EXPECT_EQ(grid->RowCount(), 3);
    EXPECT_EQ(grid->Cells(14, 1), QString());
    EXPECT_EQ(gaito.SosuLabel->text(), QString());
}
