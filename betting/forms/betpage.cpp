#include "betting/forms/betpage.h"

#include "controls/fonts.h"
#include "controls/label3d.h"
#include "controls/numedit.h"
#include "controls/qtext.h"
#include "keiba/appdir.h"
#include "keiba/fileio.h"
#include "keiba/platform.h"
#include "keiba/sjis.h"
#include "views/grid.h"
#include "views/gridsort.h"
#include "views/indexcard.h"

#include <QButtonGroup>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace betting {
namespace {

using controls::U;

QColor Q(Rgb c) {
    return QColor(c.r, c.g, c.b);
}

// The tab sheets and grids of the page control, in page order.
constexpr const char* kTabNames[kBetKinds] = {"TabSheet18", "TabSheet36", "TabSheet37",
                                              "TabSheet38", "TabSheet39", "TabSheet40",
                                              "TabSheet41", "TabSheet42"};
constexpr const char* kGridNames[kBetKinds] = {"StringGrid3",  "StringGrid5",  "StringGrid28",
                                               "StringGrid30", "StringGrid31", "StringGrid32",
                                               "StringGrid33", "StringGrid34"};
constexpr std::string_view kTabCaptions[kBetKinds] = {"単勝",   "複勝", "枠連",   "馬連",
                                                      "ワイド", "馬単", "三連複", "三連単"};
constexpr const char* kPopupItems[kBetKinds] = {"N19", "N20", "N21", "N22",
                                                "N23", "N24", "N25", "N26"};

// The mark grid's bracket colours.
QColor MarkBracketColor(int bracket) {
    static const std::array<QColor, 8> colors = {
        QColor(255, 255, 255), QColor(128, 128, 128), QColor(255, 0, 0),   QColor(0, 0, 255),
        QColor(255, 255, 0),   QColor(0, 255, 0),     QColor(255, 128, 0), QColor(255, 0, 255)};
    if (bracket < 1 || bracket > 8) return QColor(Qt::white);
    return colors[static_cast<std::size_t>(bracket - 1)];
}

QColor RankTextColor(int rank) {
    if (rank == 1) return QColor(255, 0, 0);
    if (rank == 2) return QColor(0, 0, 255);
    return QColor(0, 128, 0);
}

// Pointer shapes over a grid, set on every move.
class CursorFilter : public QObject {
public:
    using HandFn = std::function<bool(int col, int row)>;
    CursorFilter(views::StringGrid& grid, HandFn hand)
        : QObject(&grid)
        , grid_(grid)
        , hand_(std::move(hand)) {
        grid.viewport()->setMouseTracking(true);
        grid.viewport()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::MouseMove) {
            QModelIndex i = grid_.indexAt(static_cast<QMouseEvent*>(e)->position().toPoint());
            bool hand = i.isValid() && hand_(i.column(), i.row());
            grid_.viewport()->setCursor(hand ? Qt::PointingHandCursor : Qt::ArrowCursor);
        }
        return false;
    }

private:
    views::StringGrid& grid_;
    HandFn hand_;
};

} // namespace

BetPage::BetPage(const keiba::ProgramContext& context, raceday::RaceDay& day, BetHost& host,
                 int* sortCol, QWidget* parent)
    : QWidget(parent)
    , host_(host) {
    setObjectName(QStringLiteral("BetPage"));
    StringGrid1 = new views::StringGrid(this);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    views::SetupMarkGrid(*StringGrid1);
    marks_ = std::make_unique<GridModelCells>(*StringGrid1->Model());
    tab_ = std::make_unique<KaimeTab>(day, host, *marks_, context);
    tab_->ShareSortColumn(sortCol);
    tab_->RestoreSettings();

    StringGrid1->Model()->SetDrawCell(
        [this](int col, int row, views::CellPaint& p) { MarkGridDrawCell(col, row, p); });
    auto markPress = [this](int col, int row) {
        tab_->PressMark(col, row);
        Refresh();
    };
    connect(StringGrid1, &views::StringGrid::CellClicked, this, markPress);
    connect(StringGrid1, &views::StringGrid::CellRightClicked, this, markPress);
    new CursorFilter(*StringGrid1,
                     [](int col, int row) { return row >= 1 && col >= 8 && col <= 10; });

    auto* right = new QVBoxLayout;
    right->addWidget(BuildTopPanel());
    right->addWidget(BuildPages(), 1);
    auto* main = new QHBoxLayout(this);
    main->addWidget(StringGrid1);
    main->addLayout(right, 1);
    BuildHiddenButtons();

    // Not attached to any control, as the window has it; its items still work when clicked.
    PopupTohyo = new QMenu(this);
    PopupTohyo->setObjectName(QStringLiteral("PopupTohyo"));
    for (BetKind k : kAllKinds) {
        QAction* a = PopupTohyo->addAction(U(kTabCaptions[PageOf(k)]));
        a->setObjectName(QString::fromLatin1(kPopupItems[PageOf(k)]));
        connect(a, &QAction::triggered, this, [this, k] { tab_->WriteBetFile(k); });
    }
    Refresh();
}

BetPage::~BetPage() = default;

QWidget* BetPage::BuildTopPanel() {
    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("KaimePanel"));
    auto* row = new QHBoxLayout(panel);
    // The inputs stand one above the other beside the totals: side by side they and the totals
    // were wider than the tab beside the mark grid on a 1280-pixel screen, and the totals showed
    // only after scrolling the page sideways.
    auto* inputs = new QVBoxLayout;
    row->addLayout(inputs);

    auto* amountBox = new QVBoxLayout;
    amountBox->addWidget(new QLabel(QStringLiteral("入力投票金額"), panel));
    auto* amountLine = new QHBoxLayout;
    SaNumEditExC1 = new controls::TSaNumEditExC(panel);
    SaNumEditExC1->setObjectName(QStringLiteral("SaNumEditExC1"));
    SaNumEditExC1->SetNotifier(&tab_->Context().notifier);
    SaNumEditExC1->SetIntegerLength(8);
    SaNumEditExC1->SetDecimalLength(0);
    SaNumEditExC1->SetMinus(false);
    controls::UseNumEditLook(*SaNumEditExC1, 13, QColor(Qt::white), QColor(Qt::blue));
    // Room for the largest stake in the edit's bold font, margins, frame and caret.
    SaNumEditExC1->setMinimumWidth(
        SaNumEditExC1->fontMetrics().horizontalAdvance(QStringLiteral("99,999,999")) + 12);
    amountLine->addWidget(SaNumEditExC1);
    amountLine->addWidget(new QLabel(QStringLiteral("円"), panel));
    amountLine->addStretch(1);
    amountBox->addLayout(amountLine);
    inputs->addLayout(amountBox);
    connect(SaNumEditExC1, &controls::TSaNumEditExC::OnChange, this, [this] {
        tab_->SetAmount(SaNumEditExC1->GetTextAsInteger());
        Refresh();
    });

    auto radioGroup = [&](const char* name, const QString& caption, const QString& a,
                          const QString& b, QButtonGroup*& group, int index) {
        auto* box = new QGroupBox(caption, panel);
        box->setObjectName(QString::fromLatin1(name));
        auto* l = new QHBoxLayout(box);
        group = new QButtonGroup(box);
        int id = 0;
        for (const QString& text : {a, b}) {
            auto* r = new QRadioButton(text, box);
            r->setObjectName(QString::fromLatin1(name) + QStringLiteral("Item") +
                             QString::number(id));
            group->addButton(r, id++);
            l->addWidget(r);
        }
        if (QAbstractButton* b0 = group->button(index)) b0->setChecked(true);
        inputs->addWidget(box);
        return box;
    };
    RadioGroup1 = radioGroup("RadioGroup1", QStringLiteral("資金配分"), QStringLiteral("均等"),
                             QStringLiteral("比例"), group1_, tab_->HaibunMode());
    RadioGroup2 =
        radioGroup("RadioGroup2", QStringLiteral("買い目選択"), QStringLiteral("ヴェルトロ"),
                   QStringLiteral("ユーザー"), group2_, tab_->KaimeLogic());
    connect(group1_, &QButtonGroup::idClicked, this, [this](int id) {
        tab_->SetHaibunMode(id);
        Refresh();
    });
    connect(group2_, &QButtonGroup::idClicked, this, [this](int id) {
        tab_->SetKaimeLogic(id);
        Refresh();
    });

    TohyoCSVBtn = new QPushButton(QStringLiteral("QVX2投票"), panel);
    TohyoCSVBtn->setObjectName(QStringLiteral("TohyoCSVBtn"));
    TohyoCSVBtn->setToolTip(QStringLiteral("QVX投票プラグイン２経由で投票します"));
    connect(TohyoCSVBtn, &QPushButton::clicked, this, [this] { tab_->WriteVoteCsv(); });
    TohyouBtn = new QPushButton(QStringLiteral("BRIVEL"), panel);
    TohyouBtn->setObjectName(QStringLiteral("TohyouBtn"));
    TohyouBtn->setVisible(false);
    connect(TohyouBtn, &QPushButton::clicked, this, [this] { tab_->WriteActiveBetFile(); });
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(TohyoCSVBtn);
    buttons->addWidget(TohyouBtn);
    buttons->addStretch(1);
    inputs->addLayout(buttons);
    inputs->addStretch(1);

    auto* sums = new QGridLayout;
    constexpr std::string_view kHeads[kLabelSlots] = {"買い点数", "投票金額", "予想回収率",
                                                      "回収金額"};
    for (int s = 0; s < kLabelSlots; ++s)
        sums->addWidget(new QLabel(U(kHeads[s]), panel), 0, s + 1);
    int line = 1;
    for (BetKind k : kBuiltKinds) {
        sums->addWidget(new QLabel(U(kTabCaptions[PageOf(k)]), panel), line, 0);
        for (int s = 0; s < kLabelSlots; ++s) {
            auto* l = new controls::TLabel3Dj(panel);
            l->setObjectName(QString::fromStdString(LabelName(k, static_cast<LabelSlot>(s))));
            l->SetAlignment(controls::TAlignment::taRightJustify);
            l->setMinimumWidth(70);
            labels_[static_cast<std::size_t>(PageOf(k))][static_cast<std::size_t>(s)] = l;
            sums->addWidget(l, line, s + 1);
        }
        ++line;
    }
    row->addLayout(sums);
    row->addStretch(1);
    return panel;
}

QWidget* BetPage::BuildPages() {
    PageControl4 = new QTabWidget(this);
    PageControl4->setObjectName(QStringLiteral("PageControl4"));
    for (BetKind k : kAllKinds) {
        const auto i = static_cast<std::size_t>(PageOf(k));
        auto* sheet = new QWidget(PageControl4);
        sheet->setObjectName(QString::fromLatin1(kTabNames[i]));
        auto* grid = new views::StringGrid(sheet);
        grid->setObjectName(QString::fromLatin1(kGridNames[i]));
        grids_[i] = grid;
        SetUpBetGrid(k, *grid);
        auto* l = new QVBoxLayout(sheet);
        l->setContentsMargins(0, 0, 0, 0);
        l->addWidget(grid);
        PageControl4->addTab(sheet, U(kTabCaptions[i]));
    }
    PageControl4->setCurrentIndex(0);
    connect(PageControl4, &QTabWidget::currentChanged, this, [this](int page) {
        tab_->SetPage(page);
        RefreshLabels();
    });
    return PageControl4;
}

void BetPage::SetUpBetGrid(BetKind k, views::StringGrid& grid) {
    const auto i = static_cast<std::size_t>(PageOf(k));
    auto* model = new BetGridModel(tab_->Book().Grid(k), &grid);
    models_[i] = model;
    model->SetDrawCell(
        [this, k](int col, int row, views::CellPaint& p) { BetGridDrawCell(k, col, row, p); });
    // The grid's own model stays unused: the bet rows are read from the tab's table.
    grid.setModel(model);
    QFont f = controls::GothicFont(9);
    f.setPixelSize(12);
    f.setBold(true);
    grid.setFont(f);
    grid.SetDefaultRowHeight(15);
    const BetLayout& l = LayoutOf(k);
    grid.Model()->SetFixedCols(0);
    for (int c = 0; c < l.cols; ++c) grid.SetColWidth(c, l.widths[static_cast<std::size_t>(c)]);
    connect(&grid, &views::StringGrid::CellClicked, this, [this, k](int col, int row) {
        if (row == 0)
            tab_->SortByHeading(k, col, row);
        else
            tab_->ToggleRowErase(k, col, row);
        RefreshGrid(k);
        RefreshLabels();
    });
    connect(&grid, &views::StringGrid::CellRightClicked, this, [this, k](int col, int row) {
        if (tab_->SortByHeading(k, col, row)) RefreshGrid(k);
    });
    new CursorFilter(grid, [](int col, int row) { return row == 0 || col == 0; });
}

void BetPage::BuildHiddenButtons() {
    auto hidden = [this](const char* name, const QString& caption) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setVisible(false);
        return b;
    };
    JikuHimoBtn = hidden("JikuHimoBtn", QStringLiteral("軸ヒモ"));
    KaimeMakeBtn = hidden("KaimeMakeBtn", QStringLiteral("買い目"));
    SortKaimeHyoTanBtn = hidden("SortKaimeHyoTanBtn", QStringLiteral("買い目Sort単"));
    SortKaimeHyoRenBtn = hidden("SortKaimeHyoRenBtn", QStringLiteral("買い目Sor連"));
    SortKaimeHyoSanBtn = hidden("SortKaimeHyoSanBtn", QStringLiteral("買い目Sort３"));
    connect(JikuHimoBtn, &QPushButton::clicked, this, [this] {
        tab_->FillAxisAndPartners();
        RefreshMarks();
    });
    connect(KaimeMakeBtn, &QPushButton::clicked, this, [this] {
        tab_->BuildBets();
        Refresh();
    });
    for (QPushButton* b : {SortKaimeHyoTanBtn, SortKaimeHyoRenBtn, SortKaimeHyoSanBtn})
        connect(b, &QPushButton::clicked, this, [this] {
            tab_->SortActivePage();
            Refresh();
        });
}

controls::TLabel3Dj* BetPage::Label(BetKind k, LabelSlot slot) const {
    return labels_[static_cast<std::size_t>(PageOf(k))][static_cast<std::size_t>(slot)];
}

void BetPage::ShowRaceAmount() {
    SaNumEditExC1->SetTextAsInteger(static_cast<int>(tab_->ShowRaceAmount()));
}

void BetPage::AfterRaceShown() {
    ShowRaceAmount();
    JikuHimoBtn->click();
    KaimeMakeBtn->click();
}

void BetPage::N50Click() {
    tab_->WriteMarks();
}

void BetPage::QVX1Click() {
    const keiba::ProgramContext& context = tab_->Context();
    const std::optional<std::string> folder = host_.ChooseFolder(
        "QVX投票プラグイン２フォルダの指定",
        context.settings.ReadString("Dir", "QVXTohyo2", keiba::PathToUtf8(context.folder)));
    if (!folder) return;
    keiba::IoResult io = context.settings.WriteString("Dir", "QVXTohyo2", *folder);
    if (!io) context.notifier.Information(io.message);
}

void BetPage::MarkGridDrawCell(int col, int row, views::CellPaint& p) const {
    p.bold = !(col == 2 || col == 4 || col == 6 || col == 7);
    p.alignment = Qt::AlignHCenter | Qt::AlignTop;
    p.background = QColor(Qt::white);
    if (row == 0) {
        p.background = QColor(0, 255, 255);
        return;
    }
    const QString text = StringGrid1->Model()->Cells(col, row);
    if (col == 0) {
        p.background = MarkBracketColor(text.trimmed().toInt());
    } else if (col == 1) {
        p.background = Q(kCream);
    } else if (col == 4) {
        p.textColor = text == QStringLiteral("R+") ? QColor(255, 0, 0) : QColor(Qt::black);
    } else if (col == 3 || col == 12 || col == 13) {
        const int n = text.trimmed().toInt();
        if (n >= 1 && n <= 3) {
            p.background = QColor();
            p.textColor = RankTextColor(n);
        }
    }
}

void BetPage::BetGridDrawCell(BetKind k, int col, int row, views::CellPaint& p) const {
    p.bold = true;
    p.alignment = Qt::AlignHCenter | Qt::AlignTop;
    p.background = QColor(Qt::white);
    if (row == 0)
        p.background = QColor(201, 146, 146);
    else if (col == 1)
        p.background = QColor(193, 255, 193);
    else if (col == 2 && tab_->IsHit(k, row))
        p.background = QColor(255, 0, 255);
}

void BetPage::RefreshGrid(BetKind k) {
    models_[static_cast<std::size_t>(PageOf(k))]->Refresh();
}

void BetPage::RefreshLabels() {
    for (BetKind k : kBuiltKinds)
        for (int s = 0; s < kLabelSlots; ++s) {
            const LabelState* state = tab_->Book().labels.Find(k, static_cast<LabelSlot>(s));
            controls::TLabel3Dj* l = Label(k, static_cast<LabelSlot>(s));
            if (!state || !l) continue;
            l->SetCaption(controls::SjToQ(state->caption));
            l->SetFontColor(Q(state->font));
            l->SetColor(Q(state->background));
        }
}

void BetPage::RefreshMarks() {
    StringGrid1->Model()->Repaint();
}

void BetPage::Refresh() {
    for (BetKind k : kAllKinds) RefreshGrid(k);
    RefreshLabels();
    RefreshMarks();
    if (QAbstractButton* b = group1_->button(tab_->HaibunMode())) b->setChecked(true);
}

} // namespace betting
