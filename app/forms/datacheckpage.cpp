#include "app/forms/datacheckpage.h"

#include "controls/qtext.h"
#include "jvdata/dayfiles.h"
#include "keiba/fileio.h"
#include "views/grid.h"
#include "views/indexcard.h"

#include <QAction>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>
#include <array>

namespace app {
namespace {

using raceday::kCheckColumns;

constexpr std::array<const char*, kCheckColumns> kHeadings = {
    "枠",     "馬",     "馬名",     "頭",    "RLev", "人",  "着",     "ｵｯｽﾞ",   "R馬",
    "予想",   "増減理", "上昇",     "潜在",  "経験", "ｺｰｽ", "距離",   "LV属性", "高LV",
    "高勝率", "低勝率", "血統",     "騎手",  "初高", "5走", "場所",   "頭",     "ﾄﾗｯｸ",
    "距離",   "種別",   "競走条件", "Grade", "RLev", "人",  "着",     "ｵｯｽﾞ",   "R馬",
    "予想",   "増減理", "上昇",     "潜在",  "経験", "ｺｰｽ", "距離",   "LV属性", "高LV",
    "高勝率", "低勝率", "血統",     "騎手",  "初高", "5走", "単回収", "複回収", "結果"};
constexpr std::array<int, kCheckColumns> kWidths = {
    20, 20, 130, 20, 30, 20, 20, 40, 25, 30, 45, 30, 30, 30, 30, 30, 45, 30,
    45, 45, 30,  30, 30, 30, 30, 20, 30, 30, 30, 60, 35, 30, 20, 20, 40, 25,
    30, 45, 30,  30, 30, 30, 30, 45, 30, 45, 45, 30, 30, 30, 30, 40, 40, 30};

const QColor kThisRun(255, 200, 200);
const QColor kPreviousRun(176, 255, 176);

QLabel* Legend(const char* text, const QColor& color, QWidget* parent) {
    auto* l = new QLabel(QString::fromUtf8(text), parent);
    l->setAutoFillBackground(true);
    QPalette p = l->palette();
    p.setColor(QPalette::Window, color);
    l->setPalette(p);
    l->setFrameShape(QFrame::Box);
    l->setMargin(2);
    return l;
}

QLabel* Title(const char* name, QWidget* parent) {
    auto* l = new QLabel(parent);
    l->setObjectName(QString::fromLatin1(name));
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
    return l;
}

} // namespace

DataCheckPage::DataCheckPage(const keiba::ProgramContext& context, QWidget* parent)
    : QWidget(parent)
    , context_(context) {
    setObjectName(QStringLiteral("DataCheckSheet"));
    auto* outer = new QVBoxLayout(this);

    // The hidden menu "ファイル(&F)" of the form.
    menu_ = new QMenuBar(this);
    menu_->setObjectName(QStringLiteral("DataCheckMenu"));
    QMenu* file = menu_->addMenu(QStringLiteral("ファイル(&F)"));
    MakeCPDB_ = file->addAction(QStringLiteral("コンピ用辞書データ(再)作成(&M)"));
    MakeCPDB_->setObjectName(QStringLiteral("MakeCPDB"));
    QMenu* add = file->addMenu(QStringLiteral("コンピ用辞書未登録データ作成"));
    // 本年分 and 昨年分 do nothing.
    add->addAction(QStringLiteral("本年分"))->setObjectName(QStringLiteral("AddDataThisYr"));
    add->addAction(QStringLiteral("昨年分"))->setObjectName(QStringLiteral("AddDataLastYr"));
    menu_->hide();

    auto* top = new QHBoxLayout;
    DateCombo = new QComboBox(this);
    DateCombo->setObjectName(QStringLiteral("DateCombo"));
    DateCombo->setMaxVisibleItems(36);
    DateCombo->setMinimumWidth(130);
    top->addWidget(DateCombo);
    TitleLabel1 = Title("TitleLabel1", this);
    TitleLabel2 = Title("TitleLabel2", this);
    TitleLabel3 = Title("TitleLabel3", this);
    for (QLabel* l : {TitleLabel1, TitleLabel2, TitleLabel3}) {
        top->addSpacing(12);
        top->addWidget(l);
    }
    top->addStretch(1);
    top->addWidget(Legend("本走", kThisRun, this));
    top->addWidget(Legend("前走", kPreviousRun, this));
    MakeDataListBtn = new QPushButton(QStringLiteral("リスト作成"), this);
    MakeDataListBtn->setObjectName(QStringLiteral("MakeDataListBtn"));
    MakeDataListBtn->hide();
    top->addWidget(MakeDataListBtn);
    outer->addLayout(top);

    auto* body = new QHBoxLayout;
    DatList = new QListWidget(this);
    DatList->setObjectName(QStringLiteral("DatList"));
    DatList->setFixedWidth(90);
    body->addWidget(DatList);
    StringGrid6 = new views::StringGrid(this);
    StringGrid6->setObjectName(QStringLiteral("StringGrid6"));
    views::GridModel* model = StringGrid6->Model();
    model->SetColCount(kCheckColumns);
    model->SetRowCount(2);
    model->SetFixedRows(1);
    model->SetFixedCols(2);
    StringGrid6->setFont(views::RunnerGridFont());
    StringGrid6->SetDefaultRowHeight(15);
    for (int c = 0; c < kCheckColumns; ++c) {
        StringGrid6->SetColWidth(c, kWidths[static_cast<std::size_t>(c)]);
        model->SetCells(c, 0, QString::fromUtf8(kHeadings[static_cast<std::size_t>(c)]));
    }
    model->SetDrawCell([this](int col, int row, views::CellPaint& paint) {
        StringGrid6DrawCell(col, row, paint);
    });
    body->addWidget(StringGrid6, 1);
    outer->addLayout(body, 1);

    connect(MakeDataListBtn, &QPushButton::clicked, this, [this] { MakeDataListBtnClick(); });
    connect(DateCombo, &QComboBox::activated, this, [this](int) { DateComboChange(); });
    // The race shown follows the current row, whether a click or the arrow keys moved it.
    connect(DatList, &QListWidget::currentRowChanged, this, [this](int) { DatListClick(); });
}

void DataCheckPage::MakeDataListBtnClick() {
    ListDates(QString());
}

void DataCheckPage::RereadDay() {
    ListDates(DateCombo->currentText());
}

void DataCheckPage::ListDates(const QString& keep) {
    keiba::IoResult listed;
    const std::vector<std::string> dates =
        raceday::CheckDateItems(context_.folder / "VZK", &listed);
    tellListFailure_(context_.notifier, listed.message);
    {
        const QSignalBlocker block(DateCombo);
        DateCombo->clear();
        for (const std::string& d : dates) DateCombo->addItem(QString::fromStdString(d));
    }
    if (dates.empty()) return;
    DateCombo->setCurrentIndex(std::max(0, DateCombo->findText(keep)));
    DateComboChange();
}

void DataCheckPage::DateComboChange() {
    views::GridModel* model = StringGrid6->Model();
    for (int r = 1; r < model->RowCount(); ++r) model->ClearRow(r);
    std::optional<std::string> date8 =
        raceday::CheckItemDate(DateCombo->currentText().toStdString());
    if (!date8) return;
    const raceday::MembersFileFound found =
        raceday::FindMembersFile(context_.folder / "VZK", "XQ", *date8, ".vzkd");
    if (!found.look) {
        context_.notifier.Beep();
        context_.notifier.Information(found.look.message);
        return;
    }
    if (!found) return; // a file gone since the list was made: the list stays as it was
    const std::filesystem::path& path = *found.path;
    std::string bytes;
    const raceday::AnalysisFileRead read = raceday::ReadAnalysisFile(path, bytes);
    if (read.Missing()) return; // gone since the list was made, as above
    if (!read) {
        context_.notifier.Beep();
        context_.notifier.Information(read.read.message);
        return;
    }
    // The day's race file says which runners the file should hold; one that cannot be read is
    // said, and the file then counts by itself.
    keiba::FileRead races;
    if (const auto date = jvdata::ParseYyyymmdd(*date8))
        races = keiba::ReadFileOrMissing(
            jvdata::DayFilePath(context_.folder, *date, jvdata::DayFile::RA));
    raceday::LoadCheckDay(bytes, *date8, day_,
                          races.bytes ? std::optional<std::string_view>(*races.bytes)
                                      : std::nullopt);
    {
        const QSignalBlocker block(DatList);
        DatList->clear();
        for (const raceday::CheckRace& race : day_.races)
            DatList->addItem(controls::SjToQ(race.item));
        if (DatList->count() > 0) DatList->setCurrentRow(0);
    }
    if (DatList->count() > 0) DatListClick();
    // Told once the day is shown, so that the box stands over what could be read.
    std::string told = raceday::CheckDayText(day_, path);
    if (!races.read) told = races.read.message + (told.empty() ? "" : "\n") + told;
    if (!told.empty()) {
        context_.notifier.Beep();
        context_.notifier.Information(told);
    }
}

void DataCheckPage::DatListClick() {
    const int item = DatList->currentRow();
    if (item < 0 || item >= static_cast<int>(day_.races.size())) return;
    const int slot = day_.races[static_cast<std::size_t>(item)].slot;
    const int n = raceday::CheckRunnerCount(*day_.table, slot);
    const std::array<std::string, 3> titles = raceday::CheckTitles(*day_.table, slot);
    TitleLabel1->setText(controls::SjToQ(titles[0]));
    TitleLabel2->setText(controls::SjToQ(titles[1]));
    TitleLabel3->setText(controls::SjToQ(titles[2]));
    views::GridModel* model = StringGrid6->Model();
    model->SetRowCount(n + 1);
    const auto& race = (*day_.table)[static_cast<std::size_t>(slot)];
    for (int r = 1; r <= n; ++r)
        for (int c = 0; c < kCheckColumns; ++c)
            model->SetCells(
                c, r,
                controls::SjToQ(raceday::CheckCellText(race[static_cast<std::size_t>(r - 1)], c)));
}

void DataCheckPage::StringGrid6DrawCell(int col, int row, views::CellPaint& p) const {
    p.alignment = (row > 0 && col == 2 ? Qt::AlignLeft : Qt::AlignHCenter) | Qt::AlignTop;
    if (row == 0) {
        p.background = QColor(192, 192, 192);
        return;
    }
    if (col == 0) {
        // A bracket outside 1..8 has no colour of its own: the cell is white.
        const QColor c =
            views::BracketColor(StringGrid6->Model()->Cells(col, row).trimmed().toInt());
        p.background = c.isValid() ? c : QColor(Qt::white);
    } else if (col == 1) {
        p.background = views::InfoBackground();
    } else if (col <= 23) {
        p.background = kThisRun;
    } else if (col <= 50) {
        p.background = kPreviousRun;
    } else if (col <= 52) {
        p.background = QColor(162, 255, 255);
    }
}

} // namespace app
