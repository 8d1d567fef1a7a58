#include "search/usersets.h"

#include "jvdata/recordcheck.h"
#include "keiba/csvsplit.h"
#include "keiba/rewritelines.h"
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

namespace {

// The file's lines as it stands, or the failure of its read.
keiba::IoResult ReadLines(const std::filesystem::path& path, std::vector<keiba::HeldLine>& lines) {
    keiba::FileRead file = keiba::ReadFileOrMissing(path);
    lines = keiba::HoldLines(file.bytes.value_or(std::string()), keiba::LineEnds::CrLfOrLf,
                             IsUserSettingLine);
    return std::move(file.read);
}

bool IsSetting(const keiba::HeldLine& line) {
    return line.readable && !line.text.empty();
}

} // namespace

void UserSetList::Hold(std::vector<keiba::HeldLine> lines) {
    lines_ = std::move(lines);
    settings_.clear();
    for (std::size_t i = 0; i < lines_.size(); ++i)
        if (IsSetting(lines_[i])) settings_.push_back(i);
}

void UserSetList::Load(const std::filesystem::path& path) {
    std::vector<keiba::HeldLine> lines;
    (void)ReadLines(path, lines);
    Hold(std::move(lines));
}

UserSetting UserSetList::At(int i) const {
    if (i < 0 || i >= Count()) return {};
    return ParseUserSetting(lines_[settings_[static_cast<std::size_t>(i)]].text);
}

std::size_t UserSetList::Unreadable() const {
    return keiba::UnreadableLines(lines_);
}

// The same line as the list holds, the same one of its equals, in the file as it is now.
int UserSetList::FindIn(const std::vector<keiba::HeldLine>& lines, int index) const {
    if (index < 0 || index >= Count()) return -1;
    const std::string& text = lines_[settings_[static_cast<std::size_t>(index)]].text;
    int equal = 0;
    for (int i = 0; i < index; ++i)
        equal += lines_[settings_[static_cast<std::size_t>(i)]].text == text;
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (IsSetting(lines[i]) && lines[i].text == text && equal-- == 0)
            return static_cast<int>(i);
    return -1;
}

keiba::IoResult UserSetList::Put(int index, const UserSetting& setting,
                                 const std::filesystem::path& path) {
    std::vector<keiba::HeldLine> next;
    if (keiba::IoResult read = ReadLines(path, next); !read) return read;
    int at = FindIn(next, index);
    if (at >= 0) {
        next[static_cast<std::size_t>(at)].text = UserSettingLine(setting);
    } else {
        at = static_cast<int>(next.size());
        next.push_back({UserSettingLine(setting)});
    }
    keiba::IoResult io = keiba::WriteFileAtomic(path, keiba::JoinHeldLines(next));
    if (!io) return io;
    Hold(std::move(next));
    lastPut_ = static_cast<int>(
        std::find(settings_.begin(), settings_.end(), static_cast<std::size_t>(at)) -
        settings_.begin());
    return io;
}

keiba::IoResult UserSetList::Remove(int index, const std::filesystem::path& path) {
    std::vector<keiba::HeldLine> next;
    if (keiba::IoResult read = ReadLines(path, next); !read) return read;
    const int at = FindIn(next, index);
    // A line removed from the file meanwhile needs no rewrite to be gone.
    keiba::IoResult io = keiba::IoResult::Ok();
    if (at >= 0) {
        next.erase(next.begin() + at);
        io = keiba::WriteFileAtomic(path, keiba::JoinHeldLines(next));
    }
    if (io) Hold(std::move(next));
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
