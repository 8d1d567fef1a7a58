// The target condition editor of the R-horse search form: saving, loading, clearing and
// deleting condition sets, the combos that list them, and how a condition list takes clicks;
// the form's layout and the look of its edits and buttons.

#include "search/forms/shutugenform.h"

#include "controls/numedit.h"
#include "controls/speedbutton.h"
#include "keiba/inigt.h"
#include "search/rresults.h"
#include "tests/search/neraifixture.h"
#include "tests/search/searchformfixture.h"
#include "tests/support/clicks.h"
#include "views/grid.h"

#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QTest>

using namespace search;
using namespace testsupport;

namespace {

const std::string kDefaultHalf1 =
    " 51810005000" + std::string(63, '0') + "  1.0999.9 118    " + "  0.0  0.0 -99";
const std::string kDefaultHalf2 =
    " 51810005000" + std::string(63, '0') + "  1.0999.9 118 118" + "  0.0  0.0 -99";

} // namespace

TEST_F(SearchForm, SavingTheStartValuesWritesTheDefaultRecord) {
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

TEST_F(SearchForm, NamesAreRefusedOrAcceptedWithTheirMessages) {
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

TEST_F(SearchForm, OverwriteAsksAndNoLeavesTheFileAsItWas) {
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

TEST_F(SearchForm, AnEmptyDecimalEditWritesNothing) {
    Num(1, kTanOzMax)->SetText("");
    Save("t");
    EXPECT_EQ(notifier.messages,
              std::vector<std::string>{"前走条件指定の単勝オッズ(上限)が未入力です。"});
    EXPECT_FALSE(std::filesystem::exists(dir / "nerai/t.nri"));
}

TEST_F(SearchForm, SaveClearAndLoadRestoreEveryControl) {
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
    EXPECT_EQ(Num(0, kTanOzMax)->Text(), "999.9");
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

TEST_F(SearchForm, AShortFileOrAZeroPopularityChangesNoControl) {
    Spin(0, kTanNinMin)->setValue(4);
    TNeraiRecord rec = DefaultSet();
    Put(rec, 0, kTanNinMin, " 0");
    Put(rec, 0, kTosuMin, " 7");
    ASSERT_TRUE(WriteNeraiFile(dir.path(), "zero", rec));
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

TEST_F(SearchForm, TheListsFollowTheFolderAndReselectTheRememberedNames) {
    std::array<QComboBox, 4> mainCombos;
    std::array<QComboBox*, 4> combos{&mainCombos[0], &mainCombos[1], &mainCombos[2],
                                     &mainCombos[3]};
    int userLists = 0;
    form->SetUserKaimeMakeList([&] { ++userLists; });
    keiba::TIniGT& ini = context.settings;
    ASSERT_TRUE(ini.WriteString("Myfavo", "nerai2", "b"));
    ASSERT_TRUE(ini.WriteString("Myfavo", "nerai3", "B"));

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

// The form opens at its default size, 950 by 600 (or the screen's room when that is smaller),
// keeps it when shown, and stores it: every control of the tab is reached by scrolling.
TEST_F(SearchForm, AtItsSizeEveryControlIsReachable) {
    const QSize room = QGuiApplication::primaryScreen()->availableGeometry().size();
    const QSize expected = QSize(950, 600).boundedTo(room);
    EXPECT_EQ(form->size(), expected);
    form->show();
    QApplication::processEvents();
    EXPECT_EQ(form->size(), expected);
    // The page scrolls sideways, the conditions up and down inside it: every control of the
    // page can be brought into view within both.
    auto* page = Find<QScrollArea>("SeisekiScroll");
    auto* conditions = Find<QScrollArea>("ConditionScroll");
    int reached = 0;
    for (QWidget* w : page->widget()->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(page) || w->focusPolicy() == Qt::NoFocus) continue;
        const bool inConditions = conditions->widget()->isAncestorOf(w);
        // The whole control, not only a line edit's cursor as ensureWidgetVisible would.
        // A control larger than the view shows its top-left part.
        auto bringIn = [](QScrollArea* s, QWidget* c) {
            const QPoint at = c->mapTo(s->widget(), QPoint(0, 0));
            const int halfW = std::min(c->width(), s->viewport()->width()) / 2;
            const int halfH = std::min(c->height(), s->viewport()->height()) / 2;
            s->ensureVisible(at.x() + halfW, at.y() + halfH, halfW, halfH);
        };
        if (inConditions) bringIn(conditions, w);
        bringIn(page, inConditions ? conditions : w);
        QApplication::processEvents();
        for (QScrollArea* s : {page, inConditions ? conditions : page}) {
            const QRect shown(w->mapTo(s->viewport(), QPoint(0, 0)), w->size());
            const QRect view = s->viewport()->rect();
            // A control wider or taller than the view counts when its top-left corner shows.
            EXPECT_TRUE(view.contains(shown) || view.contains(shown.topLeft()))
                << w->objectName().toStdString() << " at " << shown.x() << "," << shown.y();
        }
        ++reached;
    }
    EXPECT_GT(reached, 50);
    ASSERT_TRUE(form->SaveBounds()); // as its owner does at the quit
    form.reset();
    keiba::TIniGT& ini = context.settings;
    EXPECT_EQ(ini.ReadInteger("locateShutugenForm", "height", 0), expected.height());

    // Bounds stored on a larger screen are held to this one's.
    ASSERT_TRUE(ini.WriteInteger("locateShutugenForm", "height", room.height() + 400));
    form = std::make_unique<search::TShutugenForm>(context, operations);
    EXPECT_LE(form->height(), room.height());
}

// The R馬統計 tab's level table shows every cell and every heading whole, small or maximised, and
// takes the width its window gains.
TEST_F(SearchForm, TheLevelTableShowsEveryCellAndGrowsWithItsWindow) {
    form->PageControl()->setCurrentIndex(1);
    form->show();
    auto* table = Find<views::StringGrid>("StringGrid3");
    views::GridModel* cells = table->Model();
    int narrow = 0;
    for (const QSize size : {QSize(950, 600), QSize(1600, 1000)}) {
        form->resize(size);
        QApplication::processEvents();
        const QRect corner = table->visualRect(cells->index(kLevelRows - 1, kLevelColumns - 1));
        EXPECT_TRUE(table->viewport()->rect().contains(corner)) << size.width();
        EXPECT_FALSE(table->horizontalScrollBar()->isVisible()) << size.width();
        EXPECT_FALSE(table->verticalScrollBar()->isVisible()) << size.width();
        for (int c = 0; c < kLevelColumns; ++c)
            EXPECT_LE(table->fontMetrics().horizontalAdvance(cells->Cells(c, 0)) + 4,
                      table->ColWidth(c))
                << cells->Cells(c, 0).toStdString();
        if (narrow == 0) narrow = table->width();
    }
    EXPECT_GE(table->width(), narrow + 400);
}

// The form's twelve numeric edits are bold ＭＳ Ｐゴシック 12 pixels high on the form files' colour
// 10944511 ($00A6FFFF, bytes blue-green-red); the days edits group thousands and are left out of
// the tab order; 検索 and 中止 of both tabs are speed buttons with the fading XP look.
TEST_F(SearchForm, NumericEditsAndRunButtonsWearTheFormsLook) {
    const QList<controls::TSaNumEditExC*> edits = form->findChildren<controls::TSaNumEditExC*>();
    EXPECT_EQ(edits.size(), 12);
    for (const controls::TSaNumEditExC* edit : edits) {
        SCOPED_TRACE(edit->objectName().toStdString());
        EXPECT_EQ(edit->Color(), QColor(0xFF, 0xFF, 0xA6));
        EXPECT_EQ(edit->FontColor(), QColor(Qt::black));
        EXPECT_EQ(edit->font().family(), QStringLiteral("ＭＳ Ｐゴシック"));
        EXPECT_EQ(edit->font().pixelSize(), 12);
        EXPECT_TRUE(edit->font().bold());
    }
    for (const char* name : {"SaNumEditExC1", "SaNumEditExC2"}) {
        auto* days = Find<controls::TSaNumEditExC>(name);
        days->SetTextAsInteger(1500);
        EXPECT_EQ(days->DisplayText(), "1,500") << name;
        EXPECT_FALSE(days->focusPolicy() & Qt::TabFocus) << name;
        EXPECT_TRUE(days->focusPolicy() & Qt::ClickFocus) << name;
    }
    for (const char* name : {"RSerchBtn", "CancelBtn", "RSerchTokeiBtn", "CancelBtn2"}) {
        SCOPED_TRACE(name);
        auto* button = Find<controls::TLbSpeedButton>(name);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->cursor().shape(), Qt::PointingHandCursor);
        EXPECT_EQ(button->HotTrackColor(), QColor(182, 189, 210));
        EXPECT_TRUE(button->SlowDecease());
        EXPECT_TRUE(button->UseHotTrackFont());
        EXPECT_TRUE(button->HotTrackFont().bold());
    }
}

// A click toggles one item and keeps the others; a right click selects every item of a list
// with nothing selected and clears a list with a selection, and opens no menu.
TEST_F(SearchForm, AConditionListTogglesOneItemPerClickAndAllOnARightClick) {
    form->show();
    QListWidget* marks = List(1, kYosoFlags);
    QWidget* rows = marks->viewport();
    auto click = [&](int item) {
        ClickOn(*rows, marks->visualItemRect(marks->item(item)).center());
    };
    auto rightClick = [&] {
        const QPoint at = marks->visualItemRect(marks->item(0)).center();
        QContextMenuEvent menu(QContextMenuEvent::Mouse, at, rows->mapToGlobal(at));
        QApplication::sendEvent(rows, &menu);
    };
    auto selected = [&] {
        std::vector<bool> out;
        for (int k = 0; k < marks->count(); ++k) out.push_back(marks->item(k)->isSelected());
        return out;
    };
    click(1);
    click(3);
    EXPECT_EQ(selected(), (std::vector<bool>{false, true, false, true, false}));
    click(1);
    EXPECT_EQ(selected(), (std::vector<bool>{false, false, false, true, false}));
    rightClick();
    EXPECT_EQ(selected(), std::vector<bool>(5, false));
    rightClick();
    EXPECT_EQ(selected(), std::vector<bool>(5, true));
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
}

// Enter typed in an edit must not press the first button of the form: 登録 would save a target
// set the user never asked for. No button of the form is its default, so none is drawn as one.
TEST_F(SearchForm, EnterInAnEditPressesNoButton) {
    form->show();
    auto* name = Find<QLineEdit>("NeraiEdit");
    name->setText(QStringLiteral("t"));
    name->setFocus();
    QTest::keyClick(name, Qt::Key_Return);
    QTest::keyClick(name, Qt::Key_Enter);
    EXPECT_FALSE(std::filesystem::exists(dir / "nerai/t.nri"));
    EXPECT_TRUE(notifier.messages.empty());
    for (const QPushButton* b : form->findChildren<QPushButton*>())
        EXPECT_FALSE(b->isDefault() || b->autoDefault()) << b->text().toStdString();
}
