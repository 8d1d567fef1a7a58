// The race pages (`PageControl1`) and the small pages that are only a grid with a bar: the race
// card, the detailed race card and the check page. The result page, the statistics tab and the
// odds table have files of their own.

#include "app/forms/mainform.h"

#include "app/forms/bethost.h"
#include "app/forms/raceheaderview.h"
#include "betting/forms/betpage.h"
#include "controls/speedbutton.h"
#include "views/detailcard.h"
#include "views/grid.h"

#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace app {

QWidget* TMainForm::BuildPages() {
    PageControl1 = new QTabWidget;
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    auto page = [&](QTabWidget* tabs, const char* name, const char* title, QWidget* content) {
        auto* w = new QWidget;
        w->setObjectName(QString::fromLatin1(name));
        auto* l = new QVBoxLayout(w);
        l->setContentsMargins(2, 2, 2, 2);
        l->addWidget(content);
        tabs->addTab(w, QString::fromUtf8(title));
        return w;
    };

    page(PageControl1, "TabSheet2", "出馬表", BuildCardPage());
    page(PageControl1, "TabSheet4", "詳細出馬表", BuildDetailPage());
    // The payout table is taller than the page at the window's default bounds.
    auto* resultScroll = new QScrollArea;
    resultScroll->setObjectName(QStringLiteral("ResultScroll"));
    resultScroll->setFrameShape(QFrame::NoFrame);
    resultScroll->setWidgetResizable(true);
    resultScroll->setWidget(BuildResultPage());
    page(PageControl1, "TabSheet11", "結果", resultScroll);
    betPage_ = new betting::BetPage(context_, Day(), *betHost_, &sorts_.gSortCol);
    grids_[QStringLiteral("StringGrid1")] = betPage_->MarkGrid();
    // The mark columns at the right are the ones clicked: the mark grid is never narrower than
    // its columns.
    views::StringGrid* marks = betPage_->MarkGrid();
    marks->setMinimumWidth(marks->FullWidth());
    // The bet tab is wider than the window's default bounds: it scrolls rather than widening
    // the window.
    auto* betScroll = new QScrollArea;
    betScroll->setObjectName(QStringLiteral("BetScroll"));
    betScroll->setFrameShape(QFrame::NoFrame);
    betScroll->setWidgetResizable(true);
    betScroll->setWidget(betPage_);
    page(PageControl1, "TabSheet12", "買い目", betScroll);

    page(PageControl1, "TabSheet1", "統計", BuildStatsPage());
    page(PageControl1, "TabSheet5", "検証", BuildCheckPage());

    PageControl3 = new QTabWidget;
    PageControl3->setObjectName(QStringLiteral("PageControl3"));
    page(PageControl3, "TabSheet6", "異常数値表", NewGrid("StringGrid8", nullptr));
    page(PageControl3, "TabSheet7", "オッズ表", BuildOddsPage());
    page(PageControl3, "TabSheet8", "参考買い目", NewGrid("StringGrid27", nullptr));
    page(PageControl3, "TabSheet10", "指数", NewGrid("StringGrid9", nullptr));
    page(PageControl1, "TabSheet3", "分析諸表", PageControl3);
    page(PageControl1, "TabSheet15", "出馬表(一覧)", NewGrid("StringGrid6", nullptr));
    page(PageControl1, "TabSheet9", "資料", NewGrid("StringGrid11", nullptr));
    return PageControl1;
}

QWidget* TMainForm::BuildCardPage() {
    auto* card = new QWidget;
    auto* cardBox = new QVBoxLayout(card);
    cardBox->setContentsMargins(0, 0, 0, 0);
    // The copy button is created hidden and nothing shows it.
    auto* copy = ToolButton("LbSpeedButton1", QStringLiteral("ｸﾘｯﾌﾟﾎﾞｰﾄﾞへｺﾋﾟｰ"), QString());
    copy->setParent(card);
    copy->hide();
    connect(copy, &controls::TLbSpeedButton::OnClick, this, &TMainForm::LbSpeedButton1Click);
    cardBox->addWidget(NewGrid("StringGrid10", card), 1);
    auto* memo = new QPlainTextEdit(card);
    memo->setObjectName(QStringLiteral("Memo1"));
    memo->setReadOnly(true);
    memo->setFixedHeight(64);
    cardBox->addWidget(memo);
    header_->ui.Memo1 = memo;
    return card;
}

QWidget* TMainForm::BuildDetailPage() {
    auto* page = new QWidget;
    auto* box = new QVBoxLayout(page);
    box->setContentsMargins(0, 0, 0, 0);
    filterBar_ = new views::DetailFilterBar([this] { DatListClick(); }, page);
    filterBar_->setObjectName(QStringLiteral("DetailFilterBar"));
    box->addWidget(filterBar_);
    box->addWidget(NewGrid("StringGrid2", page), 1);
    return page;
}

QWidget* TMainForm::BuildCheckPage() {
    auto* page = new QWidget;
    auto* box = new QVBoxLayout(page);
    box->setContentsMargins(0, 0, 0, 0);
    auto* row = new QHBoxLayout;
    ComboBox1 = new QComboBox(page);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    row->addWidget(ComboBox1);
    auto* copy = ToolButton("LbSpeedButton2", QStringLiteral("ｸﾘｯﾌﾟﾎﾞｰﾄﾞへｺﾋﾟｰ"), QString());
    connect(copy, &controls::TLbSpeedButton::OnClick, this, &TMainForm::LbSpeedButton2Click);
    row->addWidget(copy);
    row->addStretch(1);
    box->addLayout(row);
    box->addWidget(NewGrid("StringGrid7", page), 1);
    return page;
}

} // namespace app
