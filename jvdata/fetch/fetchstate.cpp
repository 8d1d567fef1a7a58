#include "jvdata/fetch/fetchstate.h"

#include "app/daymodel.h"

namespace fetch {

FetchFlags& Flags() {
    static FetchFlags flags;
    return flags;
}

void ResetFlagsForTest() {
    Flags() = FetchFlags{};
}

bool AnyBusy() {
    const app::TRaceDay& day = app::Day();
    const FetchFlags& f = Flags();
    return day.gLoadBusy || day.gBatchBusy || f.gImportBusy || f.gFetchBusy;
}

} // namespace fetch
