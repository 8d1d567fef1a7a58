#include "jvdata/fetchschedule.h"

#include "jvdata/dayfiles.h"
#include "keiba/formatters.h"
#include "keiba/sjis.h"

#include <chrono>
#include <cstdio>

namespace jvdata {
namespace {

using namespace std::chrono;

std::string Trimmed(std::string_view s) {
    return std::string(keiba::TrimBlanks(s));
}

year_month_day DayOf(keiba::LocalTime t) {
    return year_month_day{floor<days>(t)};
}

} // namespace

LoadedDay ClassifyLoadedDay(keiba::LocalTime now, std::string_view dayStem) {
    std::string text = Trimmed(dayStem);
    if (text.empty()) return LoadedDay::None;
    if (text == DayStem(DayOf(now))) return LoadedDay::Today;
    if (text == DayStem(DayOf(now + days{1}))) return LoadedDay::Tomorrow;
    return LoadedDay::Other;
}

bool FetchDayArmed(keiba::LocalTime now, std::string_view dayStem) {
    LoadedDay d = ClassifyLoadedDay(now, dayStem);
    return d == LoadedDay::Today || (d == LoadedDay::Tomorrow && keiba::Hhnn(now) >= "1800");
}

bool OddsFresh(const TJvO1& o1, const TRaceCalc& calc) {
    if (o1.RaceNumber() <= 0) return false;
    if (o1.AnnounceMonthDay() != o1.MonthDay()) return false;
    std::string announced = std::string(o1.AnnounceHour()) + std::string(o1.AnnounceMinute());
    return keiba::AddMinutesHHMM(announced, 5) >= Trimmed(calc.OzTime1);
}

std::vector<std::string> DueOddsRaces(keiba::LocalTime now, std::string_view dayStem,
                                      const DayRaces& races, const DayOddsO1& odds,
                                      const DayCalcs& calcs) {
    std::vector<std::string> due;
    std::string hhmm = keiba::Hhnn(now);
    if (Trimmed(dayStem).empty() || hhmm < "0900" || hhmm > "1800") return due;
    if (!FetchDayArmed(now, dayStem)) return due;
    for (std::size_t r = 0; r < kMaxRaces; ++r) {
        const TRaceCalc& c = calcs[r];
        if (OddsFresh(odds[r], c)) continue;
        if (hhmm == Trimmed(c.OzTime1) || hhmm == Trimmed(c.OzTime2))
            due.push_back(std::string(races[r].KeyText()) +
                          keiba::FormatInt(static_cast<std::int64_t>(r), 2));
    }
    return due;
}

bool ResultsTimerDue(keiba::LocalTime now, const TJvRA& firstRace, int autoRdataMinutes) {
    std::string hhnn = keiba::Hhnn(now);
    if (hhnn > "1800" || hhnn < "0800") return false;
    std::string start = keiba::AddMinutesHHMM(firstRace.PostTime(), -(autoRdataMinutes + 30));
    return hhnn > start;
}

std::string RestTimeText(keiba::LocalTime now, const TJvRA* shownRace) {
    if (!shownRace) return {};
    std::optional<year_month_day> date = ParseYyyymmdd(shownRace->RaceDate());
    std::string_view post = shownRace->PostTime();
    if (!date || !IsAsciiDigits(post)) return {};
    int hh = static_cast<int>(keiba::DigitValue(post.substr(0, 2)));
    int mm = static_cast<int>(keiba::DigitValue(post.substr(2, 2)));
    if (hh > 23 || mm > 59) return {};
    keiba::LocalTime start = local_days{*date} + hours{hh} + minutes{mm};
    if (start <= now) return "発走済み";
    auto left = duration_cast<seconds>(start - now).count();
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02lld:%02lld:%02lld",
                  static_cast<long long>((left / 3600) % 24),
                  static_cast<long long>((left / 60) % 60), static_cast<long long>(left % 60));
    return std::string("発走までの残り時間：") + buf;
}

std::string ClockText(keiba::LocalTime now) {
    keiba::DateTimeParts p = keiba::Parts(now);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%02d時%02d分%02d秒", p.hour, p.minute, p.second);
    return buf;
}

AutoOddsVerdict CheckAutoOdds(keiba::LocalTime now, std::string_view dayStem, const DayRaces& races,
                              const DayRunners& runners) {
    LoadedDay d = ClassifyLoadedDay(now, dayStem);
    if (d == LoadedDay::None) return {false, "ﾃﾞｰﾀを読み込んでください。"};
    if (d == LoadedDay::Tomorrow && keiba::Hhnn(now) < "1800")
        return {false, "翌日のﾃﾞｰﾀは１８時過ぎに読み込んでください。"};
    if (d == LoadedDay::Other) return {false, "本日のﾃﾞｰﾀを読み込んでください。"};
    bool early = false;
    for (std::size_t r = 0; r < kMaxRaces && !early; ++r) {
        early = races[r].DataKind() == "1";
        for (const TJvSE& se : runners[r]) early = early || se.DataKind() == "1";
    }
    if (early)
        return {false, "出走表データが最新でありません。JVデータ取得ボタンよりデータを取得してから"
                       "オッズを取得してください。"};
    return {};
}

int NextRaceIndex(keiba::LocalTime now, const DayRaces& races, int listCount) {
    if (listCount <= 0 || keiba::Yyyymmdd(now) != races[0].RaceDate()) return -1;
    std::string hhnn = keiba::Hhnn(now);
    std::int64_t nowValue = keiba::DigitValue(hhnn);
    int best = -1;
    std::int64_t bestDiff = 0;
    int n = std::min(listCount, kMaxRaces);
    for (int i = 0; i < n; ++i) {
        std::string_view post = races[static_cast<std::size_t>(i)].PostTime();
        if (!(std::string(post) > hhnn)) continue;
        std::int64_t diff = keiba::DigitValue(post) - nowValue;
        if (best < 0 || diff < bestDiff) {
            best = i;
            bestDiff = diff;
        }
    }
    return best;
}

} // namespace jvdata
