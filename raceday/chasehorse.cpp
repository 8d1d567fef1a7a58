#include "raceday/chasehorse.h"

#include "jvdata/dayfiles.h"
#include "keiba/formatters.h"
#include "keiba/platform.h"
#include "keiba/sjis.h"

namespace raceday {
namespace fs = std::filesystem;

bool ChaseHorseList::Add(std::string_view line) {
    if (line.size() != kChaseLineLength) return false;
    return lines_.emplace(line).second;
}

void ChaseHorseList::Merge(std::string_view fileBytes) {
    for (std::string_view line : keiba::SplitLines(fileBytes)) Add(line);
}

std::string ChaseHorseList::Bytes() const {
    std::string out;
    out.reserve(lines_.size() * (kChaseLineLength + 2));
    for (const std::string& line : lines_) {
        out += line;
        out += "\r\n";
    }
    return out;
}

fs::path ChaseHorseFile(const fs::path& appDir) {
    return appDir / "ChaseHorse.dat";
}

keiba::IoResult SaveChaseHorses(ChaseHorseList& list, const fs::path& appDir) {
    fs::path p = ChaseHorseFile(appDir);
    keiba::FileRead old = keiba::ReadFileOrMissing(p);
    if (!old.read) return old.read;
    if (old.bytes) list.Merge(*old.bytes);
    return keiba::WriteFileAtomic(p, list.Bytes());
}

ChaseResult RegisterChaseHorse(RaceDay& day, int r, int h, ChaseHorseList& list,
                               const keiba::ProgramContext& context) {
    if (r < 0 || r >= kMaxRaces || h < 0 || h >= kMaxRunners) return ChaseResult::OutOfRange;
    const auto ur = static_cast<std::size_t>(r), uh = static_cast<std::size_t>(h);
    const jvdata::TJvSE& se = day.gDayHorses[ur][uh];
    // An empty runner slot has no horse to track: a line of blanks would only pollute the file.
    if (se.HorseNumber() < 1) return ChaseResult::NoRunner;

    std::string name(keiba::TrimBlanks(keiba::DeleteZenkakuSpaces(se.HorseName())));
    keiba::Notifier& notifier = context.notifier;
    if (!notifier.YesNo(keiba::Cp932ToUtf8(name) + "を追跡馬に登録しますか？"))
        return ChaseResult::Declined;

    day.gRaceCalc[ur].Tracked[uh] = 1;
    list.Add(std::string(se.PedigreeId()) + std::string(se.HorseName()));
    if (keiba::IoResult io = SaveChaseHorses(list, context.folder); !io) {
        notifier.Information(io.message);
        return ChaseResult::WriteFailed;
    }
    notifier.Information(keiba::Cp932ToUtf8(name) + "を追跡馬に登録しました。");
    return ChaseResult::Registered;
}

} // namespace raceday
