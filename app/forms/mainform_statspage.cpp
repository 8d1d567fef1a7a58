// The 統計 tab (shown with the maintainer's marker file): a table of past races loaded from and
// saved to the files under HPupload, and the counts by rank computed from it.

#include "app/forms/mainform.h"

#include "app/forms/mainform_parts.h"
#include "controls/filecolumns.h"
#include "controls/qtext.h"
#include "keiba/fileio.h"
#include "keiba/platform.h"
#include "search/nerairecord.h"
#include "search/rankstats.h"
#include "views/grid.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace app {

using mainform_parts::ToUtf8;
using mainform_parts::U;

namespace fs = std::filesystem;

namespace {

// A file name typed in the tab names a file of HPupload itself, nothing outside it.
bool PlainFileName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
           name.find('\\') == std::string::npos;
}

// The data grid at `cols` columns; the columns past the first 39 are as wide as most of those.
void SetStatsColumns(views::StringGrid& grid, int cols) {
    const int before = grid.Model()->ColCount();
    grid.Model()->SetColCount(cols);
    for (int c = before; c < cols; ++c) grid.SetColWidth(c, 60);
}

} // namespace

QWidget* TMainForm::BuildStatsPage() {
    auto* page = new QWidget;
    auto* box = new QVBoxLayout(page);
    box->setContentsMargins(0, 0, 0, 0);
    auto* bar = new QHBoxLayout;
    auto button = [&](const char* name, const QString& caption, void (TMainForm::*handler)()) {
        auto* b = new QPushButton(caption, page);
        b->setObjectName(QString::fromLatin1(name));
        connect(b, &QPushButton::clicked, this, handler);
        bar->addWidget(b);
    };
    button("Shukei2Btn", QStringLiteral("集計"), &TMainForm::Shukei2BtnClick);
    button("SaveBtn", QStringLiteral("Save"), &TMainForm::SaveBtnClick);
    button("LoadBtn", QStringLiteral("Load"), &TMainForm::LoadBtnClick);
    button("CalcBtn2", QStringLiteral("計算"), &TMainForm::CalcBtn2Click);
    StatsFileEdit = new QLineEdit(QStringLiteral("Tokei.csv"), page);
    StatsFileEdit->setObjectName(QStringLiteral("Edit1"));
    bar->addWidget(StatsFileEdit);
    bar->addStretch(1);
    box->addLayout(bar);

    auto* tabs = new QTabWidget(page);
    tabs->setObjectName(QStringLiteral("StatPageControl"));
    auto tab = [&](const char* name, const char* title, QWidget* grid) {
        auto* w = new QWidget;
        w->setObjectName(QString::fromLatin1(name));
        auto* l = new QVBoxLayout(w);
        l->setContentsMargins(2, 2, 2, 2);
        l->addWidget(grid);
        tabs->addTab(w, QString::fromUtf8(title));
    };
    tab("TabSheet13", "データ", NewGrid("StringGrid22", nullptr));
    tab("TabSheet14", "集計", NewGrid("StringGrid4", nullptr));
    box->addWidget(tabs, 1);
    return page;
}

void TMainForm::SaveBtnClick() {
    keiba::Notifier& notifier = context_.notifier;
    const std::string name = ToUtf8(StatsFileEdit->text());
    if (!PlainFileName(name)) {
        notifier.Information(std::string(search::kNeraiNameBadMessage));
        return;
    }
    const fs::path folder = appDir_ / "HPupload";
    if (keiba::IoResult io = keiba::CreateFolders(folder); !io) {
        notifier.Information(io.message);
        return;
    }
    const views::GridModel* grid = Grid(QStringLiteral("StringGrid22"))->Model();
    search::StatsRows rows(static_cast<std::size_t>(grid->RowCount()));
    for (int r = 0; r < grid->RowCount(); ++r)
        for (int c = 0; c < grid->ColCount(); ++c)
            rows[static_cast<std::size_t>(r)].push_back(controls::QToSj(grid->Cells(c, r)));
    if (keiba::IoResult io =
            keiba::WriteFileAtomic(folder / keiba::Utf8Path(name), search::StatsFileBytes(rows));
        !io)
        notifier.Information(io.message);
}

void TMainForm::LoadBtnClick() {
    views::GridModel* grid = Grid(QStringLiteral("StringGrid22"))->Model();
    grid->ClearAll();
    QFileDialog dialog(this);
    dialog.setObjectName(QStringLiteral("OpenDialog1"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFile);
    controls::UseDefaultLocaleColumns(dialog);
    dialog.setDirectory(U(keiba::PathToUtf8(appDir_ / "HPupload")));
    if (ExecModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    const fs::path path = keiba::Utf8Path(ToUtf8(dialog.selectedFiles().first()));
    const keiba::FileRead file = keiba::ReadFileOrMissing(path);
    if (!file.bytes) {
        context_.notifier.Information(file.read ? keiba::PathToUtf8(path) + " がありません。"
                                                : file.read.message);
        return;
    }
    const search::StatsRows rows = search::ParseStatsFile(*file.bytes);
    const int cols = search::StatsGridColumns(rows);
    if (cols > search::kStatsMaxColumns) {
        context_.notifier.Information(keiba::PathToUtf8(path) + " は" +
                                      std::to_string(search::kStatsMaxColumns) +
                                      "列を超える行があるため読み込めません。");
        return;
    }
    // Every field of the file is kept, so that a save writes back what was loaded.
    SetStatsColumns(*Grid(QStringLiteral("StringGrid22")), cols);
    // The heading row stays, also when the file is empty.
    grid->SetRowCount(std::max<int>(static_cast<int>(rows.size()), 1));
    for (std::size_t r = 0; r < rows.size(); ++r)
        for (std::size_t c = 0; c < rows[r].size(); ++c)
            grid->SetCells(static_cast<int>(c), static_cast<int>(r), controls::SjToQ(rows[r][c]));
}

void TMainForm::CalcBtn2Click() {
    const views::GridModel* table = Grid(QStringLiteral("StringGrid22"))->Model();
    search::StatsRows rows(static_cast<std::size_t>(table->RowCount()));
    for (int r = 0; r < table->RowCount(); ++r)
        for (int c = 0; c < table->ColCount(); ++c)
            rows[static_cast<std::size_t>(r)].push_back(ToUtf8(table->Cells(c, r)));
    const search::StatsSummary summary = search::ComputeRankStats(rows);
    views::GridModel* out = Grid(QStringLiteral("StringGrid4"))->Model();
    for (int r = 0; r < search::kStatsSummaryRows; ++r)
        for (int c = 0; c < search::kStatsSummaryColumns; ++c) {
            // Column 0 holds only the labels of the two tables.
            if (c == 0 && (r == 0 || r > 19)) continue;
            out->SetCells(c, r,
                          U(summary[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)]));
        }
}

} // namespace app
