#include "jvdata/oddsreader.h"

#include "keiba/fileio.h"
#include "keiba/sjis.h"

#include <algorithm>

namespace jvdata {
namespace {

bool IsRunOf(std::string_view s, char c) {
    return !s.empty() && s.find_first_not_of(c) == std::string_view::npos;
}

// All digits: their value; otherwise -1. The common case of every odds and popularity field.
std::int64_t PlainDigits(std::string_view s) {
    if (s.empty() || s.size() > 12) return -1;
    std::int64_t v = 0;
    for (char c : s) {
        unsigned d = static_cast<unsigned char>(c) - static_cast<unsigned>('0');
        if (d > 9) return -1;
        v = v * 10 + d;
    }
    return v;
}

// A popularity field: a decimal integer with leading blanks or zeros; anything else is 0.
int ConvertPopularity(std::string_view field) {
    std::int64_t plain = PlainDigits(field);
    if (plain >= 0) return plain > 1000000 ? 0 : static_cast<int>(plain);
    auto v = keiba::StrictInteger(field);
    if (!v || *v < 0 || *v > 1000000) return 0;
    return static_cast<int>(*v);
}

// One pass over the field: blanks around it, then digits; the markers and damaged bytes are
// the rare cases.
inline double ConvertOdds(std::string_view field) {
    std::size_t b = 0, e = field.size();
    while (b < e && static_cast<unsigned char>(field[b]) <= ' ') ++b;
    if (b == e) return -2.0;
    while (static_cast<unsigned char>(field[e - 1]) <= ' ') --e;
    std::string_view t = field.substr(b, e - b);
    std::int64_t plain = PlainDigits(t);
    if (plain >= 0) return static_cast<double>(plain) / 10.0;
    if (t.size() == field.size() && (IsRunOf(t, '-') || IsRunOf(t, '*'))) return -1.0;
    return -2.0;
}

bool IsNumber(double odds) {
    return odds >= 0.0;
}

// Entry k of a combination kind into its odds and popularity arrays.
template <std::size_t N>
void ConvertEntries(std::string_view record, std::size_t firstOdds, std::size_t stride,
                    std::size_t oddsWidth, std::size_t popOffset, std::size_t popWidth,
                    std::array<double, N>& odds, std::array<int, N>& pops) {
    for (std::size_t k = 1; k < N; ++k) {
        std::size_t pos = firstOdds + stride * (k - 1);
        double v = ConvertOdds(Field(record, pos, oddsWidth));
        odds[k] = v;
        pops[k] = IsNumber(v) ? ConvertPopularity(Field(record, pos + popOffset, popWidth)) : 0;
    }
}

// "%6.1f" + "%6.1f" + "%2d": fixed-width keys whose text order is numeric order.
std::string RankKey(double first, double second, int horse) {
    return keiba::FormatFixed(first, 6, 1) + keiba::FormatFixed(second, 6, 1) +
           keiba::FormatInt(horse, 2);
}

void AssignRanks(std::vector<std::string>& keys, TRaceCalc::PerRunner<int>& ranks) {
    std::sort(keys.begin(), keys.end());
    for (std::size_t i = 0; i < keys.size(); ++i) {
        int horse = static_cast<int>(keiba::DigitValue(std::string_view(keys[i]).substr(12, 2)));
        if (horse >= 1 && horse <= kMaxRunners)
            ranks[static_cast<std::size_t>(horse - 1)] = static_cast<int>(i + 1);
    }
}

template <typename Record>
bool ReadSlot(const TJvRA& race, const std::filesystem::path& path, OddsFileCache& cache,
              Record& slot) {
    bool exists = false;
    if (race.RaceNumber() <= 0) {
        std::error_code ec;
        return std::filesystem::exists(path, ec);
    }
    std::string_view venue = race.VenueCode();
    std::string_view raceNo = race.Field(26, 2);
    std::string key = std::string(venue) + std::string(raceNo);
    if (keiba::TrimBlanks(key).empty()) {
        std::error_code ec;
        return std::filesystem::exists(path, ec);
    }
    std::string_view found = cache.Find(path, Record::kLength, venue, raceNo, &exists);
    if (!found.empty()) slot.Assign(found);
    return exists;
}

} // namespace

double ConvertOddsField(std::string_view field) {
    return ConvertOdds(field);
}

OddsFileCache::File* OddsFileCache::Load(const std::filesystem::path& path,
                                         std::size_t recordLength) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return nullptr;
    std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec) return nullptr;
    auto mtime = std::filesystem::last_write_time(path, ec);
    auto it = std::find_if(files_.begin(), files_.end(), [&](const File& f) {
        return f.path == path && f.recordLength == recordLength;
    });
    if (it != files_.end() && it->size == size && it->mtime == mtime) return &*it;

    auto bytes = keiba::ReadWholeFile(path);
    if (!bytes) return nullptr;
    File f;
    f.path = path;
    f.recordLength = recordLength;
    f.size = size;
    f.mtime = mtime;
    f.bytes = std::move(*bytes);
    std::size_t n = RecordCount(f.bytes, recordLength);
    for (std::size_t i = 0; i < n; ++i) {
        std::string_view rec = RecordAt(f.bytes, recordLength, i);
        std::string key = std::string(Field(rec, 20, 2)) + std::string(Field(rec, 26, 2));
        // The first record of a race in the file is the one read.
        bool seen = std::any_of(f.index.begin(), f.index.end(),
                                [&](const auto& e) { return e.first == key; });
        if (!seen) f.index.emplace_back(std::move(key), i * recordLength);
    }
    if (it != files_.end()) {
        *it = std::move(f);
        return &*it;
    }
    files_.push_back(std::move(f));
    return &files_.back();
}

std::string_view OddsFileCache::Find(const std::filesystem::path& path, std::size_t recordLength,
                                     std::string_view venue, std::string_view raceNo,
                                     bool* exists) {
    File* f = Load(path, recordLength);
    if (exists) *exists = f != nullptr;
    if (!f) return {};
    std::string key = std::string(venue) + std::string(raceNo);
    for (const auto& [k, offset] : f->index)
        if (k == key) return std::string_view(f->bytes).substr(offset, recordLength);
    return {};
}

void ConvertRaceOdds(const TJvRA& race, bool haveO1, const RaceOddsSlots& slots, TRaceCalc& calc) {
    // The combination arrays are written whole below; only the runners' values need a reset.
    calc.WinOdds.fill(0.0);
    calc.PlaceOddsMin.fill(0.0);
    calc.PlaceOddsMax.fill(0.0);
    calc.WinPop.fill(0);
    calc.PlaceMinPop.fill(0);
    calc.PlaceMaxPop.fill(0);
    if (haveO1) {
        int n = std::clamp(race.RunnerCount(), 0, kMaxRunners);
        std::vector<std::string> winKeys, lowKeys, highKeys;
        for (int horse = 1; horse <= n; ++horse) {
            std::size_t h = static_cast<std::size_t>(horse - 1);
            double win = ConvertOddsField(slots.o1.WinOdds(horse));
            calc.WinOdds[h] = win;
            if (win > 0.0) calc.SupportRate[h] = 80.0 / win;
            double low = ConvertOddsField(slots.o1.PlaceOddsLow(horse));
            if (low < 0.0) {
                // No sale or no odds yet: both bounds take the marker and the runner no rank.
                calc.PlaceOddsMin[h] = low;
                calc.PlaceOddsMax[h] = low;
                continue;
            }
            double high = ConvertOddsField(slots.o1.PlaceOddsHigh(horse));
            calc.PlaceOddsMin[h] = low;
            calc.PlaceOddsMax[h] = high;
            if (win > 0.0) winKeys.push_back(RankKey(win, low, horse));
            if (low > 0.0) lowKeys.push_back(RankKey(low, high, horse));
            if (high > 0.0) highKeys.push_back(RankKey(high, low, horse));
        }
        AssignRanks(winKeys, calc.WinPop);
        AssignRanks(lowKeys, calc.PlaceMinPop);
        AssignRanks(highKeys, calc.PlaceMaxPop);
    }
    ConvertEntries(slots.o2.Bytes(), 45, 13, 6, 6, 3, calc.UmarenOdds, calc.UmarenPop);
    ConvertEntries(slots.o3.Bytes(), 45, 17, 5, 10, 3, calc.WideOdds, calc.WidePop);
    ConvertEntries(slots.o4.Bytes(), 45, 13, 6, 6, 3, calc.UmatanOdds, calc.UmatanPop);
    ConvertEntries(slots.o5.Bytes(), 47, 15, 6, 6, 3, calc.SanrenpukuOdds, calc.SanrenpukuPop);
    ConvertEntries(slots.o6.Bytes(), 47, 17, 7, 7, 4, calc.SanrentanOdds, calc.SanrentanPop);
}

void ReadRaceOdds(const TJvRA& race, const OddsDayFiles& files, OddsFileCache& cache,
                  RaceOddsSlots slots, TRaceCalc& calc) {
    bool haveO1 = ReadSlot(race, files.paths[0], cache, slots.o1);
    ReadSlot(race, files.paths[1], cache, slots.o2);
    ReadSlot(race, files.paths[2], cache, slots.o3);
    ReadSlot(race, files.paths[3], cache, slots.o4);
    ReadSlot(race, files.paths[4], cache, slots.o5);
    ReadSlot(race, files.paths[5], cache, slots.o6);
    ConvertRaceOdds(race, haveO1, slots, calc);
}

} // namespace jvdata
