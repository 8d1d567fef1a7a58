#pragma once
// What a day load could not read of the day's files: each step of the load adds the files it
// found damaged or could not read at all, and the user is told all of it in one message once the
// day is shown.

#include "jvdata/dayfilekinds.h"

#include <bitset>
#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace keiba {
struct IoResult;
}

namespace raceday {

// "<what>（<file name>）の一部が壊れているため、<loss>を読み込めませんでした。": every loss of a
// day file as the user is told it, `what` as the kinds table names the kind's data (`name` UTF-8).
std::string LostLine(jvdata::DayFileKind kind, const std::string& name, const std::string& loss);
std::string LostLine(jvdata::DayFileKind kind, const std::filesystem::path& file,
                     const std::string& loss);

class DayReport {
public:
    // A line of its own, as given (UTF-8).
    void Add(std::string line) { lines_.push_back(std::move(line)); }
    // A line of its own before all others.
    void Prepend(std::string line) { lines_.insert(lines_.begin(), std::move(line)); }
    // "<what>（<file name>）の一部が壊れているため、<loss>を読み込めませんでした。", worded as the
    // kinds table says (LossText).
    void Lost(jvdata::DayFileKind kind, const std::filesystem::path& file, std::size_t count,
              std::size_t races = 0);
    // The same for losses of one kind in many files (a day's horse files), told on one line: the
    // first file named, the others counted ("<file name> ほか2件").
    void LostInFiles(jvdata::DayFileKind kind, const std::filesystem::path& first,
                     std::size_t files, std::size_t count);

    // A file that is there but cannot be read, as its failed read names it (keiba::FileRead);
    // nothing for a read that did not fail. The first kShownUnreadable are lines of their own and
    // the rest one line at the end, so that a folder of horse files that cannot be read still
    // makes a message that fits the screen.
    void Unreadable(const keiba::IoResult& read);
    static constexpr std::size_t kShownUnreadable = 10;

    bool Empty() const { return lines_.empty(); }
    // The lines in the order they were added, then the count of the unreadable files not named.
    std::vector<std::string> Lines() const;
    // The lines, one a line.
    std::string Text() const;

private:
    std::vector<std::string> lines_;
    std::size_t unreadable_ = 0, moreUnreadable_ = 0;
};

// The races of the day a damaged file lost, for a file of one record a race in the order of the
// race file (the day files are kept sorted by race key). A file need not hold every race (on a
// race day the payouts come race by race), so a race without a sound record is lost only when
// damage stands where its record would have: between the sound records of the races around it,
// or after the last one when the file ends in damage (a cut). What lies there cannot be known,
// so every race of such a gap counts; a count never exceeds the day's races.
class LostRaces {
public:
    // Of a file of `kind`, among `races` races of the day. A kind that may not end at a record end
    // (jvdata::DayFileKindInfo) has lost the races after its last sound record.
    LostRaces(jvdata::DayFileKind kind, std::size_t races);

    // The pieces of the file in its order: a sound record of race slot `race`, ...
    void Sound(std::size_t race);
    // ... a piece that is no sound record of a known race (a cut end is one too) ...
    void Damaged();
    // ... or damage known to be race slot `race`'s record.
    void Damaged(std::size_t race);

    std::size_t Count() const;

private:
    void TakeGap(std::size_t to);

    std::size_t races_;
    bool mayEndAtRecordEnd_;
    std::size_t next_ = 0; // the first race after the last sound record
    bool damage_ = false;  // damage since that record
    std::bitset<64> sound_, lost_;
};

} // namespace raceday
