#include "views/detailcard.h"

#include "controls/fonts.h"
#include "controls/qtext.h"
#include "keiba/codetables.h"
#include "keiba/formatters.h"
#include "keiba/sjis.h"
#include "views/gridlayout.h"
#include "views/indexcard.h"

#include <QButtonGroup>
#include <QFontInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QToolButton>

#include <string>

namespace views {

namespace {

using controls::SjToQ;

constexpr int kG = 1; // grid line width

constexpr int kDetailWidths[kDetailColumns] = {25, 25, 250, 40, 30, 30, 30, 160, 160, 160, 30,
                                               30, 30, 30,  30, 30, 30, 30, 40,  40,  30,  30};
constexpr const char16_t* kDetailHeadings[kDetailColumns] = {
    u"枠",    u"馬",    u"馬名", u"単勝", u"R順",  u"R馬",  u"楽厳", u"前走",
    u"2走前", u"3走前", u"増減", u"上昇", u"潜在", u"経験", u"ｺｰｽ",  u"距離",
    u"LV属",  u"高好",  u"高LV", u"低LV", u"初高", u"前５"};

using namespace cellcolors;

// The height the card's layout gives a line of text: the font's em in pixels, as the fonts it
// was laid out for measure (ＭＳ Ｐゴシック 9 pt is 12 pixels). Fonts with taller line spacing
// would push the fourth line of a past run out of its 53-pixel row.
int LineHeight(const QFont& base, int pointSize) {
    QFont f = base;
    if (pointSize > 0) f.setPointSize(pointSize);
    return QFontInfo(f).pixelSize();
}

std::string FirstChar(const std::string& s) {
    return std::string(keiba::CutBytes(s, 2));
}

// A name field trimmed and without its full-width blanks.
std::string NameText(std::string_view field) {
    return keiba::DeleteZenkakuSpaces(keiba::TrimBlanks(field));
}

class Painter {
public:
    Painter(CellPaint& p, const QFont& font)
        : p_(p)
        , font_(font) {}
    // Text at (x, y) from the cell's top-left; returns the line's height.
    int Text(int x, int y, const std::string& sj, int pt, bool bold, QColor color = kBlack) {
        p_.texts.push_back({x, y, false, SjToQ(sj), color, pt, bold});
        return LineHeight(font_, pt);
    }
    void TextFromRight(int x, int y, const std::string& sj, int pt, bool bold,
                       QColor color = kBlack) {
        p_.texts.push_back({x, y, true, SjToQ(sj), color, pt, bold});
    }

private:
    CellPaint& p_;
    const QFont& font_;
};

// The runner's own texts and its master's, the members' ranks beside them. A runner lost to
// damage, or a horse without a master, shows nothing of its record: no brackets, marks or units
// around what is not there.
void PaintRunnerBlock(const raceday::RaceDay& day, int race, int h, Painter& out, CellPaint& p) {
    const auto rr = static_cast<std::size_t>(race);
    const auto hh = static_cast<std::size_t>(h);
    const jvdata::TJvSE& se = day.gDayHorses[rr][hh];
    const jvdata::TJvUM& um = day.gDayHorseMasters[rr][hh];
    const bool known = se.HorseNumber() >= 1, mastered = known && !um.IsBlank();
    const raceday::TOutData2& texts = day.gRaceTexts[rr];
    const int x0 = kG + 1;
    int y = kG;

    int lh = out.Text(x0, y, mastered ? NameText(um.SireName()) : std::string(), 8, false);
    const std::string coat = mastered ? FirstChar(keiba::KeiroToText(um.CoatCode())) + " " : "";
    if (known)
        out.TextFromRight(
            60, y, coat + keiba::SexToText(se.SexCode()) + keiba::FormatIntBlankZero(se.AgeText()),
            9, false);
    out.TextFromRight(80, y, texts.KettoRank[hh], 9, false, kBlue);
    y += lh;
    const int nameHeight = out.Text(x0, y, known ? NameText(se.HorseName()) : "", 10, true);
    y += nameHeight;
    // The bracket after the dam names the dam's sire.
    const std::string damsSire = mastered ? NameText(um.DamsSireName()) : "";
    if (mastered)
        out.Text(x0, y, NameText(um.DamName()) + (damsSire.empty() ? "" : "(" + damsSire + ")"), 8,
                 false);
    y += nameHeight;
    out.Text(2, y, texts.KishuRank[hh], 9, false, kBlue);
    if (known)
        out.Text(20, y,
                 std::string(se.JockeyName()) + std::string(se.WeightCarriedText()) + " " +
                     std::string(se.TrainerName()) + "(" +
                     FirstChar(keiba::TozaiToText(se.AffiliationCode(), 3)),
                 9, false);

    const auto& match = day.gRaceCalc[rr].NeraiMatch[hh];
    for (int s = 1; s <= 4; ++s)
        if (match[static_cast<std::size_t>(s - 1)] == 1)
            p.boxes.push_back(
                {205 + 11 * (s - 1), 37, 215 + 11 * (s - 1), 2, TargetSlotColor(s), kBlack});
}

void PaintPastRun(const raceday::RaceDay& day, int race, int h, int j, const QFont& font,
                  Painter& out, CellPaint& p) {
    const auto rr = static_cast<std::size_t>(race);
    const auto hh = static_cast<std::size_t>(h);
    const auto jj = static_cast<std::size_t>(j);
    const jvdata::TJvRA& ra = day.gPastRunRaces[rr][hh][jj];
    const jvdata::TJvSE& se = day.gPastRunHorses[rr][hh][jj];
    const PastRunLines lines = PastRunText(ra, se);
    if (!lines.shown) return;
    const raceday::TOutData2& texts = day.gRaceTexts[rr];
    const std::string& level = texts.PastRLevel[hh][jj];
    p.background = PastRunLevelColor(level);

    const int x0 = kG + 1;
    const int lh = LineHeight(font, 9);
    int y = 0;
    out.Text(x0, y, lines.line1, 9, false);
    y += lh - 1;
    out.Text(x0, y, lines.line2, 9, false);
    y += lh - 1;
    out.Text(x0, y, lines.line3, 9, false);
    y += lh + 2;
    out.Text(x0, y, level + " " + texts.PastRUma[hh][jj], 11, true);
    const std::string_view finish = keiba::TrimBlanks(se.FinalPositionText());
    if (!finish.empty() && finish != "00") {
        const int pos = se.FinalPosition();
        out.TextFromRight(90, y, keiba::FormatInt(pos, 2) + keiba::Sj("着"), 11, true,
                          RankColor(pos));
    } else {
        out.TextFromRight(90, y, "  ", 11, true);
    }
    const std::string diff = keiba::FormatTimeDiff(se.TimeDifference());
    if (!keiba::TrimBlanks(diff).empty()) out.TextFromRight(50, y, "(" + diff + ")", 9, false);

    // The members' level of a run belongs to the race their record names; a red edge says it
    // was taken from another one.
    if (keiba::StrToIntDef(keiba::TrimBlanks(texts.PastRaceNo[hh][jj]), 0) != 0) {
        const jvdata::TAnalysisRecord& an = day.gDayHorseAnalysis[rr][hh];
        const jvdata::TAnalysisPastRun past = an.PastRun(static_cast<int>(jj));
        const std::string ours = std::string(ra.RaceDate()) + std::string(ra.VenueCode());
        const std::string theirs = std::string(past.Date8()) + std::string(past.VenueCode());
        if (ours != theirs) p.leftEdge = kRed;
    }
}

} // namespace

QColor PastRunLevelColor(const std::string& rLevel) {
    if (rLevel == keiba::Sj("高★")) return QColor(0x0FCEF0);
    if (rLevel == keiba::Sj("高＋")) return QColor(0x8DE8F8);
    if (rLevel == keiba::Sj("高－")) return QColor(0xD3F5FC);
    return QColor(0xFFFFFF);
}

PastRunLines PastRunText(const jvdata::TJvRA& ra, const jvdata::TJvSE& se) {
    PastRunLines out;
    if (keiba::TrimBlanks(ra.Year()).empty() || ra.RaceNumber() <= 0) return out;
    out.shown = true;
    const std::string_view track = ra.TrackCode();
    const auto trackCode = keiba::DigitValue(track);
    std::string going;
    if (trackCode < 23)
        going = keiba::BabaToText(ra.TurfGoingCode(), 0);
    else if (trackCode <= 29)
        going = keiba::BabaToText(ra.DirtGoingCode(), 0);
    const std::string_view md = ra.MonthDay();
    // A run whose race record is not at hand (abroad, or a day without its race file) keeps its
    // key alone: what the runner's record holds is shown, and no unit without its number.
    out.line1 = keiba::JyoCodeToName(ra.VenueCode(), 1) + std::string(md.substr(0, 2)) + "/" +
                std::string(md.substr(md.size() >= 2 ? md.size() - 2 : 0)) + going + " " +
                keiba::GradeJokenLabel(ra.ClassCode(), ra.GradeCode(), ra.ShortName3()) + " " +
                keiba::FormatIntWithUnit(ra.RunnerCountText(), keiba::Sj("頭"));
    out.line2 = std::string(ra.DistanceText()) + FirstChar(keiba::TrackShortText(track)) +
                std::string(se.FinishTime()) + std::string(se.JockeyName()) +
                std::string(se.WeightCarriedText()) + " " + std::string(se.Last3F());
    const std::string corners = keiba::FormatIntBlankZero(se.CornerPosition(3)) + "-" +
                                keiba::FormatIntBlankZero(se.CornerPosition(4));
    out.line3 = (keiba::TrimBlanks(corners) == "-" ? std::string(corners.size(), ' ') : corners) +
                " " + keiba::FormatIntWithUnit(se.BodyWeight(), "kg") + " " +
                keiba::FormatIntWithUnit(se.HorseNumberText(), keiba::Sj("番")) +
                keiba::FormatIntWithUnit(se.WinPopularityText(), keiba::Sj("人"));
    return out;
}

void SetupDetailedRaceCard(StringGrid& grid) {
    ApplyGridLayout(grid, {kDetailColumns, 3, 17, 53, kDetailWidths, kDetailHeadings});
    grid.setFont(controls::PGothicFont(9));
    grid.setSelectionBehavior(QAbstractItemView::SelectRows);
}

void StringGrid2DrawCell(const raceday::RaceDay& day, bool raceListEmpty, const QFont& font,
                         int col, int row, CellPaint& p) {
    const int race = day.gCurRace;
    const int h = row - 1;
    if (raceListEmpty || row == 0 || race < 0 || race >= raceday::kMaxRaces || h < 0 ||
        h >= raceday::kMaxRunners)
        return;
    const auto rr = static_cast<std::size_t>(race);
    const auto hh = static_cast<std::size_t>(h);
    const jvdata::TJvSE& se = day.gDayHorses[rr][hh];
    const raceday::TOutData2& texts = day.gRaceTexts[rr];
    const QColor own = p.background;
    p.background = kWhite;
    Painter out(p, font);
    auto numberText = [](int v) { return v > 0 ? keiba::FormatInt(v, 2) : std::string(" "); };

    switch (col) {
    case kDetailBracket: {
        const int bracket = se.Bracket();
        const QColor c = BracketColor(bracket);
        p.background = c.isValid() ? c : own;
        out.Text(kG + 1, kG + 1, numberText(bracket), 13, true,
                 bracket == 1 || bracket == 5 ? kBlack : kWhite);
        break;
    }
    case kDetailNumber:
        p.background = day.gRaceCalc[rr].Tracked[hh] == 1 ? kRed : InfoBackground();
        out.Text(kG + 1, kG + 1, numberText(se.HorseNumber()), 13, true);
        break;
    case kDetailName: PaintRunnerBlock(day, race, h, out, p); break;
    case kDetailOdds: {
        std::string_view t = keiba::TrimBlanks(se.WinOddsTenths());
        std::string odds(5, ' ');
        if (!t.empty() && t != "0000" && jvdata::IsAsciiDigits(t))
            odds = keiba::FormatFixed(static_cast<double>(keiba::DigitValue(t)) / 10.0, 5, 1);
        const int y = kG + 2;
        const int lh = out.Text(kG + 2, y, odds, 9, true);
        out.Text(kG + 15, y + lh + 10, texts.YosoMark[hh], 10, true);
        break;
    }
    case kDetailRJun: {
        const std::string& rj = texts.RJunText[hh];
        const auto v = keiba::StrictInteger(rj);
        out.Text(kG + 10, kG + 20, v && *v >= 1 ? rj : std::string(" "), 10, true);
        break;
    }
    case kDetailRUma: {
        const std::string& mark = texts.RUmaMark[hh];
        out.Text(kG + 10, kG + 20, mark, 10, true, mark == "R+" ? kRed : kBlack);
        break;
    }
    case kDetailRakuGen: out.Text(kG + 5, kG + 20, texts.RakuGenText[hh], 0, true); break;
    case kDetailPast1:
    case kDetailPast2:
    case kDetailPast3: PaintPastRun(day, race, h, col - kDetailPast1, font, out, p); break;
    case kDetailZogen: {
        const std::string& z = texts.ZogenText[hh];
        int y = kG + 5;
        for (std::size_t i = 0; i < 3 && 2 * i < z.size(); ++i)
            y += out.Text(kG + 8, y, z.substr(2 * i, 2), 10, true) + 2;
        break;
    }
    case kDetailJosho:
    case 12:
    case 13:
    case 14:
    case 15:
    case kDetailHiLvKoso: {
        const std::string* marks[] = {&texts.JoshoMark[hh], &texts.SenzaiMark[hh],
                                      &texts.KeikenMark[hh], &texts.CourseMark[hh],
                                      &texts.KyoriMark[hh]};
        const std::string& mark = col == kDetailHiLvKoso
                                      ? texts.HiLvKosoMark[hh]
                                      : *marks[static_cast<std::size_t>(col - kDetailJosho)];
        out.Text(kG + 8, kG + 20, mark, 10, true);
        break;
    }
    case kDetailLvZokusei:
        out.Text(kG + 8, kG + 20, FirstChar(texts.LvZokuseiText[hh]), 10, true);
        break;
    case kDetailHiRate: out.Text(kG + 2, kG + 20, texts.HiLvRate[hh], 10, false); break;
    case kDetailLoRate: out.Text(kG + 2, kG + 20, texts.LoLvRate[hh], 10, false); break;
    case kDetailHatsuKo: out.Text(kG + 8, kG + 20, texts.HatsuKoMark[hh], 10, true); break;
    case kDetailPast5: out.Text(kG + 5, kG + 20, texts.Past5Total[hh], 10, false); break;
    default: break;
    }
}

void AttachDetailedRaceCard(StringGrid& grid, const raceday::RaceDay& day,
                            std::function<bool()> raceListEmpty) {
    if (!raceListEmpty) raceListEmpty = [&day] { return day.gDayRaceCount <= 0; };
    const StringGrid* view = &grid;
    grid.Model()->SetDrawCell(
        [view, &day, empty = std::move(raceListEmpty)](int col, int row, CellPaint& p) {
            StringGrid2DrawCell(day, empty(), view->font(), col, row, p);
        });
    grid.ClearSelectionOnRelease();
}

DetailFilterBar::DetailFilterBar(std::function<void()> showRaceAgain, QWidget* parent)
    : QWidget(parent)
    , showRaceAgain_(std::move(showRaceAgain)) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    const char16_t* captions[6] = {u"全表示", u"芝", u"ﾀﾞｰﾄ", u"無指定", u"同距離", u"+/-400m"};
    const char* names[6] = {"selBaBtn1",    "selBaBtn2",    "selBaBtn3",
                            "selKyoriBtn1", "selKyoriBtn2", "selKyoriBtn3"};
    for (int g = 0; g < 2; ++g) {
        auto* box =
            new QGroupBox(g == 0 ? QStringLiteral("馬場選択") : QStringLiteral("距離選択"), this);
        auto* inner = new QHBoxLayout(box);
        auto* group = new QButtonGroup(box);
        group->setExclusive(true);
        for (int i = 3 * g; i < 3 * g + 3; ++i) {
            auto* b = new QToolButton(box);
            b->setText(QString::fromUtf16(captions[i]));
            b->setObjectName(QLatin1StringView(names[i]));
            b->setCheckable(true);
            b->setChecked(i % 3 == 0);
            group->addButton(b);
            inner->addWidget(b);
            connect(b, &QToolButton::clicked, this, &DetailFilterBar::selBaBtn1Click);
            buttons_[i] = b;
        }
        row->addWidget(box);
    }
    row->addStretch();
}

void DetailFilterBar::selBaBtn1Click() {
    if (showRaceAgain_) showRaceAgain_();
}

} // namespace views
