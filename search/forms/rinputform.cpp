#include "search/forms/rinputform.h"

#include "controls/formbounds.h"
#include "controls/qtplatform.h"
#include "keiba/fileio.h"
#include "keiba/platform.h"
#include "search/handinput.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>

namespace search {

namespace {

// Item index = the level digit.
constexpr const char16_t* kLevels[] = {u"非該当", u"低★",  u"低－", u"低＋",
                                       u"普通",   u"高－", u"高＋", u"高★"};
// Item index 0 R+, 1 R-, 2 none: the file's '1', '2' and '0'.
constexpr int kNoMark = 2;

constexpr const char* kBoundsSection = "locateRInputForm";

int MarkOfItem(int item) {
    return item == 0 ? 1 : item == 1 ? 2 : 0;
}

int ItemOfMark(int mark) {
    return mark == 1 ? 0 : mark == 2 ? 1 : kNoMark;
}

} // namespace

TRInputForm::TRInputForm(const keiba::ProgramContext& context, const raceday::RaceDay& day,
                         QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint)
    , BoundsSavedAtQuit(*this, context.settings, kBoundsSection, Keeps::Position)
    , day_(day)
    , context_(context)
    , ini_(context.settings) {
    setObjectName(QStringLiteral("RInputForm"));
    setWindowTitle(QStringLiteral("R馬手入力"));

    auto* outer = new QHBoxLayout(this);
    DatList_ = new QListWidget(this);
    DatList_->setObjectName(QStringLiteral("DatList"));
    DatList_->setFixedWidth(90);
    connect(DatList_, &QListWidget::currentRowChanged, this, [this] { DatListClick(); });
    outer->addWidget(DatList_);

    auto* right = new QVBoxLayout;
    auto* levelRow = new QHBoxLayout;
    levelRow->addWidget(new QLabel(QStringLiteral("Rレベル"), this));
    RLVCombo_ = new QComboBox(this);
    RLVCombo_->setObjectName(QStringLiteral("RLVCombo"));
    for (const char16_t* text : kLevels) RLVCombo_->addItem(QString::fromUtf16(text));
    connect(RLVCombo_, &QComboBox::activated, this, [this](int) { RLVComboChange(); });
    levelRow->addWidget(RLVCombo_);
    levelRow->addStretch(1);
    right->addLayout(levelRow);

    // Two columns of nine runners.
    auto* runners = new QGridLayout;
    for (int n = 1; n <= raceday::kMaxRunners; ++n) {
        const auto i = static_cast<std::size_t>(n - 1);
        auto* label = new QLabel(QString::asprintf("%2d", n), this);
        label->setObjectName(QStringLiteral("CJlabel%1").arg(n));
        auto* combo = new QComboBox(this);
        combo->setObjectName(QStringLiteral("RumaCombo%1").arg(n));
        combo->addItems({QStringLiteral("R+"), QStringLiteral("R-"), QStringLiteral("非該当")});
        combo->setCurrentIndex(kNoMark);
        connect(combo, &QComboBox::activated, this, [this](int) { RumaComboChange(); });
        CJlabels[i] = label;
        RumaCombos[i] = combo;
        const int row = (n - 1) % 9;
        const int col = (n - 1) / 9 * 2;
        runners->addWidget(label, row, col);
        runners->addWidget(combo, row, col + 1);
    }
    right->addLayout(runners);
    right->addStretch(1);
    outer->addLayout(right);

    ReadCompBtn = new QPushButton(QStringLiteral("読込"), this);
    ReadCompBtn->setObjectName(QStringLiteral("ReadCompBtn"));
    ReadCompBtn->hide();
    connect(ReadCompBtn, &QPushButton::clicked, this, &TRInputForm::ReadCompBtnClick);
    Savebtn = new QPushButton(QStringLiteral("更新を保存"), this);
    Savebtn->setObjectName(QStringLiteral("Savebtn"));
    Savebtn->hide();
    connect(Savebtn, &QPushButton::clicked, this, &TRInputForm::SavebtnClick);

    // A fixed border: the dialog keeps the size its controls need.
    outer->setSizeConstraint(QLayout::SetFixedSize);
    // The place of the client area, stored as it was restored. A frame position given before
    // the window has a frame is taken for the client area's once the layout sizes the window
    // (on X11 the frame is known only when the window is mapped), and the dialog crept up by
    // its title bar at every run.
    adjustSize();
    controls::RestoreBounds(*this, QRect(QPoint(ini_.ReadInteger(kBoundsSection, "left", 100),
                                                ini_.ReadInteger(kBoundsSection, "top", 50)),
                                         size()));
    controls::NoImplicitDefaultButtons(*this);
}

QComboBox* TRInputForm::RumaCombo(int n) const {
    return n >= 1 && n <= raceday::kMaxRunners ? RumaCombos[static_cast<std::size_t>(n - 1)]
                                               : nullptr;
}

QLabel* TRInputForm::CJlabel(int n) const {
    return n >= 1 && n <= raceday::kMaxRunners ? CJlabels[static_cast<std::size_t>(n - 1)]
                                               : nullptr;
}

int TRInputForm::SelectedRace() const {
    const int r = DatList_->currentRow();
    return r >= 0 && r < DatList_->count() && r < raceday::kMaxRaces ? r : -1;
}

void TRInputForm::RumaComboChange() {
    Savebtn->click();
}

void TRInputForm::RLVComboChange() {
    Savebtn->click();
}

void TRInputForm::DatListClick() {
    ReadCompBtn->click();
}

void TRInputForm::ReadCompBtnClick() {
    const int r = SelectedRace();
    const int runners = r >= 0 ? raceday::FieldSize(day_, r) : 0;
    RLVCombo_->setCurrentIndex(0);
    for (int n = 1; n <= raceday::kMaxRunners; ++n) {
        RumaCombo(n)->setCurrentIndex(kNoMark);
        RumaCombo(n)->setVisible(n <= runners);
        CJlabel(n)->setVisible(n <= runners);
    }
    if (r < 0 || day_.rumaFileName.empty()) return;
    const keiba::FileRead file = keiba::ReadFileOrMissing(day_.rumaFileName);
    if (!file.read) context_.notifier.Information(file.read.message);
    if (!file.bytes) return;
    const RumaEntry entry =
        ReadRumaEntry(*file.bytes, day_.gDayRaces[static_cast<std::size_t>(r)].Key().Key12());
    RLVCombo_->setCurrentIndex(entry.level);
    for (int n = 1; n <= runners; ++n)
        RumaCombo(n)->setCurrentIndex(ItemOfMark(entry.marks[static_cast<std::size_t>(n - 1)]));
}

void TRInputForm::SavebtnClick() {
    const int r = SelectedRace();
    if (r < 0 || day_.rumaFileName.empty()) return;
    RumaEntry entry;
    entry.level = std::max(RLVCombo_->currentIndex(), 0);
    for (int n = 1; n <= raceday::kMaxRunners; ++n)
        entry.marks[static_cast<std::size_t>(n - 1)] = MarkOfItem(RumaCombo(n)->currentIndex());

    const std::filesystem::path& path = day_.rumaFileName;
    keiba::FileRead existing = keiba::ReadFileOrMissing(path);
    if (!existing.read) {
        // A file that is there but cannot be read is not replaced by a fresh one.
        context_.notifier.Information(existing.read.message);
        return;
    }
    std::size_t unread = 0;
    const std::string bytes =
        UpdateRumaFile(existing.bytes, DayRumaKeys(day_, DatList_->count()),
                       day_.gDayRaces[static_cast<std::size_t>(r)].Key().Key12(), entry, &unread);
    if (keiba::IoResult io = keiba::WriteFileAtomic(path, bytes); !io) {
        context_.notifier.Information(io.message);
        return;
    }
    // Every change saves: the lines kept are told once for the file, and again only when their
    // count changes.
    const std::string kept = unread > 0 ? keiba::UnreadLinesKeptText(path, unread) : std::string();
    if (kept != toldKept_ && !kept.empty()) context_.notifier.Information(kept);
    toldKept_ = kept;
}

} // namespace search
