#pragma once
// The odds reader: one race's odds records of the loaded day into its calculation record.

#include "jvdata/racecalc.h"
#include "jvdata/records.h"

#include <array>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace jvdata {

// One odds field: -1.0 for a run of "-" or "*" as wide as the field, -2.0 for blanks,
// otherwise the digits divided by 10. A field that is none of these (damaged bytes) reads as
// blank rather than ending the whole read.
double ConvertOddsField(std::string_view field);

// The odds day files of a day, each read once and indexed by venue code and race number. A
// file is read again only when its size or modification time has changed, so a day load reads
// each file once and a fetch that rewrote a file is seen at once.
class OddsFileCache {
public:
    // The first record of the file for the venue and race number (fields 20 and 26 of the
    // record), or an empty view; `exists` is false when there is no such file.
    std::string_view Find(const std::filesystem::path& path, std::size_t recordLength,
                          std::string_view venue, std::string_view raceNo, bool* exists);
    void Clear() { files_.clear(); }

private:
    struct File {
        std::filesystem::path path;
        std::uintmax_t size = 0;
        std::filesystem::file_time_type mtime;
        std::size_t recordLength = 0;
        std::string bytes;
        std::vector<std::pair<std::string, std::size_t>> index; // venue+race -> first offset
    };
    File* Load(const std::filesystem::path& path, std::size_t recordLength);
    std::vector<File> files_;
};

struct OddsDayFiles {
    std::array<std::filesystem::path, 6> paths; // .jvO1 to .jvO6
};

// The race's odds slots of the day arrays.
struct RaceOddsSlots {
    TJvO1& o1;
    TJvO2& o2;
    TJvO3& o3;
    TJvO4& o4;
    TJvO5& o5;
    TJvO6& o6;
};

// Reads the race's odds records into its slots (a slot without a record in its file keeps what
// it held) and converts them into `calc`: odds, support rates, ranks and combination values.
void ReadRaceOdds(const TJvRA& race, const OddsDayFiles& files, OddsFileCache& cache,
                  RaceOddsSlots slots, TRaceCalc& calc);

// The conversion half of ReadRaceOdds, from the slots as they stand. `haveO1` is whether the
// O1 day file exists (win and place odds and ranks are converted only then).
void ConvertRaceOdds(const TJvRA& race, bool haveO1, const RaceOddsSlots& slots, TRaceCalc& calc);

} // namespace jvdata
