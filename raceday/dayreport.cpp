#include "raceday/dayreport.h"

#include "keiba/fileio.h"

#include <algorithm>

namespace raceday {

std::string LostLine(jvdata::DayFileKind kind, const std::string& name, const std::string& loss) {
    return std::string(jvdata::KindInfo(kind).what) + "（" + name + "）の一部が壊れているため、" +
           loss + "を読み込めませんでした。";
}

std::string LostLine(jvdata::DayFileKind kind, const std::filesystem::path& file,
                     const std::string& loss) {
    return LostLine(kind, keiba::PathToUtf8(file.filename()), loss);
}

void DayReport::Lost(jvdata::DayFileKind kind, const std::filesystem::path& file, std::size_t count,
                     std::size_t races) {
    if (count == 0) return;
    lines_.push_back(LostLine(kind, file, jvdata::LossText(kind, count, races)));
}

void DayReport::LostInFiles(jvdata::DayFileKind kind, const std::filesystem::path& first,
                            std::size_t files, std::size_t count) {
    if (count == 0 || files == 0) return;
    std::string name = keiba::PathToUtf8(first.filename());
    if (files > 1) name += " ほか" + std::to_string(files - 1) + "件";
    lines_.push_back(LostLine(kind, name, jvdata::LossText(kind, count)));
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

LostRaces::LostRaces(jvdata::DayFileKind kind, std::size_t races)
    : races_(std::min<std::size_t>(races, 64))
    , mayEndAtRecordEnd_(jvdata::KindInfo(kind).mayEndAtRecordEnd) {}

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
    if (end.damage_ || !mayEndAtRecordEnd_) end.TakeGap(races_);
    return (end.lost_ & ~end.sound_).count();
}

} // namespace raceday
