#pragma once
// The read steps of the real-time fetches: after JVRTOpen, every record is read and the ones
// the step takes are filed into the day files.

#include "jvdata/dayfiles.h"
#include "jvdata/importfiling.h"
#include "jvdata/jvlink.h"
#include "keiba/fileio.h"

#include <filesystem>
#include <functional>
#include <string_view>

namespace jvdata {

enum class ReadStep {
    Odds,        // O1 to O6 into .jvO1 to .jvO6
    MorningOdds, // O1 into .jvO1a
    MiddleOdds,  // O1 into .jvO1m, O2 and O3 into .jvO2 and .jvO3
    Mining,      // DM into .jvDM
    Results,     // RA and SE only into existing files, HR as delivered
};

// Files one real-time record by the rules of `step`: Filed, Failed when a file it goes to is
// there but cannot be read, else Skipped (the step does not take it, or there is no file to
// update).
FileOutcome FileRealtimeRecord(FilingBatch& batch, ReadStep step, std::string_view record);

struct ReadStepResult {
    int readError = 0; // the JVRead code below -3 that ended the step, else 0
    int filed = 0;     // records filed and written
    keiba::IoResult written = keiba::IoResult::Ok();
    // The files written back with lines they could not read, kept as they were.
    std::vector<KeptLines> kept;
    // The records the step takes that were refused (a damaged field among them), by reason.
    RefusalTally refused;
};

// Reads until the end, an error or a cancel request, and files each record it takes before the
// next read, its file replaced whole; a file that cannot be read or written ends it, and an
// unreadable one is left as it is. `pump` runs before every read; `cancelled` is asked after
// it.
ReadStepResult RunReadStep(TJVLink& link, ReadStep step, const std::filesystem::path& appDir,
                           const std::function<void()>& pump,
                           const std::function<bool()>& cancelled);

// The JVRead size argument of the step.
int ReadStepBufferSize(ReadStep step);

} // namespace jvdata
