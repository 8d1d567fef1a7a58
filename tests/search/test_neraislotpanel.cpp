// The main window's four target slots, fed by the R-horse search form's condition sets.

#include "search/forms/neraislotpanel.h"

#include "tests/search/neraifixture.h"
#include "tests/search/searchformfixture.h"
#include "views/indexcard.h"

#include <QComboBox>

using namespace search;
using namespace testsupport;

using NeraiSlotPanelTest = SearchForm;

TEST_F(NeraiSlotPanelTest, LoadsSearchesAndShowsTheHeldSet) {
    ASSERT_TRUE(WriteNeraiFile(dir.path(), "open", OpenSet()));
    NeraiSlotPanel panel(context, *day);
    form->AttachTargetCombos(panel.Combos());
    EXPECT_EQ(panel.Shape(3)->palette().color(QPalette::Window), views::TargetSlotColor(3));
    panel.SetRaceListCount([] { return 1; });
    QComboBox* combo = panel.NeraiCombo(2);
    combo->setCurrentIndex(0);
    Q_EMIT combo->activated(0);

    // The file goes away: choosing it again keeps the slot and the combo shows what it holds.
    Save("other");
    std::filesystem::remove(dir / "nerai/other.nri");
    combo->setCurrentIndex(combo->findText(QStringLiteral("other")));
    EXPECT_EQ(panel.NeraiComboChange(2), NeraiSlotResult::Missing);
    EXPECT_EQ(combo->currentText(), QStringLiteral("open"));
}
