#pragma once
// JV-Data codes to the fixed Japanese texts that grids and printed sheets show.
//
// Codes are CP932 bytes cut from records; results are CP932 bytes. Where a text has a fixed
// width, its padding blanks (half-width or full-width, as each table has them) are part of the
// text and widths count bytes. Every function is pure, never throws and gives its table's
// fallback text for a code (or a style) it does not know.
//
// "Exact" codes are compared byte for byte ("1" and "01" differ); "numbered" codes are read as
// DigitValue reads a digit field, so "01", " 1" and "1" are the same code.

#include <span>
#include <string>
#include <string_view>

namespace keiba {

// Racecourse or country, exact code. Style 9 full name (20 bytes, full-width blanks), styles 0
// and 3 short forms (6 bytes), style 2 two characters (4 bytes), style 1 one character.
std::string JyoCodeToName(std::string_view code, int style);
// A JRA racecourse name ("東京") back to its two-digit code; any other text gives two blanks.
std::string JyoNameToCode(std::string_view name);

// Race type, exact code; styles 2, 4 (bare), 6 (12 bytes), 8 (16 bytes), 9 (25 bytes).
std::string SyubetuToText(std::string_view code, int style);
// Race type, numbered, half-width, 15 bytes; an unknown type gives the empty text.
std::string SyubetuToTextHankaku(std::string_view code);

// Race symbol, exact three-character code, 24 bytes.
std::string KigoToText(std::string_view code);

// Grade, exact code; styles 1 (5 bytes), 2 (bare), 8 (3 bytes), 9 (18 bytes).
std::string GradeToText(std::string_view code, int style);

// Race condition, numbered ("1勝ｸﾗｽ", "新馬"...).
std::string JokenToText(std::string_view code);
// The condition line of a race from its type and the condition codes of the four age bands.
std::string RaceJokenText(std::string_view syubetu, std::string_view joken2,
                          std::string_view joken3, std::string_view joken4,
                          std::string_view joken5);
// The class label of a race: its grade and name, or its condition.
std::string GradeJokenLabel(std::string_view joken, std::string_view grade,
                            std::string_view raceName);

// Weekday, numbered 0 to 8; styles 1 to 3 read the JV-Data weekday code, style 4 a day counted
// from Monday.
std::string YoubiToText(std::string_view code, int style);

std::string KeiroToText(std::string_view code);    // coat colour, exact
std::string UmaKigoToText(std::string_view code);  // horse symbol, numbered
std::string JyuryoToText(std::string_view code);   // weight rule, exact
std::string TrackToText(std::string_view code);    // track, numbered
std::string TrackShortText(std::string_view code); // track in two characters, numbered
std::string TenkoToText(std::string_view code);    // weather, exact
// Going, exact; style 1 and 2 put the surface ("芝:", "ダ:") before it.
std::string BabaToText(std::string_view code, int style);
std::string SexToText(std::string_view code); // exact
// Affiliation, exact; styles 1 to 7, any other style reads as style 6.
std::string TozaiToText(std::string_view code, int style);
std::string MinaraiToText(std::string_view code);   // apprentice allowance, exact
std::string BlinkerToText(std::string_view flag);   // "ﾌﾞﾘﾝ" for "1"
std::string FlagToMaruOrBar(std::string_view flag); // "○" for "1", "－" otherwise
std::string IjyoKubunToText(std::string_view code); // abnormality, exact, 8 bytes
std::string KyakusituToText(std::string_view code); // running style, exact
std::string RecordKubunToText(std::string_view code);
std::string TimeKubunToText(std::string_view code);

// 1 to 18 as "①" to "⑱"; anything else "－". StrToMaruNum reads its text as a number.
std::string IntToMaruNum(int value);
std::string StrToMaruNum(std::string_view text);

// The codes the racecourse and race-symbol tables know, in table order.
std::span<const std::string_view> JyoCodes();
std::span<const std::string_view> KigoCodes();

} // namespace keiba
