// Fuzz target over the odds reader (the day's odds files, through the file cache, into a race's
// calculation record), the payout parser over a payout day file, and the choice and filing of
// time-series odds snapshots.
//
// Input pieces (see fuzzsupport.h): the race record; the .jvO1 to .jvO6 files (a missing piece
// is a missing file); the .jvHR file; a snapshot file; the first fetch time "hhmm"; the odds
// kind of the snapshot (its first byte).

#include "jvdata/dayfiles.h"
#include "jvdata/oddsreader.h"
#include "jvdata/payouts.h"
#include "jvdata/timeseries.h"
#include "tests/fuzz/fuzzsupport.h"
#include "tests/fuzz/oddschecks.h"
#include "tests/jvdata/plainodds.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <span>

namespace {

namespace fs = std::filesystem;
using namespace jvdata;
namespace plainodds = testsupport::plainodds;

constexpr std::size_t kOddsLengths[] = {kO1Length, kO2Length, kO3Length,
                                        kO4Length, kO5Length, kO6Length};

// The slots of one race; the biggest records, so they live on the heap once.
struct Slots {
    TJvO1 o1;
    TJvO2 o2;
    TJvO3 o3;
    TJvO4 o4;
    TJvO5 o5;
    TJvO6 o6;
    RaceOddsSlots View() { return {o1, o2, o3, o4, o5, o6}; }
    std::string_view Bytes(int kind) const {
        switch (kind) {
        case 1: return o1.Bytes();
        case 2: return o2.Bytes();
        case 3: return o3.Bytes();
        case 4: return o4.Bytes();
        case 5: return o5.Bytes();
        default: return o6.Bytes();
        }
    }
    // A mark no record holds, to see which slots a read left alone.
    void Mark() {
        o1.Assign(std::string(kO1Length, '\x7f'));
        o2.Assign(std::string(kO2Length, '\x7f'));
        o3.Assign(std::string(kO3Length, '\x7f'));
        o4.Assign(std::string(kO4Length, '\x7f'));
        o5.Assign(std::string(kO5Length, '\x7f'));
        o6.Assign(std::string(kO6Length, '\x7f'));
    }
};

struct State {
    Slots slots;
    TRaceCalc calc;
    TRaceCalc again;
    PayoutTables payouts;
    DayRaces races;
    DayCalcs calcs;
};

State& Shared() {
    static const std::unique_ptr<State> state = std::make_unique<State>();
    return *state;
}

// The pieces of each odds file as the reader walks them and as the cache gives them, its straight
// read of the race's record, against the plain reading.
void CheckOddsFilePieces(const TJvRA& race, OddsFileCache& cache, const fs::path& path,
                         std::string_view file, int kind) {
    std::vector<std::size_t> sound;
    std::size_t damaged = 0;
    const std::size_t length = kOddsLengths[static_cast<std::size_t>(kind - 1)];
    const DayFileKind dayKind = OddsKind(static_cast<std::size_t>(kind - 1));
    ForEachOddsPiece(
        file, dayKind, [&](std::size_t at) { sound.push_back(at); },
        [&](std::size_t) { ++damaged; });
    FUZZ_CHECK(sound == plainodds::Records(file, kind));
    FUZZ_CHECK(damaged == plainodds::DamagedStretches(file, kind));

    // The cache's pieces are those pieces, one after another over the whole file.
    std::vector<std::size_t> cachedSound;
    std::size_t cachedDamaged = 0, end = 0;
    FUZZ_CHECK(cache.ForEachPiece(path, dayKind, [&](std::string_view piece, bool isSound) {
        FUZZ_CHECK(piece == file.substr(end, piece.size()) && (!isSound || piece.size() == length));
        isSound ? cachedSound.push_back(end) : static_cast<void>(++cachedDamaged);
        end += piece.size();
    }));
    FUZZ_CHECK(end == file.size() && cachedSound == sound && cachedDamaged == damaged);

    // The straight read takes the first record when it names the race; read twice, the second
    // time as a day loaded again.
    const std::string_view first =
        sound.empty() || sound[0] != 0 ? std::string_view() : file.substr(0, length);
    const bool takes =
        race.RaceNumber() > 0 && !first.empty() && first.substr(11, 16) == race.Field(12, 16);
    std::string slot(length, '\x7f');
    char* slots[] = {slot.data()};
    for (int round = 0; round < 2; ++round) {
        FUZZ_CHECK(ReadOddsInRaceOrder(path, dayKind, slots, std::span(&race, 1)) ==
                   (takes ? 1u : 0u));
        if (takes) FUZZ_CHECK(slot == first);
    }
}

void CheckOdds(const TJvRA& race, const std::vector<std::string_view>& pieces) {
    State& st = Shared();
    fs::path dir = fuzz::Workspace().Fresh("odds");
    OddsDayFiles files;
    std::array<bool, 6> present{};
    for (int k = 0; k < 6; ++k) {
        files.paths[static_cast<std::size_t>(k)] = dir / ("day.jvO" + std::to_string(k + 1));
        present[static_cast<std::size_t>(k)] = static_cast<std::size_t>(k) + 1 < pieces.size();
        if (present[static_cast<std::size_t>(k)])
            fuzz::PutFile(files.paths[static_cast<std::size_t>(k)],
                          pieces[static_cast<std::size_t>(k) + 1]);
    }

    st.slots.Mark();
    Slots& s = st.slots;
    TRaceCalc& calc = st.calc;
    calc = TRaceCalc{};
    OddsFileCache cache;
    ReadRaceOdds(race, files, cache, s.View(), calc);
    ConvertPendingCombinationOdds(s.View(), calc);

    // Only a record that names the race, its day included, is taken for it.
    const bool looksUp = race.RaceNumber() > 0;
    for (int k = 1; k <= 6; ++k) {
        std::string_view slot = s.Bytes(k);
        std::optional<std::string_view> first;
        if (looksUp && present[static_cast<std::size_t>(k - 1)]) {
            const std::string_view found =
                plainodds::FirstOfRace(pieces[static_cast<std::size_t>(k)], k, race.Field(12, 16));
            if (!found.empty()) first = found;
        }
        if (first)
            FUZZ_CHECK(slot == *first);
        else // a slot without a record of the race keeps what it held
            FUZZ_CHECK(slot.find_first_not_of('\x7f') == std::string_view::npos);
    }

    int n = std::clamp(race.RunnerCount(), 0, kMaxRunners);
    for (std::size_t h = 0; h < static_cast<std::size_t>(kMaxRunners); ++h) {
        bool read = present[0] && static_cast<int>(h) < n;
        for (double v : {calc.WinOdds[h], calc.PlaceOddsMin[h], calc.PlaceOddsMax[h]}) {
            if (read)
                FUZZ_CHECK(fuzz::OddsLike(v, 4));
            else
                FUZZ_CHECK(v == 0.0);
        }
        FUZZ_CHECK(calc.SupportRate[h] == (calc.WinOdds[h] > 0.0 ? 80.0 / calc.WinOdds[h] : 0.0));
        if (calc.WinPop[h] > 0) FUZZ_CHECK(calc.WinOdds[h] > 0.0 && calc.PlaceOddsMin[h] >= 0.0);
        if (calc.PlaceMinPop[h] > 0) FUZZ_CHECK(calc.PlaceOddsMin[h] > 0.0);
        if (calc.PlaceMaxPop[h] > 0) FUZZ_CHECK(calc.PlaceOddsMax[h] > 0.0);
    }
    fuzz::CheckRunnerOdds(calc);
    for (int k = 1; k <= 6; ++k)
        if (present[static_cast<std::size_t>(k - 1)])
            CheckOddsFilePieces(race, cache, files.paths[static_cast<std::size_t>(k - 1)],
                                pieces[static_cast<std::size_t>(k)], k);

    // A second read through the same cache gives the same numbers.
    TRaceCalc& again = st.again;
    again = TRaceCalc{};
    ReadRaceOdds(race, files, cache, s.View(), again);
    ConvertPendingCombinationOdds(s.View(), again);
    FUZZ_CHECK(again.WinOdds == calc.WinOdds && again.WinPop == calc.WinPop);
    FUZZ_CHECK(again.PlaceMaxPop == calc.PlaceMaxPop);
    FUZZ_CHECK(again.SanrentanOdds == calc.SanrentanOdds);
    FUZZ_CHECK(again.SanrenpukuPop == calc.SanrenpukuPop);

    // A fetch that puts the race's record first in the win file is seen by the next read (a
    // record is sound only with a race key that is one and a data kind odds are filed with).
    if (looksUp && present[0] && race.Key().IsWellFormed()) {
        std::string rec(kO1Length, ' ');
        SetField(rec, 1, 3, "O14");
        SetField(rec, 12, 16, race.Field(12, 16));
        SetField(rec, 46, 4, "0123");
        rec.replace(kO1Length - 2, 2, "\r\n");
        fuzz::PutFile(files.paths[0], rec + std::string(pieces[1]));
        ReadRaceOdds(race, files, cache, s.View(), again);
        FUZZ_CHECK(s.o1.Bytes() == rec);
        if (n >= 1) FUZZ_CHECK(again.WinOdds[0] == 12.3);
    }
}

bool PayoutKeyLike(const std::string& key, std::size_t numbers) {
    if (key.empty()) return true;
    if (key.size() != numbers * 3 - 1) return false;
    for (std::size_t i = 0; i < numbers; ++i) {
        std::string_view n = std::string_view(key).substr(i * 3, 2);
        if (i > 0 && key[i * 3 - 1] != '-') return false;
        bool digits = (n[0] == ' ' || (n[0] >= '1' && n[0] <= '9')) && n[1] >= '0' && n[1] <= '9';
        if (!digits || n == " 0") return false;
    }
    return true;
}

template <typename T, std::size_t N> bool AllIn(const std::array<T, N>& a, T low, T high) {
    return std::all_of(a.begin(), a.end(), [&](T v) { return v >= low && v <= high; });
}

void CheckPayouts(std::string_view file) {
    PayoutTables& t = Shared().payouts;
    t = PayoutTables{};
    std::size_t n = std::min<std::size_t>(RecordCount(file, kHrLength), kMaxRaces);
    TJvHR hr;
    for (std::size_t i = 0; i < n; ++i) {
        hr.Assign(RecordAt(file, kHrLength, i));
        ParseRacePayouts(hr, static_cast<int>(i), t);
        ParseRacePayouts(hr, -1, t);
        ParseRacePayouts(hr, kMaxRaces, t);
    }
    for (std::size_t r = 0; r < kMaxRaces; ++r) {
        FUZZ_CHECK(AllIn(t.gPayKeyWin[r], 0, 99) && AllIn(t.gPayKeyPlace[r], 0, 99));
        for (const auto& k : t.gPayKeyWakuren[r]) FUZZ_CHECK(PayoutKeyLike(k, 2));
        for (const auto& k : t.gPayKeyUmaren[r]) FUZZ_CHECK(PayoutKeyLike(k, 2));
        for (const auto& k : t.gPayKeyWide[r]) FUZZ_CHECK(PayoutKeyLike(k, 2));
        for (const auto& k : t.gPayKeyUmatan[r]) FUZZ_CHECK(PayoutKeyLike(k, 2));
        for (const auto& k : t.gPayKeySanrenpuku[r]) FUZZ_CHECK(PayoutKeyLike(k, 3));
        for (const auto& k : t.gPayKeySanrentan[r]) FUZZ_CHECK(PayoutKeyLike(k, 3));
        FUZZ_CHECK(AllIn(t.gPayPopWin[r], 0, 1000000) && AllIn(t.gPayPopSanrentan[r], 0, 1000000));
        FUZZ_CHECK(AllIn(t.gPayYenWin[r], std::int64_t{0}, std::int64_t{999999999}));
        FUZZ_CHECK(AllIn(t.gPayYenSanrentan[r], std::int64_t{0}, std::int64_t{999999999}));
        if (r >= n) {
            FUZZ_CHECK(t.gPayKeyWin[r][1] == 0 && t.gPayKeySanrentan[r][1].empty());
            FUZZ_CHECK(t.gPayYenPlace[r][1] == 0);
        }
    }
    for (std::size_t digits = 0; digits <= 3; ++digits) {
        std::string key = PayoutKey(file.substr(0, 12), digits);
        if (digits == 1 || digits == 2)
            FUZZ_CHECK(PayoutKeyLike(key, std::min<std::size_t>(12, file.size()) / digits));
    }
}

std::optional<int> Minutes(std::string_view hhmm) {
    if (hhmm.size() != 4 || !IsAsciiDigits(hhmm)) return std::nullopt;
    return (hhmm[0] - '0') * 600 + (hhmm[1] - '0') * 60 + (hhmm[2] - '0') * 10 + (hhmm[3] - '0');
}

void CheckSnapshots(const TJvRA& race, std::string_view snapshots, std::string_view ozTime,
                    int kind, std::string_view dayFile) {
    std::string key(race.Field(12, 16));
    std::optional<std::string> chosen = ChooseSnapshot(snapshots, kind, key, ozTime);
    std::optional<int> target = Minutes(fuzz::Trimmed(ozTime));
    if (!target) FUZZ_CHECK(!chosen);
    // A line counts when it is the kind's record (its record check passed) of the race,
    // announced on race day.
    const auto sound = KindInfo(static_cast<DayFileKind>(static_cast<int>(DayFileKind::Odds1) +
                                                         std::clamp(kind, 1, 6) - 1))
                           .sound;
    auto eligible = [&](std::string_view l) -> std::optional<int> {
        if (l.size() != kOddsLengths[static_cast<std::size_t>(kind - 1)] - 2) return std::nullopt;
        if (!sound(std::string(l) + "\r\n")) return std::nullopt;
        if (l.substr(0, 2) != "O" + std::to_string(kind) || l.substr(11, 16) != key)
            return std::nullopt;
        if (l.substr(27, 4) != l.substr(15, 4)) return std::nullopt;
        return Minutes(l.substr(31, 4));
    };
    if (chosen) {
        std::vector<std::string_view> lines = fuzz::TextLines(snapshots);
        FUZZ_CHECK(std::find(lines.begin(), lines.end(), *chosen) != lines.end());
        std::optional<int> at = eligible(*chosen);
        FUZZ_CHECK(at.has_value());
        int best = std::abs(*target - *at);
        FUZZ_CHECK(best < 1000);
        for (std::string_view l : lines)
            if (auto other = eligible(l)) FUZZ_CHECK(std::abs(*target - *other) >= best);
    } else if (target) {
        for (std::string_view l : fuzz::TextLines(snapshots))
            if (auto other = eligible(l)) FUZZ_CHECK(std::abs(*target - *other) >= 1000);
    }

    const std::vector<std::string_view> snapshotLines = fuzz::TextLines(snapshots);
    std::string snapshot = chosen                  ? *chosen
                           : snapshotLines.empty() ? std::string()
                                                   : std::string(snapshotLines.front());
    if (snapshot.find('\n') != std::string::npos) return;
    std::size_t unread = 0;
    std::string out = ReplaceRaceLines(dayFile, snapshot, &unread);
    // Each line in its place: a whole one of the race becomes the snapshot, any other stays as it
    // was; the snapshot comes after the last whole line when no line was the race's.
    const std::string_view id = std::string_view(snapshot).substr(0, 2);
    const bool odds = id.size() == 2 && id[0] == 'O' && id[1] >= '1' && id[1] <= '6';
    const DayFileKind fileKind =
        static_cast<DayFileKind>(static_cast<int>(DayFileKind::Odds1) + (odds ? id[1] - '1' : 0));
    std::string expected;
    std::size_t damaged = 0, afterWhole = 0;
    bool replaced = false;
    for (const fuzz::RecordLine& l :
         fuzz::RecordLines(dayFile, snapshot.size() + 2, KindInfo(fileKind).sound)) {
        if (!l.whole) {
            expected += l.bytes;
            ++damaged;
            continue;
        }
        std::string_view body = l.bytes.substr(0, snapshot.size());
        bool same = Field(body, 12, 16) == Field(snapshot, 12, 16);
        expected += same ? std::string_view(snapshot) : body;
        expected += "\r\n";
        afterWhole = expected.size();
        replaced = replaced || same;
    }
    if (!replaced) expected.insert(afterWhole, snapshot + "\r\n");
    FUZZ_CHECK(out == expected);
    FUZZ_CHECK(unread == damaged);
}

// The import of a race's snapshots into the day's odds file, over an odds file already there.
void CheckImport(const TJvRA& race, std::string_view snapshots, std::string_view ozTime, int kind,
                 std::string_view dayFile) {
    State& st = Shared();
    fs::path folder = fuzz::Workspace().Fresh("series"),
             app = fuzz::Workspace().Fresh("series-app");
    st.races[0] = race;
    st.calcs[0].OzTime1 = std::string(ozTime);
    std::string key(race.Field(12, 16));
    std::optional<fs::path> source = TimeSeriesOddsFile(folder, key, kind);
    if (source) fuzz::PutFile(*source, snapshots);
    std::optional<std::chrono::year_month_day> day = ParseYyyymmdd(key.substr(0, 8));
    static const DayFile kFiles[] = {DayFile::O1, DayFile::O2, DayFile::O3,
                                     DayFile::O4, DayFile::O5, DayFile::O6};
    std::optional<fs::path> target;
    if (day) {
        target = DayFilePath(app, *day, kFiles[kind - 1]);
        fuzz::PutFile(*target, dayFile);
    }
    const std::map<std::string, std::string> before = fuzz::FilesBelow(app);

    TimeSeriesResult result = ImportTimeSeriesOdds(folder, app, st.races, st.calcs);
    FUZZ_CHECK(result.written);
    std::optional<std::string> chosen =
        source && day ? ChooseSnapshot(snapshots, kind, key, ozTime) : std::nullopt;
    FUZZ_CHECK(result.races == (chosen && kind == 1 ? 1 : 0));
    std::map<std::string, std::string> after = fuzz::FilesBelow(app);
    FUZZ_CHECK(after.size() == before.size());
    for (const auto& [rel, bytes] : after) {
        if (chosen && target && rel == target->lexically_relative(app).generic_string())
            FUZZ_CHECK(bytes == ReplaceRaceLines(before.at(rel), *chosen));
        else
            FUZZ_CHECK(before.count(rel) && before.at(rel) == bytes);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string_view> pieces =
        fuzz::Pieces({reinterpret_cast<const char*>(data), size});
    TJvRA race;
    race.Assign(pieces[0]);
    std::vector<std::string_view> oddsPieces(
        pieces.begin(),
        pieces.begin() + static_cast<std::ptrdiff_t>(std::min<std::size_t>(pieces.size(), 7)));
    CheckOdds(race, oddsPieces);
    CheckPayouts(fuzz::Piece(pieces, 7));
    std::string_view kindPiece = fuzz::Piece(pieces, 10);
    int kind = kindPiece.empty() ? 1 : 1 + static_cast<unsigned char>(kindPiece[0]) % 6;
    CheckSnapshots(race, fuzz::Piece(pieces, 8), fuzz::Piece(pieces, 9), kind,
                   fuzz::Piece(pieces, static_cast<std::size_t>(kind)));
    CheckImport(race, fuzz::Piece(pieces, 8), fuzz::Piece(pieces, 9), kind,
                fuzz::Piece(pieces, static_cast<std::size_t>(kind)));
    for (std::string_view p : pieces) {
        double v = ConvertOddsField(p.substr(0, 8));
        FUZZ_CHECK(v == -1.0 || v == -2.0 || v >= 0.0);
    }
    return 0;
}
