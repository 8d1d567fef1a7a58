#include "search/usersets.h"

#include "jvdata/recordcheck.h"
#include "keiba/csvsplit.h"
#include "keiba/sjis.h"
#include "search/neraimatch.h"
#include "search/nerairecord.h"

#include <algorithm>

namespace search {

UserSetting ParseUserSetting(std::string_view line) {
    std::vector<std::string> f = keiba::SplitCommaText(line);
    f.resize(std::max<std::size_t>(f.size(), 4));
    return {f[0], f[1], f[2], f[3]};
}

bool IsUserSettingLine(std::string_view line) {
    if (!jvdata::IsCp932Text(line)) return false;
    const std::vector<std::string> f = keiba::SplitCommaText(line);
    return f.size() >= 4 && !keiba::TrimBlanks(f[0]).empty();
}

std::string UserSettingLine(const UserSetting& s) {
    return keiba::JoinQuotedFields({s.name, s.axis, s.partner1, s.partner2});
}

std::filesystem::path UserSetPath(const std::filesystem::path& appDir) {
    return appDir / "UserSet.usd";
}

void UserSetList::Load(const std::filesystem::path& path) {
    lines_.clear();
    keiba::FileRead file = keiba::ReadFileOrMissing(path);
    read_ = std::move(file.read);
    if (!file.bytes) return;
    for (std::string_view line : keiba::SplitLines(*file.bytes)) lines_.emplace_back(line);
}

UserSetting UserSetList::At(int i) const {
    if (i < 0 || i >= Count()) return {};
    return ParseUserSetting(lines_[static_cast<std::size_t>(i)]);
}

std::size_t UserSetList::Unreadable() const {
    return static_cast<std::size_t>(
        std::count_if(lines_.begin(), lines_.end(),
                      [](const std::string& line) { return !IsUserSettingLine(line); }));
}

std::string UserSetList::FileBytes(const std::vector<std::string>& lines) {
    std::string bytes;
    for (const std::string& line : lines) bytes += line + "\r\n";
    return bytes;
}

keiba::IoResult UserSetList::Put(int index, const UserSetting& setting,
                                 const std::filesystem::path& path) {
    if (!read_) return read_;
    std::vector<std::string> next = lines_;
    if (index >= 0 && index < Count())
        next[static_cast<std::size_t>(index)] = UserSettingLine(setting);
    else
        next.push_back(UserSettingLine(setting));
    keiba::IoResult io = keiba::WriteFileAtomic(path, FileBytes(next));
    if (io) lines_ = std::move(next);
    return io;
}

keiba::IoResult UserSetList::Remove(int index, const std::filesystem::path& path) {
    if (!read_) return read_;
    if (index < 0 || index >= Count()) return keiba::IoResult::Ok();
    std::vector<std::string> next = lines_;
    next.erase(next.begin() + index);
    keiba::IoResult io = keiba::WriteFileAtomic(path, FileBytes(next));
    if (io) lines_ = std::move(next);
    return io;
}

UserNeraiSets::UserNeraiSets(raceday::RaceDay& day, const keiba::ProgramContext& context)
    : day_(day)
    , context_(context) {}

NeraiSlotResult UserNeraiSets::Load(int u, const std::string& name) {
    if (u < 1 || u > 3 || name.empty()) return NeraiSlotResult::NoName;
    NeraiRead read = ReadNeraiFile(context_.folder, name);
    if (read.status == NeraiReadStatus::Missing) return NeraiSlotResult::Missing;
    if (read.status != NeraiReadStatus::Ok) {
        context_.notifier.Beep();
        context_.notifier.Information(read.message);
        return NeraiSlotResult::Unreadable;
    }
    gUserNeraiConds[static_cast<std::size_t>(u)] = read.record;
    held_[static_cast<std::size_t>(u)] = name;
    return NeraiSlotResult::Loaded;
}

const std::string& UserNeraiSets::HeldName(int u) const {
    static const std::string kNone;
    return u >= 1 && u <= 3 ? held_[static_cast<std::size_t>(u)] : kNone;
}

const TNeraiRecord& UserNeraiSets::Conditions(int u) const {
    return gUserNeraiConds[static_cast<std::size_t>(std::clamp(u, 0, 3))];
}

void UserNeraiSets::Search(const std::array<bool, 3>& active, int raceCount) {
    raceCount = std::clamp(raceCount, 0, raceday::kMaxRaces);
    for (int u = 1; u <= 3; ++u) {
        const auto s = static_cast<std::size_t>(u - 1);
        for (jvdata::TRaceCalc& calc : day_.gRaceCalc)
            for (auto& runner : calc.UserNeraiMatch) runner[s] = 0;
        if (!active[s] || raceCount == 0) continue;

        const NeraiConditions conditions(gUserNeraiConds[static_cast<std::size_t>(u)]);
        for (int r = 0; r < raceCount; ++r) {
            if (!conditions.RaceMatches(day_.gDayRaces[static_cast<std::size_t>(r)])) continue;
            jvdata::TRaceCalc& calc = day_.gRaceCalc[static_cast<std::size_t>(r)];
            const int runners = raceday::FieldSize(day_, r);
            for (int h = 0; h < runners; ++h)
                if (conditions.RunnerMatches(NeraiRunnerOf(day_, r, h)))
                    calc.UserNeraiMatch[static_cast<std::size_t>(h)][s] = 1;
        }
    }
}

} // namespace search
