#include "views/forms/desplform.h"

#include "controls/fonts.h"
#include "controls/formbounds.h"
#include "controls/label3d.h"
#include "controls/qtext.h"
#include "controls/qtplatform.h"
#include "keiba/codetables.h"
#include "keiba/formatters.h"
#include "keiba/markconv.h"
#include "keiba/sjis.h"
#include "views/indexcard.h"

#include <QEvent>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QVBoxLayout>

#include <array>

namespace views {
namespace {

constexpr const char* kBoundsSection = "locateDeSplForm";
constexpr std::array<int, kDeSplColumns> kWidths = {20, 20, 170, 20, 20, 25, 25, 32, 32, 32,
                                                    30, 20, 20,  20, 20, 20, 20, 31, 20, 25};
constexpr int kLine = 1; // the grid's line width

int Num(std::string_view field) {
    return static_cast<int>(keiba::DigitValue(field));
}

QString Q(std::string_view sjis) {
    return controls::SjToQ(sjis);
}

PlacedText At(int x, int y, QString text, int size, bool bold = false, QColor color = {}) {
    PlacedText t;
    t.x = x;
    t.y = y;
    t.text = std::move(text);
    t.pointSize = size;
    t.bold = bold;
    t.color = color;
    return t;
}

PlacedText FromRight(int x, int y, QString text, int size, bool bold = false, QColor color = {}) {
    PlacedText t = At(x, y, std::move(text), size, bold, color);
    t.fromRight = true;
    return t;
}

controls::TLabel3Dj* NewLabel(const char* name, QWidget* parent, const QColor& color) {
    auto* label = new controls::TLabel3Dj(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->SetBorder(true);
    label->SetBorderType(controls::TBorderType::btRecessed);
    label->SetAlignment(controls::TAlignment::taCenter);
    label->SetColor(color);
    return label;
}

controls::TLabel3Dj* NewCaption(const char* name, const char* text, QWidget* parent) {
    auto* label = new controls::TLabel3Dj(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->SetCaption(QString::fromUtf8(text));
    label->SetTransparent(true);
    // Arial has no kana: the fallback's are wider, so the size that keeps "Rレベル" clear of its
    // value is a pixel smaller.
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(12);
    f.setBold(true);
    label->setFont(f);
    label->SetFontColor(QColor(Qt::blue));
    return label;
}

// The height of a line of text in the grid's font at `size`: where a cell's second line starts.
int LineHeight(const QFont& gridFont, int size, bool bold) {
    QFont f = gridFont;
    f.setPointSize(size);
    f.setBold(bold);
    return QFontMetrics(f).height();
}

} // namespace

TDeSplForm::TDeSplForm(const keiba::ProgramContext& context, QWidget* parent)
    : QDialog(parent)
    , BoundsSavedAtQuit(*this, context.settings, kBoundsSection)
    , IniGT1(context.settings) {
    setObjectName(QStringLiteral("DeSplForm"));
    setWindowTitle(QStringLiteral("出馬表"));
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setModal(false);
    setFont(controls::PGothicFont(9));

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFixedHeight(69);
    outer->addWidget(panel);

    auto* label1 = new QLabel(QStringLiteral("選択馬"), panel);
    label1->setObjectName(QStringLiteral("Label1"));
    label1->move(4, 8);
    QFont gothicBold = controls::GothicFont(9);
    gothicBold.setPixelSize(13);
    gothicBold.setBold(true);
    SelBameiLabel = NewLabel("SelBameiLabel", panel, QColor(166, 202, 240));
    SelBameiLabel->setGeometry(41, 4, 176, 19);
    T1Label = NewLabel("T1Label", panel, InfoBackground());
    T1Label->setGeometry(222, 4, 431, 19);
    for (controls::TLabel3Dj* l : {SelBameiLabel, T1Label}) {
        l->setFont(gothicBold);
        l->SetFontColor(QColor(Qt::blue));
    }
    T2Label = new controls::TLabel3Dj(panel);
    T2Label->setObjectName(QStringLiteral("T2Label"));
    T2Label->setGeometry(6, 26, 459, 19);
    T2Label->SetTransparent(true);
    T2Label->setFont(gothicBold);
    T2Label->SetFontColor(QColor(Qt::blue));
    NewCaption("Label3Dj30", "Rレベル", panel)->setGeometry(10, 50, 48, 17);
    RLevelLabel = NewLabel("RLevelLabel", panel, QColor(176, 255, 176));
    RLevelLabel->setGeometry(58, 48, 45, 17);
    NewCaption("Label3Dj32", "R+頭数", panel)->setGeometry(116, 50, 48, 17);
    RplsTouLabel = NewLabel("RplsTouLabel", panel, QColor(176, 255, 176));
    RplsTouLabel->setGeometry(164, 48, 45, 17);
    NewCaption("Label3Dj34", "R-頭数", panel)->setGeometry(226, 50, 48, 17);
    RmnsTouLabel = NewLabel("RmnsTouLabel", panel, QColor(176, 255, 176));
    RmnsTouLabel->setGeometry(274, 48, 45, 17);

    StringGrid6 = new StringGrid(this);
    StringGrid6->setObjectName(QStringLiteral("StringGrid6"));
    outer->addWidget(StringGrid6, 1);
    GridModel* model = StringGrid6->Model();
    model->SetColCount(kDeSplColumns);
    model->SetRowCount(1);
    model->SetFixedCols(0);
    model->SetFixedRows(1);
    StringGrid6->setFont(RunnerGridFont());
    StringGrid6->SetDefaultRowHeight(27);
    StringGrid6->setSelectionBehavior(QAbstractItemView::SelectRows);
    StringGrid6->setSelectionMode(QAbstractItemView::ExtendedSelection);
    StringGrid6->setShowGrid(false);
    for (int c = 0; c < kDeSplColumns; ++c)
        StringGrid6->SetColWidth(c, kWidths[static_cast<std::size_t>(c)]);
    model->SetDrawCell(
        [this](int col, int row, CellPaint& paint) { StringGrid6DrawCell(col, row, paint); });
    StringGrid6->viewport()->installEventFilter(this);

    controls::RestoreBounds(*this,
                            controls::ReadBounds(IniGT1, kBoundsSection, QRect(200, 10, 680, 560)));
    controls::NoImplicitDefaultButtons(*this);
}

void TDeSplForm::ShowRace(const raceday::RCardRace& race) {
    *race_ = race;
    race_->runners = std::clamp(race_->runners, 0, static_cast<int>(race_->horses.size()));
    StringGrid6->Model()->ClearAll();
    StringGrid6->Model()->SetRowCount(race_->runners + 1);
    SelBameiLabel->SetCaption(Q(race_->selBamei));
    T1Label->SetCaption(Q(race_->t1));
    T2Label->SetCaption(Q(race_->t2));
    RLevelLabel->SetCaption(Q(race_->rLevel));
    RplsTouLabel->SetCaption(Q(race_->rPlus));
    RmnsTouLabel->SetCaption(Q(race_->rMinus));
    StringGrid6->Model()->Repaint();
    show();
    raise();
}

void TDeSplForm::StringGrid6MouseUp() {
    StringGrid6->ClearSelection();
}

bool TDeSplForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == StringGrid6->viewport() && event->type() == QEvent::MouseButtonRelease)
        StringGrid6MouseUp();
    return QDialog::eventFilter(watched, event);
}

void TDeSplForm::StringGrid6DrawCell(int col, int row, CellPaint& paint) const {
    // The grid holds no cell texts: every line is placed from the records.
    if (row == 0) {
        DrawHeading(col, paint);
        return;
    }
    const int h = row - 1;
    if (h < 0 || h >= race_->runners) return;
    DrawRunner(col, h, paint);
}

void TDeSplForm::DrawHeading(int col, CellPaint& p) const {
    const QFont& font = StringGrid6->font();
    auto two = [&](int x, const char* a, const char* b) {
        p.texts.push_back(At(x, 1, QString::fromUtf8(a), 9));
        p.texts.push_back(At(x, 1 + LineHeight(font, 9, false), QString::fromUtf8(b), 9));
    };
    auto big = [&](int x, const char* a) {
        p.texts.push_back(At(kLine + x, kLine + 1, QString::fromUtf8(a), 10, true));
    };
    switch (col) {
    case 0: big(3, "枠"); break;
    case 1: big(3, "馬"); break;
    case 2: {
        big(1, "馬名");
        p.texts.push_back(FromRight(40, kLine + 1, QStringLiteral("オッズ"), 8));
        const int y2 = kLine + 1 + LineHeight(font, 10, true);
        p.texts.push_back(At(1, y2, QStringLiteral("騎手 斤量"), 8));
        p.texts.push_back(FromRight(50, y2, QStringLiteral("性別馬齢"), 8));
        break;
    }
    case 3: two(3, "血", "騎"); break;
    case 4: big(3, "印"); break;
    case 5: two(3, "R馬", "R順"); break;
    case 6: two(3, "楽", "厳"); break;
    case 7:
    case 8:
    case 9:
        p.texts.push_back(At(1, 1, QString::number(col - 6) + QStringLiteral("走前"), 9));
        break;
    case 10: p.texts.push_back(At(3, 1, QStringLiteral("増減"), 9)); break;
    case 11: two(3, "上", "昇"); break;
    case 12: two(3, "潜", "在"); break;
    case 13: two(3, "経", "験"); break;
    case 14: two(3, "ｺｰ", "ス"); break;
    case 15: two(3, "距", "離"); break;
    case 16: two(3, "LV", "属"); break;
    case 17: two(1, "高率", "低率"); break;
    case 18: two(1, "初", "高"); break;
    case 19: two(1, "前", "５"); break;
    default: break;
    }
}

void TDeSplForm::DrawRunner(int col, int h, CellPaint& p) const {
    // A runner lost to damage shows nothing of its record; the members' columns stand as they are.
    static const jvdata::TJvSE kLost;
    const jvdata::TJvSE& slot = race_->horses[static_cast<std::size_t>(h)];
    const jvdata::TJvSE& se = slot.HorseNumber() >= 1 ? slot : kLost;
    const jvdata::TAnalysisRecord& an = race_->analysis[static_cast<std::size_t>(h)];
    const jvdata::TAnalysisRun a = an.ThisRun();
    const QFont& font = StringGrid6->font();
    const QColor red(Qt::red), blue(Qt::blue), black(Qt::black), white(Qt::white);
    // One line at (g + 1, g + 5) in `size`.
    auto one = [&](const std::string& sjis, int size, bool bold = false) {
        p.texts.push_back(At(kLine + 1, kLine + 5, Q(sjis), size, bold));
    };
    // Two lines of size 9 at x: the second one text height lower (plus `lower` pixels).
    auto two = [&](int x, const std::string& a1, const std::string& a2, QColor c1 = {},
                   QColor c2 = {}, int lower = 0) {
        p.texts.push_back(At(x, 1, Q(a1), 9, false, c1));
        p.texts.push_back(At(x, 1 + LineHeight(font, 9, false) + lower, Q(a2), 9, false, c2));
    };
    auto rMark = [&](const std::string& text) { return text == "R+" ? red : black; };

    p.background = white;
    switch (col) {
    case 0: {
        const int bracket = se.Bracket();
        // A bracket outside 1..8 has no colour of its own: the cell stays white.
        p.background = BracketColor(bracket).isValid() ? BracketColor(bracket) : white;
        if (bracket >= 1)
            p.texts.push_back(At(kLine + 5, kLine + 5, QString::number(bracket), 10, true,
                                 bracket == 1 || bracket == 5 ? black : white));
        break;
    }
    case 1: {
        p.background = InfoBackground();
        const int number = se.HorseNumber();
        p.texts.push_back(
            At(kLine + 1, kLine + 5,
               number > 0 ? QString::number(number).rightJustified(2) : QStringLiteral(" "), 10,
               true));
        break;
    }
    case 2: {
        p.texts.push_back(
            At(kLine + 1, kLine + 1, Q(keiba::CutBytes(se.HorseName(), 18)), 10, true));
        p.texts.push_back(
            FromRight(30, kLine + 1, Q(keiba::FormatTenthsWider(se.WinOddsTenths())), 8));
        const int y2 = kLine + 1 + LineHeight(font, 10, true);
        p.texts.push_back(At(1, y2,
                             Q(std::string(se.JockeyName()) + "  " +
                               keiba::FormatTenthsWider(se.WeightCarriedText())),
                             8));
        const int finish = se.FinalPosition();
        p.texts.push_back(FromRight(
            55, y2,
            finish < 1 ? QStringLiteral(" ")
                       : Q(keiba::FormatIntBlankZero(se.FinalPositionText()) + keiba::Sj("着")),
            8, true, RankColor(finish)));
        p.texts.push_back(FromRight(
            25, y2, Q(keiba::SexToText(se.SexCode()) + keiba::FormatIntBlankZero(se.AgeText())),
            8));
        break;
    }
    case 3: two(6, std::string(a.PedigreeRank()), std::string(a.JockeyRank())); break;
    case 4: one(keiba::YosoMarkToText(Num(a.ForecastMark())), 10, true); break;
    case 5: {
        const std::string r = keiba::RUmaToText(Num(a.RCode()));
        two(5, r, keiba::FormatIntBlankZero(a.ROrder()), rMark(r), black, 1);
        break;
    }
    case 6: one(std::string(keiba::TrimBlanks(an.RakuGen())), 9); break;
    case 7:
    case 8:
    case 9: {
        const jvdata::TAnalysisPastRun past = an.PastRun(col - 7);
        const std::string r = keiba::RUmaToText(Num(past.RCode()));
        two(5, keiba::RLevelToText(Num(past.RLevel())), r, {}, rMark(r), 1);
        break;
    }
    case 10: {
        const std::string z = keiba::ZogenToText(Num(a.TrendCode()));
        const std::string_view first = keiba::CutBytes(z, 4);
        two(2, std::string(first),
            std::string(keiba::CutBytes(std::string_view(z).substr(first.size()), 2)));
        break;
    }
    case 11: one(keiba::FlagToUpArrow(a.JoshoFlag()), 10); break;
    case 12: one(keiba::FlagToStar(a.SenzaiFlag()), 10); break;
    case 13: one(keiba::FlagToMaru(a.KeikenFlag()), 10); break;
    case 14: one(keiba::FlagToMaru(a.CourseFlag()), 10); break;
    case 15: one(keiba::FlagToMaru(a.KyoriFlag()), 10); break;
    case 16:
        one(std::string(keiba::CutBytes(keiba::LvZokuseiToText(a.LvAttributeCode()), 2)), 10);
        break;
    case 17: two(1, std::string(a.HiLvRate()), std::string(a.LoLvRate())); break;
    case 18: one(keiba::FlagToKiken(a.FirstHighFlag()), 10); break;
    case 19: one(std::string(a.Past5Total()), 9); break;
    default: break;
    }
}

} // namespace views
