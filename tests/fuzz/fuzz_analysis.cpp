// Fuzz target over the members' files of a day: the hand-input R horses (.ruma), the race
// comments (RCOM<yyyymmdd>.CSV) and the 378-byte analysis records (XQ<yyyymmdd>.vzkd), read
// in the order of the day load into a day whose races the input also chooses, and the analysis
// file's reader, which goes on past damage to the next sound record.
//
// Input pieces (see fuzzsupport.h): the races, as 18-byte entries (race key, field size) for
// slots 0, 1, ...; the .vzkd bytes; the .CSV bytes; the .ruma bytes; the dates of the loaded
// past runs, 8 bytes each for (slot, runner, run) in order.

#include "raceday/analysis.h"
#include "tests/fuzz/fuzzsupport.h"

#include <memory>

namespace {

using namespace raceday;

RaceDay& Day() {
    static const std::unique_ptr<RaceDay> day = std::make_unique<RaceDay>();
    return *day;
}

// Only what the members' readers read or write is reset; the whole day is 25 MB.
void SetUpDay(RaceDay& day, std::string_view races, std::string_view pastDates) {
    for (std::size_t r = 0; r < kMaxRaces; ++r) {
        day.gDayRaces[r].Clear();
        day.gRaceTexts[r].Clear();
        std::string_view entry = races.substr(std::min(races.size(), r * 18), 18);
        if (!entry.empty()) {
            day.gDayRaces[r].SetField(1, 2, "RA");
            day.gDayRaces[r].SetField(12, 16, entry.substr(0, 16));
            day.gDayRaces[r].SetField(882, 2,
                                      entry.substr(std::min<std::size_t>(16, entry.size())));
        }
        for (std::size_t h = 0; h < kMaxRunners; ++h) {
            day.gDayHorseAnalysis[r][h].Clear();
            for (std::size_t k = 0; k < kPastRunsRead; ++k) {
                std::size_t i = (r * kMaxRunners + h) * kPastRunsRead + k;
                day.gPastRunHorses[r][h][k].Clear();
                day.gPastRunHorses[r][h][k].SetField(
                    12, 8, pastDates.substr(std::min(pastDates.size(), i * 8), 8));
            }
        }
    }
}

int TwoDigits(std::string_view f) {
    if (f.size() != 2 || f[0] < '0' || f[0] > '9' || f[1] < '0' || f[1] > '9') return -1;
    return (f[0] - '0') * 10 + (f[1] - '0');
}

void CheckHandInput(const RaceDay& day, std::string_view ruma) {
    std::vector<std::string_view> lines = fuzz::TextLines(ruma);
    for (std::size_t r = 0; r < kMaxRaces; ++r) {
        const TOutData2& t = day.gRaceTexts[r];
        const jvdata::TJvRA& race = day.gDayRaces[r];
        std::string key12 = race.Key().Key12();
        bool named = race.Key().Year().find_first_not_of(' ') != std::string_view::npos &&
                     std::any_of(lines.begin(), lines.end(), [&](std::string_view l) {
                         return l.size() >= 12 && l.substr(0, 12) == key12;
                     });
        int f = FieldSize(day, static_cast<int>(r));
        for (std::size_t h = 0; h < kMaxRunners; ++h) {
            const std::string& m = t.RUmaMark[h];
            FUZZ_CHECK(m.empty() || m == "R+" || m == "R-");
            if (!named || static_cast<int>(h) >= f) FUZZ_CHECK(m.empty());
        }
        if (!named) FUZZ_CHECK(t.RaceRLevelText.empty());
    }
}

void CheckComments(const RaceDay& day, std::string_view csv) {
    std::vector<std::string_view> lines = fuzz::TextLines(csv);
    for (std::size_t r = 0; r < kMaxRaces; ++r) {
        const std::string& c = day.gRaceTexts[r].RaceComment;
        if (c.empty()) continue;
        // A comment comes from a line that begins with the race's key and opens a quoted text;
        // the text that follows the quote on that line begins the comment.
        const jvdata::RaceKey raceKey = day.gDayRaces[r].Key();
        std::string_view key = raceKey.Text();
        bool found = std::any_of(lines.begin(), lines.end(), [&](std::string_view l) {
            std::size_t at = l.find(",\"");
            return at != std::string_view::npos && l.size() >= 16 && l.substr(0, 16) == key &&
                   std::string_view(c).starts_with(l.substr(at + 2));
        });
        FUZZ_CHECK(found);
        // Lines are joined with CR LF: at most one byte more per line of the file.
        FUZZ_CHECK(c.size() <= 2 * csv.size());
    }
}

void CheckStored(const RaceDay& day, std::string_view vzkd, int skipped) {
    constexpr std::size_t n = jvdata::kAnalysisLength;
    std::array<std::array<std::string_view, kMaxRunners>, kMaxRaces> last{};
    int expectSkipped = 0;
    for (std::size_t at = 0; at + n <= vzkd.size(); at += n) {
        std::string_view rec = vzkd.substr(at, n);
        int s = TwoDigits(rec.substr(0, 2)), horse = TwoDigits(rec.substr(2, 2));
        if (horse == 0) continue;
        if (s < 0 || s >= kMaxRaces || horse < 1 || horse > kMaxRunners) {
            ++expectSkipped;
            continue;
        }
        last[static_cast<std::size_t>(s)][static_cast<std::size_t>(horse - 1)] = rec;
    }
    FUZZ_CHECK(skipped == expectSkipped);
    for (std::size_t r = 0; r < kMaxRaces; ++r) {
        for (std::size_t h = 0; h < kMaxRunners; ++h) {
            std::string_view got = day.gDayHorseAnalysis[r][h].Bytes();
            if (last[r][h].empty())
                FUZZ_CHECK(got.find_first_not_of(' ') == std::string_view::npos);
            else
                FUZZ_CHECK(got == last[r][h]);
        }
    }
}

// The analysis file's reader: whole records of the day in file order, each sound, none
// overlapping another; a file of nothing else has lost nothing.
void CheckRead(std::string_view vzkd) {
    const std::string_view date8 = vzkd.size() >= 13 ? vzkd.substr(5, 8) : "20261206";
    const AnalysisRecords read = ReadAnalysisRecords(vzkd, date8);
    const char* from = vzkd.data();
    for (std::string_view rec : read.records) {
        FUZZ_CHECK(rec.size() == jvdata::kAnalysisLength && rec.data() >= from &&
                   rec.data() + rec.size() <= vzkd.data() + vzkd.size());
        FUZZ_CHECK(jvdata::IsSoundAnalysisRecord(rec) && rec.substr(5, 8) == date8);
        from = rec.data() + rec.size();
    }
    if (read.records.size() * jvdata::kAnalysisLength == vzkd.size())
        FUZZ_CHECK(read.lost == 0);
    else
        FUZZ_CHECK(read.lost > 0);
}

void CheckDecoded(const RaceDay& day) {
    for (std::size_t r = 0; r < kMaxRaces; ++r) {
        const TOutData2& t = day.gRaceTexts[r];
        int f = FieldSize(day, static_cast<int>(r));
        for (std::size_t h = 0; h < kMaxRunners; ++h) {
            if (static_cast<int>(h) >= f) {
                FUZZ_CHECK(t.YosoMark[h].empty() && t.KettoRank[h].empty());
                FUZZ_CHECK(t.PastDate[h][0].empty() && t.HiLvRate[h].empty());
                continue;
            }
            const jvdata::TAnalysisRecord& rec = day.gDayHorseAnalysis[r][h];
            FUZZ_CHECK(t.RakuGenText[h].size() <= 4);
            FUZZ_CHECK(t.LvZokuseiText[h].size() <= 2);
            FUZZ_CHECK(t.HiLvRate[h].size() == 5 && t.LoLvRate[h].size() == 5);
            FUZZ_CHECK(t.RJunText[h].size() == 2 && t.Past5Total[h].size() == 3);
            FUZZ_CHECK(t.KettoRank[h].size() == 1 && t.KishuRank[h].size() == 1);
            for (std::size_t k = 0; k < kPastRunsRead; ++k) {
                // A past run is shown only when it is the run the day load found.
                const std::string& date = t.PastDate[h][k];
                std::string_view loaded = day.gPastRunHorses[r][h][k].Field(12, 8);
                std::string_view own = rec.Field(185 + 14 * k, 8); // the run's date
                if (own == loaded)
                    FUZZ_CHECK(date == own);
                else
                    FUZZ_CHECK(date.empty() && t.PastVenue[h][k].empty() &&
                               t.PastRUma[h][k].empty());
            }
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string_view> pieces =
        fuzz::Pieces({reinterpret_cast<const char*>(data), size});
    std::string_view vzkd = fuzz::Piece(pieces, 1), csv = fuzz::Piece(pieces, 2),
                     ruma = fuzz::Piece(pieces, 3);
    RaceDay& day = Day();
    SetUpDay(day, pieces[0], fuzz::Piece(pieces, 4));

    ApplyHandInput(day, ruma);
    CheckHandInput(day, ruma);
    ApplyRaceComments(day, csv);
    CheckComments(day, csv);
    for (TOutData2& t : day.gRaceTexts) t.Clear();
    CheckRead(vzkd);
    int skipped = StoreAnalysisRecords(day, vzkd);
    CheckStored(day, vzkd, skipped);
    DecodeAnalysis(day);
    CheckDecoded(day);
    return 0;
}
