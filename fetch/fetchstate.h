#pragma once
// The flags shared by the import dialog, the real-time fetches and the timers. The main window
// holds one set; one user-interface thread reads and writes them. Which long operation runs is
// the owner's to say (keiba/operations.h).

#include <cstdint>
#include <string>
#include <vector>

namespace fetch {

struct FetchFlags {
    // Set by the timers around the fetches they start: silence the fetches' beeps, and keep the
    // odds timer from starting a second odds loop.
    bool gAutoKekkaBusy = false;
    bool gAutoMiningBusy = false;
    bool gAutoOddsBusy = false;
    // 1 = the running import is to stop at its next pass; cleared when the import ends.
    std::uint8_t gJvCancel = 0;
    // What the last re-read of the odds files told of their damage: a file the timers' fetches
    // rewrite minute by minute while it keeps a damaged piece is told once, not at every fetch.
    std::vector<std::string> toldOddsDamage;
};

} // namespace fetch
