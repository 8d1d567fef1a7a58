// The R馬統計 tab: its date range, four condition lists, the run over the analysis files (the
// walk of shutugenform_search.cpp with the tab's conditions) and the level table StringGrid3.

#include "search/forms/shutugenform.h"

#include "controls/halfwidthinput.h"
#include "controls/numedit.h"
#include "controls/qtext.h"
#include "controls/speedbutton.h"
#include "keiba/sjis.h"
#include "search/forms/conditioneditor.h"
#include "search/forms/hitgrid.h"
#include "search/rresults.h"
#include "views/grid.h"

#include <QDateEdit>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSplitter>
#include <QVBoxLayout>

namespace search {
namespace {

QListWidget* NewList(const char* name, std::initializer_list<const char*> items, QWidget* parent) {
    auto* list = new QListWidget(parent);
    list->setObjectName(QString::fromLatin1(name));
    list->setSelectionMode(QAbstractItemView::MultiSelection);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    for (const char* item : items) list->addItem(QString::fromUtf8(item));
    const int frame = 2 * list->frameWidth();
    list->setFixedHeight(list->count() * list->sizeHintForRow(0) + frame + 2);
    list->setFixedWidth(std::max(list->sizeHintForColumn(0) + frame + 12, 40));
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(list, &QListWidget::customContextMenuRequested, list,
                     [list](const QPoint&) { NeraiConditionEditor::ToggleAll(list); });
    return list;
}

std::vector<bool> Selected(const QListWidget* list) {
    std::vector<bool> selected;
    for (int i = 0; i < list->count(); ++i) selected.push_back(list->item(i)->isSelected());
    return selected;
}

// A rate cell above 100 is red: its text read as a number, 0 when empty.
bool AboveHundred(const QString& text) {
    bool ok = false;
    double v = text.trimmed().toDouble(&ok);
    return ok && v > 100.0;
}

void DrawLevelCell(const views::GridModel& model, int col, int row, views::CellPaint& p) {
    const bool total = row == 8;
    p.alignment = (row > 0 && col == 2 ? Qt::AlignLeft : Qt::AlignHCenter) | Qt::AlignVCenter;
    if (row == 0 || col == 0) {
        p.background = row == 8 ? QColor(0, 210, 0) : QColor(140, 255, 140);
        return;
    }
    p.bold = true;
    if (col == 1)
        p.background = total ? QColor(255, 176, 255) : QColor(255, 225, 255);
    else if (col <= 5)
        p.background = total ? QColor(140, 255, 255) : QColor(196, 255, 255);
    else
        p.background = total ? QColor(238, 247, 68) : QColor(247, 251, 174);
    if (col == 4 || col == 5 || col == 8 || col == 9)
        p.textColor = AboveHundred(model.Cells(col, row)) ? QColor(Qt::red) : QColor(Qt::black);
}

// The level table shows every row and column at any size of the window: its height is that of
// its rows, and its columns share the width the page gives it, none narrower than its design
// width or its heading.
class LevelGrid : public views::StringGrid {
public:
    static constexpr int kDesignColumn = 70;

    using StringGrid::StringGrid;

    // After the headings and the font are set.
    void Fit() {
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        least_ = kDesignColumn;
        const views::CellPaint plain;
        for (int c = 0; c < Model()->ColCount(); ++c)
            least_ = std::max(least_, fontMetrics().horizontalAdvance(Model()->Cells(c, 0)) +
                                          2 * plain.textInset + 2);
        int height = 2 * frameWidth();
        for (int r = 0; r < Model()->RowCount(); ++r) height += RowHeight(r) + Line();
        setFixedHeight(height);
        setMinimumWidth(2 * frameWidth() + Model()->ColCount() * (least_ + Line()));
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        Spread();
    }

protected:
    void resizeEvent(QResizeEvent* event) override {
        Spread();
        StringGrid::resizeEvent(event);
    }

private:
    // The grid line after every row and column: what a row's section holds beyond its cells.
    int Line() const { return std::max(verticalHeader()->defaultSectionSize() - RowHeight(1), 0); }
    void Spread() {
        const int cols = Model()->ColCount();
        if (cols <= 0) return;
        const int inner = width() - 2 * frameWidth() - cols * Line();
        const int each = std::max(inner / cols, least_);
        const int extra = std::max(inner - each * cols, 0);
        for (int c = 0; c < cols; ++c) SetColWidth(c, each + (c < extra ? 1 : 0));
    }

    int least_ = kDesignColumn;
};

} // namespace

QWidget* TShutugenForm::BuildTokeiPage() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("TokeiSheet"));
    auto* outer = new QVBoxLayout(page);

    auto* range = new QHBoxLayout;
    range->addWidget(new QLabel(QStringLiteral("検索期間"), page));
    DateTimePicker3 = new controls::TDateEdit(page);
    DateTimePicker4 = new controls::TDateEdit(page);
    DateTimePicker3->setObjectName(QStringLiteral("DateTimePicker3"));
    DateTimePicker4->setObjectName(QStringLiteral("DateTimePicker4"));
    for (QDateEdit* edit : {DateTimePicker3, DateTimePicker4}) {
        edit->setCalendarPopup(true);
        edit->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
    }
    range->addWidget(DateTimePicker3);
    range->addWidget(new QLabel(QStringLiteral("～"), page));
    range->addWidget(DateTimePicker4);
    range->addSpacing(12);
    SaNumEditExC2 = NewDaysEdit("SaNumEditExC2", page);
    range->addWidget(SaNumEditExC2);
    range->addWidget(new QLabel(QStringLiteral("日前"), page));
    SpeedButton2 = new QPushButton(QStringLiteral("更新"), page);
    SpeedButton2->setObjectName(QStringLiteral("SpeedButton2"));
    range->addWidget(SpeedButton2);
    range->addSpacing(12);
    Ct2Label = new QLabel(page);
    Ct2Label->setObjectName(QStringLiteral("Ct2Label"));
    range->addWidget(Ct2Label);
    range->addStretch(1);
    outer->addLayout(range);

    auto* conditions = new QHBoxLayout;
    auto addList = [&](const char* caption, QListWidget* list) {
        auto* column = new QVBoxLayout;
        column->setSpacing(1);
        column->addWidget(new QLabel(QString::fromUtf8(caption), page));
        column->addWidget(list);
        column->addStretch(1);
        conditions->addLayout(column);
    };
    TrackListT = NewList("TrackListT", {"芝", "ダート"}, page);
    AgeListT = NewList("AgeListT", {"２歳", "３歳", "３歳上", "４歳上"}, page);
    ClassListT =
        NewList("ClassListT",
                {"未勝利", "500万", "1000万", "1600万", "オープン", "G３", "G２", "G１"}, page);
    RUmaListT = NewList("RUmaListT", {"R+", "R-"}, page);
    addList("TR", TrackListT);
    addList("種別", AgeListT);
    addList("クラス", ClassListT);
    addList("R馬", RUmaListT);
    conditions->addSpacing(16);
    auto* buttons = new QVBoxLayout;
    RSerchTokeiBtn = NewRunButton("RSerchTokeiBtn", QStringLiteral("R馬検索"), page);
    CancelBtn2 = NewRunButton("CancelBtn2", QStringLiteral("中止"), page);
    buttons->addWidget(RSerchTokeiBtn);
    buttons->addWidget(CancelBtn2);
    buttons->addStretch(1);
    conditions->addLayout(buttons);
    conditions->addSpacing(16);

    auto* levels = new LevelGrid(page);
    StringGrid3 = levels;
    StringGrid3->setObjectName(QStringLiteral("StringGrid3"));
    views::GridModel* table = StringGrid3->Model();
    table->SetColCount(kLevelColumns);
    table->SetRowCount(kLevelRows);
    table->SetFixedCols(1);
    table->SetFixedRows(1);
    for (int c = 0; c < kLevelColumns; ++c) {
        StringGrid3->SetColWidth(c, LevelGrid::kDesignColumn);
        table->SetCells(c, 0, QString::fromUtf8(LevelHeading(c)));
    }
    for (int r = 1; r < kLevelRows; ++r) table->SetCells(0, r, QString::fromUtf8(LevelRowLabel(r)));
    table->SetDrawCell(
        [table](int col, int row, views::CellPaint& p) { DrawLevelCell(*table, col, row, p); });
    levels->Fit();
    conditions->addWidget(StringGrid3, 1, Qt::AlignTop);
    outer->addLayout(conditions);

    auto* grids = new QSplitter(Qt::Horizontal, page);
    StringGrid1 = new HitGrid(HitLayout::List, grids);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid2 = new HitGrid(HitLayout::Detail, grids);
    StringGrid2->setObjectName(QStringLiteral("StringGrid2"));
    grids->addWidget(StringGrid1);
    grids->addWidget(StringGrid2);
    grids->setStretchFactor(1, 1);
    outer->addWidget(grids, 1);

    connect(DateTimePicker3, &QDateEdit::dateChanged, this, [this] { DateTimePicker3Change(); });
    connect(DateTimePicker4, &QDateEdit::dateChanged, this, [this] { DateTimePicker4Change(); });
    connect(SaNumEditExC2, &controls::TSaNumEdit::OnChange, this,
            [this] { SaNumEditExC2Change(); });
    connect(SpeedButton2, &QPushButton::clicked, this, [this] { SpeedButton2Click(); });
    connect(RSerchTokeiBtn, &controls::TLbSpeedButton::OnClick, this,
            [this] { RSerchTokeiBtnClick(); });
    connect(CancelBtn2, &controls::TLbSpeedButton::OnClick, this, [this] { CancelBtnClick(); });
    connect(StringGrid1, &HitGrid::HitClicked, this,
            [this](int row) { HitListMouseDown(StringGrid1, row); });
    return page;
}

void TShutugenForm::RSerchTokeiBtnClick() {
    StartRun(Run::Tokei,
             std::make_shared<RStatsConditions>(Selected(TrackListT), Selected(AgeListT),
                                                Selected(ClassListT), Selected(RUmaListT)),
             tokeiFromDate_, tokeiToDate_);
}

void TShutugenForm::ClearLevelTable() {
    for (int r = 1; r < kLevelRows; ++r)
        for (int c = 1; c < kLevelColumns; ++c) StringGrid3->Model()->SetCells(c, r, QString());
}

void TShutugenForm::ShowLevelTable(const RTally& tally) {
    auto table = LevelTable(tally);
    for (int r = 1; r < kLevelRows; ++r)
        for (int c = 1; c < kLevelColumns; ++c)
            StringGrid3->Model()->SetCells(
                c, r,
                controls::SjToQ(table[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)]));
}

} // namespace search
