#include "search/forms/neraigaitoform.h"

#include "controls/formbounds.h"
#include "controls/qtext.h"
#include "controls/qtplatform.h"
#include "keiba/sjis.h"
#include "search/neraihits.h"
#include "views/grid.h"
#include "views/indexcard.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace search {
namespace {

struct Column {
    const char* header;
    int width;
};
constexpr Column kColumns[kHitColumns] = {
    {"狙1", 25},  {"狙2", 25},  {"狙3", 25},   {"狙4", 25},  {"発走", 40},
    {"場所", 30}, {"ﾚｰｽ", 25},  {"ﾚｰｽ名", 45}, {"種別", 30}, {"競走条件", 70},
    {"TR", 20},   {"距離", 30}, {"枠", 20},    {"馬", 20},   {"馬名", 130},
};
constexpr int kBracketColumn = 12;
constexpr int kNumberColumn = 13;
constexpr const char* kBoundsSection = "locateNeraiGaitoForm";

QString Count(int n) {
    return QString::fromStdString(keiba::FormatInt(n, 3));
}

} // namespace

TNeraiGaitoForm::TNeraiGaitoForm(const keiba::ProgramContext& context, QWidget* parent)
    : QDialog(parent)
    , BoundsSavedAtQuit(*this, context.settings, kBoundsSection)
    , context_(context)
    , ini_(context.settings) {
    setObjectName(QStringLiteral("NeraiGaitoForm"));
    setWindowTitle(QStringLiteral("狙い馬該当リスト"));

    auto* outer = new QVBoxLayout(this);
    TitleLabel1 = new QLabel(this);
    TitleLabel1->setObjectName(QStringLiteral("TitleLabel1"));
    QFont title = TitleLabel1->font();
    title.setBold(true);
    TitleLabel1->setFont(title);
    outer->addWidget(TitleLabel1);

    auto* counts = new QHBoxLayout;
    for (int k = 1; k <= 4; ++k) {
        auto* caption = new QLabel(QStringLiteral("狙%1").arg(k), this);
        QPalette pal = caption->palette();
        pal.setColor(QPalette::WindowText, views::TargetSlotColor(k));
        caption->setAutoFillBackground(true);
        pal.setColor(QPalette::Window, QColor(0x808080));
        caption->setPalette(pal);
        counts->addWidget(caption);
        auto* label = new QLabel(this);
        label->setObjectName(QStringLiteral("NeraiLabel%1").arg(k));
        label->setMinimumWidth(28);
        NeraiLabels[static_cast<std::size_t>(k - 1)] = label;
        counts->addWidget(label);
        counts->addSpacing(8);
    }
    counts->addWidget(new QLabel(QStringLiteral("該当数:"), this));
    SosuLabel = new QLabel(this);
    SosuLabel->setObjectName(QStringLiteral("SosuLabel"));
    SosuLabel->setMinimumWidth(28);
    counts->addWidget(SosuLabel);
    counts->addStretch(1);
    outer->addLayout(counts);

    StringGrid8 = new views::StringGrid(this);
    StringGrid8->setObjectName(QStringLiteral("StringGrid8"));
    StringGrid8->setFont(views::RunnerGridFont());
    views::GridModel* model = StringGrid8->Model();
    model->SetColCount(kHitColumns);
    model->SetRowCount(2);
    model->SetFixedRows(1);
    model->SetFixedCols(0);
    StringGrid8->SetDefaultRowHeight(18);
    for (int c = 0; c < kHitColumns; ++c) {
        StringGrid8->SetColWidth(c, kColumns[c].width);
        model->SetCells(c, 0, QString::fromUtf8(kColumns[c].header));
    }
    model->SetDrawCell([this](int col, int row, views::CellPaint& paint) {
        StringGrid8DrawCell(col, row, paint);
    });
    outer->addWidget(StringGrid8, 1);

    controls::RestoreBounds(*this,
                            controls::ReadBounds(ini_, kBoundsSection, QRect(200, 50, 610, 500)));
    controls::NoImplicitDefaultButtons(*this);
}

void TNeraiGaitoForm::FillHits(const raceday::RaceDay& day, const QString& dateText,
                               int raceListCount) {
    views::GridModel* model = StringGrid8->Model();
    for (int row = 1; row < model->RowCount(); ++row) model->ClearRow(row);
    TitleLabel1->setText(dateText);
    for (QLabel* label : NeraiLabels) label->clear();
    SosuLabel->clear();
    if (raceListCount <= 0) return;

    const NeraiHitList hits = BuildNeraiHitList(day, raceListCount);
    if (hits.lines.empty()) return;
    model->SetRowCount(static_cast<int>(hits.lines.size()) + 1);
    for (std::size_t i = 0; i < hits.lines.size(); ++i) {
        const auto cells = NeraiHitCells(hits.lines[i]);
        for (int c = 0; c < kHitColumns; ++c)
            model->SetCells(c, static_cast<int>(i) + 1,
                            controls::SjToQ(cells[static_cast<std::size_t>(c)]));
    }
    SosuLabel->setText(Count(static_cast<int>(hits.lines.size())));
    for (std::size_t s = 0; s < 4; ++s) NeraiLabels[s]->setText(Count(hits.slotCounts[s]));
    model->Repaint();
}

void TNeraiGaitoForm::StringGrid8DrawCell(int col, int row, views::CellPaint& paint) const {
    paint.alignment = Qt::AlignHCenter | Qt::AlignTop;
    paint.textTop = row == 0 ? 0 : 2;
    if (row == 0) {
        paint.background = QColor(0xC0C0C0);
        return;
    }
    if (col >= 0 && col <= 3) {
        paint.background = QColor(0x808080);
        paint.textColor = views::TargetSlotColor(col + 1);
    } else if (col == kBracketColumn) {
        paint.bold = true;
        bool ok = false;
        const int bracket = StringGrid8->Model()->Cells(col, row).trimmed().toInt(&ok);
        paint.background = views::BracketColor(ok ? bracket : 0);
    } else if (col == kNumberColumn) {
        paint.bold = true;
        paint.background = views::InfoBackground();
    } else {
        paint.background = QColor(0xFFFFFF);
    }
}

} // namespace search
