// The data-check tab the window adds to the R-horse search form, and its batch day load
// `MakeCPDBClick`, which runs this window's day load for every date of the day list.

#include "app/forms/mainform.h"

#include "app/forms/datacheckpage.h"
#include "app/forms/dayloadhost.h"
#include "app/forms/fetchhost.h"
#include "app/forms/mainform_parts.h"
#include "keiba/platform.h"
#include "search/forms/shutugenform.h"

#include <QAction>
#include <QComboBox>
#include <QSignalBlocker>
#include <QTabWidget>

namespace app {

using mainform_parts::ToUtf8;

void TMainForm::AttachDataCheckPage() {
    if (!shutugenForm_) return;
    dataCheckPage_ = new DataCheckPage(context_);
    // The form's tabs: 成績検索, データ確認, R馬統計.
    shutugenForm_->PageControl()->insertTab(1, dataCheckPage_, QStringLiteral("データ確認"));
    connect(dataCheckPage_->MakeCPDB(), &QAction::triggered, this, [this] { MakeCPDBClick(); });
    dataCheckPage_->MakeDataListBtnClick();
}

void TMainForm::MakeCPDBClick() {
    keiba::Notifier& notifier = context_.notifier;
    if (!notifier.YesNo("コンピ辞書用のDB作成を始めます。PCのスペックによっては多くの時間がかかる"
                        "場合がありますが開始してよろしいですか？"))
        return;
    // A search or another load holds the day; running the loads now would pull it away.
    keiba::OperationOwner::Hold hold = operations_.Take(keiba::Operation::BatchLoad);
    if (!hold) {
        notifier.Beep();
        notifier.Information(keiba::kOtherOperationRunning);
        return;
    }
    fetchHost_->SetBusyCursor(true);
    for (int i = 0; i < DateCombo->count() && !operations_.CancelRequested(); ++i) {
        {
            const QSignalBlocker block(DateCombo);
            DateCombo->setCurrentIndex(i);
        }
        raceday::LoadDay(Day(), ToUtf8(DateCombo->itemText(i)), *loadView_, *loadSteps_, context_);
    }
    fetchHost_->SetBusyCursor(false);
    // Cut short by the window's closing: there is no one left to tell.
    const bool cancelled = operations_.CancelRequested();
    hold.Release();
    if (cancelled) return;
    notifier.Beep();
    notifier.Information("処理が完了しました。");
}

} // namespace app
