#include "raceday/raceheader.h"

#include "keiba/codetables.h"
#include "keiba/csvsplit.h"
#include "keiba/formatters.h"
#include "keiba/sjis.h"

#include <algorithm>

namespace raceday {

namespace {

using keiba::Sj;

std::string S(std::string_view v) {
    return std::string(v);
}

std::string IntText(std::int64_t v) {
    return std::to_string(v);
}

// One payout entry: shown when it names a runner (or a combination), else blank.
template <typename Key> PayoutTriple Triple(const Key& key, int popularity, std::int64_t yen) {
    PayoutTriple t;
    if constexpr (std::is_same_v<Key, int>) {
        if (key == 0) return t;
        t.number = keiba::FormatInt(key, 2);
    } else {
        if (keiba::TrimBlanks(key).empty()) return t;
        t.number = key;
    }
    t.popularity = keiba::FormatInt(popularity, 2);
    t.payout = keiba::FormatInt(yen, 8);
    return t;
}

template <std::size_t N, typename Keys, typename Pops, typename Yens>
void Fill(std::array<PayoutTriple, N>& out, std::size_t& at, const Keys& keys, const Pops& pops,
          const Yens& yens) {
    for (std::size_t j = 1; j < keys.size(); ++j) out[at++] = Triple(keys[j], pops[j], yens[j]);
}

void FillPayouts(const jvdata::PayoutTables& t, std::size_t r, RaceHeader& h) {
    std::size_t a = 0;
    Fill(h.label3D, a, t.gPayKeyWin[r], t.gPayPopWin[r], t.gPayYenWin[r]);
    Fill(h.label3D, a, t.gPayKeyPlace[r], t.gPayPopPlace[r], t.gPayYenPlace[r]);
    Fill(h.label3D, a, t.gPayKeyWakuren[r], t.gPayPopWakuren[r], t.gPayYenWakuren[r]);
    Fill(h.label3D, a, t.gPayKeyUmaren[r], t.gPayPopUmaren[r], t.gPayYenUmaren[r]);
    Fill(h.label3D, a, t.gPayKeyWide[r], t.gPayPopWide[r], t.gPayYenWide[r]);
    std::size_t b = 0;
    Fill(h.payoutLabels, b, t.gPayKeyUmatan[r], t.gPayPopUmatan[r], t.gPayYenUmatan[r]);
    Fill(h.payoutLabels, b, t.gPayKeySanrenpuku[r], t.gPayPopSanrenpuku[r], t.gPayYenSanrenpuku[r]);
    Fill(h.payoutLabels, b, t.gPayKeySanrentan[r], t.gPayPopSanrentan[r], t.gPayYenSanrentan[r]);
}

std::array<std::string, kCardListTextColumns> CardRow(const jvdata::TJvSE& se) {
    std::array<std::string, kCardListTextColumns> c;
    c[0] = S(se.BracketText());
    c[1] = se.HorseNumber() > 0 ? keiba::FormatInt(se.HorseNumber(), 2) : std::string();
    c[2] = S(se.HorseName());
    c[3] = S(se.TrainerName());
    c[4] = keiba::BlinkerToText(se.BlinkersCode());
    c[5] = keiba::MinaraiToText(se.ApprenticeCode());
    c[6] = keiba::FormatIntBlankZero(se.FinalPositionText());
    c[7] = keiba::FormatIntBlankZero(se.WinPopularityText());
    c[8] = keiba::FormatRaceTime(se.FinishTime());
    c[9] = keiba::FormatTenthsWider(se.Last3F());
    return c;
}

} // namespace

std::vector<std::string> RaceCommentLines(std::string_view comment) {
    std::vector<std::string> items = keiba::SplitCommaText(comment);
    std::vector<std::string> lines;
    if (items.empty()) return lines;
    const std::size_t pairs = items.size() / 2;
    if (!items[0].starts_with(Sj("【"))) {
        for (std::size_t i = 0; i < pairs; ++i) lines.push_back(items[2 * i] + items[2 * i + 1]);
    } else {
        lines.push_back(items[0]);
        for (std::size_t i = 1; i <= pairs; ++i)
            lines.push_back(items[2 * i - 1] + (2 * i < items.size() ? items[2 * i] : ""));
    }
    return lines;
}

std::string NoRunnersMessage(int raceNumber) {
    return std::to_string(raceNumber) + "レースはデータが不十分です。";
}

RaceSelection SelectRaceHeader(const RaceDay& day, int r) {
    RaceSelection sel;
    if (r < 0 || r >= kMaxRaces) return sel;
    const auto ur = static_cast<std::size_t>(r);
    const jvdata::TJvRA& ra = day.gDayRaces[ur];
    sel.raceNumber = ra.RaceNumber();
    // A race shows while any of its runners is known: a runner lost to damage, the first one
    // too, shows as a row not known.
    const auto& runners = day.gDayHorses[ur];
    if (std::none_of(runners.begin(), runners.begin() + FieldSize(day, r),
                     [](const jvdata::TJvSE& se) { return se.HorseNumber() >= 1; })) {
        sel.status = SelectStatus::NoRunners;
        return sel;
    }
    sel.status = SelectStatus::Ok;
    RaceHeader& h = sel.header;
    const int fieldSize = FieldSize(day, r);
    h.gridRows = fieldSize + 1;

    const std::string weekday = keiba::YoubiToText(ra.WeekdayCode(), 1);
    const std::string grade = keiba::GradeToText(ra.GradeCode(), 1);
    const std::string raceType = keiba::SyubetuToText(ra.RaceTypeCode(), 8);
    const std::string symbol = keiba::KigoToText(ra.RaceSymbolCode());
    const std::string conditions =
        keiba::RaceJokenText(ra.RaceTypeCode(), ra.ConditionCode(0), ra.ConditionCode(1),
                             ra.ConditionCode(2), ra.ConditionCode(3));
    const std::int64_t edition = ra.Number(jvdata::TJvRA::kEdition);
    const std::string editionText = edition != 0 ? Sj("第") + IntText(edition) + Sj("回 ") : "";
    const std::string weightRule = keiba::JyuryoToText(ra.WeightRuleCode());
    const std::string track = keiba::TrackToText(ra.TrackCode());
    const std::string venue = keiba::JyoCodeToName(ra.VenueCode(), 2);

    const std::int64_t trackCode = ra.Number(jvdata::TJvRA::kTrack);
    h.turf = trackCode >= 10 && trackCode <= 22;
    h.basho = venue;
    h.race = S(keiba::TrimBlanks(keiba::FormatIntBlankZero(ra.RaceNo())));

    h.label1 = S(ra.Year()) + Sj("年") + S(ra.Month()) + Sj("月") + S(ra.DayOfMonth()) + Sj("日(") +
               weekday + ")" + venue + S(ra.Meeting()) + Sj("回") + S(ra.MeetingDay()) + Sj("日") +
               S(ra.RaceNo()) + "R   " + S(ra.PostHour()) + "." + S(ra.PostMinute()) +
               Sj("発走  ") + keiba::TenkoToText(ra.WeatherCode()) + Sj("　") +
               keiba::BabaToText(ra.TurfGoingCode(), 1) + Sj("　") +
               keiba::BabaToText(ra.DirtGoingCode(), 2);
    h.label2 = editionText + S(ra.RaceName());
    h.label3 = keiba::FormatInt(ra.RunnerCount(), 2) + Sj("頭[入線:") +
               keiba::FormatIntBlankZero(ra.FinisherCountText()) + Sj("頭] ") +
               keiba::FormatInt(ra.Distance(), 4) + Sj("ﾒｰﾄﾙ ") + track + "(" +
               S(keiba::TrimBlanks(ra.CourseDivision())) + ")" + " " + grade + " " + raceType +
               " " + symbol;
    h.label4 = weightRule + " " + conditions;
    h.label6 = Sj("【本 賞 金】1着:") + keiba::FormatIntBlankZero(ra.PrizeText(1)) + Sj("/2着:") +
               keiba::FormatIntBlankZero(ra.PrizeText(2)) + Sj("/3着:") +
               keiba::FormatIntBlankZero(ra.PrizeText(3)) + Sj("/4着:") +
               keiba::FormatIntBlankZero(ra.PrizeText(4)) + Sj("/5着:") +
               keiba::FormatIntBlankZero(ra.PrizeText(5));
    h.label7 = Sj("【付加賞金】1着:") + keiba::FormatIntBlankZero(ra.AddedPrizeText(1)) +
               Sj("/2着:") + keiba::FormatIntBlankZero(ra.AddedPrizeText(2)) + Sj("/3着:") +
               keiba::FormatIntBlankZero(ra.AddedPrizeText(3)) + Sj("　　　　　　　　(単位：百円)");

    // Nothing files course records, so their lines are those of an empty record.
    h.label3Dj1.clear();
    h.label3Dj2 = "      ";

    const jvdata::TJvO1& o1 = day.gDayOddsO1[ur];
    h.tfwTime = S(o1.AnnounceHour()) + ":" + S(o1.AnnounceMinute());

    const TOutData2& texts = day.gRaceTexts[ur];
    h.rLevel = texts.RaceRLevelText;
    h.rPlus = texts.RplsTou;
    h.rMinus = texts.RmnsTou;
    h.commentLines = RaceCommentLines(texts.RaceComment);

    for (int i = 0; i < fieldSize; ++i)
        h.cardRows.push_back(CardRow(day.gDayHorses[ur][static_cast<std::size_t>(i)]));
    FillPayouts(day.gPayoutTables, ur, h);
    return sel;
}

} // namespace raceday
