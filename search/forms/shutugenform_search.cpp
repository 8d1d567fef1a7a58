// The R-horse search of the 成績検索 tab: the date range and days edits of both search tabs, the
// walk shared by both searches, the result labels and the hit grids, and opening a hit's race.

#include "search/forms/shutugenform.h"

#include "controls/fonts.h"
#include "controls/halfwidthinput.h"
#include "controls/numedit.h"
#include "controls/qtext.h"
#include "controls/speedbutton.h"
#include "keiba/platform.h"
#include "raceday/daymodel.h"
#include "search/forms/conditioneditor.h"
#include "search/forms/hitgrid.h"
#include "search/rcard.h"
#include "search/rresults.h"

#include <QApplication>
#include <QDateEdit>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSplitter>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace search {
namespace {

constexpr const char* kBusyMessage = "データの読み込み中は検索できません。";

using controls::U;

std::string Yyyymmdd(const QDate& d) {
    return d.toString(QStringLiteral("yyyyMMdd")).toStdString();
}

// The clock's day less `days`.
QDate DaysBefore(const keiba::Clock& clock, int days) {
    keiba::DateTimeParts now = keiba::Parts(clock.Now());
    return QDate(now.year, now.month, now.day).addDays(-days);
}

QDateEdit* NewDateEdit(const char* name, QWidget* parent) {
    auto* edit = new controls::TDateEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setCalendarPopup(true);
    edit->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
    return edit;
}

QLabel* NewValueLabel(const char* name, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setFont(controls::GothicFont(9));
    label->setFrameShape(QFrame::StyledPanel);
    label->setFrameShadow(QFrame::Sunken);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setMinimumWidth(72);
    return label;
}

void AddCaptioned(QGridLayout* grid, int row, int col, const char* caption, QLabel* value) {
    grid->addWidget(new QLabel(QString::fromUtf8(caption), value->parentWidget()), row, col);
    grid->addWidget(value, row, col + 1);
}

} // namespace

controls::TSaNumEditExC* TShutugenForm::NewDaysEdit(const char* name, QWidget* parent) {
    auto* edit = new controls::TSaNumEditExC(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->SetNotifier(&context_.notifier);
    edit->SetIntegerLength(4);
    edit->SetDecimalLength(0);
    edit->SetMinus(false);
    edit->SetTabStop(false);
    UseSearchEditLook(*edit);
    edit->setFixedWidth(52);
    return edit;
}

controls::TLbSpeedButton* TShutugenForm::NewRunButton(const char* name, const QString& caption,
                                                      QWidget* parent) {
    auto* button = new controls::TLbSpeedButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->SetCaption(caption);
    controls::UseFormButtonLook(*button);
    // Wide enough for the bold caption it shows while the mouse is over it.
    const QFontMetrics hot(button->HotTrackFont());
    button->setFixedSize(std::max(64, hot.horizontalAdvance(caption) + 16), 26);
    return button;
}

QWidget* TShutugenForm::BuildSearchControls() {
    auto* box = new QWidget(seisekiPage_);
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(new QLabel(QStringLiteral("検索期間"), box));
    DateTimePicker1 = NewDateEdit("DateTimePicker1", box);
    row->addWidget(DateTimePicker1);
    row->addWidget(new QLabel(QStringLiteral("～"), box));
    DateTimePicker2 = NewDateEdit("DateTimePicker2", box);
    row->addWidget(DateTimePicker2);
    row->addSpacing(12);
    SaNumEditExC1 = NewDaysEdit("SaNumEditExC1", box);
    row->addWidget(SaNumEditExC1);
    row->addWidget(new QLabel(QStringLiteral("日前"), box));
    SpeedButton1 = new QPushButton(QStringLiteral("更新"), box);
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    row->addWidget(SpeedButton1);
    row->addSpacing(12);
    RSerchBtn = NewRunButton("RSerchBtn", QStringLiteral("R馬検索"), box);
    row->addWidget(RSerchBtn);
    CancelBtn = NewRunButton("CancelBtn", QStringLiteral("中止"), box);
    row->addWidget(CancelBtn);
    CtLabel = new QLabel(box);
    CtLabel->setObjectName(QStringLiteral("CtLabel"));
    row->addWidget(CtLabel);
    row->addStretch(1);

    connect(DateTimePicker1, &QDateEdit::dateChanged, this, [this] { DateTimePicker1Change(); });
    connect(DateTimePicker2, &QDateEdit::dateChanged, this, [this] { DateTimePicker2Change(); });
    connect(SaNumEditExC1, &controls::TSaNumEdit::OnChange, this,
            [this] { SaNumEditExC1Change(); });
    connect(SpeedButton1, &QPushButton::clicked, this, [this] { SpeedButton1Click(); });
    connect(RSerchBtn, &controls::TLbSpeedButton::OnClick, this, [this] { RSerchBtnClick(); });
    connect(CancelBtn, &controls::TLbSpeedButton::OnClick, this, [this] { CancelBtnClick(); });
    return box;
}

QWidget* TShutugenForm::BuildSearchResults() {
    auto* box = new QWidget;
    auto* outer = new QVBoxLayout(box);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* labels = new QGridLayout;
    GaitoSuLabel = NewValueLabel("GaitoSuLabel", box);
    TanBuyLabel = NewValueLabel("TanBuyLabel", box);
    TanGetLabel = NewValueLabel("TanGetLabel", box);
    TanTekiLabel = NewValueLabel("TanTekiLabel", box);
    TanKaishuLabel = NewValueLabel("TanKaishuLabel", box);
    FukBuyLabel = NewValueLabel("FukBuyLabel", box);
    FukGetLabel = NewValueLabel("FukGetLabel", box);
    FukTekiLabel = NewValueLabel("FukTekiLabel", box);
    FukKaishuLabel = NewValueLabel("FukKaishuLabel", box);
    AddCaptioned(labels, 0, 0, "該当数", GaitoSuLabel);
    AddCaptioned(labels, 0, 2, "掛け金合計", TanBuyLabel);
    AddCaptioned(labels, 0, 4, "単勝払戻額", TanGetLabel);
    AddCaptioned(labels, 0, 6, "単勝的中率", TanTekiLabel);
    AddCaptioned(labels, 0, 8, "単勝回収率", TanKaishuLabel);
    AddCaptioned(labels, 1, 2, "複勝購入率", FukBuyLabel);
    AddCaptioned(labels, 1, 4, "複勝払戻額", FukGetLabel);
    AddCaptioned(labels, 1, 6, "複勝的中率", FukTekiLabel);
    AddCaptioned(labels, 1, 8, "複勝回収率", FukKaishuLabel);
    // 該当数 and 複勝購入率 stay on the form, hidden with their captions.
    for (QLabel* hidden : {GaitoSuLabel, FukBuyLabel}) {
        int index = labels->indexOf(hidden);
        labels->itemAt(index - 1)->widget()->hide();
        hidden->hide();
    }
    labels->setColumnStretch(10, 1);
    outer->addLayout(labels);

    auto* grids = new QSplitter(Qt::Horizontal, box);
    StringGrid8 = new HitGrid(HitLayout::List, grids);
    StringGrid8->setObjectName(QStringLiteral("StringGrid8"));
    StringGrid7 = new HitGrid(HitLayout::Detail, grids);
    StringGrid7->setObjectName(QStringLiteral("StringGrid7"));
    grids->addWidget(StringGrid8);
    grids->addWidget(StringGrid7);
    grids->setStretchFactor(1, 1);
    grids->setSizes({360, 540});
    outer->addWidget(grids, 1);
    connect(StringGrid8, &HitGrid::HitClicked, this,
            [this](int row) { HitListMouseDown(StringGrid8, row); });
    return box;
}

void TShutugenForm::SetUpDates() {
    const QDate from = DaysBefore(context_.clock, 365), to = DaysBefore(context_.clock, 0);
    for (QDateEdit* edit : {DateTimePicker1, DateTimePicker3}) {
        const QSignalBlocker block(edit);
        edit->setDate(from);
    }
    for (QDateEdit* edit : {DateTimePicker2, DateTimePicker4}) {
        const QSignalBlocker block(edit);
        edit->setDate(to);
    }
    searchFromDate_ = tokeiFromDate_ = Yyyymmdd(from);
    searchToDate_ = tokeiToDate_ = Yyyymmdd(to);
}

void TShutugenForm::DateTimePicker1Change() {
    searchFromDate_ = Yyyymmdd(DateTimePicker1->date());
}
void TShutugenForm::DateTimePicker2Change() {
    searchToDate_ = Yyyymmdd(DateTimePicker2->date());
}
void TShutugenForm::DateTimePicker3Change() {
    tokeiFromDate_ = Yyyymmdd(DateTimePicker3->date());
}
void TShutugenForm::DateTimePicker4Change() {
    tokeiToDate_ = Yyyymmdd(DateTimePicker4->date());
}

void TShutugenForm::SaNumEditExC1Change() {
    SayDaysNotSaved(
        ini_.WriteInteger("Search", "Days", std::max(SaNumEditExC1->GetTextAsInteger(), 1)));
}
void TShutugenForm::SaNumEditExC2Change() {
    SayDaysNotSaved(
        ini_.WriteInteger("SearchTokei", "Days", std::max(SaNumEditExC2->GetTextAsInteger(), 1)));
}

// The days are written at every key typed: a refusal is said once, not at each key, until a
// write goes through again.
void TShutugenForm::SayDaysNotSaved(const keiba::IoResult& io) {
    if (io) {
        daysRefusal_.clear();
    } else if (io.message != daysRefusal_) {
        daysRefusal_ = io.message;
        context_.notifier.Information(io.message);
    }
}

void TShutugenForm::SpeedButton1Click() {
    const QDate from = DaysBefore(context_.clock, std::max(SaNumEditExC1->GetTextAsInteger(), 1));
    const QSignalBlocker block(DateTimePicker1);
    DateTimePicker1->setDate(from);
    searchFromDate_ = Yyyymmdd(from);
}
void TShutugenForm::SpeedButton2Click() {
    const QDate from = DaysBefore(context_.clock, std::max(SaNumEditExC2->GetTextAsInteger(), 1));
    const QSignalBlocker block(DateTimePicker3);
    DateTimePicker3->setDate(from);
    tokeiFromDate_ = Yyyymmdd(from);
}

void TShutugenForm::RSerchBtnClick() {
    // Every bound is read and checked before anything changes on the form.
    RSearchConditions::Read read = RSearchConditions::FromValues(editor_->Values());
    if (!read.conditions) {
        context_.notifier.Beep();
        context_.notifier.Information(read.message);
        return;
    }
    StartRun(Run::Search, std::make_shared<RSearchConditions>(std::move(*read.conditions)),
             searchFromDate_, searchToDate_);
}

void TShutugenForm::CancelBtnClick() {
    if (scan_) scan_->Cancel();
}

bool TShutugenForm::StartRun(Run run, std::shared_ptr<const RFilter> filter,
                             const std::string& from, const std::string& to) {
    if (scan_) {
        // Both buttons are disabled while a walk runs; one already cancelled is wound up first,
        // so its rows and labels cannot mix with the new walk's.
        if (!scan_->State().CancelRequested()) return false;
        scan_->Wait();
        FinishRun();
    }
    keiba::Notifier& notifier = context_.notifier;
    keiba::OperationOwner::Hold hold = operations_.Take(keiba::Operation::Search);
    if (!hold) {
        notifier.Beep();
        notifier.Information(kBusyMessage);
        return false;
    }
    if (wrapFilter_) filter = wrapFilter_(std::move(filter));
    const bool search = run == Run::Search;
    HitGrid* const grids[] = {search ? StringGrid8 : StringGrid1,
                              search ? StringGrid7 : StringGrid2};
    // The rows of the last result go before the walk starts, so that it can take their memory.
    for (HitGrid* grid : grids) grid->Model()->SetStore(nullptr);
    if (search) {
        for (QLabel* l : {GaitoSuLabel, TanBuyLabel, TanGetLabel, TanTekiLabel, TanKaishuLabel,
                          FukBuyLabel, FukGetLabel, FukTekiLabel, FukKaishuLabel})
            l->clear();
    } else {
        ClearLevelTable();
    }
    try {
        scan_ = std::make_unique<RScan>(
            RScanRequest{context_.folder / "VZK", from, to, std::move(filter)});
    } catch (const std::exception& e) {
        notifier.Beep();
        notifier.Information(std::string("検索を開始できませんでした。") + e.what());
        return false;
    }
    run_ = run;
    walkHold_ = std::move(hold);
    SetRunning(true);
    for (HitGrid* grid : grids) grid->Model()->SetStore(scan_->State().Store());
    // From nothing: a walk without a hit would otherwise leave the last walk's count beside its
    // empty grids.
    (search ? CtLabel : Ct2Label)->setText(U(ProgressText(0, 0)));
    poll_->start();
    return true;
}

void TShutugenForm::PollSearch() {
    if (!scan_) return;
    const RScanState& state = scan_->State();
    // Read before the rows: every row of a finished walk is then published.
    const bool done = state.Done();
    const bool search = run_ == Run::Search;
    for (HitGrid* grid : {search ? StringGrid8 : StringGrid1, search ? StringGrid7 : StringGrid2})
        grid->Model()->Refresh();
    ShowCount(state);
    if (done) FinishRun();
}

void TShutugenForm::FinishRun() {
    poll_->stop();
    std::unique_ptr<RScan> scan = std::move(scan_);
    scan->Wait();
    const RScanState& state = scan->State();
    const bool search = run_ == Run::Search;
    for (HitGrid* grid : {search ? StringGrid8 : StringGrid1, search ? StringGrid7 : StringGrid2})
        grid->Model()->Refresh();
    ShowCount(state);
    const RScanResult& result = state.Result();
    if (search) {
        RResultLabels l = ResultLabels(result.tally, result.cancelled);
        GaitoSuLabel->setText(controls::SjToQ(l.gaitoSu));
        TanBuyLabel->setText(controls::SjToQ(l.tanBuy));
        TanGetLabel->setText(controls::SjToQ(l.tanGet));
        TanTekiLabel->setText(controls::SjToQ(l.tanTeki));
        TanKaishuLabel->setText(controls::SjToQ(l.tanKaishu));
        FukBuyLabel->setText(controls::SjToQ(l.fukBuy));
        FukGetLabel->setText(controls::SjToQ(l.fukGet));
        FukTekiLabel->setText(controls::SjToQ(l.fukTeki));
        FukKaishuLabel->setText(controls::SjToQ(l.fukKaishu));
    } else if (!result.cancelled) {
        ShowLevelTable(result.tally);
    }
    SetRunning(false);

    keiba::Notifier& notifier = context_.notifier;
    if (const std::string unsearched = UnsearchedFilesText(result); !unsearched.empty()) {
        notifier.Beep();
        notifier.Information(unsearched);
    }
    if (result.full) {
        notifier.Beep();
        notifier.Information("該当馬が多すぎるため、検索を途中で打ち切りました。");
    }
    if (!result.failure.empty()) {
        notifier.Beep();
        notifier.Information(result.failure);
    }
}

void TShutugenForm::ShowCount(const RScanState& state) {
    const RScanState::Count count = state.Counted();
    (run_ == Run::Search ? CtLabel : Ct2Label)->setText(U(ProgressText(count.days, count.hits)));
}

void TShutugenForm::SetRunning(bool running) {
    if (!running) walkHold_.Release();
    RSerchBtn->setEnabled(!running);
    RSerchTokeiBtn->setEnabled(!running);
    if (running)
        QApplication::setOverrideCursor(Qt::BusyCursor);
    else
        QApplication::restoreOverrideCursor();
}

void TShutugenForm::HitListMouseDown(HitGrid* grid, int row) {
    const RHit* hit = grid ? grid->Model()->HitAt(row) : nullptr;
    if (!hit) return;
    RCardLoad load = LoadRCardRace(context_.folder, *hit);
    if (!load.message.empty()) {
        context_.notifier.Beep();
        context_.notifier.Information(load.message);
    }
    if (load.status != RCardStatus::Opened) return;
    if (openRace_) openRace_(*load.race);
}

} // namespace search
