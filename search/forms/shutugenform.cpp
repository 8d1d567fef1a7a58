#include "search/forms/shutugenform.h"

#include "controls/formbounds.h"
#include "controls/numedit.h"
#include "controls/qtext.h"
#include "controls/qtplatform.h"
#include "keiba/platform.h"
#include "search/forms/conditioneditor.h"
#include "search/nerairecord.h"

#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QSplitter>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace search {
namespace {

using controls::U;

std::string TrimmedText(const QString& text) {
    return TrimNeraiName(text.toStdString());
}

// A drop-down list shows nothing until an item is chosen; adding the first item to a
// QComboBox would select it.
void FillCombo(QComboBox* combo, const std::vector<std::string>& names) {
    const QSignalBlocker block(combo);
    combo->clear();
    for (const std::string& name : names) combo->addItem(U(name));
    combo->setCurrentIndex(-1);
}

constexpr const char* kBoundsSection = "locateShutugenForm";

} // namespace

TShutugenForm::TShutugenForm(const keiba::ProgramContext& context,
                             keiba::OperationOwner& operations, QWidget* parent)
    : QDialog(parent)
    , BoundsSavedAtQuit(*this, context.settings, kBoundsSection)
    , context_(context)
    , ini_(context.settings)
    , operations_(operations) {
    setObjectName(QStringLiteral("ShutugenForm"));
    setWindowTitle(QStringLiteral("R馬検索"));
    setWindowFlag(Qt::WindowStaysOnTopHint);

    auto* outer = new QVBoxLayout(this);
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    outer->addWidget(PageControl1);

    // The conditions are taller than the form: they scroll above the results, and the page
    // scrolls sideways where it is wider, so the form keeps the size it was given and every
    // control stays reachable.
    auto* scroll = new QScrollArea;
    scroll->setObjectName(QStringLiteral("SeisekiScroll"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    PageControl1->addTab(scroll, QStringLiteral("成績検索"));
    seisekiPage_ = new QWidget;
    seisekiPage_->setObjectName(QStringLiteral("SeisekiSheet"));
    auto* page = new QVBoxLayout(seisekiPage_);

    auto* setRow = new QHBoxLayout;
    setRow->addWidget(new QLabel(QStringLiteral("狙い馬条件名"), seisekiPage_));
    NeraiEdit = new QLineEdit(seisekiPage_);
    NeraiEdit->setObjectName(QStringLiteral("NeraiEdit"));
    NeraiEdit->setMinimumWidth(160);
    setRow->addWidget(NeraiEdit);
    NeraiSaveBtn = new QPushButton(QStringLiteral("登録"), seisekiPage_);
    NeraiSaveBtn->setObjectName(QStringLiteral("NeraiSaveBtn"));
    setRow->addWidget(NeraiSaveBtn);
    setRow->addSpacing(16);
    setRow->addWidget(new QLabel(QStringLiteral("読込"), seisekiPage_));
    NeraiCombo = new QComboBox(seisekiPage_);
    NeraiCombo->setObjectName(QStringLiteral("NeraiCombo"));
    NeraiCombo->setMinimumWidth(160);
    setRow->addWidget(NeraiCombo);
    NeraiDelBtn = new QPushButton(QStringLiteral("削除"), seisekiPage_);
    NeraiDelBtn->setObjectName(QStringLiteral("NeraiDelBtn"));
    setRow->addWidget(NeraiDelBtn);
    setRow->addSpacing(16);
    ClearSetBtn = new QPushButton(QStringLiteral("←本走・前走条件設定をクリア"), seisekiPage_);
    ClearSetBtn->setObjectName(QStringLiteral("ClearSetBtn"));
    setRow->addWidget(ClearSetBtn);
    MakeListBtn = new QPushButton(QStringLiteral("MakeList"), seisekiPage_);
    MakeListBtn->setObjectName(QStringLiteral("MakeListBtn"));
    MakeListBtn->setVisible(false);
    setRow->addWidget(MakeListBtn);
    setRow->addStretch(1);
    page->addLayout(setRow);

    page->addWidget(BuildSearchControls());
    editor_ = new NeraiConditionEditor;
    auto* conditions = new QScrollArea;
    conditions->setObjectName(QStringLiteral("ConditionScroll"));
    conditions->setWidget(editor_);
    conditions->setWidgetResizable(true);
    conditions->setFrameShape(QFrame::NoFrame);
    auto* split = new QSplitter(Qt::Vertical, seisekiPage_);
    split->setObjectName(QStringLiteral("SearchSplitter"));
    split->addWidget(conditions);
    split->addWidget(BuildSearchResults());
    // The results get the room the conditions can spare: those scroll.
    split->setStretchFactor(0, 2);
    split->setStretchFactor(1, 3);
    split->setSizes({220, 330});
    page->addWidget(split, 1);
    scroll->setWidget(seisekiPage_);

    // Wider than the form's default: the sheet scrolls rather than stretching the form.
    auto* tokei = new QScrollArea;
    tokei->setObjectName(QStringLiteral("TokeiScroll"));
    tokei->setFrameShape(QFrame::NoFrame);
    tokei->setWidgetResizable(true);
    tokei->setWidget(BuildTokeiPage());
    PageControl1->addTab(tokei, QStringLiteral("R馬統計"));
    SetUpDates();
    poll_ = new QTimer(this);
    poll_->setInterval(100);
    connect(poll_, &QTimer::timeout, this, [this] { PollSearch(); });

    connect(NeraiSaveBtn, &QPushButton::clicked, this, [this] { NeraiSaveBtnClick(); });
    connect(NeraiDelBtn, &QPushButton::clicked, this, [this] { NeraiDelBtnClick(); });
    connect(ClearSetBtn, &QPushButton::clicked, this, [this] { ClearSetBtnClick(); });
    connect(MakeListBtn, &QPushButton::clicked, this, [this] { MakeListBtnClick(); });
    connect(NeraiCombo, &QComboBox::activated, this, [this](int) { NeraiComboChange(); });

    controls::RestoreBounds(*this,
                            controls::ReadBounds(ini_, kBoundsSection, QRect(30, 20, 950, 600)));
    SaNumEditExC1->SetTextAsInteger(ini_.ReadInteger("Search", "Days", 365));
    SaNumEditExC2->SetTextAsInteger(ini_.ReadInteger("SearchTokei", "Days", 365));
    MakeListBtnClick();
    controls::NoImplicitDefaultButtons(*this);
}

TShutugenForm::~TShutugenForm() {
    // The walk reads nothing of the form; it is stopped before the form's parts go, and gives
    // the owner back with them.
    if (scan_) {
        scan_.reset();
        QApplication::restoreOverrideCursor();
    }
}

void TShutugenForm::AttachTargetCombos(const std::array<QComboBox*, 4>& combos) {
    targetCombos_ = combos;
    MakeListBtnClick();
}

void TShutugenForm::NeraiSaveBtnClick() {
    keiba::Notifier& notifier = context_.notifier;
    // The name is remembered in the settings file, which gives it back as CP932 reads it.
    const std::string name = TrimNeraiName(controls::TypedText(NeraiEdit->text()));
    switch (CheckNeraiName(name)) {
    case NeraiNameCheck::Ok: break;
    case NeraiNameCheck::Empty:
        notifier.Beep();
        notifier.Information(std::string(kNeraiNameEmptyMessage));
        return;
    case NeraiNameCheck::BadChar:
        notifier.Beep();
        notifier.Information(std::string(kNeraiNameBadMessage));
        return;
    }

    const NeraiEncoded encoded = EncodeNerai(editor_->Values());
    if (!encoded.record) {
        notifier.Beep();
        notifier.Information(encoded.message);
        return;
    }
    if (NeraiFileExists(context_.folder, name) && !notifier.YesNo(NeraiOverwriteQuestion(name)))
        return;
    std::size_t kept = 0;
    const keiba::IoResult written = WriteNeraiFile(context_.folder, name, *encoded.record, &kept);
    if (!written) {
        notifier.Beep();
        notifier.Information(written.message);
        return;
    }
    MakeListBtnClick();
    if (userKaimeMakeList_) userKaimeMakeList_();
    std::string told(kNeraiSavedMessage);
    if (kept > 0)
        told += "\r\n" + keiba::UnreadLinesKeptText(NeraiPath(context_.folder, name), kept);
    notifier.Information(told);
}

void TShutugenForm::NeraiComboChange() {
    const std::string name = TrimmedText(NeraiCombo->currentText());
    if (name.empty()) return;
    const NeraiRead read = ReadNeraiFile(context_.folder, name);
    if (read.status == NeraiReadStatus::Missing) return;
    if (read.status != NeraiReadStatus::Ok) {
        context_.notifier.Beep();
        context_.notifier.Information(read.message);
        return;
    }
    editor_->Load(DecodeNerai(read.record));
}

void TShutugenForm::ClearSetBtnClick() {
    editor_->ClearSet();
}

void TShutugenForm::NeraiDelBtnClick() {
    const std::string name = TrimmedText(NeraiCombo->currentText());
    if (name.empty() || !DeleteNeraiFile(context_.folder, name)) return;
    MakeListBtnClick();
    // The user combination settings would otherwise still offer the deleted set.
    if (userKaimeMakeList_) userKaimeMakeList_();
}

void TShutugenForm::MakeListBtnClick() {
    keiba::IoResult listed;
    const std::vector<std::string> names = NeraiSetNames(context_.folder, &listed);
    tellListFailure_(context_.notifier, listed.message);
    FillCombo(NeraiCombo, names);
    for (QComboBox* combo : targetCombos_)
        if (combo) FillCombo(combo, names);
    if (names.empty()) return;
    for (int k = 1; k <= 4; ++k) {
        QComboBox* combo = targetCombos_[static_cast<std::size_t>(k - 1)];
        if (!combo) continue;
        const std::string name =
            TrimNeraiName(ini_.ReadString("Myfavo", "nerai" + std::to_string(k), ""));
        if (name.empty()) continue;
        const int index = combo->findText(U(name), Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (index < 0) continue;
        const QSignalBlocker block(combo);
        combo->setCurrentIndex(index);
    }
}

} // namespace search
