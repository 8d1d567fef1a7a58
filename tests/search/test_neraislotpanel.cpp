// The main window's four target slots, fed by the R-horse search form's condition sets.

#include "search/forms/neraislotpanel.h"

#include "tests/search/neraifixture.h"
#include "tests/search/searchformfixture.h"
#include "views/indexcard.h"

#include <QComboBox>

using namespace search;
using namespace testsupport;

using NeraiSlotPanelTest = SearchForm;

TEST_F(NeraiSlotPanelTest, LoadsSearchesAndKeepsTheUsersChoice) {
    ASSERT_TRUE(WriteNeraiFile(dir.path(), "open", OpenSet()));
    NeraiSlotPanel panel(context, *day);
    form->AttachTargetCombos(panel.Combos());
    EXPECT_EQ(panel.Shape(3)->palette().color(QPalette::Window), views::TargetSlotColor(3));
    panel.SetRaceListCount([] { return 1; });
    QComboBox* combo = panel.NeraiCombo(2);
    combo->setCurrentIndex(0);
    Q_EMIT combo->activated(0);

    ASSERT_EQ(panel.Slots().HeldName(2), "open");

    // The file goes away: choosing it keeps the slot as it was and the combo as the user chose,
    // and says why nothing changed.
    Save("other");
    std::filesystem::remove(dir / "nerai/other.nri");
    notifier.messages.clear();
    combo->setCurrentIndex(combo->findText(QStringLiteral("other")));
    Q_EMIT combo->activated(combo->currentIndex());
    EXPECT_EQ(combo->currentText(), QStringLiteral("other"));
    EXPECT_EQ(panel.Slots().HeldName(2), "open");
    EXPECT_EQ(notifier.messages,
              std::vector<std::string>{"[other]の狙い馬ファイルが見つかりません。"});
}
