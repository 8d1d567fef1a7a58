#include "search/neraihits.h"

#include "keiba/codetables.h"
#include "keiba/formatters.h"
#include "keiba/sjis.h"

#include <algorithm>
#include <set>

namespace search {

NeraiHitList BuildNeraiHitList(const raceday::RaceDay& day, int raceCount) {
    NeraiHitList list;
    std::set<std::string> sorted;
    raceCount = std::clamp(raceCount, 0, raceday::kMaxRaces);
    for (int r = 0; r < raceCount; ++r) {
        const auto rr = static_cast<std::size_t>(r);
        const jvdata::TJvRA& race = day.gDayRaces[rr];
        const int runners = raceday::FieldSize(day, r);
        for (int h = 0; h < runners; ++h) {
            const auto hh = static_cast<std::size_t>(h);
            const auto& match = day.gRaceCalc[rr].NeraiMatch[hh];
            std::string slots;
            for (std::size_t s = 0; s < 4; ++s) {
                bool hit = match[s] == 1;
                if (hit) ++list.slotCounts[s];
                slots += hit ? '1' : ' ';
            }
            if (slots == "    ") continue;
            const jvdata::TJvSE& se = day.gDayHorses[rr][hh];
            std::string line;
            line.reserve(kHitLineLength);
            line += race.PostTime();
            line += race.VenueCode();
            line += race.RaceNo();
            line += se.HorseNumberText();
            line += slots;
            line += race.ShortName3();
            line += race.RaceTypeCode();
            line += race.ClassCode();
            line += race.TrackCode();
            line += race.DistanceText();
            line += se.BracketText();
            line += keiba::FitBytes(se.HorseName(), 18);
            sorted.insert(std::move(line));
        }
    }
    list.lines.assign(sorted.begin(), sorted.end());
    return list;
}

std::array<std::string, kHitColumns> NeraiHitCells(std::string_view line) {
    std::string padded = keiba::PadRightBytes(line, kHitLineLength);
    std::string_view l = padded;
    auto chars = [&](std::size_t from, std::size_t to) {
        return l.substr(from - 1, to - from + 1);
    };
    std::array<std::string, kHitColumns> cells;
    static const std::string kBox = keiba::Sj("■");
    for (std::size_t s = 0; s < 4; ++s)
        if (l[10 + s] == '1') cells[s] = kBox;
    cells[4] = std::string(chars(1, 2)) + ":" + std::string(chars(3, 4));
    cells[5] = keiba::JyoCodeToName(chars(5, 6), 2);
    cells[6] = keiba::FormatIntBlankZero(chars(7, 8)) + "R";
    cells[7] = std::string(chars(15, 20));
    cells[8] = keiba::SyubetuToText(chars(21, 22), 2);
    cells[9] = keiba::JokenToText(chars(23, 25));
    cells[10] = std::string(keiba::CutBytes(keiba::TrackShortText(chars(26, 27)), 2));
    cells[11] = keiba::FormatIntBlankZero(chars(28, 31));
    cells[12] = std::string(chars(32, 32));
    cells[13] = keiba::FormatIntBlankZero(chars(9, 10));
    cells[14] = std::string(chars(33, 50));
    return cells;
}

} // namespace search
