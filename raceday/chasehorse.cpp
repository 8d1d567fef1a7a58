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

std::vector<std::string> ChaseHorseList::Merge(std::string_view fileBytes) {
    std::vector<std::string> unread;
    for (std::string_view line : keiba::SplitLines(fileBytes)) {
        if (line.size() == kChaseLineLength)
            lines_.emplace(line);
        else if (!line.empty()) // an empty line holds nothing to keep
            unread.emplace_back(line);
    }
    return unread;
}

std::string ChaseHorseList::Bytes(const std::vector<std::string>& unread) const {
    std::string out;
    out.reserve(lines_.size() * (kChaseLineLength + 2));
    for (const std::string& line : lines_) {
        out += line;
        out += "\r\n";
    }
    for (const std::string& line : unread) {
        out += line;
        out += "\r\n";
    }
    return out;
}

fs::path ChaseHorseFile(const fs::path& appDir) {
    return appDir / "ChaseHorse.dat";
}

// The file keeps the horses of earlier runs, and so it keeps what it cannot read of them too:
// those lines go back after the horses, as they were, each time, and are counted.
ChaseSave SaveChaseHorses(ChaseHorseList& list, const fs::path& appDir) {
    fs::path p = ChaseHorseFile(appDir);
    keiba::FileRead old = keiba::ReadFileOrMissing(p);
    if (!old.read) return {std::move(old.read), 0};
    std::vector<std::string> unread;
    if (old.bytes) unread = list.Merge(*old.bytes);
    return {keiba::WriteFileAtomic(p, list.Bytes(unread)), unread.size()};
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
    const ChaseSave saved = SaveChaseHorses(list, context.folder);
    if (!saved.written) {
        notifier.Information(saved.written.message);
        return ChaseResult::WriteFailed;
    }
    std::string told = keiba::Cp932ToUtf8(name) + "を追跡馬に登録しました。";
    if (saved.keptUnread > 0)
        told +=
            "\r\n" + keiba::UnreadLinesKeptText(ChaseHorseFile(context.folder), saved.keptUnread);
    notifier.Information(told);
    return ChaseResult::Registered;
}

} // namespace raceday
