#pragma once
// Extraction of a members' archive into the analysis folder: the "*.csv" and "*.vzkd" entries,
// through the system's zip reader.

#include "archive/zipcommon.h"

#include <filesystem>

namespace members {

struct ExtractionResult {
    int files = 0;         // entries written whole
    bool complete = false; // at least one file, and no selected entry failed
};

// `onEnd` is the extractor's OnEnd event (its owner's), called for every entry that ends.
// `retry` is asked, with the text for the user, while the archive's volume cannot be read: true
// to try again.
ExtractionResult ExtractMembersArchive(const std::filesystem::path& zip,
                                       const std::filesystem::path& vzkDir,
                                       const archive::TEndEvent& onEnd = {},
                                       const archive::VolumeRetryPrompt& retry = {});

} // namespace members
