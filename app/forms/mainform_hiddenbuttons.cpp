// The controls the window holds but does not show: the hidden buttons other parts click, the
// automatic-odds box, the venue labels, the folder dialog and the timers.

#include "app/forms/mainform.h"

#include "app/forms/dayloadhost.h"
#include "app/forms/fetchhost.h"
#include "controls/folderviewer.h"
#include "controls/msgdlg.h"
#include "fetch/forms/fetchtimers.h"
#include "search/forms/neraislotpanel.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <utility>

namespace app {

QPushButton* TMainForm::HiddenButton(const char* name, const QString& caption,
                                     const QString& hint) {
    auto* b = new QPushButton(caption, centralWidget());
    b->setObjectName(QString::fromLatin1(name));
    if (!hint.isEmpty()) {
        b->setToolTip(hint);
        b->setStatusTip(hint);
    }
    b->hide();
    return b;
}

void TMainForm::BuildHiddenButtons(QWidget* holder) {
    Q_UNUSED(holder);
    connect(HiddenButton("MakeDataListBtn", QStringLiteral("リスト作成")), &QPushButton::clicked,
            this, &TMainForm::MakeDataListBtnClick);
    // The day load and the fetches reach these through their hosts; the buttons stand for them
    // on the form.
    for (auto [name, caption] : {std::pair{"IniBtn", "初期化"},
                                 {"UMConvertBtn", "UMConvert"},
                                 {"OzReadBtn", "オッズ取込"},
                                 {"CalcBtn", "Calc"},
                                 {"HrReadBtn", "払戻取込"}})
        HiddenButton(name, QString::fromUtf8(caption));
    connect(HiddenButton("SisuStatBtn2", QStringLiteral("指数統計保存(新)")), &QPushButton::clicked,
            this, &TMainForm::SisuStatBtn2Click);
    // Clicked by every race selection: the index race card; the odds table's 馬番 button and the
    // bet tab's own hidden buttons follow it.
    connect(HiddenButton("sisushutubaBtn", QStringLiteral("指数出馬表")), &QPushButton::clicked,
            this, &TMainForm::sisushutubaBtnClick);
    connect(HiddenButton("NeraiSearchBtn", QStringLiteral("狙い馬判定")), &QPushButton::clicked,
            this, [this] { neraiSlots_->NeraiSearchBtnClick(); });
    // Commands without effect.
    HiddenButton("KaimeCalcBtn", QStringLiteral("買い目算出"));
    HiddenButton("SisuStatBtn", QStringLiteral("指数統計保存"));
    HiddenButton("SaveCheckBtn", QStringLiteral("Saveチェック"));
    HiddenButton("PicKohobaBtn", QStringLiteral("候補馬抽出"));
    // The real-time fetches the timers and the odds lists start.
    connect(
        HiddenButton("GetDMBtn", QStringLiteral("ﾏｲﾆﾝｸﾞ"), QStringLiteral("ﾏｲﾆﾝｸﾞを取得します")),
        &QPushButton::clicked, this, &TMainForm::GetDMBtnClick);
    struct OddsButton {
        const char* name;
        const char* caption;
        const char* hint;
        std::vector<std::string>* races;
        jvdata::ReadStep step;
    };
    const OddsButton oddsButtons[] = {
        {"OzGetLoopBtn", "ｵｯｽﾞ取得（自動）", "", &WorkList, jvdata::ReadStep::Odds},
        {"LOzBtn", "直前オッズ", "", &ChokuzenOzRaces, jvdata::ReadStep::Odds},
        {"AOzBtn", "朝ｵｯｽﾞ", "朝オッズを取得します", &AsaOzRaces, jvdata::ReadStep::MorningOdds},
        {"MOzBtn", "中間ｵｯｽﾞ", "中間オッズを取得します", &ChukanOzRaces,
         jvdata::ReadStep::MiddleOdds},
    };
    for (const OddsButton& b : oddsButtons)
        connect(HiddenButton(b.name, QString::fromUtf8(b.caption), QString::fromUtf8(b.hint)),
                &QPushButton::clicked, this, [this, races = b.races, step = b.step] {
                    fetch::OddsLoop(*fetchHost_, *races, step);
                });
    HiddenButton("DMReadBtn", QStringLiteral("ﾏｲﾆﾝｸﾞ読込"));

    MainFetchHost::Widgets& fetch = fetchHost_->ui;
    fetch.AutoOzCheck = new QCheckBox(QStringLiteral("ｵｯｽﾞ自動取得"), centralWidget());
    fetch.AutoOzCheck->setObjectName(QStringLiteral("AutoOzCheck"));
    fetch.AutoOzCheck->setToolTip(QStringLiteral("チェックしておくとオッズを自動取得します"));
    fetch.AutoOzCheck->hide();
    connect(fetch.AutoOzCheck, &QCheckBox::clicked, this, &TMainForm::AutoOzCheckClick);

    fetch.NowTimLabel = new QLabel(centralWidget());
    fetch.NowTimLabel->setObjectName(QStringLiteral("NowTimLabel"));
    fetch.NowTimLabel->hide();
    MainDayLoadView::Widgets& load = loadView_->ui;
    for (std::size_t i = 0; i < 3; ++i) {
        load.BashoLabels[i] = new QLabel(centralWidget());
        load.BashoLabels[i]->setObjectName(QStringLiteral("BashoLabel%1").arg(i + 1));
        load.BashoLabels[i]->hide();
        load.BashoIdxs[i] = new QLabel(centralWidget());
        load.BashoIdxs[i]->setObjectName(QStringLiteral("BashoIdx%1").arg(i + 1));
        load.BashoIdxs[i]->hide();
    }
    load.Panel8 = new QFrame(centralWidget());
    load.Panel8->setObjectName(QStringLiteral("Panel8"));
    load.Panel8->hide();

    FolderViewerEx1 = new controls::TFolderViewerEx(context_.notifier, this);
    FolderViewerEx1->setObjectName(QStringLiteral("FolderViewerEx1"));
    FolderViewerEx1->SetOpenDefault(true);
    // The window's message-box settings; nothing shows a box from them.
    MsgDlg1 = new controls::TMsgDlg(this);
    MsgDlg1->setObjectName(QStringLiteral("MsgDlg1"));
    MsgDlg1->Sound = true;

    // Timer1 to Timer4; the clock and the time to post run from here on.
    timers_ = new fetch::FetchTimers(*fetchHost_, this);
    timers_->setObjectName(QStringLiteral("FetchTimers"));
    // The forwarding timer's work has no effect: no race carries a forwarding time.
    DeliverTimer = new QTimer(this);
    DeliverTimer->setObjectName(QStringLiteral("DeliverTimer"));
    DeliverTimer->setInterval(40000);
}

} // namespace app
