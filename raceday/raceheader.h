#pragma once
// Race selection: the texts that show a race of the loaded day, computed from the race-day
// model alone. Selection runs after every fetch, so nothing here touches a file.

#include "raceday/daymodel.h"

#include <array>
#include <string>
#include <vector>

namespace raceday {

// The columns of the race card list grid the selection writes (the rest the grid draws itself).
inline constexpr int kCardListTextColumns = 10;
// Payout label triples: win 3, place 5, bracket quinella 3, quinella 3, wide 7 (the 3-D labels),
// then exacta 6, trio 3, trifecta 6.
inline constexpr int kLabel3DTriples = 21;
inline constexpr int kPayoutLabelTriples = 15;

struct PayoutTriple {
    std::string number;     // "%2d" runner number or the combination key
    std::string popularity; // "%2d"
    std::string payout;     // "%8d" yen
    bool operator==(const PayoutTriple&) const = default;
};

// Every text is CP932.
struct RaceHeader {
    std::string basho, race; // BashoLabel, RaceLabel
    std::string label1, label2, label3, label4, label6, label7;
    std::string label3Dj1, label3Dj2; // course-record lines
    std::string tfwTime;              // TFWtimeLabel
    std::string rLevel, rPlus, rMinus;
    bool turf = false; // Panel3 green, else maroon
    int gridRows = 1;  // field size + 1, for each of the seven race grids
    std::vector<std::string> commentLines;
    std::vector<std::array<std::string, kCardListTextColumns>> cardRows; // StringGrid6 rows 1..
    std::array<PayoutTriple, kLabel3DTriples> label3D;
    std::array<PayoutTriple, kPayoutLabelTriples> payoutLabels;
};

enum class SelectStatus { Ok, NoRace, NoRunners };

struct RaceSelection {
    SelectStatus status = SelectStatus::NoRace;
    int raceNumber = 0; // RA position 26, for the message of a race without runners
    RaceHeader header;
};

// The header of race slot `r`; NoRace for a slot outside 0..35.
RaceSelection SelectRaceHeader(const RaceDay& day, int r);

// "<n>レースはデータが不十分です。" (UTF-8).
std::string NoRunnersMessage(int raceNumber);

// The lines of the race comment (shown in Memo1): items of the comment text joined in pairs; a
// first item beginning with 【 stands alone on the first line. A last unpaired item is not shown.
std::vector<std::string> RaceCommentLines(std::string_view comment);

} // namespace raceday
