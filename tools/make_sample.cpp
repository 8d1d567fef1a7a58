// Writes a sample program folder: day files of two race days (and the earlier days their
// runners ran on), horse files, the members' files (with two years of analysis files before
// them), the jockey table and a replay feed of a third day, whose day files stand as after its
// morning races (the newest members' files are of that day). Everything comes from one fixed seed
// and fixed dates, so two runs give the same bytes. The records are written through the system's
// own filing code.
//
// Usage: kestrane_make_sample <program folder>

#include "jvdata/dayfiles.h"
#include "jvdata/jvlink.h"
#include "jvdata/records.h"
#include "keiba/fileio.h"
#include "keiba/sjis.h"
#include "tools/cli.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <map>
#include <numeric>
#include <set>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace jvdata;
using keiba::Sj;

// splitmix64: the same numbers on every platform, unlike the standard distributions.
class Rng {
public:
    explicit Rng(std::uint64_t seed)
        : s_(seed) {}
    std::uint64_t Next() {
        std::uint64_t z = (s_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    int Range(int lo, int hi) {
        return lo + static_cast<int>(Next() % static_cast<std::uint64_t>(hi - lo + 1));
    }
    double Unit() { return static_cast<double>(Next() >> 11) / 9007199254740992.0; }
    bool Chance(int percent) { return Range(1, 100) <= percent; }
    template <class T> const T& Pick(const std::vector<T>& v) {
        return v[static_cast<std::size_t>(Range(0, static_cast<int>(v.size()) - 1))];
    }

private:
    std::uint64_t s_;
};

std::string Num(std::int64_t v, int width) {
    std::int64_t max = 1;
    for (int i = 0; i < width; ++i) max *= 10;
    v = std::clamp<std::int64_t>(v, 0, max - 1);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%0*lld", width, static_cast<long long>(v));
    return buf;
}

std::string Right(std::int64_t v, int width) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%*lld", width, static_cast<long long>(v));
    return buf;
}

std::string Blank(std::size_t n) {
    return std::string(n, ' ');
}

// Where the entries of the payout and odds records stand, written out from the record layout
// rather than taken from the readers' tables, so that the sample checks the readers instead of
// agreeing with them whatever they read.
struct HrGroup {
    std::size_t firstPos, entryWidth, combWidth, popWidth; // combination, 9-digit yen, popularity
};
constexpr HrGroup kHrWin{103, 13, 2, 2}, kHrPlace{142, 13, 2, 2}, kHrBracket{207, 13, 2, 2},
    kHrQuinella{246, 16, 4, 3}, kHrWide{294, 16, 4, 3}, kHrExacta{454, 16, 4, 3},
    kHrTrio{550, 18, 6, 3}, kHrTrifecta{604, 19, 6, 4};

struct OddsEntries {
    std::size_t firstPos, entries, entryWidth, combWidth;
};
constexpr OddsEntries kO2Quinella{41, 153, 13, 4}, kO3Wide{41, 153, 17, 4},
    kO4Exacta{41, 306, 13, 4}, kO5Trio{41, 816, 15, 6}, kO6Trifecta{41, 4896, 17, 6};

// A record of `id` with its head, key and CR LF.
std::string NewRecord(std::string_view id, char kind, std::string_view created,
                      std::string_view key) {
    std::size_t len = RecordLengthOf(id).value_or(0);
    std::string r(len, ' ');
    r[len - 2] = '\r';
    r[len - 1] = '\n';
    SetField(r, 1, 2, id);
    r[2] = kind;
    SetField(r, 4, 8, created);
    SetField(r, 12, 16, key);
    return r;
}

const std::vector<std::string> kSyllables = {
    "ア", "イ", "ウ", "エ", "オ", "カ", "キ", "ク", "ケ", "コ", "サ", "シ", "ス", "セ", "ソ",
    "タ", "チ", "テ", "ト", "ナ", "ニ", "ノ", "ハ", "ヒ", "フ", "ホ", "マ", "ミ", "ム", "メ",
    "モ", "ヤ", "ユ", "ヨ", "ラ", "リ", "ル", "レ", "ロ", "ワ", "ガ", "ギ", "グ", "ゴ", "ザ",
    "ジ", "ズ", "ダ", "デ", "ド", "バ", "ビ", "ブ", "ベ", "ボ", "パ", "ピ", "ポ"};
const std::vector<std::string> kPrefixes = {"",         "",         "",       "",
                                            "サン",     "ミスター", "レディ", "キング",
                                            "ゴールド", "シルバー", "ブルー", "ホワイト"};
const std::vector<std::string> kSurnames = {
    "佐藤", "鈴木", "高橋", "田中", "伊藤", "渡辺", "山本", "中村", "小林", "加藤",
    "吉田", "山田", "松本", "井上", "木村", "清水", "山口", "森田", "池田", "橋本",
    "石川", "前田", "藤田", "後藤", "岡田", "長谷", "村上", "近藤", "坂本", "遠藤"};
const std::vector<std::string> kGiven = {"豊", "健", "翔", "誠", "亮", "学", "剛", "優",
                                         "光", "弘", "修", "隆", "拓", "聡", "凛", "瞳"};

// An official horse name has 2 to 9 characters.
constexpr std::size_t kMaxNameChars = 9;

// Katakana of 2 to 9 characters. A drawn name that runs longer is cut to nine: the draws stay
// those of every other name, so the rest of the sample does not change with it.
std::string HorseName(Rng& rng) {
    std::string name = rng.Pick(kPrefixes);
    int n = rng.Range(2, 5);
    for (int i = 0; i < n; ++i) {
        name += rng.Pick(kSyllables);
        if (rng.Chance(15)) name += "ー";
    }
    // Every character drawn is a three-byte katakana in UTF-8.
    if (name.size() > 3 * kMaxNameChars) name.resize(3 * kMaxNameChars);
    return name;
}

struct Person {
    std::string code;      // 5 digits
    std::string shortName; // CP932, 8 bytes
    std::string fullName;  // UTF-8
    int affiliation = 1;   // 1 east, 2 west
    std::string apprentice = "0";
    int rides = 0, wins = 0;
};

struct RunRef {
    int day = 0, race = 0, runner = 0;
};

struct Horse {
    std::string id;
    std::string name; // CP932
    int sex = 1;
    int birthYear = 2022;
    std::string coat;
    int trainer = 0;
    double strength = 1.0;
    int style = 1;
    std::vector<std::string> ancestors; // 14 names, CP932
    std::vector<RunRef> runs;
    int lastWeekend = -1;
    bool umaOnly = false;
    std::int64_t prize = 0;
};

struct Runner {
    int horse = 0, number = 0, bracket = 0, jockey = 0;
    int weight = 560;
    double p = 0;
    int winOdds = 0, placeLo = 0, placeHi = 0, winPop = 0, placeLoPop = 0, placeHiPop = 0;
    int finish = 0; // 1-based position, 0 before the race
    int timeTenths = 0, last3f = 0;
    std::array<int, 4> corners{};
    // Members' analysis of this run.
    int rCode = 0, mark = 0, rOrder = 0;
    double score = 0;
};

struct Combo {
    std::array<int, 3> h{};
    double prob = 0;
    int odds = 0, odds2 = 0, pop = 0;
    bool valid = false;
};

struct Race {
    int day = 0, venue = 0, number = 0;
    std::string key;
    int distance = 1600;
    std::string track = "11";
    bool turf = true;
    std::string condition = "005";
    std::string grade = " ";
    std::string name; // UTF-8, empty for an ordinary race
    std::string symbol = "A00", weightRule = "4";
    int postTime = 1000;
    int rLevel = 4;
    std::int64_t prize1 = 0;
    std::vector<Runner> runners;
    std::vector<int> order; // runner indexes by finish
    bool finished = false;
    // Odds of the combination kinds, entries in the order of the records.
    std::vector<Combo> bracket, quinella, wide, exacta, trio, trifecta;
};

struct Day {
    std::chrono::year_month_day ymd;
    std::string date8;
    int weekend = 0;
    bool saturday = true;
    bool results = true; // races run and results known
    bool full = false;   // odds files and members' files too
    std::vector<Race> races;
};

const std::array<std::string, 3> kVenues = {"05", "08", "09"};

class Sample {
public:
    explicit Sample(fs::path folder)
        : folder_(std::move(folder))
        , rng_(20261205) {}
    int Run();

private:
    void MakePeople();
    void MakeHorses();
    void MakeDays();
    void PlanDay(Day& d, int index);
    void PriceRace(Race& r);
    void RunRace(Race& r);
    void Analyse(Race& r);

    std::string RaRecord(const Day& d, const Race& r, char kind, std::string_view created) const;
    std::string SeRecord(const Day& d, const Race& r, const Runner& u, char kind, bool withResult,
                         std::string_view created) const;
    std::string HrRecord(const Race& r, std::string_view created) const;
    std::string UmRecord(const Horse& h) const;
    std::string UmaRecord(const Horse& h) const;
    std::vector<std::string> OddsRecords(const Day& d, const Race& r, char kind,
                                         std::string_view created) const;
    std::string DmRecord(const Race& r) const;
    std::string AnalysisRecord(const Day& d, const Race& r, const Runner& u) const;
    std::string RunBlock(const Race& r, const Runner& u) const;

    bool WriteDays();
    bool WriteMembers(const Day& d);
    bool WriteAnalysis(const Day& d);
    bool WriteJockeys();
    bool WriteFeed();
    bool Write(const fs::path& p, const std::string& bytes);

    fs::path folder_;
    Rng rng_;
    std::vector<Person> jockeys_, trainers_;
    std::vector<Horse> horses_;
    std::vector<Day> days_;
    bool ok_ = true;
};

void Sample::MakePeople() {
    std::set<std::string> used;
    auto person = [&](int codeBase, int i) {
        Person p;
        p.code = Num(codeBase + i * 7, 5);
        std::string name;
        do {
            name = rng_.Pick(kSurnames) + rng_.Pick(kGiven);
        } while (!used.insert(name).second);
        p.fullName = name;
        p.shortName = keiba::PadRightZenkaku(Sj(name), 8);
        p.affiliation = (i % 2) + 1;
        return p;
    };
    for (int i = 0; i < 40; ++i) {
        Person p = person(1001, i);
        if (i >= 34) p.apprentice = std::to_string(i - 33); // 1 to 3 kg allowances
        jockeys_.push_back(p);
    }
    for (int i = 0; i < 30; ++i) trainers_.push_back(person(1101, i));
}

void Sample::MakeHorses() {
    std::set<std::string> names;
    for (int i = 0; i < 1000; ++i) {
        Horse h;
        h.birthYear = 2021 + i % 3;
        h.id = std::to_string(h.birthYear) + "10" + Num(1000 + i * 3, 4);
        std::string name;
        do {
            name = HorseName(rng_);
        } while (!names.insert(name).second);
        h.name = Sj(name);
        h.sex = rng_.Range(1, 10) <= 5 ? 1 : (rng_.Chance(70) ? 2 : 3);
        h.coat = Num(rng_.Range(1, 7), 2);
        h.trainer = rng_.Range(0, static_cast<int>(trainers_.size()) - 1);
        h.strength = std::exp(2.4 * (rng_.Unit() + rng_.Unit() + rng_.Unit() - 1.5));
        h.style = rng_.Range(1, 4);
        for (int a = 0; a < 14; ++a) h.ancestors.push_back(Sj(HorseName(rng_)));
        horses_.push_back(std::move(h));
    }
}

// Four past weekends, the two sample race days and the feed day.
void Sample::MakeDays() {
    struct Plan {
        int y, m, d, weekend;
        bool results, full;
    } plans[] = {
        {2026, 10, 31, 0, true, false}, {2026, 11, 1, 0, true, false},
        {2026, 11, 7, 1, true, false},  {2026, 11, 8, 1, true, false},
        {2026, 11, 14, 2, true, false}, {2026, 11, 15, 2, true, false},
        {2026, 11, 21, 3, true, false}, {2026, 11, 22, 3, true, false},
        {2026, 11, 28, 4, true, true},  {2026, 11, 29, 4, true, true},
        {2026, 12, 5, 5, false, true},
    };
    for (const Plan& p : plans) {
        Day d;
        d.ymd = std::chrono::year_month_day{std::chrono::year(p.y),
                                            std::chrono::month(static_cast<unsigned>(p.m)),
                                            std::chrono::day(static_cast<unsigned>(p.d))};
        d.date8 = FormatYyyymmdd(d.ymd);
        d.weekend = p.weekend;
        d.saturday = std::chrono::weekday(std::chrono::sys_days(d.ymd)) == std::chrono::Saturday;
        d.results = p.results;
        d.full = p.full;
        days_.push_back(std::move(d));
    }
    for (std::size_t i = 0; i < days_.size(); ++i) PlanDay(days_[i], static_cast<int>(i));
}

void Sample::PlanDay(Day& d, int index) {
    const bool needsPast = d.full;
    for (int v = 0; v < 3; ++v) {
        for (int n = 1; n <= 12; ++n) {
            Race r;
            r.day = index;
            r.venue = v;
            r.number = n;
            int dayNo = d.weekend * 2 + (d.saturday ? 1 : 2);
            r.key =
                d.date8 + kVenues[static_cast<std::size_t>(v)] + "05" + Num(dayNo, 2) + Num(n, 2);
            r.turf = n >= 5 ? rng_.Chance(65) : rng_.Chance(35);
            static const std::vector<int> kTurf = {1400, 1600, 1800, 2000, 2400};
            static const std::vector<int> kDirt = {1200, 1400, 1600, 1800, 2100};
            r.distance = rng_.Pick(r.turf ? kTurf : kDirt);
            bool left = v == 0;
            r.track =
                r.turf ? (left ? "11" : (r.distance >= 1800 ? "18" : "17")) : (left ? "23" : "24");
            static const char* kConditions[] = {"005", "005", "005", "005", "005", "005",
                                                "010", "010", "010", "016", "999", "010"};
            r.condition = kConditions[n - 1];
            if (n == 11) {
                static const char* kNames[] = {"キャピタルステークス", "古都ステークス",
                                               "六甲ステークス"};
                r.name = kNames[v];
                r.grade = v == 0 ? "L" : "E";
                r.symbol = "N00";
                r.weightRule = "2";
            } else if (n == 9 || n == 10) {
                static const char* kSpecials[] = {"晩秋特別", "紅葉特別", "初冬特別",
                                                  "銀杏特別", "錦秋特別", "霜月特別"};
                r.name = kSpecials[v * 2 + (n - 9)];
                r.grade = "E";
                r.symbol = "A01";
                r.weightRule = n == 10 ? "1" : "4";
            }
            r.postTime = (9 * 60 + 50) + 30 * (n - 1) + 5 * v + (n >= 11 ? 10 : 0);
            r.prize1 = r.condition == "999"
                           ? 23000
                           : (r.condition == "016" ? 18200 : (r.condition == "010" ? 15000 : 7800));
            r.rLevel = rng_.Range(1, 7);

            // Horses that have not run this weekend, fewest runs first.
            std::vector<int> pool;
            for (int h = 0; h < static_cast<int>(horses_.size()); ++h) {
                const Horse& hh = horses_[static_cast<std::size_t>(h)];
                if (hh.lastWeekend == d.weekend) continue;
                if (needsPast && hh.runs.size() < 3) continue;
                pool.push_back(h);
            }
            for (std::size_t i = pool.size(); i > 1; --i)
                std::swap(pool[i - 1],
                          pool[static_cast<std::size_t>(rng_.Range(0, static_cast<int>(i) - 1))]);
            std::stable_sort(pool.begin(), pool.end(), [&](int a, int b) {
                return horses_[static_cast<std::size_t>(a)].runs.size() <
                       horses_[static_cast<std::size_t>(b)].runs.size();
            });
            int field = std::min<int>(rng_.Range(8, 18), static_cast<int>(pool.size()));
            if (field < 8) {
                devtools::Say("too few horses for " + r.key);
                ok_ = false;
                return;
            }
            std::vector<int> jockeys(jockeys_.size());
            std::iota(jockeys.begin(), jockeys.end(), 0);
            for (std::size_t i = jockeys.size(); i > 1; --i)
                std::swap(
                    jockeys[i - 1],
                    jockeys[static_cast<std::size_t>(rng_.Range(0, static_cast<int>(i) - 1))]);
            int base = field / 8, extra = field % 8;
            int number = 1;
            for (int b = 1; b <= 8; ++b) {
                int inBracket = b <= 8 - extra ? base : base + 1;
                for (int k = 0; k < inBracket; ++k, ++number) {
                    Runner u;
                    u.horse = pool[static_cast<std::size_t>(number - 1)];
                    u.number = number;
                    u.bracket = b;
                    u.jockey = jockeys[static_cast<std::size_t>(number - 1)];
                    const Horse& hh = horses_[static_cast<std::size_t>(u.horse)];
                    u.weight = (hh.sex == 2 ? 540 : 560) - (2026 - hh.birthYear == 3 ? 10 : 0);
                    r.runners.push_back(u);
                }
            }
            for (const Runner& u : r.runners) {
                Horse& hh = horses_[static_cast<std::size_t>(u.horse)];
                hh.lastWeekend = d.weekend;
                hh.runs.push_back({index, static_cast<int>(d.races.size()), u.number - 1});
            }
            PriceRace(r);
            Analyse(r);
            RunRace(r);
            r.finished = d.results || n <= 6; // the feed day's morning races are over
            d.races.push_back(std::move(r));
        }
    }
}

// Win chances from the horses' strengths, and every odds of the race from them (the
// finishing-order model of each kind), so popularity, odds and payouts agree.
void Sample::PriceRace(Race& r) {
    const int n = static_cast<int>(r.runners.size());
    double sum = 0;
    for (Runner& u : r.runners) {
        u.p = horses_[static_cast<std::size_t>(u.horse)].strength * (0.6 + 0.8 * rng_.Unit());
        sum += u.p;
    }
    for (Runner& u : r.runners) u.p /= sum;
    auto odds = [](double prob, double payback, std::int64_t cap) {
        std::int64_t t =
            prob > 0 ? static_cast<std::int64_t>(std::floor(payback / prob * 10)) : cap;
        return static_cast<int>(std::clamp<std::int64_t>(t, 10, cap));
    };
    auto pr = [&](int h) { return r.runners[static_cast<std::size_t>(h - 1)].p; };
    auto tri = [&](int a, int b, int c) {
        return pr(a) * pr(b) / (1 - pr(a)) * pr(c) / (1 - pr(a) - pr(b));
    };
    std::vector<double> top3(static_cast<std::size_t>(n + 1), 0.0);
    for (int a = 1; a <= n; ++a)
        for (int b = 1; b <= n; ++b)
            for (int c = 1; c <= n; ++c)
                if (a != b && b != c && a != c) {
                    double t = tri(a, b, c);
                    top3[static_cast<std::size_t>(a)] += t;
                    top3[static_cast<std::size_t>(b)] += t;
                    top3[static_cast<std::size_t>(c)] += t;
                }
    for (Runner& u : r.runners) {
        u.winOdds = odds(u.p, 0.8, 9999);
        u.placeLo = odds(top3[static_cast<std::size_t>(u.number)], 0.64, 9999);
        u.placeHi = std::min(9999, u.placeLo * 16 / 10 + 1);
    }
    // Popularity as the odds reader ranks it: odds, then the lower place odds, then the number.
    auto rank = [&](auto key, auto set) {
        std::vector<int> idx(static_cast<std::size_t>(n));
        std::iota(idx.begin(), idx.end(), 0);
        std::stable_sort(idx.begin(), idx.end(), [&](int a, int b) { return key(a) < key(b); });
        for (int i = 0; i < n; ++i) set(idx[static_cast<std::size_t>(i)], i + 1);
    };
    auto& R = r.runners;
    rank(
        [&](int i) {
            return std::make_tuple(R[static_cast<std::size_t>(i)].winOdds,
                                   R[static_cast<std::size_t>(i)].placeLo, i);
        },
        [&](int i, int p) { R[static_cast<std::size_t>(i)].winPop = p; });
    rank(
        [&](int i) {
            return std::make_tuple(R[static_cast<std::size_t>(i)].placeLo,
                                   R[static_cast<std::size_t>(i)].placeHi, i);
        },
        [&](int i, int p) { R[static_cast<std::size_t>(i)].placeLoPop = p; });
    rank(
        [&](int i) {
            return std::make_tuple(R[static_cast<std::size_t>(i)].placeHi,
                                   R[static_cast<std::size_t>(i)].placeLo, i);
        },
        [&](int i, int p) { R[static_cast<std::size_t>(i)].placeHiPop = p; });

    auto finish = [&](std::vector<Combo>& v, double payback, std::int64_t cap) {
        std::vector<int> idx;
        for (std::size_t i = 0; i < v.size(); ++i) {
            if (!v[i].valid) continue;
            v[i].odds = odds(v[i].prob, payback, cap);
            idx.push_back(static_cast<int>(i));
        }
        std::stable_sort(idx.begin(), idx.end(), [&](int a, int b) {
            return v[static_cast<std::size_t>(a)].odds < v[static_cast<std::size_t>(b)].odds;
        });
        for (std::size_t i = 0; i < idx.size(); ++i)
            v[static_cast<std::size_t>(idx[i])].pop = static_cast<int>(i + 1);
    };
    auto exacta = [&](int a, int b) { return pr(a) * pr(b) / (1 - pr(a)); };
    for (int a = 1; a <= 18; ++a)
        for (int b = a + 1; b <= 18; ++b) {
            Combo q{{a, b, 0}, 0, 0, 0, 0, a <= n && b <= n};
            Combo w = q;
            if (q.valid) {
                q.prob = exacta(a, b) + exacta(b, a);
                for (int c = 1; c <= n; ++c)
                    if (c != a && c != b)
                        w.prob += tri(a, b, c) + tri(a, c, b) + tri(b, a, c) + tri(b, c, a) +
                                  tri(c, a, b) + tri(c, b, a);
            }
            r.quinella.push_back(q);
            r.wide.push_back(w);
        }
    for (int a = 1; a <= 18; ++a)
        for (int b = 1; b <= 18; ++b)
            if (a != b) {
                Combo e{{a, b, 0}, 0, 0, 0, 0, a <= n && b <= n};
                if (e.valid) e.prob = exacta(a, b);
                r.exacta.push_back(e);
            }
    for (int a = 1; a <= 18; ++a)
        for (int b = a + 1; b <= 18; ++b)
            for (int c = b + 1; c <= 18; ++c) {
                Combo t{{a, b, c}, 0, 0, 0, 0, c <= n};
                if (t.valid)
                    t.prob = tri(a, b, c) + tri(a, c, b) + tri(b, a, c) + tri(b, c, a) +
                             tri(c, a, b) + tri(c, b, a);
                r.trio.push_back(t);
            }
    for (int a = 1; a <= 18; ++a)
        for (int b = 1; b <= 18; ++b)
            for (int c = 1; c <= 18; ++c)
                if (a != b && b != c && a != c) {
                    Combo t{{a, b, c}, 0, 0, 0, 0, a <= n && b <= n && c <= n};
                    if (t.valid) t.prob = tri(a, b, c);
                    r.trifecta.push_back(t);
                }
    for (int a = 1; a <= 8; ++a)
        for (int b = a; b <= 8; ++b) {
            Combo k{{a, b, 0}, 0, 0, 0, 0, false};
            for (const Combo& q : r.quinella) {
                if (!q.valid) continue;
                int ba = R[static_cast<std::size_t>(q.h[0] - 1)].bracket,
                    bb = R[static_cast<std::size_t>(q.h[1] - 1)].bracket;
                if (std::min(ba, bb) == a && std::max(ba, bb) == b) {
                    k.prob += q.prob;
                    k.valid = true;
                }
            }
            r.bracket.push_back(k);
        }
    finish(r.quinella, 0.775, 999999);
    finish(r.wide, 0.775, 99999);
    for (Combo& w : r.wide) w.odds2 = w.valid ? std::min(99999, w.odds * 15 / 10 + 1) : 0;
    finish(r.exacta, 0.75, 999999);
    finish(r.trio, 0.75, 999999);
    finish(r.trifecta, 0.725, 9999999);
    finish(r.bracket, 0.775, 99999);
}

// The finishing order drawn from the win chances, one place after the other.
void Sample::RunRace(Race& r) {
    std::vector<int> left(r.runners.size());
    std::iota(left.begin(), left.end(), 0);
    while (!left.empty()) {
        double total = 0;
        for (int i : left) total += r.runners[static_cast<std::size_t>(i)].p;
        double x = rng_.Unit() * total;
        std::size_t pick = left.size() - 1;
        for (std::size_t k = 0; k < left.size(); ++k) {
            x -= r.runners[static_cast<std::size_t>(left[k])].p;
            if (x <= 0) {
                pick = k;
                break;
            }
        }
        r.order.push_back(left[pick]);
        left.erase(left.begin() + static_cast<std::ptrdiff_t>(pick));
    }
    double speed = (r.turf ? 16.6 : 16.0) - (r.distance - 1200) / 2400.0;
    int t = static_cast<int>(r.distance / speed * 10);
    for (std::size_t pos = 0; pos < r.order.size(); ++pos) {
        Runner& u = r.runners[static_cast<std::size_t>(r.order[pos])];
        u.finish = static_cast<int>(pos + 1);
        if (pos > 0) t += rng_.Range(0, 4);
        u.timeTenths = t;
        u.last3f = 335 + static_cast<int>(pos) * 3 + rng_.Range(0, 12) + (r.turf ? 0 : 20);
    }
    std::vector<std::pair<double, int>> pace;
    for (std::size_t i = 0; i < r.runners.size(); ++i) {
        int style = horses_[static_cast<std::size_t>(r.runners[i].horse)].style;
        pace.push_back({style * 4.0 + rng_.Unit() * 5, static_cast<int>(i)});
    }
    std::sort(pace.begin(), pace.end());
    for (std::size_t k = 0; k < pace.size(); ++k) {
        Runner& u = r.runners[static_cast<std::size_t>(pace[k].second)];
        int early = static_cast<int>(k + 1);
        u.corners = {early, early, (early + u.finish) / 2, (early + 2 * u.finish) / 3};
        u.corners[3] = std::max(1, u.corners[3]);
        if (r.distance <= 1400) u.corners[0] = u.corners[1] = 0;
    }
}

// The members' view of a race: marks by a noisy score, R codes for a few runners.
void Sample::Analyse(Race& r) {
    for (Runner& u : r.runners) u.score = u.p * (0.7 + 0.6 * rng_.Unit());
    std::vector<int> idx(r.runners.size());
    std::iota(idx.begin(), idx.end(), 0);
    std::stable_sort(idx.begin(), idx.end(), [&](int a, int b) {
        return r.runners[static_cast<std::size_t>(a)].score >
               r.runners[static_cast<std::size_t>(b)].score;
    });
    for (std::size_t k = 0; k < idx.size(); ++k) {
        Runner& u = r.runners[static_cast<std::size_t>(idx[k])];
        u.rOrder = static_cast<int>(k + 1);
        u.mark = k < 6 ? static_cast<int>(k + 1) : 0;
        u.rCode = k < 2 && rng_.Chance(60) ? 1 : (k + 3 > idx.size() && rng_.Chance(40) ? 2 : 0);
    }
}

std::string Sample::RaRecord(const Day& d, const Race& r, char kind,
                             std::string_view created) const {
    std::string s = NewRecord("RA", kind, created, r.key);
    SetField(s, 28, 1, d.saturday ? "1" : "2");
    SetField(s, 29, 4, "0000");
    if (!r.name.empty()) {
        SetField(s, 33, 60, Sj(r.name));
        SetField(s, 573, 20, keiba::CutBytes(Sj(r.name), 20));
        SetField(s, 605, 6, keiba::CutBytes(Sj(r.name), 6));
        SetField(s, 612, 3, r.number == 11 ? "031" : "000");
    } else {
        SetField(s, 612, 3, "000");
    }
    SetField(s, 615, 1, r.grade);
    SetField(s, 617, 2, "13");
    SetField(s, 619, 3, r.symbol);
    SetField(s, 622, 1, r.weightRule);
    SetField(s, 623, 3, "000");
    for (int g = 1; g <= 4; ++g) SetField(s, 623 + 3 * static_cast<std::size_t>(g), 3, r.condition);
    SetField(s, 698, 4, Num(r.distance, 4));
    SetField(s, 702, 4, "0000");
    SetField(s, 706, 2, r.track);
    static const int kShare[7] = {100, 40, 25, 15, 10, 0, 0};
    for (int p = 0; p < 7; ++p)
        SetField(s, 714 + 8 * static_cast<std::size_t>(p), 8, Num(r.prize1 * kShare[p] / 100, 8));
    for (int p = 0; p < 5; ++p) SetField(s, 810 + 8 * static_cast<std::size_t>(p), 8, Num(0, 8));
    SetField(s, 874, 4, Num(r.postTime / 60, 2) + Num(r.postTime % 60, 2));
    SetField(s, 878, 4, "0000");
    std::string n = Num(static_cast<std::int64_t>(r.runners.size()), 2);
    SetField(s, 882, 2, n);
    SetField(s, 884, 2, n);
    SetField(s, 886, 2, r.finished ? n : "00");
    SetField(s, 888, 1, (r.day % 3 == 2) ? "2" : "1");
    SetField(s, 889, 1, "1");
    SetField(s, 890, 1, (r.day % 4 == 1) ? "2" : "1");
    return s;
}

std::string Sample::SeRecord(const Day& d, const Race& r, const Runner& u, char kind,
                             bool withResult, std::string_view created) const {
    (void)d;
    const Horse& h = horses_[static_cast<std::size_t>(u.horse)];
    const Person& j = jockeys_[static_cast<std::size_t>(u.jockey)];
    const Person& t = trainers_[static_cast<std::size_t>(h.trainer)];
    std::string s = NewRecord("SE", kind, created, r.key);
    SetField(s, 28, 1, std::to_string(u.bracket));
    SetField(s, 29, 2, Num(u.number, 2));
    SetField(s, 31, 10, h.id);
    SetField(s, 41, 36, keiba::PadRightZenkaku(h.name, 36));
    SetField(s, 77, 2, "00");
    SetField(s, 79, 1, std::to_string(h.sex));
    SetField(s, 80, 1, "1");
    SetField(s, 81, 2, h.coat);
    SetField(s, 83, 2, Num(2026 - h.birthYear, 2));
    SetField(s, 85, 1, std::to_string(t.affiliation));
    SetField(s, 86, 5, t.code);
    SetField(s, 91, 8, t.shortName);
    SetField(s, 289, 3, Num(u.weight, 3));
    SetField(s, 292, 3, "000");
    SetField(s, 295, 1, (u.horse % 9 == 4) ? "1" : "0");
    SetField(s, 297, 5, j.code);
    SetField(s, 302, 5, j.code);
    SetField(s, 307, 8, j.shortName);
    SetField(s, 323, 1, j.apprentice);
    SetField(s, 324, 1, "0");
    int body = 440 + (u.horse * 37) % 100;
    SetField(s, 325, 3, Num(body, 3));
    int change = (u.horse + r.number) % 9 - 4;
    SetField(s, 328, 1, change > 0 ? "+" : (change < 0 ? "-" : " "));
    SetField(s, 329, 3, Num(std::abs(change) * 2, 3));
    SetField(s, 332, 1, "0");
    if (withResult) {
        SetField(s, 333, 2, Num(u.finish, 2));
        SetField(s, 335, 2, Num(u.finish, 2));
        SetField(s, 337, 2, "00");
        int m = u.timeTenths / 600, sec = (u.timeTenths % 600) / 10, tenth = u.timeTenths % 10;
        SetField(s, 339, 4, std::to_string(m) + Num(sec, 2) + std::to_string(tenth));
        for (int c = 0; c < 4; ++c)
            SetField(s, 352 + 2 * static_cast<std::size_t>(c), 2,
                     Num(u.corners[static_cast<std::size_t>(c)], 2));
        static const int kShare[5] = {100, 40, 25, 15, 10};
        SetField(s, 366, 8, Num(u.finish <= 5 ? r.prize1 * kShare[u.finish - 1] / 100 : 0, 8));
        SetField(s, 391, 3, Num(u.last3f, 3));
        const Runner& winner = r.runners[static_cast<std::size_t>(r.order[0])];
        const Runner& second = r.runners[static_cast<std::size_t>(r.order[1])];
        const Runner& other = u.finish == 1 ? second : winner;
        SetField(s, 394, 10, horses_[static_cast<std::size_t>(other.horse)].id);
        SetField(s, 404, 36,
                 keiba::PadRightZenkaku(horses_[static_cast<std::size_t>(other.horse)].name, 36));
        int diff =
            u.finish == 1 ? second.timeTenths - u.timeTenths : u.timeTenths - winner.timeTenths;
        SetField(s, 532, 4, std::string(u.finish == 1 ? "-" : "+") + Num(diff, 3));
    } else {
        SetField(s, 333, 2, "00");
        SetField(s, 335, 2, "00");
        SetField(s, 339, 4, "0000");
        SetField(s, 366, 8, Num(0, 8));
        SetField(s, 391, 3, "000");
    }
    SetField(s, 360, 4, withResult ? Num(u.winOdds, 4) : "0000");
    SetField(s, 364, 2, withResult ? Num(u.winPop, 2) : "00");
    SetField(s, 374, 8, Num(0, 8));
    SetField(s, 553, 1, std::to_string(horses_[static_cast<std::size_t>(u.horse)].style));
    return s;
}

std::string Sample::HrRecord(const Race& r, std::string_view created) const {
    std::string s = NewRecord("HR", '2', created, r.key);
    std::string n = Num(static_cast<std::int64_t>(r.runners.size()), 2);
    SetField(s, 28, 2, n);
    SetField(s, 30, 2, n);
    const Runner& a = r.runners[static_cast<std::size_t>(r.order[0])];
    const Runner& b = r.runners[static_cast<std::size_t>(r.order[1])];
    const Runner& c = r.runners[static_cast<std::size_t>(r.order[2])];
    auto put = [&](const HrGroup& g, int j, const std::string& comb, std::int64_t yen, int pop) {
        std::size_t at = g.firstPos + g.entryWidth * static_cast<std::size_t>(j - 1);
        SetField(s, at, g.combWidth, comb);
        SetField(s, at + g.combWidth, 9, Num(yen, 9));
        SetField(s, at + g.combWidth + 9, g.popWidth, Num(pop, static_cast<int>(g.popWidth)));
    };
    auto find = [](const std::vector<Combo>& v, std::array<int, 3> h) -> const Combo& {
        for (const Combo& x : v)
            if (x.h == h) return x;
        return v.front();
    };
    auto pair = [](int x, int y) { return std::array<int, 3>{std::min(x, y), std::max(x, y), 0}; };
    put(kHrWin, 1, Num(a.number, 2), a.winOdds * 10, a.winPop);
    int j = 1;
    for (const Runner* u : {&a, &b, &c}) {
        int yen = (u->placeLo + (u->placeHi - u->placeLo) / 3) * 10;
        put(kHrPlace, j++, Num(u->number, 2), yen, u->placeLoPop);
    }
    const Combo& bq = find(r.bracket, pair(a.bracket, b.bracket));
    put(kHrBracket, 1, std::to_string(bq.h[0]) + std::to_string(bq.h[1]), bq.odds * 10, bq.pop);
    const Combo& q = find(r.quinella, pair(a.number, b.number));
    put(kHrQuinella, 1, Num(q.h[0], 2) + Num(q.h[1], 2), q.odds * 10, q.pop);
    std::vector<std::array<int, 3>> wides = {pair(a.number, b.number), pair(a.number, c.number),
                                             pair(b.number, c.number)};
    std::sort(wides.begin(), wides.end());
    j = 1;
    for (const auto& w : wides) {
        const Combo& x = find(r.wide, w);
        put(kHrWide, j++, Num(x.h[0], 2) + Num(x.h[1], 2), x.odds * 10, x.pop);
    }
    const Combo& e = find(r.exacta, {a.number, b.number, 0});
    put(kHrExacta, 1, Num(a.number, 2) + Num(b.number, 2), e.odds * 10, e.pop);
    std::array<int, 3> top = {a.number, b.number, c.number};
    std::sort(top.begin(), top.end());
    const Combo& t = find(r.trio, top);
    put(kHrTrio, 1, Num(top[0], 2) + Num(top[1], 2) + Num(top[2], 2), t.odds * 10, t.pop);
    const Combo& f = find(r.trifecta, {a.number, b.number, c.number});
    put(kHrTrifecta, 1, Num(a.number, 2) + Num(b.number, 2) + Num(c.number, 2), f.odds * 10, f.pop);
    return s;
}

std::string Sample::UmRecord(const Horse& h) const {
    std::string s = NewRecord("UM", '1', "20261203", "");
    const Person& t = trainers_[static_cast<std::size_t>(h.trainer)];
    SetField(s, 12, 10, h.id);
    SetField(s, 22, 1, "0");
    SetField(s, 23, 8, std::to_string(h.birthYear + 2) + "0501");
    SetField(s, 31, 8, "00000000");
    SetField(s, 39, 8, std::to_string(h.birthYear) + Num(3 + h.birthYear % 3, 2) + "15");
    SetField(s, 47, 36, keiba::PadRightZenkaku(h.name, 36));
    SetField(s, 201, 1, std::to_string(h.sex));
    SetField(s, 202, 1, "1");
    SetField(s, 203, 2, h.coat);
    for (int a = 0; a < 14; ++a) {
        std::size_t at = 205 + 46 * static_cast<std::size_t>(a);
        // Breeding numbers of eight digits, as the older files held them.
        SetField(s, at, 10,
                 "  " + Num(1100000 + (std::stoi(h.id.substr(6)) * 14 + a) % 8000000, 8));
        SetField(s, at + 10, 36,
                 keiba::PadRightZenkaku(h.ancestors[static_cast<std::size_t>(a)], 36));
    }
    SetField(s, 849, 1, std::to_string(t.affiliation));
    SetField(s, 850, 5, t.code);
    SetField(s, 855, 8, t.shortName);
    SetField(s, 883, 8, "  " + Num(300000 + h.trainer * 11, 6));
    SetField(s, 891, 72, "  " + keiba::PadRightZenkaku(Sj("北海道牧場"), 70));
    SetField(s, 963, 20, keiba::PadRightZenkaku(Sj("日高町"), 20));
    SetField(s, 983, 6, Num(500000 + h.trainer * 13, 6));
    SetField(s, 989, 64, keiba::PadRightZenkaku(Sj("サンプルオーナーズ"), 64));
    for (int i = 0; i < 6; ++i)
        SetField(s, 1053 + 9 * static_cast<std::size_t>(i), 9, Num(i < 2 ? h.prize : 0, 9));
    return s;
}

std::string Sample::UmaRecord(const Horse& h) const {
    std::string um = UmRecord(h);
    std::string old = um.substr(0, 204);
    for (std::size_t e = 0; e < 14; ++e) old += um.substr(204 + 46 * e + 2, 44);
    old += um.substr(848, 34);
    old += um.substr(884, 6);
    old += um.substr(892, 70);
    old += um.substr(962, 645);
    old += "\r\n";
    return old;
}

std::vector<std::string> Sample::OddsRecords(const Day& d, const Race& r, char kind,
                                             std::string_view created) const {
    (void)d;
    std::string announce =
        r.key.substr(4, 4) + Num(r.postTime / 60 - 1, 2) + Num(r.postTime % 60, 2);
    std::string n = Num(static_cast<std::int64_t>(r.runners.size()), 2);
    auto head = [&](std::string_view id) {
        std::string s = NewRecord(id, kind, created, r.key);
        SetField(s, 28, 8, announce);
        SetField(s, 36, 2, n);
        SetField(s, 38, 2, n);
        SetField(s, 40, 1, "7");
        return s;
    };
    std::vector<std::string> out;
    std::string o1 = head("O1");
    SetField(o1, 41, 3, "773");
    for (int h = 1; h <= 28; ++h) {
        std::size_t w = 44 + 8 * static_cast<std::size_t>(h - 1),
                    p = 268 + 12 * static_cast<std::size_t>(h - 1);
        if (h > 18) continue;
        SetField(o1, w, 2, Num(h, 2));
        SetField(o1, p, 2, Num(h, 2));
        if (h > static_cast<int>(r.runners.size())) continue;
        const Runner& u = r.runners[static_cast<std::size_t>(h - 1)];
        SetField(o1, w + 2, 6, Num(u.winOdds, 4) + Num(u.winPop, 2));
        SetField(o1, p + 2, 10, Num(u.placeLo, 4) + Num(u.placeHi, 4) + Num(u.placeLoPop, 2));
    }
    for (std::size_t k = 0; k < r.bracket.size(); ++k) {
        const Combo& c = r.bracket[k];
        std::size_t at = 604 + 9 * k;
        SetField(o1, at, 2, std::to_string(c.h[0]) + std::to_string(c.h[1]));
        if (c.valid) SetField(o1, at + 2, 7, Num(c.odds, 5) + Num(c.pop, 2));
    }
    SetField(o1, 928, 33, Num(123456, 11) + Num(98765, 11) + Num(45678, 11));
    out.push_back(o1);
    auto combos = [&](std::string_view id, const std::vector<Combo>& v, const OddsEntries& l,
                      int oddsWidth, int popWidth, bool range) {
        std::string s = head(id);
        for (std::size_t k = 0; k < v.size(); ++k) {
            const Combo& c = v[k];
            std::size_t at = l.firstPos + l.entryWidth * k;
            std::string comb =
                Num(c.h[0], 2) + Num(c.h[1], 2) + (l.combWidth == 6 ? Num(c.h[2], 2) : "");
            SetField(s, at, l.combWidth, comb);
            if (!c.valid) continue;
            std::string val = Num(c.odds, oddsWidth) + (range ? Num(c.odds2, oddsWidth) : "") +
                              Num(c.pop, popWidth);
            SetField(s, at + l.combWidth, val.size(), val);
        }
        std::size_t total = l.firstPos + l.entryWidth * l.entries;
        SetField(s, total, 11, Num(7654321, 11));
        out.push_back(s);
    };
    combos("O2", r.quinella, kO2Quinella, 6, 3, false);
    combos("O3", r.wide, kO3Wide, 5, 3, true);
    combos("O4", r.exacta, kO4Exacta, 6, 3, false);
    combos("O5", r.trio, kO5Trio, 6, 3, false);
    combos("O6", r.trifecta, kO6Trifecta, 7, 4, false);
    return out;
}

std::string Sample::DmRecord(const Race& r) const {
    std::string s = NewRecord("DM", '1', "20261205", r.key);
    SetField(s, 28, 4, "0900");
    for (std::size_t i = 0; i < 18; ++i) {
        std::size_t at = 32 + 15 * i;
        if (i >= r.runners.size()) {
            SetField(s, at, 15, Num(static_cast<std::int64_t>(i + 1), 2) + Blank(13));
            continue;
        }
        const Runner& u = r.runners[i];
        int predicted = static_cast<int>(r.distance / (r.turf ? 16.3 : 15.8) * 10) + u.rOrder * 2;
        int m = predicted / 600, sec = (predicted % 600) / 10, tenth = predicted % 10;
        SetField(s, at, 15,
                 Num(u.number, 2) + std::to_string(m) + Num(sec, 2) + std::to_string(tenth) + "0" +
                     "0005" + "0004");
    }
    return s;
}

std::string Sample::RunBlock(const Race& r, const Runner& u) const {
    std::string b(kAnalysisRunLength, ' ');
    const Horse& h = horses_[static_cast<std::size_t>(u.horse)];
    SetField(b, 1, 2, Num(static_cast<std::int64_t>(r.runners.size()), 2));
    SetField(b, 3, 2, kVenues[static_cast<std::size_t>(r.venue)]);
    SetField(b, 5, 2, r.track);
    SetField(b, 7, 4, Num(r.distance, 4));
    SetField(b, 11, 2, "13");
    SetField(b, 13, 3, r.condition);
    SetField(b, 16, 1, r.grade == "A" || r.grade == "B" || r.grade == "C" ? r.grade : " ");
    SetField(b, 17, 2, Num(r.rLevel, 2));
    SetField(b, 19, 2, Num(u.rOrder, 2));
    SetField(b, 21, 2, Num(u.winPop, 2));
    SetField(b, 23, 2, Num(r.finished ? u.finish : 0, 2));
    SetField(b, 25, 4, Num(u.winOdds, 4));
    SetField(b, 29, 1, std::to_string(u.rCode));
    SetField(b, 30, 2, Num(u.mark, 2));
    std::uint64_t mix = static_cast<std::uint64_t>(u.horse) * 2654435761u +
                        static_cast<std::uint64_t>(r.number) * 40503u +
                        static_cast<std::uint64_t>(r.day);
    SetField(b, 32, 1, std::to_string(1 + mix % 4));
    for (std::size_t f = 0; f < 5; ++f)
        SetField(b, 33 + f, 1, ((mix >> (3 + f)) & 3) == 0 ? "1" : "0");
    SetField(b, 38, 1, std::to_string(1 + (mix >> 9) % 3));
    SetField(b, 39, 1, ((mix >> 11) & 3) == 0 ? "1" : "0");
    char rate[64];
    std::snprintf(rate, sizeof rate, "%5.3f", static_cast<double>((mix >> 13) % 600) / 1000.0);
    SetField(b, 40, 5, rate);
    std::snprintf(rate, sizeof rate, "%5.3f", static_cast<double>((mix >> 17) % 400) / 1000.0);
    SetField(b, 45, 5, rate);
    static const char kRanks[] = "SABCD";
    SetField(b, 50, 1, std::string(1, kRanks[(mix >> 21) % 5]));
    SetField(b, 51, 1, std::string(1, kRanks[static_cast<std::size_t>(u.jockey) % 5]));
    SetField(b, 52, 1, ((mix >> 24) & 7) == 0 ? "1" : "0");
    SetField(b, 53, 3, Right(static_cast<std::int64_t>((mix >> 27) % 41) - 20, 3));
    (void)h;
    return b;
}

std::string Sample::AnalysisRecord(const Day& d, const Race& r, const Runner& u) const {
    std::string s(kAnalysisLength, ' ');
    const Horse& h = horses_[static_cast<std::size_t>(u.horse)];
    int slot = r.venue * 12 + r.number - 1;
    SetField(s, 1, 2, Num(slot, 2));
    SetField(s, 3, 2, Num(u.number, 2));
    SetField(s, 5, 1, std::to_string(u.bracket));
    SetField(s, 6, 8, d.date8);
    SetField(s, 14, 2, kVenues[static_cast<std::size_t>(r.venue)]);
    SetField(s, 16, 4, r.key.substr(10, 4));
    SetField(s, 20, 2, Num(r.number, 2));
    SetField(s, 32, 18, keiba::FitBytes(h.name, 18));
    bool won = r.finished && u.finish == 1;
    bool placed = r.finished && u.finish <= 3;
    SetField(s, 138, 9, Num(won ? u.winOdds * 10 : 0, 9));
    SetField(s, 147, 9, Num(placed ? (u.placeLo + (u.placeHi - u.placeLo) / 3) * 10 : 0, 9));
    SetField(s, 156, 1, "1");
    static const char* kRakuGen[] = {"楽", "厳", "  "};
    SetField(s, 177, 4, keiba::PadRightBytes(Sj(kRakuGen[(u.horse + r.number) % 3]), 4));
    int plus = 0, minus = 0;
    for (const Runner& x : r.runners) (x.rCode == 1 ? plus : minus) += x.rCode != 0;
    SetField(s, 181, 2, Num(plus, 2));
    SetField(s, 183, 2, Num(minus, 2));
    // Past runs: the horse's runs before this day, the latest first.
    std::vector<RunRef> past;
    for (const RunRef& ref : h.runs)
        if (ref.day < r.day) past.push_back(ref);
    std::reverse(past.begin(), past.end());
    const Race* previous = nullptr;
    const Runner* previousRunner = nullptr;
    for (std::size_t k = 0; k < 3 && k < past.size(); ++k) {
        const Race& pr = days_[static_cast<std::size_t>(past[k].day)]
                             .races[static_cast<std::size_t>(past[k].race)];
        const Runner& pu = pr.runners[static_cast<std::size_t>(past[k].runner)];
        SetField(s, 185 + 14 * k, 14,
                 pr.key.substr(0, 10) + Num(pr.number, 2) + std::to_string(pr.rLevel) +
                     std::to_string(pu.rCode));
        if (k == 0) {
            previous = &pr;
            previousRunner = &pu;
        }
    }
    SetField(s, 227, kAnalysisRunLength, RunBlock(r, u));
    if (previous) SetField(s, 302, kAnalysisRunLength, RunBlock(*previous, *previousRunner));
    SetField(s, 377, 2, "\r\n");
    return s;
}

bool Sample::Write(const fs::path& p, const std::string& bytes) {
    std::error_code ec;
    fs::create_directories(p.parent_path(), ec);
    keiba::IoResult r = keiba::WriteFileAtomic(p, bytes);
    if (!r) {
        devtools::Say(r.message);
        ok_ = false;
    }
    return r.ok;
}

bool Sample::WriteDays() {
    FilingBatch batch(folder_);
    auto check = [&](const FileOutcome& o) {
        if (!o) {
            devtools::Say(o.reason);
            ok_ = false;
        }
    };
    for (const Day& d : days_) {
        // The feed day stands as it does after its morning races: the entries of the races to
        // come as the feed's stored files give them, the results of those run. Its members'
        // analysis is the newest, so the R-horse search's first hits open a race of this day.
        const bool feedDay = !d.results;
        std::string created = d.date8;
        for (const Race& r : d.races) {
            if (feedDay && !r.finished) {
                check(batch.UpsertDayLine(DayFile::RA, RaRecord(d, r, '2', "20261203")));
                for (const Runner& u : r.runners)
                    check(batch.PutRunner(SeRecord(d, r, u, '2', false, "20261203")));
                continue;
            }
            check(batch.UpsertDayLine(DayFile::RA, RaRecord(d, r, '7', created)));
            check(batch.UpsertDayLine(DayFile::HR, HrRecord(r, created)));
            for (const Runner& u : r.runners) {
                std::string se = SeRecord(d, r, u, '7', true, created);
                check(batch.PutRunner(se));
                check(batch.UpsertHorseRun(se));
            }
            if (d.full && !feedDay) { // the feed day's odds come with the fetches
                static constexpr DayFile kOdds[] = {DayFile::O1, DayFile::O2, DayFile::O3,
                                                    DayFile::O4, DayFile::O5, DayFile::O6};
                std::vector<std::string> odds = OddsRecords(d, r, '4', created);
                for (std::size_t k = 0; k < odds.size(); ++k)
                    check(batch.UpsertDayLine(kOdds[k], odds[k]));
            }
        }
        keiba::IoResult f = batch.Flush();
        if (!f) {
            devtools::Say(f.message);
            ok_ = false;
        }
    }
    // Horse masters of every horse that ran; a few only in the older layout.
    for (Horse& h : horses_) {
        if (h.runs.empty()) continue;
        if (h.umaOnly) {
            Write(*HorseFilePath(folder_, HorseFile::UMA, h.id), UmaRecord(h));
        } else {
            check(batch.PutHorseMaster(UmRecord(h)));
        }
    }
    keiba::IoResult f = batch.Flush();
    if (!f) ok_ = false;
    return ok_;
}

bool Sample::WriteMembers(const Day& d) {
    std::string xq, rcom;
    for (const Race& r : d.races) {
        for (const Runner& u : r.runners) xq += AnalysisRecord(d, r, u);
        std::string venue = *VenueFileName(kVenues[static_cast<std::size_t>(r.venue)]);
        std::string first = venue + std::to_string(r.number) + "R　" + (r.turf ? "芝" : "ダ") +
                            std::to_string(r.distance) + "m。";
        static const char* kLines[] = {"先行力のある馬が揃い、ペースは平均よりやや速い。",
                                       "内枠の先行馬に注意。", "上位拮抗で波乱含み。",
                                       "末脚の確かな馬を重視したい。"};
        rcom += r.key + ",\"" + Sj(first + kLines[(r.number + r.venue) % 4]) + "\r\n";
        if (r.number % 3 == 0) rcom += Sj(kLines[(r.number + 1) % 4]) + "\r\n";
        if (r.number == 11) rcom += Sj("メインレース。") + "\r\n";
        rcom += "\"\r\n";
    }
    Write(folder_ / "VZK" / ("XQ" + d.date8 + ".vzkd"), xq);
    Write(folder_ / "VZK" / ("RCOM" + d.date8 + ".CSV"), rcom);
    return ok_;
}

// The analysis file alone, for the earlier days: the R-horse search reads them with the history.
bool Sample::WriteAnalysis(const Day& d) {
    std::string xq;
    for (const Race& r : d.races)
        for (const Runner& u : r.runners) xq += AnalysisRecord(d, r, u);
    return Write(folder_ / "VZK" / ("XQ" + d.date8 + ".vzkd"), xq);
}

bool Sample::WriteJockeys() {
    std::vector<std::string> lines;
    for (const Person& j : jockeys_) {
        std::string aff = j.affiliation == 1 ? "美浦" : "栗東";
        lines.push_back(Sj(j.code + "," + j.fullName + "," + aff + "," + std::to_string(j.rides) +
                           "," + std::to_string(j.wins)));
    }
    std::sort(lines.begin(), lines.end());
    std::string out;
    for (const std::string& l : lines) out += l + "\r\n";
    return Write(folder_ / "jockdata.kcsv", out);
}

bool Sample::WriteFeed() {
    fs::path feed = folder_ / "feed";
    const Day& f = days_.back();
    const Day& d2 = days_[days_.size() - 2];
    std::string ra, se, um, hr2;
    std::set<int> masters;
    for (const Race& r : f.races) {
        ra += RaRecord(f, r, '2', "20261203");
        for (const Runner& u : r.runners) {
            se += SeRecord(f, r, u, '2', false, "20261203");
            masters.insert(u.horse);
        }
    }
    for (int h : masters) um += UmRecord(horses_[static_cast<std::size_t>(h)]);
    for (const Race& r : d2.races) hr2 += HrRecord(r, d2.date8);
    Write(feed / "stored" / "20261130090000_HRDW20261129.jvd", hr2);
    // The final odds of that day, the same records as its odds files: an import told to take
    // final odds files them, one without leaves them.
    std::array<std::string, 6> finals;
    for (const Race& r : d2.races) {
        std::vector<std::string> odds = OddsRecords(d2, r, '4', d2.date8);
        for (std::size_t k = 0; k < finals.size() && k < odds.size(); ++k) finals[k] += odds[k];
    }
    for (std::size_t k = 0; k < finals.size(); ++k)
        Write(feed / "stored" /
                  ("20261130090000_O" + std::to_string(k + 1) + "DW" + d2.date8 + ".jvd"),
              finals[k]);
    Write(feed / "stored" / "20261203100000_RADW20261205.jvd", ra);
    Write(feed / "stored" / "20261203100000_SEDW20261205.jvd", se);
    Write(feed / "stored" / "20261203110000_UMDW20261203.jvd", um);

    std::string results, mining;
    for (const Race& r : f.races) {
        std::string odds;
        for (const std::string& o : OddsRecords(f, r, '1', "20261205")) odds += o;
        Write(feed / "rt" / "0B30" / (r.key + ".txt"), odds);
        mining += DmRecord(r);
        if (!r.finished) continue;
        results += RaRecord(f, r, '2', "20261205");
        for (const Runner& u : r.runners) results += SeRecord(f, r, u, '7', true, "20261205");
        results += HrRecord(r, "20261205");
    }
    Write(feed / "rt" / "0B12" / (f.date8 + ".txt"), results);
    Write(feed / "rt" / "0B13" / (f.date8 + ".txt"), mining);
    Write(feed / std::string(kFeedConfigName),
          "# Results forced on the replayed JV-Link; remove the '#' of a line to use it.\n"
          "# present=0        the control is missing at start-up\n"
          "# version=0480     an old control version\n"
          "# download=2       files still to download after JVOpen\n"
          "# JVInit=-101\n# JVSetUIProperties=-100\n# JVOpen=-504\n# JVStatus=-502\n"
          "# JVRead=-403\n# JVReadAfter=100  (the JVRead error after this many records)\n"
          "# JVRTOpen=-114\n# JVClose=-1\n");
    return ok_;
}

// Two years of the members' analysis files before the sample's first day, for the R-horse
// search and the statistics to walk: two racecourses of twelve races every Saturday and Sunday.
// These days have no day files, only analysis records; each runner's previous-run block is the
// block of its own previous run in this history. The history draws from a generator of its own,
// so the sample days are the same with or without it.
class History {
public:
    History(fs::path folder, std::chrono::year_month_day firstSampleDay)
        : folder_(std::move(folder))
        , end_(firstSampleDay)
        , rng_(20241102) {
        for (int i = 0; i < 2400; ++i) {
            Horse h;
            h.name = Sj(HorseName(rng_));
            h.strength = std::exp(2.4 * (rng_.Unit() + rng_.Unit() + rng_.Unit() - 1.5));
            horses_.push_back(std::move(h));
        }
    }

    // Writes VZK/XQ<yyyymmdd>.vzkd of every race day; false when a file could not be written.
    bool Write() {
        using namespace std::chrono;
        const sys_days last{end_};
        int dayIndex = 0;
        for (sys_days d = last - days(7 * kWeeks); d < last; d += days(1)) {
            const weekday w{d};
            if (w != Saturday && w != Sunday) continue;
            const year_month_day ymd{d};
            const std::string date8 = FormatYyyymmdd(ymd);
            const int weekend = dayIndex / 2;
            std::string file;
            const auto& venues = VenuesOf(static_cast<unsigned>(ymd.month()));
            for (std::size_t v = 0; v < venues.size(); ++v)
                for (int n = 1; n <= 12; ++n)
                    file += Race(date8, dayIndex, weekend, w == Sunday, static_cast<int>(v),
                                 venues[v], n, static_cast<unsigned>(ymd.month()));
            fs::path p = folder_ / "VZK" / ("XQ" + date8 + ".vzkd");
            std::error_code ec;
            fs::create_directories(p.parent_path(), ec);
            if (keiba::IoResult r = keiba::WriteFileAtomic(p, file); !r) {
                devtools::Say(r.message);
                return false;
            }
            ++dayIndex;
        }
        return true;
    }

private:
    static constexpr int kWeeks = 104;

    struct Horse {
        std::string name; // CP932
        double strength = 1;
        std::string lastBlock;         // this history's block of its previous run
        std::vector<std::string> past; // 14-byte past-run entries, the latest first
        int lastDay = -1;
    };
    struct Entry {
        int horse = 0, number = 0, bracket = 0;
        double p = 0, score = 0;
        int winOdds = 0, pop = 0, finish = 0, rOrder = 0, mark = 0, rCode = 0;
    };

    static const std::array<std::string, 2>& VenuesOf(unsigned month) {
        static const std::array<std::array<std::string, 2>, 12> kByMonth = {{
            {"06", "08"},
            {"06", "08"},
            {"06", "09"},
            {"05", "09"},
            {"05", "08"},
            {"05", "09"},
            {"01", "04"},
            {"02", "04"},
            {"06", "09"},
            {"05", "08"},
            {"05", "08"},
            {"06", "09"},
        }};
        return kByMonth[month - 1];
    }

    std::string Race(const std::string& date8, int dayIndex, int weekend, bool sunday, int v,
                     const std::string& venue, int number, unsigned month) {
        // The race.
        const bool jump = number == 4 && !sunday && rng_.Chance(40);
        const bool turf = !jump && rng_.Chance(number >= 9 ? 70 : 50);
        static const std::vector<int> kTurf = {1200, 1400, 1600, 1800, 2000, 2200, 2400};
        static const std::vector<int> kDirt = {1000, 1200, 1400, 1600, 1700, 1800, 2100};
        const int distance = jump ? 3000 + 100 * rng_.Range(0, 4) : rng_.Pick(turf ? kTurf : kDirt);
        const std::string track = jump   ? (rng_.Chance(50) ? "51" : "52")
                                  : turf ? (distance >= 1800 ? "18" : "11")
                                         : (v == 0 ? "23" : "24");
        std::string condition = "005", grade = " ", type = month <= 6 ? "14" : "13";
        if (number <= 3 || jump) {
            condition = "703";
            type = month <= 5 ? "12" : (number == 1 ? "11" : "12");
        } else if (number == 5 && month >= 6) {
            condition = "701";
            type = "11";
        } else if (number == 9 || number == 10 || number == 12) {
            condition = number == 10 ? "016" : "010";
        } else if (number == 11) {
            condition = "999";
            if (sunday && weekend % 3 == 0) grade = std::string(1, "CBA"[weekend % 9 / 3]);
        }
        const int level = std::clamp(rng_.Range(1, 7) + rng_.Range(-1, 1), 1, 7);

        // The runners, drawn from the horses that have not run that day.
        const int field = rng_.Range(8, 18);
        std::vector<Entry> runners;
        while (static_cast<int>(runners.size()) < field) {
            int h = rng_.Range(0, static_cast<int>(horses_.size()) - 1);
            if (horses_[static_cast<std::size_t>(h)].lastDay == dayIndex) continue;
            horses_[static_cast<std::size_t>(h)].lastDay = dayIndex;
            Entry e;
            e.horse = h;
            e.number = static_cast<int>(runners.size()) + 1;
            runners.push_back(e);
        }
        const int base = field / 8, extra = field % 8;
        for (int b = 1, k = 0; b <= 8; ++b)
            for (int i = 0; i < (b <= 8 - extra ? base : base + 1); ++i)
                runners[static_cast<std::size_t>(k++)].bracket = b;
        double sum = 0;
        for (Entry& e : runners) {
            e.p = horses_[static_cast<std::size_t>(e.horse)].strength * (0.6 + 0.8 * rng_.Unit());
            sum += e.p;
        }
        for (Entry& e : runners) {
            e.p /= sum;
            e.winOdds = std::clamp(static_cast<int>(std::floor(0.8 / e.p * 10)), 11, 9999);
            e.score = e.p * (0.7 + 0.6 * rng_.Unit());
        }
        auto rank = [&](auto less, auto set) {
            std::vector<std::size_t> idx(runners.size());
            std::iota(idx.begin(), idx.end(), 0);
            std::stable_sort(idx.begin(), idx.end(), less);
            for (std::size_t k = 0; k < idx.size(); ++k) set(runners[idx[k]], static_cast<int>(k));
        };
        rank([&](std::size_t a, std::size_t b) { return runners[a].winOdds < runners[b].winOdds; },
             [](Entry& e, int k) { e.pop = k + 1; });
        rank([&](std::size_t a, std::size_t b) { return runners[a].score > runners[b].score; },
             [&](Entry& e, int k) {
                 e.rOrder = k + 1;
                 e.mark = k < 6 ? k + 1 : 0;
                 e.rCode =
                     k < 2 && rng_.Chance(60) ? 1 : (k + 3 >= field && rng_.Chance(40) ? 2 : 0);
             });
        std::vector<std::size_t> left(runners.size());
        std::iota(left.begin(), left.end(), 0);
        for (int pos = 1; !left.empty(); ++pos) {
            double total = 0;
            for (std::size_t i : left) total += runners[i].p;
            double x = rng_.Unit() * total;
            std::size_t pick = left.size() - 1;
            for (std::size_t k = 0; k < left.size(); ++k) {
                x -= runners[left[k]].p;
                if (x <= 0) {
                    pick = k;
                    break;
                }
            }
            runners[left[pick]].finish = pos;
            left.erase(left.begin() + static_cast<std::ptrdiff_t>(pick));
        }
        int plus = 0, minus = 0;
        for (const Entry& e : runners) (e.rCode == 1 ? plus : minus) += e.rCode != 0;

        // The records.
        const std::string meeting =
            Num(1 + weekend / 4 % 5, 2) + Num(1 + weekend % 4 * 2 + sunday, 2);
        std::string out;
        for (const Entry& e : runners) {
            Horse& h = horses_[static_cast<std::size_t>(e.horse)];
            std::string b(kAnalysisRunLength, ' ');
            SetField(b, 1, 2, Num(field, 2));
            SetField(b, 3, 2, venue);
            SetField(b, 5, 2, track);
            SetField(b, 7, 4, Num(distance, 4));
            SetField(b, 11, 2, type);
            SetField(b, 13, 3, condition);
            SetField(b, 16, 1, grade);
            SetField(b, 17, 2, Num(level, 2));
            SetField(b, 19, 2, Num(e.rOrder, 2));
            SetField(b, 21, 2, Num(e.pop, 2));
            SetField(b, 23, 2, Num(e.finish, 2));
            SetField(b, 25, 4, Num(e.winOdds, 4));
            SetField(b, 29, 1, std::to_string(e.rCode));
            SetField(b, 30, 2, Num(e.mark, 2));
            std::uint64_t mix = rng_.Next();
            SetField(b, 32, 1, std::to_string(1 + mix % 4));
            for (std::size_t f = 0; f < 5; ++f)
                SetField(b, 33 + f, 1, ((mix >> (3 + 2 * f)) & 3) == 0 ? "1" : "0");
            SetField(b, 38, 1, std::to_string(1 + (mix >> 13) % 3));
            SetField(b, 39, 1, ((mix >> 15) & 3) == 0 ? "1" : "0");
            char rate[64];
            std::snprintf(rate, sizeof rate, "%5.3f",
                          static_cast<double>((mix >> 17) % 600) / 1000.0);
            SetField(b, 40, 5, rate);
            std::snprintf(rate, sizeof rate, "%5.3f",
                          static_cast<double>((mix >> 27) % 400) / 1000.0);
            SetField(b, 45, 5, rate);
            SetField(b, 50, 1, std::string(1, "SABCD"[(mix >> 37) % 5]));
            SetField(b, 51, 1, std::string(1, "SABCD"[(mix >> 41) % 5]));
            SetField(b, 52, 1, ((mix >> 45) & 7) == 0 ? "1" : "0");
            SetField(b, 53, 3, Right(static_cast<std::int64_t>((mix >> 48) % 41) - 20, 3));

            std::string rec(kAnalysisLength, ' ');
            SetField(rec, 1, 2, Num(v * 12 + number - 1, 2));
            SetField(rec, 3, 2, Num(e.number, 2));
            SetField(rec, 5, 1, std::to_string(e.bracket));
            SetField(rec, 6, 8, date8);
            SetField(rec, 14, 2, venue);
            SetField(rec, 16, 4, meeting);
            SetField(rec, 20, 2, Num(number, 2));
            SetField(rec, 32, 18, keiba::FitBytes(h.name, 18));
            const int placeTenths = std::max(11, e.winOdds / 3);
            SetField(rec, 138, 9, Num(e.finish == 1 ? e.winOdds * 10 : 0, 9));
            SetField(rec, 147, 9, Num(e.finish <= 3 ? placeTenths * 10 : 0, 9));
            // Now and then a runner that was withdrawn: the searches pass it over.
            SetField(rec, 156, 1, (mix >> 52) % 150 == 0 ? "0" : "1");
            static const char* kRakuGen[] = {"楽", "厳", "  "};
            SetField(rec, 177, 4, keiba::PadRightBytes(Sj(kRakuGen[(mix >> 60) % 3]), 4));
            SetField(rec, 181, 2, Num(plus, 2));
            SetField(rec, 183, 2, Num(minus, 2));
            for (std::size_t k = 0; k < h.past.size(); ++k)
                SetField(rec, 185 + 14 * k, 14, h.past[k]);
            SetField(rec, 227, kAnalysisRunLength, b);
            if (!h.lastBlock.empty()) SetField(rec, 302, kAnalysisRunLength, h.lastBlock);
            SetField(rec, 377, 2, "\r\n");
            out += rec;

            h.lastBlock = b;
            h.past.insert(h.past.begin(), date8 + venue + Num(number, 2) + std::to_string(level) +
                                              std::to_string(e.rCode));
            if (h.past.size() > 3) h.past.pop_back();
        }
        return out;
    }

    fs::path folder_;
    std::chrono::year_month_day end_;
    Rng rng_;
    std::vector<Horse> horses_;
};

int Sample::Run() {
    MakePeople();
    MakeHorses();
    MakeDays();
    // A few runners of each sample day keep only an older horse-master file.
    for (std::size_t d = days_.size() - 3; d < days_.size() - 1; ++d)
        for (int k = 0; k < 2; ++k)
            horses_[static_cast<std::size_t>(
                        days_[d].races[0].runners[static_cast<std::size_t>(k)].horse)]
                .umaOnly = true;
    for (const Day& d : days_) {
        for (const Race& r : d.races) {
            if (!r.finished) continue;
            for (const Runner& u : r.runners) {
                Person& j = jockeys_[static_cast<std::size_t>(u.jockey)];
                ++j.rides;
                j.wins += u.finish == 1;
                static const int kShare[5] = {100, 40, 25, 15, 10};
                if (u.finish <= 5)
                    horses_[static_cast<std::size_t>(u.horse)].prize +=
                        r.prize1 * kShare[u.finish - 1] / 100;
            }
        }
    }
    WriteDays();
    // The .ruma hand input of the first sample day: the races' R level and a few R horses.
    const Day& d1 = days_[days_.size() - 3];
    std::string ruma;
    for (const Race& r : d1.races) {
        std::string marks(18, ' ');
        for (const Runner& u : r.runners)
            if (u.rCode)
                marks[static_cast<std::size_t>(u.number - 1)] = static_cast<char>('0' + u.rCode);
        ruma +=
            r.key.substr(0, 10) + r.key.substr(14, 2) + std::to_string(r.rLevel) + marks + "\r\n";
    }
    Write(folder_ / "Data" / keiba::Utf8Path(DayStem(d1.ymd) + ".ruma"), ruma);
    for (const Day& d : days_) {
        if (d.full)
            WriteMembers(d);
        else if (d.results)
            WriteAnalysis(d);
    }
    if (!History(folder_, days_.front().ymd).Write()) ok_ = false;
    WriteJockeys();
    WriteFeed();
    for (const char* sub : {"kaime", "CSV", "UMA", "nerai"}) {
        std::error_code ec;
        fs::create_directories(folder_ / sub, ec);
    }
    return ok_ ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    // The folder is made, with any folder above it that is missing.
    if (auto status = devtools::CheckPlainArguments(argc, argv, 1, "<program folder>"))
        return *status;
    // Thousands of files would each fail on their own.
    const fs::path folder = keiba::Utf8Path(argv[1]);
    if (!devtools::Usable({{folder, devtools::PathUse::WriteFolder}})) return 2;
    // A lost sample is made again: its thousands of files need not wait for the disk.
    keiba::SetWritesSynced(false);
    return Sample(folder).Run();
}
