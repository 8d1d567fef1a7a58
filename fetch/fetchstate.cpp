#include "fetch/fetchstate.h"

#include "raceday/daymodel.h"

namespace fetch {

bool AnyBusy(const raceday::TRaceDay& day, const FetchFlags& flags) {
    return day.gLoadBusy || day.gBatchBusy || flags.gImportBusy || flags.gFetchBusy;
}

} // namespace fetch
