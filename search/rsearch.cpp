#include "search/rsearch.h"

#include "jvdata/records.h"
#include "keiba/sjis.h"
#include "search/flagitems.h"

#include <cmath>

namespace search {
namespace {

using jvdata::FieldPos;
using Run = jvdata::TAnalysisRun;
using rfields::At;
using rfields::Block;
using rfields::Int;
using rfields::Whole;
using namespace flagitems;

std::uint32_t FlagItem(std::string_view block, FieldPos f) {
    return Int(At(block, f)) == 1 ? Bit(1) : 0;
}

bool InRange(int value, int min, int max) {
    return min <= value && value <= max;
}

// The odds field in tenths: the digits as they stand, or the field read as a decimal number.
double OddsTenths(std::string_view f) {
    int v = 0;
    for (char c : f) {
        unsigned d = static_cast<unsigned>(c) - '0';
        if (d > 9) return NeraiDecimal(f);
        v = v * 10 + static_cast<int>(d);
    }
    return v;
}

// A rate field at least `min`. A field without a minus sign reads as 0 or more, which any
// minimum of 0 or less lets through unread.
bool RateAtLeast(std::string_view f, double min) {
    if (min <= 0) {
        std::size_t i = f.find_first_not_of(' ');
        if (i == std::string_view::npos || f[i] != '-') return true;
    }
    return NeraiDecimal(f) >= min;
}

// A list test: the record's items are looked at only when the list has a selection.
template <typename Items> bool Passes(const RListCondition& c, Items items) {
    return c.chosen == 0 || (c.chosen & items()) != 0;
}

std::uint32_t Chosen(const std::vector<bool>& selected) {
    std::uint32_t bits = 0;
    for (std::size_t k = 0; k < selected.size() && k < 32; ++k)
        if (selected[k]) bits |= Bit(static_cast<int>(k) + 1);
    return bits;
}

// A decimal edit's text as a number: a sign, digits and at most one point, with at least one
// digit (the edit keeps a typed point until more digits follow).
std::optional<double> DecimalText(std::string_view text) {
    std::string_view t = keiba::TrimBlanks(text);
    std::string plain;
    std::size_t i = 0;
    if (!t.empty() && (t[0] == '-' || t[0] == '+')) plain += t[i++];
    bool digit = false, point = false;
    for (; i < t.size(); ++i) {
        if (t[i] >= '0' && t[i] <= '9') {
            digit = true;
        } else if (t[i] == '.' && !point) {
            point = true;
            if (!digit) plain += '0';
        } else {
            return std::nullopt;
        }
        plain += t[i];
    }
    if (!digit) return std::nullopt;
    if (plain.ends_with('.')) plain.pop_back();
    return NeraiDecimal(plain);
}

} // namespace

RSearchConditions::Read RSearchConditions::FromValues(const NeraiValues& values) {
    // The encoder names an empty edit; a text that is there but no number is named here.
    NeraiEncoded encoded = EncodeNerai(values);
    if (!encoded.record) return {std::nullopt, encoded.message};
    RSearchConditions c;
    for (int half = 0; half < 2; ++half) {
        const NeraiHalfValues& v = values[static_cast<std::size_t>(half)];
        auto number = [&](NeraiFieldId id) { return v[static_cast<std::size_t>(id)].number; };
        auto list = [&](NeraiFieldId id) {
            return RListCondition{Chosen(v[static_cast<std::size_t>(id)].selected)};
        };
        std::optional<std::string> bad;
        auto decimal = [&](NeraiFieldId id) {
            std::optional<double> d = DecimalText(v[static_cast<std::size_t>(id)].text);
            if (!d && !bad)
                bad = std::string(NeraiHalfCaption(half)) + "の" +
                      std::string(NeraiFieldOf(id).caption) + "が数値ではありません。";
            return d.value_or(0);
        };
        Half& h = c.halves_[half];
        h.track = list(kTrackFlags);
        h.basho = list(kBashoFlags);
        h.age = list(kAgeFlags);
        h.klass = list(kClassFlags);
        h.rlevel = list(kRLevelFlags);
        h.ruma = list(kRUmaFlags);
        h.yoso = list(kYosoFlags);
        h.zogen = list(kZogenFlags);
        h.lvZokusei = list(kLvZokuseiFlags);
        h.josho = list(kJoshoFlag);
        h.senzai = list(kSenzaiFlag);
        h.kieken = list(kKiekenFlag);
        h.course = list(kCourseFlag);
        h.kyori = list(kKyoriFlag);
        h.hiLvKoso = list(kHiLvKosoFlag);
        h.hi1st = list(kHi1stFlag);
        h.ketto = list(kKettoFlags);
        h.kishu = list(kKishuFlags);
        h.tosuMin = number(kTosuMin);
        h.tosuMax = number(kTosuMax);
        h.kyoriMin = number(kKyoriMin);
        h.kyoriMax = number(kKyoriMax);
        h.ninMin = number(kTanNinMin);
        h.ninMax = number(kTanNinMax);
        h.ozMinTenths = std::llround(decimal(kTanOzMin) * 10);
        h.ozMaxTenths = std::llround(decimal(kTanOzMax) * 10);
        h.hiLvMin = decimal(kHiLvShorituMin);
        h.loLvMin = decimal(kLoLvShorituMin);
        h.r5soMin = number(kR5soTotalMin);
        h.hasFinish = half == 1;
        h.cjMin = number(kChakujunMin);
        h.cjMax = number(kChakujunMax);
        for (const RListCondition* l :
             {&h.track, &h.basho, &h.age, &h.klass, &h.rlevel, &h.ruma, &h.yoso, &h.zogen,
              &h.lvZokusei, &h.josho, &h.senzai, &h.kieken, &h.course, &h.kyori, &h.hiLvKoso,
              &h.hi1st, &h.ketto, &h.kishu})
            h.anyList = h.anyList || l->chosen != 0;
        if (bad) return {std::nullopt, *bad};
    }
    return {c, {}};
}

bool RSearchConditions::Matches(std::string_view rec) const {
    if (!Whole(rec)) return false;
    for (int half = 0; half < 2; ++half) {
        const Half& h = halves_[half];
        const std::string_view b = Block(rec, half);
        // Ranges first, cheapest first: every walk has them, and a narrow one turns most records
        // away before a list is looked at.
        if (!InRange(Int(At(b, Run::kFieldSize)), h.tosuMin, h.tosuMax) ||
            !InRange(Int(At(b, Run::kWinPopularity)), h.ninMin, h.ninMax))
            return false;
        const double odds = OddsTenths(At(b, Run::kWinOdds));
        if (odds < static_cast<double>(h.ozMinTenths) ||
            odds > static_cast<double>(h.ozMaxTenths) ||
            !InRange(Int(At(b, Run::kDistance)), h.kyoriMin, h.kyoriMax) ||
            (h.hasFinish && !InRange(Int(At(b, Run::kFinish)), h.cjMin, h.cjMax)) ||
            Int(At(b, Run::kPast5Total)) < h.r5soMin ||
            !RateAtLeast(At(b, Run::kHiLvRate), h.hiLvMin) ||
            !RateAtLeast(At(b, Run::kLoLvRate), h.loLvMin))
            return false;
        if (!h.anyList) continue;
        auto flag = [&](FieldPos f) { return [b, f] { return FlagItem(b, f); }; };
        if (!Passes(h.track, [b] { return TrackItems(Int(At(b, Run::kTrack))); }) ||
            !Passes(h.basho, [b] { return Numbered(Int(At(b, Run::kVenue)), 10); }) ||
            !Passes(h.age, [b] { return AgeItems(Int(At(b, Run::kRaceType))); }) ||
            !Passes(h.klass,
                    [b] { return ClassItems(Int(At(b, Run::kCondition)), At(b, Run::kGrade)); }) ||
            !Passes(h.rlevel, [b] { return Numbered(Int(At(b, Run::kRaceRLevel)), 7); }) ||
            !Passes(h.ruma, [b] { return RUmaItems(Int(At(b, Run::kRCode))); }) ||
            !Passes(h.yoso, [b] { return Numbered(Int(At(b, Run::kForecastMark)), 5); }) ||
            !Passes(h.zogen, [b] { return Numbered(Int(At(b, Run::kTrend)), 4); }) ||
            !Passes(h.josho, flag(Run::kJoshoFlag)) || !Passes(h.senzai, flag(Run::kSenzaiFlag)) ||
            !Passes(h.kieken, flag(Run::kKeikenFlag)) ||
            !Passes(h.course, flag(Run::kCourseFlag)) || !Passes(h.kyori, flag(Run::kKyoriFlag)) ||
            !Passes(h.lvZokusei, [b] { return Numbered(Int(At(b, Run::kLvAttribute)), 3); }) ||
            !Passes(h.hiLvKoso, flag(Run::kHiLvKosoFlag)) ||
            !Passes(h.hi1st, flag(Run::kFirstHighFlag)) ||
            !Passes(h.ketto, [b] { return RankItems(At(b, Run::kPedigreeRank)); }) ||
            !Passes(h.kishu, [b] { return RankItems(At(b, Run::kJockeyRank)); }))
            return false;
    }
    return true;
}

RStatsConditions::RStatsConditions(const std::vector<bool>& track, const std::vector<bool>& age,
                                   const std::vector<bool>& klass, const std::vector<bool>& ruma)
    : track_{Chosen(track)}
    , age_{Chosen(age)}
    , klass_{Chosen(klass)}
    , ruma_{Chosen(ruma)} {}

bool RStatsConditions::Matches(std::string_view rec) const {
    if (!Whole(rec)) return false;
    const std::string_view a = Block(rec, 0);
    return Passes(track_, [a] { return TrackItems(Int(At(a, Run::kTrack))); }) &&
           Passes(age_, [a] { return AgeItems(Int(At(a, Run::kRaceType))); }) &&
           Passes(klass_,
                  [a] { return ClassItems(Int(At(a, Run::kCondition)), At(a, Run::kGrade)); }) &&
           Passes(ruma_, [a] { return RUmaItems(Int(At(a, Run::kRCode))); });
}

} // namespace search
