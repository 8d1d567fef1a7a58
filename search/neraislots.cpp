#include "search/neraislots.h"

#include "search/neraimatch.h"
#include "search/nerairecord.h"

#include <algorithm>

namespace search {

NeraiSlots::NeraiSlots(NeraiSlotView& view, raceday::RaceDay& day,
                       const keiba::ProgramContext& context)
    : view_(view)
    , day_(day)
    , context_(context) {}

std::string NeraiSlots::HeldName(int k) const {
    if (k < 1 || k > 4) return {};
    const auto kk = static_cast<std::size_t>(k);
    return day_.gNeraiSlots[kk].IsBlank() ? std::string() : held_[kk];
}

NeraiSlotResult NeraiSlots::LoadSlot(int k) {
    if (k < 1 || k > 4) return NeraiSlotResult::NoName;
    const auto kk = static_cast<std::size_t>(k);
    std::string name = TrimNeraiName(view_.ChosenSetName(k));
    if (name.empty()) return NeraiSlotResult::NoName;

    NeraiRead read = ReadNeraiFile(context_.folder, name);
    if (read.status != NeraiReadStatus::Ok) {
        // The slot keeps what it holds and the combo the user's choice; the user hears once why
        // the choice did not take, not again at each day load that tries it.
        const bool missing = read.status == NeraiReadStatus::Missing;
        if (told_[kk] != name) {
            told_[kk] = name;
            context_.notifier.Beep();
            context_.notifier.Information(
                missing ? "[" + name + "]の狙い馬ファイルが見つかりません。" : read.message);
        }
        return missing ? NeraiSlotResult::Missing : NeraiSlotResult::Unreadable;
    }

    day_.gNeraiSlots[kk] = read.record;
    held_[kk] = name;
    told_[kk].clear();
    MatchAllSlots();

    keiba::IoResult written =
        context_.settings.WriteString("Myfavo", "nerai" + std::to_string(k), name);
    if (!written) context_.notifier.Information(written.message);
    return NeraiSlotResult::Loaded;
}

void NeraiSlots::MatchAllSlots() {
    std::array<bool, 4> active{};
    for (int k = 1; k <= 4; ++k)
        active[static_cast<std::size_t>(k - 1)] = !TrimNeraiName(view_.ChosenSetName(k)).empty();
    SearchNeraiSlots(day_, active, view_.RaceCount());
    view_.RepaintRaceCards();
}

void SearchNeraiSlots(raceday::RaceDay& day, const std::array<bool, 4>& active, int raceCount) {
    raceCount = std::clamp(raceCount, 0, raceday::kMaxRaces);
    for (int k = 1; k <= 4; ++k) {
        const auto s = static_cast<std::size_t>(k - 1);
        for (jvdata::TRaceCalc& calc : day.gRaceCalc)
            for (auto& runner : calc.NeraiMatch) runner[s] = 0;
        if (!active[s] || raceCount == 0) continue;

        const NeraiConditions conditions(day.gNeraiSlots[static_cast<std::size_t>(k)]);
        for (int r = 0; r < raceCount; ++r) {
            if (!conditions.RaceMatches(day.gDayRaces[static_cast<std::size_t>(r)])) continue;
            jvdata::TRaceCalc& calc = day.gRaceCalc[static_cast<std::size_t>(r)];
            const int runners = raceday::FieldSize(day, r);
            for (int h = 0; h < runners; ++h)
                if (conditions.RunnerMatches(NeraiRunnerOf(day, r, h)))
                    calc.NeraiMatch[static_cast<std::size_t>(h)][s] = 1;
        }
    }
}

} // namespace search
