#include "raceday/chasehorse.h"

#include "jvdata/dayfiles.h"
#include "jvdata/recordcheck.h"
#include "keiba/formatters.h"
#include "keiba/platform.h"
#include "keiba/rewritelines.h"
#include "keiba/sjis.h"

#include <algorithm>

namespace raceday {
namespace fs = std::filesystem;

bool IsChaseHorseLine(std::string_view line) {
    return line.size() == kChaseLineLength && jvdata::IsPedigreeId(line.substr(0, 10)) &&
           jvdata::IsCp932Text(line.substr(10));
}

bool ChaseHorseList::Add(std::string_view line) {
    if (!IsChaseHorseLine(line)) return false;
    return lines_.emplace(line).second;
}

std::string ChaseHorseList::MergedInto(std::string_view fileBytes, std::size_t* unread) const {
    std::vector<keiba::HeldLine> lines =
        keiba::HoldLines(fileBytes, keiba::LineEnds::CrLfOrLf, IsChaseHorseLine);
    auto horse = [](const keiba::HeldLine& l) { return l.readable; };
    // The file's horses sorted in the places horses hold, each once.
    std::vector<std::string> horses;
    for (const keiba::HeldLine& l : lines)
        if (horse(l)) horses.push_back(l.text);
    std::sort(horses.begin(), horses.end());
    std::vector<bool> twice(horses.size());
    for (std::size_t i = 1; i < horses.size(); ++i) twice[i] = horses[i] == horses[i - 1];
    std::size_t next = 0;
    std::erase_if(lines, [&](keiba::HeldLine& l) {
        if (!horse(l)) return false;
        l.text = horses[next];
        return static_cast<bool>(twice[next++]);
    });
    for (const std::string& add : lines_) {
        std::size_t at = 0;
        bool there = false;
        for (std::size_t i = 0; i < lines.size() && !there; ++i) {
            if (!horse(lines[i])) continue;
            there = lines[i].text == add;
            if (lines[i].text < add) at = i + 1;
        }
        if (!there) lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), {add});
    }
    if (unread) *unread = keiba::UnreadableLines(lines);
    return keiba::JoinHeldLines(lines);
}

fs::path ChaseHorseFile(const fs::path& appDir) {
    return appDir / "ChaseHorse.dat";
}

// The file keeps the horses of earlier runs, and so it keeps what it cannot read of them too:
// those lines stay where they are, as they were, each time, and are counted. It is read at each
// save, so that what was put into it since the last one stays too.
ChaseSave SaveChaseHorses(ChaseHorseList& list, const fs::path& appDir) {
    fs::path p = ChaseHorseFile(appDir);
    keiba::FileRead old = keiba::ReadFileOrMissing(p);
    if (!old.read) return {std::move(old.read), 0};
    std::size_t unread = 0;
    const std::string bytes = list.MergedInto(old.bytes.value_or(std::string()), &unread);
    return {keiba::WriteFileAtomic(p, bytes), unread};
}

ChaseResult RegisterChaseHorse(RaceDay& day, int r, int h, ChaseHorseList& list,
                               const keiba::ProgramContext& context) {
    if (r < 0 || r >= kMaxRaces || h < 0 || h >= kMaxRunners) return ChaseResult::OutOfRange;
    const auto ur = static_cast<std::size_t>(r), uh = static_cast<std::size_t>(h);
    const jvdata::TJvSE& se = day.gDayHorses[ur][uh];
    // An empty runner slot has no horse to track: a line of blanks would only pollute the file.
    if (se.HorseNumber() < 1) return ChaseResult::NoRunner;
    // Nor has a runner whose number or name the file could not read back.
    const std::string line = std::string(se.PedigreeId()) + std::string(se.HorseName());
    if (!IsChaseHorseLine(line)) return ChaseResult::NoRunner;

    std::string name(keiba::TrimBlanks(keiba::DeleteZenkakuSpaces(se.HorseName())));
    keiba::Notifier& notifier = context.notifier;
    if (!notifier.YesNo(keiba::Cp932ToUtf8(name) + "を追跡馬に登録しますか？"))
        return ChaseResult::Declined;

    day.gRaceCalc[ur].Tracked[uh] = 1;
    list.Add(line);
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
