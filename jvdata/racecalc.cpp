#include "jvdata/racecalc.h"

namespace jvdata {

void TRaceCalc::ClearOdds() {
    SupportRate.fill(0.0);
    WinOdds.fill(0.0);
    PlaceOddsMin.fill(0.0);
    PlaceOddsMax.fill(0.0);
    WinPop.fill(0);
    PlaceMinPop.fill(0);
    PlaceMaxPop.fill(0);
    // Some 80 KB a race, and every load clears all 36 races before reading their odds anew.
    CombinationOdds = Combinations::Cleared;
}

void TRaceCalc::ZeroCombinationOdds() {
    UmarenOdds.fill(0.0);
    WideOdds.fill(0.0);
    UmatanOdds.fill(0.0);
    SanrenpukuOdds.fill(0.0);
    SanrentanOdds.fill(0.0);
    UmarenPop.fill(0);
    WidePop.fill(0);
    UmatanPop.fill(0);
    SanrenpukuPop.fill(0);
    SanrentanPop.fill(0);
    CombinationOdds = Combinations::Current;
}

void TRaceCalc::Clear() {
    OzTime1.clear();
    OzTime2.clear();
    DeliverTime.clear();
    Tracked.fill(0);
    HorseValue.fill(0.0);
    NeraiMatch = {};
    UserNeraiMatch = {};
    AxisFlag.fill(0);
    PartnerFlag1.fill(0);
    PartnerFlag2.fill(0);
    ClearOdds();
    PayoutSeen = 0;
}

} // namespace jvdata
