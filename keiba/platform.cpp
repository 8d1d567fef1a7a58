#include "keiba/platform.h"

#include <cstdio>
#include <ctime>

namespace keiba {

LocalTime SystemClock::Now() const {
    return SystemLocalNow();
}

LocalTime SystemLocalNow() {
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    return MakeLocalTime(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min,
                         tm.tm_sec);
}

LocalTime MakeLocalTime(int year, int month, int day, int hour, int minute, int second) {
    using namespace std::chrono;
    local_days d{std::chrono::year{year} / std::chrono::month{static_cast<unsigned>(month)} /
                 std::chrono::day{static_cast<unsigned>(day)}};
    return LocalTime{d} + hours{hour} + minutes{minute} + seconds{second};
}

DateTimeParts Parts(LocalTime t) {
    using namespace std::chrono;
    local_days d = floor<days>(t);
    year_month_day ymd{d};
    hh_mm_ss<seconds> hms{t - d};
    return {static_cast<int>(ymd.year()),
            static_cast<int>(unsigned(ymd.month())),
            static_cast<int>(unsigned(ymd.day())),
            static_cast<int>(hms.hours().count()),
            static_cast<int>(hms.minutes().count()),
            static_cast<int>(hms.seconds().count())};
}

std::string Yyyymmdd(LocalTime t) {
    DateTimeParts p = Parts(t);
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d%02d%02d", p.year % 10000, p.month, p.day);
    return buf;
}

std::string Hhnn(LocalTime t) {
    DateTimeParts p = Parts(t);
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02d%02d", p.hour, p.minute);
    return buf;
}

std::string HhnnssColon(LocalTime t) {
    DateTimeParts p = Parts(t);
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", p.hour, p.minute, p.second);
    return buf;
}

} // namespace keiba
