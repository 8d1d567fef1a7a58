#include "fetch/fetchstate.h"

#include "raceday/daymodel.h"

namespace fetch {

bool AnyBusy(const raceday::RaceDay& day, const FetchFlags& flags) {
    return day.loadBusy || day.gBatchBusy || flags.importBusy || flags.fetchBusy;
}

} // namespace fetch
