#pragma once
// What the printed sheets share: a drawer that keeps the font, pen and brush between calls as
// a printer canvas does, the print colours of the brackets, number texts that never stop a
// sheet, the race header, the venue sheets' page frame, the bracket column and the past-run cell
// texts.
//
// Texts are CP932. A number read from a record that is not a number prints as blanks of its
// width (or as the sheet's own marker), never stops the sheet.

#include "jvdata/records.h"
#include "raceday/daymodel.h"
#include "views/print/canvas.h"

#include <QColor>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace views::print {

// The state of a page's canvas, set piece by piece; each change goes to the document at once.
class Drawer {
public:
    explicit Drawer(Document& doc);

    Document& Doc() { return doc_; }
    // Closes the page and starts the next one with a fresh canvas.
    void NewPage();
    // The canvas of a fresh page: P-Gothic 10 black, black pen of width 1, white solid brush.
    void Reset();

    void Gothic(int size, unsigned style = kRegular);
    void PGothic(int size, unsigned style = kRegular);
    void Size(int size);
    void Style(unsigned style);
    void TextColor(const QColor& color);
    void Pen(const QColor& color, int width);
    void PenColor(const QColor& color);
    void PenWidth(int width);
    // A width in printer pixels.
    void PenPixels(const QColor& color, int pixels);
    void NoPen();
    void Brush(const QColor& color);
    void ClearBrush();

    void Text(int x, int y, std::string_view cp932);
    // A text in a cell that ends at x `right`, condensed across when it would run past.
    void Text(int x, int y, int right, std::string_view cp932);
    void Line(int x1, int y1, int x2, int y2);
    void Rect(int x1, int y1, int x2, int y2);

private:
    Document& doc_;
    TextFont font_;
    LinePen pen_;
    FillBrush brush_;
};

// --- numbers ---
// The value of a field that holds only digits (blanks around them allowed); nothing otherwise.
std::optional<int> FieldInt(std::string_view field);
// "%<width>d" of the field, or blanks of that width when it is not a number.
std::string NumText(std::string_view field, int width);
// "%<width>d".
std::string IntText(std::int64_t value, int width);
// "%<width>.1f" of a field in tenths, or blanks of that width when it is not a number.
std::string TenthsText(std::string_view field, int width);

// --- colours and brackets ---
// The print fills of brackets 1..8; nothing for another number.
std::optional<QColor> BracketFill(int bracket);
// White on brackets 2, 3 and 4, black on the others.
QColor BracketTextColor(int bracket);
// "白" "黒" "赤" "青" "黄" "緑" "橙" "桃"; empty for another number.
std::string BracketName(int bracket);
// Popularity and finishing position: 1 red, 2 and 3 blue, `other` otherwise.
QColor RankColor(int rank, const QColor& other = Qt::black);
inline const QColor kHeaderBand{205, 231, 231};
inline const QColor kNumberCell{255, 255, 225};

// --- the race header ---
// Where the header of a race page lies; the race card and newspaper sheets share one layout,
// the landscape past-performance sheet has its own.
struct HeaderLayout {
    int labelY, venueY, boxTop, boxBottom, numberY, dateY, nameY, distanceY, conditionsY, ruleY;
};
inline constexpr HeaderLayout kPortraitHeader{170, 45, 120, 200, 125, 40, 95, 130, 165, 85};
inline constexpr HeaderLayout kLandscapeHeader{120, 0, 70, 150, 75, 0, 45, 80, 115, 37};

// "ﾚｰｽ", the venue, the race-number box and number, the date and post-time line, the race
// name, distance and conditions lines, and the rule under them.
void DrawRaceHeader(Drawer& d, const jvdata::TJvRA& ra, const HeaderLayout& at);
// The date line: "2026年11月28日(土)東京 05回01日11R".
std::string RaceDateLine(const jvdata::TJvRA& ra);
// The title of a venue's page: "2024年05月26日  東京02回12日".
std::string VenueTitle(const jvdata::TJvRA& ra);
// The frame of the venue sheets: a page per venue of the day (see VenuePages), headed by its
// title, with `credit` at its foot at y `creditY`; `drawBody` then draws the page in regular
// type, given the venue's race slots in order, twelve at most. Returns the page names: the
// venues' names.
std::vector<std::string>
DrawVenuePages(const raceday::RaceDay& day, Drawer& d, std::string_view credit, int creditY,
               const std::function<void(const std::vector<int>& races)>& drawBody);
// The career prize of a horse in thousands of yen: its six prize totals (hundreds of yen).
std::int64_t CareerPrize(const jvdata::TJvUM& um);

// The prize block: two captions in regular type, main prizes 1..`prizes` and added prizes 1..5
// in two columns, 20 apart from `firstY`, in `prizeStyle`.
struct PrizeLayout {
    int caption1X, caption1Y;
    std::string_view caption1; // UTF-8
    int caption2X, caption2Y;
    std::string_view caption2; // UTF-8
    int firstY;
    int prizes;
    unsigned prizeStyle;
};
void DrawPrizes(Drawer& d, const jvdata::TJvRA& ra, const PrizeLayout& at);

// --- the runner table's first two columns ---
// The bracket cell (x 51..99) and the horse-number cell (101..149) of a row from `top` to
// `bottom`, in the pen width already set; the brush is clear afterwards.
void DrawNumberCells(Drawer& d, int bracket, int top, int bottom);
// Where the bracket rule lies: the bracket name and digit of a row that opens a bracket, and the
// right end of the rules.
struct BracketRuleLayout {
    int nameDy, digitDy, right;
};
// Counts the brackets opened on a page: a row whose bracket equals the count continues the
// bracket just opened (a thin rule from x 100), any other row opens one (its name and digit in
// the current font family, sizes 9 and 11, and a thick rule from x 50).
class BracketRules {
public:
    void Row(Drawer& d, int bracket, int top, const BracketRuleLayout& at);

private:
    int opened_ = 0;
};

// --- past-run cells ---
// "----" for the times "0000" and "9999", else the four characters as stored.
std::string RunTimeText(std::string_view time4);
// A track code of turf (1..22) or dirt (23..29).
bool IsTurf(std::string_view trackCode);
bool IsDirt(std::string_view trackCode);
// The first whole character of a text.
std::string FirstChar(std::string_view s);
// The text trimmed of half-width blanks with every full-width blank removed.
std::string NameText(std::string_view s);
// Jockey's or trainer's win and top-two rates from six finish counts: "%5.1f" each, "  ---"
// both when the counts are all zero.
struct Rates {
    std::string win, topTwo;
};
Rates RatesOf(const std::array<int, 6>& counts);

} // namespace views::print
