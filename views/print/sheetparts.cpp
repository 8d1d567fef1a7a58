#include "views/print/sheetparts.h"

#include "controls/fonts.h"
#include "keiba/codetables.h"
#include "keiba/formatters.h"
#include "keiba/sjis.h"
#include "views/print/sheets.h"

namespace views::print {

using keiba::Sj;

// --- Drawer ---

Drawer::Drawer(Document& doc)
    : doc_(doc) {
    Reset();
}

void Drawer::NewPage() {
    doc_.NewPage();
    Reset();
}

void Drawer::Reset() {
    font_ = TextFont{controls::PGothicFamily(), 10, kRegular, Qt::black};
    pen_ = LinePen{};
    brush_ = FillBrush{};
    doc_.SetFont(font_);
    doc_.SetPen(pen_);
    doc_.SetBrush(brush_);
}

void Drawer::Gothic(int size, unsigned style) {
    font_.family = controls::GothicFamily();
    font_.size = size;
    font_.style = style;
    doc_.SetFont(font_);
}

void Drawer::PGothic(int size, unsigned style) {
    font_.family = controls::PGothicFamily();
    font_.size = size;
    font_.style = style;
    doc_.SetFont(font_);
}

void Drawer::Size(int size) {
    font_.size = size;
    doc_.SetFont(font_);
}

void Drawer::Style(unsigned style) {
    font_.style = style;
    doc_.SetFont(font_);
}

void Drawer::TextColor(const QColor& color) {
    font_.color = color;
    doc_.SetFont(font_);
}

void Drawer::Pen(const QColor& color, int width) {
    pen_ = LinePen{color, width, false, true};
    doc_.SetPen(pen_);
}

void Drawer::PenColor(const QColor& color) {
    pen_.color = color;
    pen_.visible = true;
    doc_.SetPen(pen_);
}

void Drawer::PenWidth(int width) {
    pen_.width = width;
    pen_.devicePixels = false;
    pen_.visible = true;
    doc_.SetPen(pen_);
}

void Drawer::PenPixels(const QColor& color, int pixels) {
    pen_ = LinePen{color, pixels, true, true};
    doc_.SetPen(pen_);
}

void Drawer::NoPen() {
    pen_.visible = false;
    doc_.SetPen(pen_);
}

void Drawer::Brush(const QColor& color) {
    brush_ = FillBrush{color, true};
    doc_.SetBrush(brush_);
}

void Drawer::ClearBrush() {
    brush_.solid = false;
    doc_.SetBrush(brush_);
}

void Drawer::Text(int x, int y, std::string_view cp932) {
    doc_.TextOut(x, y, cp932);
}

void Drawer::Text(int x, int y, int right, std::string_view cp932) {
    doc_.FitText(x, y, right, cp932);
}

void Drawer::Line(int x1, int y1, int x2, int y2) {
    doc_.MoveTo(x1, y1);
    doc_.LineTo(x2, y2);
}

void Drawer::Rect(int x1, int y1, int x2, int y2) {
    doc_.Rectangle(x1, y1, x2, y2);
}

// --- numbers ---

std::optional<int> FieldInt(std::string_view field) {
    std::string_view t = keiba::TrimBlanks(field);
    if (t.empty() || t.size() > 9 || !jvdata::IsAsciiDigits(t)) return std::nullopt;
    return static_cast<int>(keiba::DigitValue(t));
}

std::string IntText(std::int64_t value, int width) {
    return keiba::FormatInt(value, width);
}

std::string NumText(std::string_view field, int width) {
    std::optional<int> v = FieldInt(field);
    return v ? IntText(*v, width) : std::string(static_cast<std::size_t>(width), ' ');
}

std::string TenthsText(std::string_view field, int width) {
    std::optional<int> v = FieldInt(field);
    return v ? keiba::FormatFixed(*v / 10.0, width, 1)
             : std::string(static_cast<std::size_t>(width), ' ');
}

// --- colours and brackets ---

std::optional<QColor> BracketFill(int bracket) {
    static const QColor kFills[] = {QColor(255, 255, 255), QColor(0, 0, 0),      QColor(255, 0, 0),
                                    QColor(0, 0, 255),     QColor(255, 255, 0),  QColor(0, 255, 0),
                                    QColor(255, 128, 0),   QColor(255, 128, 192)};
    if (bracket < 1 || bracket > 8) return std::nullopt;
    return kFills[bracket - 1];
}

QColor BracketTextColor(int bracket) {
    return bracket >= 2 && bracket <= 4 ? QColor(Qt::white) : QColor(Qt::black);
}

std::string BracketName(int bracket) {
    static const char* const kNames[] = {"白", "黒", "赤", "青", "黄", "緑", "橙", "桃"};
    if (bracket < 1 || bracket > 8) return {};
    return Sj(kNames[bracket - 1]);
}

QColor RankColor(int rank, const QColor& other) {
    if (rank == 1) return QColor(255, 0, 0);
    if (rank == 2 || rank == 3) return QColor(0, 0, 255);
    return other;
}

// --- the race header ---

std::string RaceDateLine(const jvdata::TJvRA& ra) {
    auto s = [](std::string_view v) { return std::string(v); };
    return s(ra.Year()) + Sj("年") + s(ra.Month()) + Sj("月") + s(ra.DayOfMonth()) + Sj("日(") +
           keiba::YoubiToText(ra.WeekdayCode(), 1) + ")" + keiba::JyoCodeToName(ra.VenueCode(), 2) +
           " " + s(ra.Meeting()) + Sj("回") + s(ra.MeetingDay()) + Sj("日") + s(ra.RaceNo()) + "R";
}

std::string VenueTitle(const jvdata::TJvRA& ra) {
    auto s = [](std::string_view v) { return std::string(v); };
    return s(ra.Year()) + Sj("年") + s(ra.Month()) + Sj("月") + s(ra.DayOfMonth()) + Sj("日  ") +
           keiba::JyoCodeToName(ra.VenueCode(), 2) + s(ra.Meeting()) + Sj("回") +
           s(ra.MeetingDay()) + Sj("日");
}

std::vector<std::string>
DrawVenuePages(const raceday::RaceDay& day, Drawer& d, std::string_view credit, int creditY,
               const std::function<void(const std::vector<int>& races)>& drawBody) {
    std::vector<std::string> names;
    const int races = DayRaceCount(day);
    for (const VenuePage& venue : VenuePages(day)) {
        if (!names.empty()) d.NewPage();
        const jvdata::TJvRA& first = day.gDayRaces[static_cast<std::size_t>(venue.firstRace)];
        d.Gothic(13, kBold | kUnderline);
        names.push_back(keiba::JyoCodeToName(venue.code, 2));
        d.Text(100, 30, VenueTitle(first));
        d.Size(8);
        d.Text(1200, creditY, credit);
        d.Style(kRegular);
        std::vector<int> slots;
        for (int r = venue.firstRace; r < races && r < venue.firstRace + 12; ++r) {
            if (day.gDayRaces[static_cast<std::size_t>(r)].VenueCode() != venue.code) break;
            slots.push_back(r);
        }
        drawBody(slots);
    }
    return names;
}

std::int64_t CareerPrize(const jvdata::TJvUM& um) {
    std::int64_t sum = 0;
    for (int i = 0; i < 6; ++i) sum += um.PrizeTotal(i);
    return sum / 10;
}

namespace {

std::string ConditionsLine(const jvdata::TJvRA& ra) {
    static const char* const kAges[] = {"2歳:", "3歳:", "4歳:", "5歳以上:"};
    std::string line = keiba::JyuryoToText(ra.WeightRuleCode());
    for (int g = 0; g < 4; ++g) {
        std::string c = keiba::JokenToText(ra.ConditionCode(g));
        if (!keiba::TrimBlanks(c).empty()) c = Sj(kAges[g]) + c;
        line += " " + c;
    }
    return line;
}

} // namespace

void DrawRaceHeader(Drawer& d, const jvdata::TJvRA& ra, const HeaderLayout& at) {
    d.Gothic(10, kBold);
    d.Text(160, at.labelY, Sj("ﾚｰｽ"));
    d.Size(20);
    d.Text(50, at.venueY, keiba::JyoCodeToName(ra.VenueCode(), 2));
    d.Pen(Qt::black, 10);
    d.Brush(Qt::black);
    d.Rect(50, at.boxTop, 130, at.boxBottom);
    if (std::optional<int> no = FieldInt(ra.RaceNo())) {
        d.TextColor(Qt::white);
        d.Text(*no >= 10 ? 55 : 70, at.numberY, std::to_string(*no));
        d.TextColor(Qt::black);
    }
    d.Brush(Qt::white);
    d.Size(11);
    d.Text(250, at.dateY, RaceDateLine(ra));
    d.Text(980, at.dateY,
           std::string(ra.PostHour()) + Sj("時") + std::string(ra.PostMinute()) + Sj("分発走　"));
    d.Gothic(10);
    std::optional<int> edition = FieldInt(ra.Edition());
    const std::string editionText =
        edition && *edition > 0 ? Sj("第") + std::to_string(*edition) + Sj("回 ") : "";
    d.Text(250, at.nameY, editionText + std::string(ra.RaceName()));
    d.Text(250, at.distanceY,
           NumText(ra.RunnerCountText(), 2) + Sj("頭  ") + NumText(ra.DistanceText(), 4) +
               Sj("ﾒｰﾄﾙ ") + keiba::TrackToText(ra.TrackCode()) + " " +
               keiba::GradeToText(ra.GradeCode(), 1) + " " +
               keiba::SyubetuToTextHankaku(ra.RaceTypeCode()) + " " +
               keiba::KigoToText(ra.RaceSymbolCode()));
    d.Text(250, at.conditionsY, ConditionsLine(ra));
    d.Pen(Qt::black, 10);
    d.Line(250, at.ruleY, 1600, at.ruleY);
}

void DrawPrizes(Drawer& d, const jvdata::TJvRA& ra, const PrizeLayout& at) {
    d.Gothic(6);
    d.Text(at.caption1X, at.caption1Y, Sj(at.caption1));
    d.Text(at.caption2X, at.caption2Y, Sj(at.caption2));
    d.Style(at.prizeStyle);
    for (int k = 0; k < at.prizes; ++k)
        d.Text(1650, at.firstY + 20 * k,
               keiba::IntToMaruNum(k + 1) + keiba::FormatTenthsSameWidth(ra.PrizeText(k + 1)));
    for (int k = 0; k < 5; ++k)
        d.Text(1800, at.firstY + 20 * k,
               keiba::IntToMaruNum(k + 1) + keiba::FormatTenthsSameWidth(ra.AddedPrizeText(k + 1)));
    d.Style(kRegular);
}

// --- the runner table's first two columns ---

void DrawNumberCells(Drawer& d, int bracket, int top, int bottom) {
    if (std::optional<QColor> fill = BracketFill(bracket)) {
        d.Brush(*fill);
        d.PenColor(*fill);
        d.Rect(51, top, 99, bottom);
    }
    d.Brush(kNumberCell);
    d.PenColor(kNumberCell);
    d.Rect(101, top, 149, bottom);
    d.ClearBrush();
}

void BracketRules::Row(Drawer& d, int bracket, int top, const BracketRuleLayout& at) {
    if (bracket == opened_) {
        d.Pen(Qt::black, 1);
        d.Line(100, top, at.right, top);
        return;
    }
    d.TextColor(BracketTextColor(bracket));
    d.Size(9);
    d.Text(60, top + at.nameDy, BracketName(bracket));
    d.Size(11);
    d.Text(65, top + at.digitDy, bracket >= 1 && bracket <= 8 ? std::to_string(bracket) : "");
    d.Pen(Qt::black, 12);
    d.Line(50, top, at.right, top);
    ++opened_;
    d.TextColor(Qt::black);
}

// --- past-run cells ---

std::string RunTimeText(std::string_view time4) {
    if (time4 == "0000" || time4 == "9999") return "----";
    return std::string(time4);
}

bool IsTurf(std::string_view trackCode) {
    std::optional<int> t = FieldInt(trackCode);
    return t && *t >= 1 && *t <= 22;
}

bool IsDirt(std::string_view trackCode) {
    std::optional<int> t = FieldInt(trackCode);
    return t && *t >= 23 && *t <= 29;
}

std::string FirstChar(std::string_view s) {
    if (s.empty()) return {};
    return std::string(s.substr(0, keiba::SjisCharLength(s, 0)));
}

std::string NameText(std::string_view s) {
    return keiba::DeleteZenkakuSpaces(keiba::TrimBlanks(s));
}

Rates RatesOf(const std::array<int, 6>& counts) {
    long long total = 0;
    for (int c : counts) total += c;
    if (total <= 0) return {"  ---", "  ---"};
    const double t = double(total);
    return {keiba::FormatFixed(counts[0] / t * 100, 5, 1),
            keiba::FormatFixed((counts[0] + counts[1]) / t * 100, 5, 1)};
}

} // namespace views::print
