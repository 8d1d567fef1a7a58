// One race card's worth of grid cells (18 runners x 32 columns) through the formatters, against
// two plain references over the same cells: copying the raw field texts, and snprintf of the
// numbers already decoded. The ratio to the references is the figure to quote.

#include "keiba/formatters.h"
#include "keiba/sjis.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kRunners = 18;
constexpr int kPastRuns = 3;
constexpr int kColumns = 8 + 8 * kPastRuns;
static_assert(kColumns == 32);

struct PastRun {
    std::string time;     // MSSF
    std::string diff;     // sign + SSF
    std::string last600;  // tenths, 3 digits
    std::string distance; // metres, 4 digits
    std::string finish;   // 2 digits
    std::string odds;     // tenths, 4 digits
    std::string prize;    // hundreds of yen, 8 digits
    std::string weight;   // body weight, 3 digits
};

struct Runner {
    std::string number;  // 2 digits
    std::string name;    // 36 bytes, padded with full-width blanks
    std::string jockey;  // 8 bytes
    std::string trainer; // 8 bytes
    std::string carried; // tenths of a kg, 3 digits
    std::string weight;  // kg, 3 digits
    std::string odds;    // tenths, 4 digits
    std::string popularity;
    std::array<PastRun, kPastRuns> past;

    // The field each cell is made from, in column order (the pace cell's is the race time).
    std::array<const std::string*, kColumns> Fields() const {
        std::array<const std::string*, kColumns> f{&number,  &name,   &jockey, &trainer,
                                                   &carried, &weight, &odds,   &popularity};
        for (int k = 0; k < kPastRuns; ++k) {
            const PastRun& p = past[static_cast<std::size_t>(k)];
            const std::string* pf[] = {&p.time,   &p.diff, &p.last600, &p.time,
                                       &p.finish, &p.odds, &p.prize,   &p.distance};
            for (int i = 0; i < 8; ++i) f[static_cast<std::size_t>(8 + 8 * k + i)] = pf[i];
        }
        return f;
    }
};

std::string Digits(long value, int width) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%0*ld", width, value);
    return buf;
}

std::vector<Runner> MakeCard() {
    const char* names[] = {"ディープインパクト", "オルフェーヴル",     "キタサンブラック",
                           "アーモンドアイ",     "ジェンティルドンナ", "ウオッカ"};
    const char* jockeys[] = {"ルメール", "武豊　　", "川田将雅", "横山武史"};
    const char* trainers[] = {"国枝栄　", "友道康夫", "矢作芳人"};
    std::vector<Runner> card(kRunners);
    for (int h = 0; h < kRunners; ++h) {
        Runner& r = card[static_cast<std::size_t>(h)];
        r.number = Digits(h + 1, 2);
        r.name = keiba::PadRightZenkaku(keiba::Sj(names[h % 6]), 36);
        r.jockey = keiba::Sj(jockeys[h % 4]);
        r.trainer = keiba::Sj(trainers[h % 3]);
        r.carried = Digits(540 + 10 * (h % 4), 3);
        r.weight = Digits(440 + 7 * h, 3);
        r.odds = Digits(15 + 97 * h, 4);
        r.popularity = Digits(h + 1, 2);
        for (int k = 0; k < kPastRuns; ++k) {
            PastRun& p = r.past[static_cast<std::size_t>(k)];
            int tenths = 820 + 130 * k + 3 * h; // about 1:22 over 1400 m, 1:35 over 1600 m
            p.time = Digits(tenths / 600 * 1000 + tenths % 600, 4);
            p.diff = (h == 0 ? "-" : "+") + Digits(h * 2 + k, 3);
            p.last600 = Digits(335 + h + k, 3);
            p.distance = Digits(1400 + 200 * k, 4);
            p.finish = Digits((h + k) % 18 + 1, 2);
            p.odds = Digits(21 + 53 * h + k, 4);
            p.prize = (h + k) % 4 == 0 ? std::string("00000000") : Digits(15000 + 100 * h, 8);
            p.weight = Digits(450 + h, 3);
        }
    }
    return card;
}

std::string Odds(const std::string& tenths) {
    return keiba::FormatFixed(static_cast<double>(keiba::DigitValue(tenths)) / 10.0, 5, 1);
}

void FormatRow(const Runner& r, std::string* out) {
    out[0] = keiba::FormatIntBlankZero(r.number);
    out[1] = keiba::DeleteZenkakuSpaces(r.name);
    out[2] = keiba::DeleteZenkakuSpaces(r.jockey);
    out[3] = keiba::DeleteZenkakuSpaces(r.trainer);
    out[4] = keiba::FormatTenthsWider(r.carried);
    out[5] = keiba::FormatIntBlankZero(r.weight);
    out[6] = Odds(r.odds);
    out[7] = keiba::FormatIntBlankZero(r.popularity);
    for (const PastRun& p : r.past) {
        out += 8;
        out[0] = keiba::FormatRaceTime(p.time);
        out[1] = keiba::FormatTimeDiff(p.diff);
        out[2] = keiba::FormatTenthsWider(p.last600);
        out[3] = keiba::CalcZenhanPace(p.time, p.last600, p.distance);
        out[4] = keiba::FormatIntBlankZero(p.finish);
        out[5] = Odds(p.odds);
        out[6] = keiba::FormatTenthsSameWidth(p.prize);
        out[7] = keiba::FormatIntBlankZero(p.distance);
    }
}

void BM_RaceCardFormatters(benchmark::State& state) {
    const std::vector<Runner> card = MakeCard();
    std::vector<std::string> cells(kRunners * kColumns);
    for (auto _ : state) {
        for (int h = 0; h < kRunners; ++h)
            FormatRow(card[static_cast<std::size_t>(h)],
                      &cells[static_cast<std::size_t>(h * kColumns)]);
        benchmark::DoNotOptimize(cells.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kRunners * kColumns);
}
BENCHMARK(BM_RaceCardFormatters);

void BM_RaceCardCopyFields(benchmark::State& state) {
    const std::vector<Runner> card = MakeCard();
    std::vector<std::string> cells(kRunners * kColumns);
    for (auto _ : state) {
        std::size_t c = 0;
        for (const Runner& r : card)
            for (const std::string* f : r.Fields()) cells[c++] = std::string(*f);
        benchmark::DoNotOptimize(cells.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kRunners * kColumns);
}
BENCHMARK(BM_RaceCardCopyFields);

// The same cells with every number decoded beforehand: snprintf does only the layout.
enum class Kind { kInt, kTenths, kText, kRaceTime, kDiff, kPace };

struct Decoded {
    Kind kind;
    int width;
    long value;
    double real;
    std::string text;
};

std::vector<Decoded> Decode(const std::vector<Runner>& card) {
    std::vector<Decoded> cells;
    auto value = [](const std::string& s) { return static_cast<long>(keiba::DigitValue(s)); };
    for (const Runner& r : card) {
        cells.push_back({Kind::kInt, 2, value(r.number), 0, {}});
        cells.push_back({Kind::kText, 0, 0, 0, keiba::DeleteZenkakuSpaces(r.name)});
        cells.push_back({Kind::kText, 0, 0, 0, keiba::DeleteZenkakuSpaces(r.jockey)});
        cells.push_back({Kind::kText, 0, 0, 0, keiba::DeleteZenkakuSpaces(r.trainer)});
        cells.push_back({Kind::kTenths, 4, 0, value(r.carried) / 10.0, {}});
        cells.push_back({Kind::kInt, 3, value(r.weight), 0, {}});
        cells.push_back({Kind::kTenths, 5, 0, value(r.odds) / 10.0, {}});
        cells.push_back({Kind::kInt, 2, value(r.popularity), 0, {}});
        for (const PastRun& p : r.past) {
            cells.push_back({Kind::kRaceTime, 0, value(p.time), 0, {}});
            cells.push_back({Kind::kDiff, p.diff[0], value(p.diff.substr(1)), 0, {}});
            cells.push_back({Kind::kTenths, 4, 0, value(p.last600) / 10.0, {}});
            cells.push_back({Kind::kPace, 3, 0, 360.4, {}});
            cells.push_back({Kind::kInt, 2, value(p.finish), 0, {}});
            cells.push_back({Kind::kTenths, 5, 0, value(p.odds) / 10.0, {}});
            cells.push_back({Kind::kTenths, 7, 0, value(p.prize) / 10.0, {}});
            cells.push_back({Kind::kInt, 4, value(p.distance), 0, {}});
        }
    }
    return cells;
}

void BM_RaceCardSnprintf(benchmark::State& state) {
    const std::vector<Decoded> decoded = Decode(MakeCard());
    std::vector<std::string> cells(decoded.size());
    char buf[64];
    for (auto _ : state) {
        for (std::size_t i = 0; i < decoded.size(); ++i) {
            const Decoded& d = decoded[i];
            switch (d.kind) {
            case Kind::kInt: std::snprintf(buf, sizeof buf, "%*ld", d.width, d.value); break;
            case Kind::kTenths: std::snprintf(buf, sizeof buf, "%*.1f", d.width, d.real); break;
            case Kind::kText: std::snprintf(buf, sizeof buf, "%s", d.text.c_str()); break;
            case Kind::kRaceTime:
                std::snprintf(buf, sizeof buf, "%ld.%02ld.%ld", d.value / 1000, d.value / 10 % 100,
                              d.value % 10);
                break;
            case Kind::kDiff:
                std::snprintf(buf, sizeof buf, "%c%2ld.%ld", d.width, d.value / 10, d.value % 10);
                break;
            case Kind::kPace: std::snprintf(buf, sizeof buf, "%3.0f", d.real); break;
            }
            cells[i] = buf;
        }
        benchmark::DoNotOptimize(cells.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * static_cast<long>(decoded.size()));
}
BENCHMARK(BM_RaceCardSnprintf);

} // namespace

BENCHMARK_MAIN();
