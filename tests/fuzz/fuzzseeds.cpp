// fuzz_seeds <folder>: writes real-shaped seed inputs of every fuzz target, and damaged ones,
// into <folder>/<target>/ (records, dayfiles, odds, analysis, dayload, inigt, nerai). The
// committed corpora started from these seeds; see CMakeLists.txt for the fuzzing itself.

#include "jvdata/dayfiles.h"
#include "keiba/sjis.h"
#include "search/nerairecord.h"
#include "tests/fuzz/fuzzsupport.h"
#include "tests/jvdata/recordmaker.h"

#include <functional>

namespace {

namespace fs = std::filesystem;
using jvdata::SetField;
using keiba::Sj;
using testsupport::MakeRecord;
using testsupport::RaceKey16;

std::string Two(int n) {
    return (n < 10 ? "0" : "") + std::to_string(n);
}

std::string Digits(long long n, int width) {
    std::string s = std::to_string(n);
    return std::string(static_cast<std::size_t>(std::max(0, width - static_cast<int>(s.size()))),
                       '0') +
           s;
}

std::string Ra(std::string_view date8, std::string_view venue, int race, int runners,
               std::string_view post = "1540") {
    std::string r = MakeRecord("RA", RaceKey16(date8, venue, race));
    SetField(r, 33, 60, Sj("ジャパン記念"));
    SetField(r, 698, 4, "2400");
    SetField(r, 706, 2, "17");
    SetField(r, 874, 4, post);
    SetField(r, 882, 2, Two(runners));
    return r;
}

std::string Se(std::string_view date8, std::string_view venue, int race, int horse,
               std::string_view id, std::string_view name = "ケストレル") {
    std::string r = testsupport::MakeRunner(RaceKey16(date8, venue, race), horse, id);
    SetField(r, 26, 2, Two(race));
    SetField(r, 41, 36, Sj(name));
    SetField(r, 289, 3, "570");
    SetField(r, 333, 2, Two(horse));
    SetField(r, 335, 2, Two(horse));
    SetField(r, 360, 4, "0035");
    return r;
}

std::string Hr(std::string_view date8, std::string_view venue, int race) {
    std::string r = MakeRecord("HR", RaceKey16(date8, venue, race));
    SetField(r, 103, 13, "03000000350 1");
    for (int j = 0; j < 3; ++j)
        SetField(r, 142 + 13 * static_cast<std::size_t>(j), 13,
                 Two(3 + j) + "00000012" + std::to_string(j) + " " + std::to_string(j + 1));
    SetField(r, 207, 13, "24000000870 3");
    SetField(r, 246, 16, "0305000001230  4");
    SetField(r, 294, 16, "0305000000450  2");
    SetField(r, 454, 16, "0503000002340  6");
    SetField(r, 550, 18, "030507000004560 12");
    SetField(r, 604, 19, "0503070000234500 101");
    return r;
}

std::string Odds(int kind, std::string_view date8, std::string_view venue, int race, int runners) {
    std::string r = MakeRecord("O" + std::to_string(kind), RaceKey16(date8, venue, race), '4');
    SetField(r, 28, 8, std::string(date8.substr(4, 4)) + "1530");
    if (kind == 1) {
        for (int h = 1; h <= runners; ++h) {
            std::size_t w = 44 + 8 * static_cast<std::size_t>(h - 1);
            SetField(r, w, 8, Two(h) + Digits(20 + 13 * h, 4) + Two(h));
            std::size_t p = 268 + 12 * static_cast<std::size_t>(h - 1);
            SetField(r, p, 12, Two(h) + Digits(11 + h, 4) + Digits(15 + 2 * h, 4) + Two(h));
        }
        SetField(r, 44 + 8 * static_cast<std::size_t>(runners), 8, "  ----  ");
        return r;
    }
    struct Layout {
        std::size_t first, stride, comb, odds, pop;
    };
    static constexpr Layout kLayouts[] = {{41, 13, 4, 6, 3},
                                          {41, 17, 4, 10, 3},
                                          {41, 13, 4, 6, 3},
                                          {41, 15, 6, 6, 3},
                                          {41, 17, 6, 7, 4}};
    const Layout& l = kLayouts[kind - 2];
    for (int k = 0; k < 6; ++k) {
        std::size_t at = l.first + l.stride * static_cast<std::size_t>(k);
        std::string comb = l.comb == 4 ? "01" + Two(k + 2) : "0102" + Two(k + 3);
        SetField(r, at, l.comb, comb);
        // The wide odds are a low and a high bound of five digits each.
        std::string odds = l.odds == 10 ? Digits(100 + 37 * k, 5) + Digits(140 + 37 * k, 5)
                                        : Digits(100 + 37 * k, static_cast<int>(l.odds));
        SetField(r, at + l.comb, l.odds, k == 4 ? std::string(l.odds, '*') : odds);
        SetField(r, at + l.comb + l.odds, l.pop, Digits(k + 1, static_cast<int>(l.pop)));
    }
    return r;
}

std::string Um(std::string_view id, std::string_view name) {
    std::string r(jvdata::kUmLength, ' ');
    SetField(r, 1, 11, "UM120261201");
    SetField(r, 12, 10, id);
    SetField(r, 47, 36, Sj(name));
    r.replace(r.size() - 2, 2, "\r\n");
    return r;
}

std::string Uma(std::string_view id, std::string_view name) {
    std::string r(jvdata::kUmaLength, ' ');
    SetField(r, 1, 11, "UM120201201");
    SetField(r, 12, 10, id);
    SetField(r, 47, 36, Sj(name));
    r.replace(r.size() - 2, 2, "\r\n");
    return r;
}

std::string Analysis(int slot, int horse, std::string_view date8, std::string_view pastDate) {
    std::string r(jvdata::kAnalysisLength, ' ');
    SetField(r, 1, 2, Two(slot));
    SetField(r, 3, 2, Two(horse));
    SetField(r, 6, 8, date8);
    SetField(r, 14, 2, "05");
    SetField(r, 20, 2, "11");
    SetField(r, 32, 18, Sj("ケストレル"));
    SetField(r, 177, 4, Sj("楽"));
    SetField(r, 181, 4, "0301");
    SetField(r, 185, 14, std::string(pastDate) + "0511" + "62");
    SetField(r, 226 + 17, 2, "06");
    SetField(r, 226 + 19, 2, "03");
    SetField(r, 226 + 29, 1, horse % 2 ? "1" : "2");
    SetField(r, 226 + 30, 2, Two(horse % 6));
    SetField(r, 226 + 32, 8, "21011213");
    SetField(r, 226 + 40, 10, " 23.5 12.0");
    SetField(r, 226 + 50, 6, "SA 123");
    return r;
}

// A runner file cut after its last runner: the readers take the missing slots as empty, and
// the seeds stay small.
std::string Runners(const std::vector<std::string>& ses) {
    std::string bytes;
    for (const std::string& se : ses) {
        int race = static_cast<int>(jvdata::FieldNumber(se, 26, 2));
        int horse = static_cast<int>(jvdata::FieldNumber(se, 29, 2));
        bytes = jvdata::PutRunnerSlot(bytes, std::string_view(se).substr(0, se.size() - 2),
                                      jvdata::RunnerSlot(race, horse));
    }
    std::size_t end = bytes.find_last_not_of(" \r\n");
    return end == std::string::npos ? std::string() : bytes.substr(0, end + 3);
}

std::string Cat(const std::vector<std::string>& parts) {
    std::string out;
    for (const auto& p : parts) out += p;
    return out;
}

class Writer {
public:
    explicit Writer(fs::path root)
        : root_(std::move(root)) {}
    void operator()(std::string_view target, std::string_view name, std::string_view bytes) {
        fuzz::PutFile(root_ / target / name, bytes);
        ++count_;
    }
    int Count() const { return count_; }

private:
    fs::path root_;
    int count_ = 0;
};

constexpr std::string_view kDate = "20261128";
constexpr std::string_view kPast = "20261121";
constexpr std::string_view kHorse = "2019100001";

void Records(Writer& w) {
    std::string ra = Ra(kDate, "05", 11, 16);
    w("records", "ra", ra);
    w("records", "se", Se(kDate, "05", 11, 3, kHorse));
    w("records", "hr", Hr(kDate, "05", 11));
    w("records", "um", Um(kHorse, "ケストレル"));
    w("records", "o1", Odds(1, kDate, "05", 11, 16));
    w("records", "dm", MakeRecord("DM", RaceKey16(kDate, "05", 11)));
    w("records", "rc", MakeRecord("RC", RaceKey16(kDate, "05", 11)));
    w("records", "analysis", Analysis(0, 1, kDate, kPast));
    w("records", "three_races", Cat({ra, Ra(kDate, "05", 12, 14), Ra(kDate, "06", 1, 9)}));
    w("records", "truncated_ra", ra.substr(0, 700));
    std::string lf = ra;
    lf[40] = '\n';
    w("records", "line_break_inside", lf);
    w("records", "no_crlf", ra.substr(0, ra.size() - 2) + "  ");
    w("records", "unknown_id", "ZZ" + ra.substr(2));
    w("records", "lowercase_id", "ra" + ra.substr(2));
    std::string badDate = ra;
    SetField(badDate, 12, 8, "20260230");
    w("records", "not_a_day", badDate);
    w("records", "leap_day", Ra("20280229", "05", 1, 8));
}

void DayFiles(Writer& w) {
    using fuzz::Join;
    std::string ra1 = Ra(kDate, "05", 1, 12), ra2 = Ra(kDate, "05", 2, 10);
    std::string se1 = Se(kDate, "05", 1, 1, kHorse), se2 = Se(kDate, "05", 1, 2, "2019100002");
    auto line = [](std::string rec) {
        jvdata::ZeroHead(rec);
        return rec;
    };
    w("dayfiles", "new_files",
      Join({"", ra1, ra2, Hr(kDate, "05", 1), Odds(1, kDate, "05", 1, 12), se1, se2,
            Um(kHorse, "ケストレル")}));
    w("dayfiles", "same_race_again", Join({Cat({line(ra1), line(ra2)}), ra1}));
    w("dayfiles", "runner_file", Join({Runners({se1, Se(kDate, "05", 2, 5, "2019100003")}), se2}));
    w("dayfiles", "short_and_empty_lines",
      Join({"\r\n" + line(ra1).substr(0, 30) + "\r\n\r\n" + line(ra2), ra1, ra2}));
    w("dayfiles", "truncated_runner_file", Join({Runners({se1}).substr(0, 1210), se2, se1}));
    std::string badDate = ra1, badVenue = se1, badId = se1, race13 = se1, horse19 = se1;
    SetField(badDate, 12, 8, "20261332");
    SetField(badVenue, 20, 2, "C4");
    SetField(badId, 31, 10, "../../etc1");
    SetField(race13, 26, 2, "13");
    SetField(horse19, 29, 2, "19");
    std::string lastSlot = Se(kDate, "05", 12, 18, kHorse);
    w("dayfiles", "refused_records",
      Join({"", badDate, badVenue, badId, race13, horse19, lastSlot}));
    std::string lower = line(ra1);
    SetField(lower, 33, 4, "abcd");
    w("dayfiles", "letter_case_order", Join({lower + "\r\n" + line(ra2) + "\r\n", ra2, ra1}));
    w("dayfiles", "odds_kinds",
      Join({"", Odds(2, kDate, "05", 1, 12), Odds(3, kDate, "05", 1, 12),
            Odds(4, kDate, "05", 1, 12), Odds(1, kDate, "05", 2, 12), Odds(1, kDate, "05", 3, 12),
            MakeRecord("DM", RaceKey16(kDate, "05", 1))}));
    std::string kindA = ra1;
    kindA[2] = 'A';
    // Regression: a line shorter than the race key's position threw from the line upsert.
    w("dayfiles", "regress_short_line_upsert", Join({line(ra1), "RA7short"}));
    w("dayfiles", "import_filters",
      Join({"", kindA, Odds(1, kDate, "05", 1, 12), "LAST20261128153000"}));
}

void OddsSeeds(Writer& w) {
    using fuzz::Join;
    std::string race = Ra(kDate, "05", 11, 8, "1540");
    auto file = [&](int kind) {
        return Cat({Odds(kind, kDate, "05", 10, 8), Odds(kind, kDate, "05", 11, 8),
                    Odds(kind, kDate, "06", 11, 8)});
    };
    std::string hr = Cat({Hr(kDate, "05", 10), Hr(kDate, "05", 11)});
    auto snap = [&](std::string_view hhmm) {
        std::string r = Odds(1, kDate, "05", 11, 8);
        SetField(r, 28, 8, std::string(kDate.substr(4, 4)) + std::string(hhmm));
        return r.substr(0, r.size() - 2);
    };
    std::string snapshots = snap("1510") + "\r\n" + snap("1529") + "\r\n" + snap("1531") + "\n";
    w("odds", "full_day",
      Join({race, file(1), file(2), file(3), file(4), file(5), "", hr, snapshots, "1530", "\x00"}));
    w("odds", "win_only", Join({race, file(1)}));
    w("odds", "no_files", race);
    std::string markers = Odds(1, kDate, "05", 11, 8);
    SetField(markers, 46, 4, "----");
    SetField(markers, 54, 4, "****");
    SetField(markers, 62, 4, "    ");
    SetField(markers, 70, 4, "12a4");
    SetField(markers, 270, 4, "    ");
    w("odds", "markers_and_damage", Join({race, markers + "garbage"}));
    std::string blankNo = race;
    SetField(blankNo, 26, 2, "  ");
    w("odds", "race_without_number", Join({blankNo, file(1)}));
    w("odds", "truncated_files", Join({race, file(1).substr(0, 1500), file(2).substr(0, 100)}));
    w("odds", "sanrentan", Join({race, "", "", "", "", "", Odds(6, kDate, "05", 11, 8)}));
    w("odds", "snapshot_of_quinella",
      Join({race, "", file(2), "", "", "", "", "",
            [&] {
                std::string r = Odds(2, kDate, "05", 11, 8);
                return r.substr(0, r.size() - 2);
            }(),
            " 1530 ", "\x01"}));
    w("odds", "payouts_only", Join({race, "", "", "", "", "", "", hr + hr.substr(0, 300)}));
}

void AnalysisSeeds(Writer& w) {
    using fuzz::Join;
    std::string races;
    for (int r = 1; r <= 3; ++r) races += RaceKey16(kDate, "05", 10 + r) + Two(4 + r);
    std::string vzkd;
    for (int s = 0; s < 3; ++s)
        for (int h = 1; h <= 4 + s; ++h) vzkd += Analysis(s, h, kDate, kPast);
    std::string csv = Sj(RaceKey16(kDate, "05", 11) + ",\"先行有利の馬場\r\n二行目\r\n\"\r\n" +
                         RaceKey16(kDate, "05", 12) + ",\"一行\"\r\n\"\r\n");
    std::string ruma = RaceKey16(kDate, "05", 11).substr(0, 10) + "11" + "5" + "12012\r\n" +
                       RaceKey16(kDate, "05", 12).substr(0, 10) + "12" + "3" + "2\r\n";
    std::string past;
    for (int i = 0; i < 3 * 18 * 3; ++i) past += i % 3 == 0 ? std::string(kPast) : "        ";
    w("analysis", "day", Join({races, vzkd, csv, ruma, past}));
    w("analysis", "records_only", Join({races, vzkd}));
    // The edges of the slots and runners, on both sides: a fuzzer keeps only one of the inputs
    // that take the same branch, so the seeds carry the boundaries.
    std::string bad = Analysis(40, 1, kDate, kPast) + Analysis(0, 0, kDate, kPast) +
                      Analysis(0, 19, kDate, kPast) + "a1" +
                      Analysis(1, 1, kDate, kPast).substr(2) + Analysis(36, 1, kDate, kPast) +
                      Analysis(35, 18, kDate, kPast) + Analysis(35, 1, kDate, kPast);
    w("analysis", "out_of_range_records", Join({races, bad + vzkd.substr(0, 100)}));
    w("analysis", "unclosed_comment",
      Join({races, "",
            Sj(RaceKey16(kDate, "05", 13) + ",\"閉じない\r\n続き\r\n" + RaceKey16(kDate, "05", 11) +
               ",\"中\r\n")}));
    // Regression: every unclosed comment was gathered to the end of the file, in quadratic time.
    std::string unclosed;
    for (int i = 0; i < 3000; ++i) unclosed += RaceKey16(kDate, "05", 11) + ",\"x\r\n";
    w("analysis", "regress_unclosed_comments", Join({races, "", unclosed + "\"\r\n"}));
    w("analysis", "short_ruma_lines", Join({races, "", "", "2026112805\r\n\r\n" + ruma + "x"}));
    w("analysis", "field_sizes",
      Join({RaceKey16(kDate, "05", 1) + "99" + RaceKey16(kDate, "05", 4) + "18" +
                RaceKey16(kDate, "05", 5) + "19" + RaceKey16(kDate, "05", 2) + "-1" +
                RaceKey16(kDate, "05", 3) + "  ",
            vzkd}));
}

void DayLoadSeeds(Writer& w) {
    using fuzz::Join;
    std::vector<std::string> ra = {Ra(kDate, "05", 1, 3, "1000"), Ra(kDate, "05", 2, 2, "1030"),
                                   Ra(kDate, "06", 1, 2, "1005")};
    std::string raFile = Cat(ra);
    std::string tokyo =
        Runners({Se(kDate, "05", 1, 1, kHorse), Se(kDate, "05", 1, 2, "2019100002"),
                 Se(kDate, "05", 1, 3, "2019100003"), Se(kDate, "05", 2, 1, "2019100004"),
                 Se(kDate, "05", 2, 2, "2019100005")});
    std::string nakayama =
        Runners({Se(kDate, "06", 1, 1, "2019100006"), Se(kDate, "06", 1, 2, kHorse)});
    std::string hr = Cat({Hr(kDate, "05", 1), Hr(kDate, "06", 1)});
    auto odds = [&](int kind) {
        return Cat({Odds(kind, kDate, "05", 1, 3), Odds(kind, kDate, "05", 2, 2),
                    Odds(kind, kDate, "06", 1, 2)});
    };
    std::string sei = Cat({Se("20261024", "05", 5, 4, kHorse), Se(kPast, "05", 3, 7, kHorse),
                           Se(kDate, "05", 1, 1, kHorse)});
    std::string uma = Uma(kHorse, "ケストレル");
    std::string vzkd;
    for (int h = 1; h <= 3; ++h) vzkd += Analysis(0, h, kDate, kPast);
    std::string csv = Sj(RaceKey16(kDate, "05", 1) + ",\"コメント\r\n\"\r\n");
    std::string ruma = RaceKey16(kDate, "05", 1).substr(0, 10) + "01" + "5" + "120\r\n";
    std::string ini =
        "[Time]\r\nAutoOzGet=12\r\nAutoRdataGet=7\r\n[KaimeSet]\r\nDefaultAmount=500\r\n";
    std::string pastRa = Cat({Ra(kPast, "05", 3, 12), Ra(kPast, "06", 3, 10)});
    std::vector<std::string> full = {raFile,  tokyo,   hr,   odds(1), odds(2), odds(3),
                                     odds(4), odds(5), "",   sei,     "",      uma,
                                     vzkd,    csv,     ruma, ini,     pastRa,  nakayama};
    w("dayload", "full_day", Join(full));
    w("dayload", "races_only", raFile);
    w("dayload", "empty_race_file", "");
    std::vector<std::string> damaged = full;
    damaged[0] = raFile.substr(0, raFile.size() - 100);
    damaged[1] = tokyo.substr(0, 2000);
    damaged[2] = hr.substr(0, 800);
    damaged[3] = odds(1).substr(0, 1000);
    damaged[9] = sei.substr(0, 600);
    damaged[11] = uma.substr(0, 900);
    damaged[15] = "[Time\r\nAutoOzGet=x\r\n";
    w("dayload", "damaged_files", Join(damaged));
    std::vector<std::string> withMaster = full;
    withMaster[10] = Um(kHorse, "ケストレル");
    withMaster[11] = "";
    w("dayload", "horse_master", Join(withMaster));
    std::vector<std::string> hostile = full;
    std::string badRa = ra[0];
    SetField(badRa, 882, 2, "99");
    SetField(badRa, 26, 2, "13");
    std::string badRunner = Se(kDate, "05", 1, 1, "../../etc1");
    hostile[0] = Cat({badRa, ra[1], Ra("20261332", "C4", 1, 18)});
    hostile[1] = Runners({badRunner});
    w("dayload", "hostile_fields", Join(hostile));
    // Regression: the results re-read gave a payout record without a race key to an empty slot.
    std::string blankKey = MakeRecord("HR", std::string(16, ' '));
    SetField(blankKey, 142, 13, "0300000012001");
    w("dayload", "regress_payout_without_race_key", Join({raFile, "", blankKey + hr}));
}

void IniSeeds(Writer& w) {
    using fuzz::Join;
    std::string ini = "; comment\r\n[locate]\r\ntop=1\r\nleft=2\r\ngarbage line\r\n\r\n"
                      "[Time]\r\nFirst=0930\r\nAutoOzGet= 15 \r\n";
    w("inigt", "settings", Join({ini, "locate", "left", "20"}));
    w("inigt", "new_section", Join({ini, "Dir", "kaime", "/home/u/kaime"}));
    w("inigt", "new_key", Join({ini, "Time", "Second", "1030"}));
    w("inigt", "lf_only", Join({"[a]\nk=1\n\n[b]\nk=2", "b", "K", "3"}));
    w("inigt", "duplicate_sections",
      Join({"[A]\r\nx=1\r\n[B]\r\n[A]\r\nk=old\r\n", "a", "k", "new"}));
    w("inigt", "quoted_values",
      Join({Sj("[Dir]\r\nq=\"abc\"\r\nc=｢ abc ｣\r\none=\"\r\n"), "Dir", "q", Sj("\"x y\"")}));
    w("inigt", "cp932_value", Join({"", "Myfavo", "nerai1", Sj("本命狙い")}));
    w("inigt", "odd_lines",
      Join(
          {"k=before\r\n[]\r\n=v\r\n[x\r\n  [Sp ace]  \r\nk = v \r\n\r\n\r\n", "Sp", "k", " v2 "}));
    w("inigt", "lone_cr", Join({"[a]\rk=1\r\r\n[b]\r\n", "a", "k", "2"}));
    w("inigt", "line_break_value", Join({"[a]\r\nk=1\r\n", "a", "k", "two\r\nlines"}));
    w("inigt", "broken_cp932", Join({"[a]\r\nk=\x82\r\n", "a", "k", "\x82"}));
    // Saved by editors as Unicode: UTF-8 after its mark, UTF-16 in either order, with its mark
    // or without.
    w("inigt", "utf8_mark",
      Join({"\xEF\xBB\xBF[JvDataGet]\r\nLastTime=2026/11/29 18:00:00\r\n[Dir]\r\nk=馬券\r\n",
            "JvDataGet", "LastTime", "2026/12/05 18:00:00"}));
    auto utf16 = [](std::string_view mark, std::string_view ascii, bool bigEndian) {
        std::string out(mark);
        for (char c : ascii) out += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
        return out;
    };
    w("inigt", "utf16_mark",
      Join({utf16("\xFF\xFE", "[locate]\r\ntop=40\r\n", false), "locate", "top", "50"}));
    w("inigt", "utf16_big_endian",
      Join({utf16("\xFE\xFF", "[locate]\r\ntop=40\r\n", true), "locate", "top", "40"}));
    w("inigt", "utf16_unmarked",
      Join({utf16("", "[locate]\r\ntop=40\r\n", false), "locate", "left", "5"}));
}

void NeraiSeeds(Writer& w) {
    using fuzz::Join;
    using namespace search;
    TNeraiRecord fresh = *EncodeNerai(InitialNeraiValues()).record;
    std::string line(fresh.Bytes());
    w("nerai", "fresh_set", Join({line, "本命狙い"}));
    NeraiValues v = InitialNeraiValues();
    v[0][kBashoFlags].selected[4] = true;
    v[0][kYosoFlags].selected[0] = true;
    v[1][kTanOzMin].text = "2.5";
    v[1][kR5soTotalMin].number = -12;
    v[1][kChakujunMax].number = 3;
    w("nerai", "chosen_conditions", Join({std::string(EncodeNerai(v).record->Bytes()), "set 2"}));
    auto put = [&](std::string s, int half, NeraiFieldId id, std::string_view chars) {
        SetField(s, NeraiOffset(half, id) + 1, NeraiFieldOf(id).width, chars);
        return s;
    };
    w("nerai", "damaged_fields",
      Join({put(put(put(put(line, 0, kTanNinMin, " 0"), 1, kTanOzMin, "     "), 1, kR5soTotalMin,
                    "  x "),
                1, kBashoFlags, "1 01000000"),
            "a/b"}));
    w("nerai", "number_forms",
      Join({put(put(put(line, 0, kTanOzMax, "  inf"), 0, kHiLvShorituMin, " -0.0"), 1,
                kLoLvShorituMin, "1e300"),
            ".."}));
    w("nerai", "short_file", Join({line.substr(0, 100), "\xE3\x81"}));
    // The line ended by an editor's LF or lone CR, or by nothing.
    const std::string body = line.substr(0, line.size() - 2);
    w("nerai", "lf_line", Join({body + "\n", "lf"}));
    w("nerai", "lone_cr_line", Join({body + "\r", "cr"}));
    w("nerai", "unended_line", Join({body, "none"}));
    w("nerai", "long_file", Join({line + line.substr(0, 84), " trimmed\t"}));
    w("nerai", "out_of_range",
      Join({put(put(line, 0, kTosuMin, "99"), 0, kKyoriMax, "9999"), "表"}));
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_seeds <folder>\n");
        return 2;
    }
    Writer w{fs::path(argv[1])};
    Records(w);
    DayFiles(w);
    OddsSeeds(w);
    AnalysisSeeds(w);
    DayLoadSeeds(w);
    IniSeeds(w);
    NeraiSeeds(w);
    std::printf("%d seeds written\n", w.Count());
    return 0;
}
