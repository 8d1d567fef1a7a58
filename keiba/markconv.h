#pragma once
// The members' analysis codes as the marks and short texts the grids and sheets show, and the
// shown texts back as codes. Texts are CP932.

#include <string>
#include <string_view>

namespace keiba {

// R level 1..7: "低★" .. "高★"; any other level gives the empty string.
std::string RLevelToText(int level);
// Forecast mark 1..6: "◎", "○", "▲", "△", "×", "×"; otherwise empty.
std::string YosoMarkToText(int mark);
// Trend code 1..4: "同休減", "降休減", "同続増", "昇続増"; otherwise empty.
std::string ZogenToText(int code);
// R code 1 "R+", 2 "R-"; otherwise two half-width blanks, so the column keeps its width.
std::string RUmaToText(int code);

// Aptitude "1".."3" as three full-width characters wide; anything else three full-width blanks.
std::string LvZokuseiToText(std::string_view code);
// One-character flags: "1" gives the mark, anything else (even "01") one full-width blank.
std::string FlagToMaru(std::string_view flag);
std::string FlagToStar(std::string_view flag);
std::string FlagToUpArrow(std::string_view flag);
std::string FlagToKiken(std::string_view flag);

// Exact inverses of the shown texts; any other text gives 0.
int TextToRLevel(std::string_view text);
int YosoMarkToCode(std::string_view text);    // "×" gives 5 only
int GradeLetterToCode(std::string_view text); // "S" 1 .. "D" 5, upper case only

} // namespace keiba
