#pragma once
// Members' analysis records for tests, written at the positions of the record layout as the
// members' service defines it (1-based), not through the readers' own constants, so that a
// reader that looks in the wrong place fails.

#include "keiba/sjis.h"

#include <string>
#include <string_view>

namespace testsupport {

// A 378-byte analysis record: blanks, then the fields set.
class AnalysisMaker {
public:
    // A counted runner: a this-run block with a field size, a racecourse, a turf track, a race
    // that is neither a jump nor a newcomers' race, and status "1".
    AnalysisMaker(std::string_view date8, std::string_view venue, int race, int horse) {
        Set(1, 2, "00");
        Set(3, 2, Two(horse));
        Set(5, 1, "1");
        Set(6, 8, date8);
        Set(14, 2, venue);
        Set(20, 2, Two(race));
        Set(156, 1, "1");
        This(1, 2, "16").This(3, 2, venue).This(5, 2, "11").This(7, 4, "1600");
        This(11, 2, "13").This(13, 3, "005").This(17, 2, "04");
    }

    AnalysisMaker& Set(std::size_t pos, std::size_t width, std::string_view value) {
        for (std::size_t i = 0; i < width && pos - 1 + i < rec_.size(); ++i)
            rec_[pos - 1 + i] = i < value.size() ? value[i] : ' ';
        return *this;
    }
    // A field of this run's block (record 227..301) or of the previous run's (302..376), by its
    // position within the block.
    AnalysisMaker& This(std::size_t pos, std::size_t width, std::string_view value) {
        return Set(226 + pos, width, value);
    }
    AnalysisMaker& Prev(std::size_t pos, std::size_t width, std::string_view value) {
        return Set(301 + pos, width, value);
    }
    AnalysisMaker& Slot(int slot) { return Set(1, 2, Two(slot)); }
    AnalysisMaker& Name(std::string_view utf8) { return Set(32, 18, keiba::Sj(utf8)); }
    AnalysisMaker& Win(std::string_view nine) { return Set(138, 9, nine); }
    AnalysisMaker& Place(std::string_view nine) { return Set(147, 9, nine); }
    AnalysisMaker& Status(std::string_view one) { return Set(156, 1, one); }
    // A previous run that passes the search's start values: 16 runners at 東京 over 1600 m of
    // turf, second favourite at 5.0, finished 3rd.
    AnalysisMaker& WithPrevious() {
        Prev(1, 2, "16").Prev(3, 2, "05").Prev(5, 2, "11").Prev(7, 4, "1600");
        Prev(11, 2, "13").Prev(13, 3, "005").Prev(17, 2, "04");
        return Prev(21, 2, "02").Prev(23, 2, "03").Prev(25, 4, "0050");
    }
    // This run as the start values pass it: second favourite at 5.0.
    AnalysisMaker& Priced() { return This(21, 2, "02").This(25, 4, "0050"); }

    const std::string& Bytes() const { return rec_; }
    operator const std::string&() const { return rec_; }
    operator std::string_view() const { return rec_; }

    static std::string Two(int n) { return (n < 10 ? "0" : "") + std::to_string(n); }

private:
    std::string rec_ = std::string(378, ' ');
};

} // namespace testsupport
