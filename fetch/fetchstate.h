#pragma once
// The busy flags and the cancel flag shared by the import dialog, the real-time fetches and the
// timers. The main window holds one set; one user-interface thread reads and writes them.

#include <cstdint>

namespace raceday {
struct RaceDay;
}

namespace fetch {

struct FetchFlags {
    // Set by the timers around the fetches they start: silence the fetches' beeps, and keep the
    // odds timer from starting a second odds loop.
    bool gAutoKekkaBusy = false;
    bool gAutoMiningBusy = false;
    bool gAutoOddsBusy = false;
    // 1 = the running import is to stop at its next pass; cleared when the import ends.
    std::uint8_t gJvCancel = 0;
    // An import is between its JVOpen and its JVClose.
    bool importBusy = false;
    // A real-time fetch (or a command made of fetches) is running.
    bool fetchBusy = false;
};

// A day load, batch load, import or fetch is running: nothing else may start, since each of
// them pumps the message queue and JV-Link holds one connection at a time.
bool AnyBusy(const raceday::RaceDay& day, const FetchFlags& flags);

} // namespace fetch
