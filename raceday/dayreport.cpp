#include "raceday/dayreport.h"

#include "keiba/fileio.h"

#include <algorithm>

namespace raceday {

void DayReport::Lost(std::string_view what, const std::filesystem::path& file,
                     std::string_view amount) {
    lines_.push_back(std::string(what) + "（" + keiba::PathToUtf8(file.filename()) +
                     "）の一部が壊れているため、" + std::string(amount) +
                     "を読み込めませんでした。");
}

void DayReport::Unreadable(const keiba::IoResult& read) {
    if (read) return;
    if (unreadable_ < kShownUnreadable) {
        ++unreadable_;
        lines_.push_back(read.message);
    } else {
        ++moreUnreadable_;
    }
}

std::vector<std::string> DayReport::Lines() const {
    std::vector<std::string> lines = lines_;
    if (moreUnreadable_ > 0)
        lines.push_back("ほかに" + std::to_string(moreUnreadable_) +
                        "件のファイルを読み込めませんでした。");
    return lines;
}

std::string DayReport::Text() const {
    std::string text;
    for (const std::string& line : Lines()) {
        if (!text.empty()) text += "\n";
        text += line;
    }
    return text;
}

std::string RacesText(std::size_t n) {
    return std::to_string(n) + "レース分";
}

LostRaces::LostRaces(std::size_t races)
    : races_(std::min<std::size_t>(races, 64)) {}

void LostRaces::TakeGap(std::size_t to) {
    for (std::size_t r = next_; r < std::min(to, races_); ++r) lost_.set(r);
    damage_ = false;
}

void LostRaces::Sound(std::size_t race) {
    if (race >= races_) return;
    if (damage_) TakeGap(race);
    sound_.set(race);
    next_ = race + 1;
}

void LostRaces::Damaged() {
    damage_ = true;
}

void LostRaces::Damaged(std::size_t race) {
    if (race < races_) lost_.set(race);
}

std::size_t LostRaces::Count() const {
    LostRaces end = *this;
    if (end.damage_) end.TakeGap(races_);
    return (end.lost_ & ~end.sound_).count();
}

} // namespace raceday
