#include "views/print/allprintform.h"

#include "controls/fonts.h"
#include "controls/formbounds.h"
#include "controls/halfwidthinput.h"
#include "controls/qtext.h"
#include "controls/qtplatform.h"
#include "views/print/prevx.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <tuple>

namespace views::print {

namespace {

constexpr char kBoundsSection[] = "Printlocate";
constexpr char kZoomSection[] = "PrintZoom";
constexpr int kDesignZoomIndex = 1;

QPushButton* Button(QWidget* parent, const char* name, const QString& caption, QRect at) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(at);
    return b;
}

} // namespace

TAllPrintForm::TAllPrintForm(const keiba::ProgramContext& context, Printer& printer,
                             QWidget* parent)
    : QDialog(parent)
    , context_(context)
    , printer_(printer)
    , ini_(context.settings) {
    setObjectName(QStringLiteral("AllPrintForm"));
    setWindowTitle(QStringLiteral("全買い目印刷"));
    QFont font = controls::PGothicFont(9);
    font.setPixelSize(12);
    setFont(font);
    BuildUi();
    FormCreate();
    controls::NoImplicitDefaultButtons(*this);
}

TAllPrintForm::~TAllPrintForm() = default;

void TAllPrintForm::BuildUi() {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setFixedHeight(61);
    auto* row = new QHBoxLayout(panel);
    row->setContentsMargins(0, 0, 4, 0);
    row->setSpacing(4);

    auto* tools = new QWidget(panel);
    tools->setFixedSize(285, 59);
    UpDown1_ = new controls::TSpinEdit(tools);
    UpDown1_->setObjectName(QStringLiteral("UpDown1"));
    UpDown1_->setGeometry(6, 28, 55, 23);
    // The caption's own height, ending above the spinner: a label left at its default size
    // centres its text where the spinner covers it.
    auto* label = new QLabel(QStringLiteral("ﾍﾟｰｼﾞ選択"), tools);
    label->setObjectName(QStringLiteral("Label1"));
    label->adjustSize();
    label->move(8, std::min(14, UpDown1_->y() - label->height()));
    UpDown1_->setRange(1, 1);
    UpDown1_->hide();
    connect(UpDown1_, &QSpinBox::valueChanged, this, &TAllPrintForm::UpDown1Click);
    BitBtn2_ = Button(tools, "BitBtn2", QStringLiteral("印刷(&P)"), {6, 8, 75, 39});
    connect(BitBtn2_, &QPushButton::clicked, this, &TAllPrintForm::BitBtn2Click);
    connect(Button(tools, "BitBtn5", QStringLiteral("表示ﾍﾟｰｼﾞ印刷(&P)"), {74, 4, 130, 25}),
            &QPushButton::clicked, this, &TAllPrintForm::BitBtn2Click);
    connect(Button(tools, "BitBtn7", QStringLiteral("指定ﾍﾟｰｼﾞ印刷(&P)"), {74, 30, 130, 25}),
            &QPushButton::clicked, this, &TAllPrintForm::BitBtn7Click);
    connect(Button(tools, "BitBtn3", QStringLiteral("ﾌﾟﾘﾝﾀ設定(&S)"), {206, 4, 75, 25}),
            &QPushButton::clicked, this, &TAllPrintForm::BitBtn3Click);
    connect(Button(tools, "BitBtn1", QStringLiteral("閉じる(&C)"), {206, 30, 75, 25}),
            &QPushButton::clicked, this, &QDialog::reject);
    row->addWidget(tools);
    row->addStretch(1);

    auto* zoom = new QGroupBox(QStringLiteral("倍率"), panel);
    zoom->setObjectName(QStringLiteral("RadioGroup1"));
    auto* zoomGrid = new QGridLayout(zoom);
    zoomGrid->setContentsMargins(4, 0, 2, 0);
    zoomGrid->setHorizontalSpacing(2);
    zoomGrid->setVerticalSpacing(0);
    RadioGroup1_ = new QButtonGroup(this);
    for (int i = 0; i < static_cast<int>(kZoomChoices.size()); ++i) {
        auto* radio = new QRadioButton(QStringLiteral("%1%").arg(kZoomChoices[i]), zoom);
        radio->setObjectName(QStringLiteral("Zoom%1").arg(i));
        RadioGroup1_->addButton(radio, i);
        zoomGrid->addWidget(radio, i / 4, i % 4);
    }
    RadioGroup1_->button(kDesignZoomIndex)->setChecked(true);
    connect(RadioGroup1_, &QButtonGroup::idClicked, this, &TAllPrintForm::RadioGroup1Click);
    // Wider than designed where the style's radio marks need it, so no choice is cut.
    zoom->setFixedWidth(std::max(185, zoom->sizeHint().width()));
    row->addWidget(zoom);

    auto* select = new QGroupBox(QStringLiteral("選択指定"), panel);
    select->setObjectName(QStringLiteral("GroupBox1"));
    select->setFixedWidth(87);
    auto* selectRows = new QVBoxLayout(select);
    selectRows->setContentsMargins(4, 0, 4, 2);
    selectRows->setSpacing(1);
    for (auto [name, caption, handler] :
         {std::tuple{"SpeedButton1", "全選択", &TAllPrintForm::SpeedButton1Click},
          std::tuple{"SpeedButton2", "全ｸﾘｱ", &TAllPrintForm::SpeedButton2Click}}) {
        auto* b = new QToolButton(select);
        b->setObjectName(QString::fromLatin1(name));
        b->setText(QString::fromUtf8(caption));
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        b->setFixedHeight(18);
        connect(b, &QToolButton::clicked, this, handler);
        selectRows->addWidget(b);
    }
    row->addWidget(select);
    outer->addWidget(panel);

    auto* body = new QHBoxLayout;
    body->setContentsMargins(0, 0, 0, 0);
    body->setSpacing(0);
    ScrollBox1_ = new QScrollArea(this);
    ScrollBox1_->setObjectName(QStringLiteral("ScrollBox1"));
    ScrollBox1_->setWidgetResizable(true);
    auto* holder = new QWidget;
    auto* holderLayout = new QGridLayout(holder);
    holderLayout->setContentsMargins(4, 5, 0, 0);
    PrevX1_ = new TPrevX(printer_, holder);
    PrevX1_->SetZoomScale(50);
    PrevX1_->MarginTop = 50;
    holderLayout->addWidget(PrevX1_, 0, 0, Qt::AlignLeft | Qt::AlignTop);
    ScrollBox1_->setWidget(holder);
    body->addWidget(ScrollBox1_, 1);
    CheckListBox1_ = new QListWidget(this);
    CheckListBox1_->setObjectName(QStringLiteral("CheckListBox1"));
    CheckListBox1_->setFixedWidth(91);
    QFont listFont = controls::GothicFont(9);
    listFont.setPixelSize(12);
    CheckListBox1_->setFont(listFont);
    body->addWidget(CheckListBox1_);
    outer->addLayout(body, 1);
}

// The stored bounds, held on the screen; the stored zoom, or the design zoom when the stored
// one is not a choice.
void TAllPrintForm::FormCreate() {
    QRect bounds = controls::ReadBounds(ini_, kBoundsSection, QRect(10, 10, 630, 450));
    bounds.setSize(bounds.size().expandedTo(QSize(200, 150)));
    controls::RestoreBounds(*this, bounds);

    int ratio = ini_.ReadInteger(kZoomSection, "ratio", kDesignZoomIndex);
    if (ratio < 0 || ratio >= static_cast<int>(kZoomChoices.size())) ratio = kDesignZoomIndex;
    if (ratio != ZoomIndex()) {
        RadioGroup1_->button(ratio)->setChecked(true);
        RadioGroup1Click(ratio);
    }
}

int TAllPrintForm::ZoomIndex() const {
    return RadioGroup1_->checkedId();
}

void TAllPrintForm::RadioGroup1Click(int index) {
    if (index < 0 || index >= static_cast<int>(kZoomChoices.size())) return;
    PrevX1_->SetZoomScale(kZoomChoices[static_cast<std::size_t>(index)]);
    if (keiba::IoResult io = ini_.WriteInteger(kZoomSection, "ratio", index); !io)
        context_.notifier.Information(io.message);
}

void TAllPrintForm::SetPages(const std::vector<std::string>& names) {
    CheckListBox1_->clear();
    for (const std::string& name : names) {
        auto* item = new QListWidgetItem(controls::SjToQ(name), CheckListBox1_);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    const QSignalBlocker block(UpDown1_);
    UpDown1_->setRange(1, std::max(1, PrevX1_->PageCount()));
    UpDown1_->setValue(1);
    UpDown1_->show();
    BitBtn2_->hide();
}

void TAllPrintForm::UpDown1Click() {
    PrevX1_->SetCurrentPage(UpDown1_->value());
}

bool TAllPrintForm::Report(PrintResult result) {
    switch (result) {
    case PrintResult::Printed:
    case PrintResult::NothingToPrint: return true;
    case PrintResult::Cancelled: return false;
    case PrintResult::NoPrinter: context_.notifier.Information(kNoPrinterMessage); break;
    case PrintResult::Failed: context_.notifier.Information("印刷できませんでした。"); break;
    }
    return false;
}

bool TAllPrintForm::PrintRange(int from, int to) {
    PrevX1_->SetFromPage(from);
    PrevX1_->SetToPage(to);
    return Report(PrevX1_->Print());
}

void TAllPrintForm::BitBtn2Click() {
    if (!printer_.RunPrintDialog(this)) return;
    PrintRange(UpDown1_->value(), UpDown1_->value());
}

void TAllPrintForm::BitBtn7Click() {
    std::vector<int> checked;
    for (int i = 0; i < CheckListBox1_->count(); ++i)
        if (CheckListBox1_->item(i)->checkState() == Qt::Checked) checked.push_back(i + 1);
    if (checked.empty()) return;
    // A file holds one document: a job per page would leave only the last page in it.
    if (printer_.PrintsToFile()) {
        Report(PrevX1_->PrintPages(checked));
        return;
    }
    for (int page : checked)
        if (!PrintRange(page, page)) break;
}

void TAllPrintForm::BitBtn3Click() {
    printer_.RunSetupDialog(this);
    PrevX1_->update();
}

void TAllPrintForm::SpeedButton1Click() {
    for (int i = 0; i < CheckListBox1_->count(); ++i)
        CheckListBox1_->item(i)->setCheckState(Qt::Checked);
}

void TAllPrintForm::SpeedButton2Click() {
    for (int i = 0; i < CheckListBox1_->count(); ++i)
        CheckListBox1_->item(i)->setCheckState(Qt::Unchecked);
}

void TAllPrintForm::FormCloseQuery() {
    if (keiba::IoResult io = controls::SaveBounds(ini_, kBoundsSection, geometry()); !io)
        context_.notifier.Information(io.message);
}

void TAllPrintForm::FormClose() {
    PrevX1_->SetPaper(kPaperA4, kPortrait);
}

void TAllPrintForm::CloseForm() {
    if (closed_) return;
    closed_ = true;
    FormCloseQuery();
    FormClose();
}

void TAllPrintForm::done(int result) {
    CloseForm();
    QDialog::done(result);
}

} // namespace views::print
