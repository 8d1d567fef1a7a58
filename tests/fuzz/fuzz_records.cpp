// Fuzz target over the record layer: the framing check of a record as it comes from the
// JV-Link layer or a file, the layout check of the readers on every path it can take, the
// fixed-size view of a file of records and its lines, field access, the race key and the dates
// built from record bytes.
//
// The whole input is one record (or one file of records).

#include "jvdata/recordcheck.h"
#include "jvdata/records.h"
#include "keiba/sjis.h"
#include "tests/fuzz/fuzzsupport.h"

#include <array>
#include <vector>

namespace {

using namespace jvdata;

constexpr std::string_view kIds[] = {"",   "RA", "SE", "HR", "UM", "O1", "O2", "O3",
                                     "O4", "O5", "O6", "RC", "DM", "XQ", "R",  "RAX"};

bool HasLineBreak(std::string_view s) {
    return s.find_first_of("\r\n") != std::string_view::npos;
}

void CheckFramingOf(std::string_view rec, std::string_view expectedId) {
    FramingResult fr = CheckFraming(rec, expectedId);
    FUZZ_CHECK(static_cast<bool>(fr) == (fr.code == Framing::Ok));
    FUZZ_CHECK(fr.reason.empty() == (fr.code == Framing::Ok));
    FUZZ_CHECK((fr.code == Framing::Empty) == rec.empty());
    std::string_view id = rec.substr(0, 2);
    std::optional<std::size_t> length = RecordLengthOf(id);
    // Exactly the records of a known id, at its length, ending in CR LF and holding no other
    // line break, pass; the filing builds a day-file line from them by dropping the last two.
    bool whole = length && rec.size() == *length && rec.ends_with("\r\n") &&
                 !HasLineBreak(rec.substr(0, rec.size() - 2)) &&
                 (expectedId.empty() || id == expectedId);
    FUZZ_CHECK(static_cast<bool>(fr) == whole);
    if (!rec.empty() && !expectedId.empty() && id != expectedId)
        FUZZ_CHECK(fr.code == Framing::WrongId);
}

// Every path of the layout check answers as the plain loop does, and a sound record is a whole
// one of its id.
void CheckSound(std::string_view rec, std::string_view id) {
    const bool plain = IsSoundRecordBy(rec, id, CheckPath::Plain);
    for (CheckPath path : CheckPaths()) FUZZ_CHECK(IsSoundRecordBy(rec, id, path) == plain);
    FUZZ_CHECK(IsSoundRecord(rec, id) == plain);
    if (plain) FUZZ_CHECK(CheckFraming(rec, id));
}

// The lines of a file of records: the file again when joined, each ended by CR LF but the last,
// no CR LF inside any, and none ended by it longer than a record.
void CheckLines(std::string_view file, std::size_t length) {
    std::vector<std::string_view> lines;
    SplitRecordLines(file, length, lines);
    std::size_t at = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        FUZZ_CHECK(!line.empty() && line.data() == file.data() + at);
        at += line.size();
        const bool ended = line.ends_with("\r\n");
        FUZZ_CHECK(ended || i + 1 == lines.size() || lines[i + 1].size() == length);
        FUZZ_CHECK(!ended || line.size() <= length || length < 2);
        FUZZ_CHECK(line.substr(0, line.size() - (ended ? 2 : 0)).find("\r\n") ==
                   std::string_view::npos);
    }
    FUZZ_CHECK(at == file.size());
}

void CheckRecordView(std::string_view file, std::size_t length) {
    std::size_t n = RecordCount(file, length);
    if (length == 0) {
        FUZZ_CHECK(n == 0);
        FUZZ_CHECK(RecordAt(file, length, 0).empty());
        return;
    }
    // Whole records only: a partial record at the end is not one.
    FUZZ_CHECK(n * length <= file.size());
    FUZZ_CHECK(file.size() - n * length < length);
    for (std::size_t i = 0; i < n; ++i) {
        std::string_view r = RecordAt(file, length, i);
        FUZZ_CHECK(r.size() == length);
        FUZZ_CHECK(r.data() == file.data() + i * length);
    }
    FUZZ_CHECK(RecordAt(file, length, n).empty());
    FUZZ_CHECK(RecordAt(file, length, static_cast<std::size_t>(-1)).empty());
}

void CheckField(std::string_view rec, std::size_t pos, std::size_t width) {
    std::string_view f = Field(rec, pos, width);
    FUZZ_CHECK(f.size() <= width);
    if (pos == 0 || pos > rec.size()) {
        FUZZ_CHECK(f.empty());
    } else {
        FUZZ_CHECK(f.data() == rec.data() + pos - 1);
        FUZZ_CHECK(f.size() == std::min(width, rec.size() - (pos - 1)));
    }
    FUZZ_CHECK(FieldNumber(rec, pos, width) >= 0);

    std::string copy(rec);
    std::string value(rec.substr(0, width / 2));
    SetField(copy, pos, width, value);
    FUZZ_CHECK(copy.size() == rec.size());
    for (std::size_t i = 0; i < rec.size(); ++i) {
        bool inField = pos > 0 && i + 1 >= pos && i + 1 < pos + width;
        if (!inField) {
            FUZZ_CHECK(copy[i] == rec[i]);
        } else {
            std::size_t k = i + 1 - pos;
            FUZZ_CHECK(copy[i] == (k < value.size() ? value[k] : ' '));
        }
    }
}

template <typename Record> void CheckFixed(std::string_view bytes) {
    Record r;
    FUZZ_CHECK(r.IsBlank());
    r.Assign(bytes);
    std::string_view b = r.Bytes();
    FUZZ_CHECK(b.size() == Record::kLength);
    std::size_t n = std::min(bytes.size(), Record::kLength);
    FUZZ_CHECK(b.substr(0, n) == bytes.substr(0, n));
    FUZZ_CHECK(b.substr(n).find_first_not_of(' ') == std::string_view::npos);
    FUZZ_CHECK(r.Line().size() == Record::kLength - 2);
}

// The calendar, written out: a real day of the proleptic Gregorian calendar.
bool RealDay(int y, int m, int d) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (m < 1 || m > 12 || d < 1) return false;
    bool leap = y % 4 == 0 && (y % 100 != 0 || y % 400 == 0);
    return d <= kDays[m - 1] + (m == 2 && leap ? 1 : 0);
}

int Digits(std::string_view s) {
    int v = 0;
    for (char c : s) v = v * 10 + (c - '0');
    return v;
}

void CheckDates(std::string_view rec) {
    std::string_view d8 = rec.substr(0, 8);
    std::optional<std::chrono::year_month_day> d = ParseYyyymmdd(d8);
    bool eightDigits = d8.size() == 8 && IsAsciiDigits(d8);
    FUZZ_CHECK(d.has_value() ==
               (eightDigits && RealDay(Digits(d8.substr(0, 4)), Digits(d8.substr(4, 2)),
                                       Digits(d8.substr(6, 2)))));
    if (d) FUZZ_CHECK(FormatYyyymmdd(*d) == d8);

    RaceKey key = RaceKey::Of(rec);
    std::string_view text = key.Text();
    FUZZ_CHECK(text.size() == 16);
    std::string_view f = Field(rec, 12, 16);
    FUZZ_CHECK(text.substr(0, f.size()) == f);
    FUZZ_CHECK(text.substr(f.size()).find_first_not_of(' ') == std::string_view::npos);
    FUZZ_CHECK(key.Key12().size() == 12);
    FUZZ_CHECK(key.Key12() == std::string(text.substr(0, 10)) + std::string(text.substr(14, 2)));
    if (key.IsWellFormed()) {
        FUZZ_CHECK(IsAsciiDigits(text));
        FUZZ_CHECK(key.Date().has_value());
        FUZZ_CHECK(FormatYyyymmdd(*key.Date()) == key.Date8());
        FUZZ_CHECK(key.RaceNumber() >= 0 && key.RaceNumber() <= 99);
    }
    std::optional<RaceKey> back = RaceKey::FromText(text);
    FUZZ_CHECK(back && *back == key);
    FUZZ_CHECK(RaceKey::FromText(rec).has_value() == (rec.size() == 16));
}

void CheckAccessors(std::string_view bytes) {
    TJvRA ra;
    ra.Assign(bytes);
    FUZZ_CHECK(ra.RaceName().size() == 60);
    FUZZ_CHECK(ra.RunnerCount() >= 0 && ra.RunnerCount() <= 99);
    for (int g = 0; g < 5; ++g) FUZZ_CHECK(ra.ConditionCode(g).size() == 3);
    for (int p = 1; p <= 7; ++p) FUZZ_CHECK(ra.Prize(p) >= 0);

    TJvSE se;
    se.Assign(bytes);
    FUZZ_CHECK(se.HorseNumber() >= 0 && se.HorseNumber() <= 99);
    for (int c = 1; c <= 4; ++c) FUZZ_CHECK(se.CornerPosition(c).size() == 2);
    FUZZ_CHECK(se.RunningStyleCode().size() == 1);

    TJvHR hr;
    hr.Assign(bytes);
    for (int t = 0; t < 8; ++t) {
        BetType type = static_cast<BetType>(t);
        const PayoutGroup& g = PayoutGroupOf(type);
        // Every entry lies inside the record: the last one ends before the CR LF.
        FUZZ_CHECK(g.firstPos - 1 + g.entries * g.entryWidth <= kHrLength - 2);
        FUZZ_CHECK(g.combWidth + 9 + g.popWidth == g.entryWidth);
        for (int j = 0; j <= static_cast<int>(g.entries) + 1; ++j) {
            PayoutEntry e = hr.Entry(type, j);
            bool inRange = j >= 1 && static_cast<std::size_t>(j) <= g.entries;
            FUZZ_CHECK(e.combination.size() == (inRange ? g.combWidth : 0));
            FUZZ_CHECK(e.payout.size() == (inRange ? 9 : 0));
            FUZZ_CHECK(e.popularity.size() == (inRange ? g.popWidth : 0));
        }
    }

    TJvUM um;
    um.Assign(bytes);
    for (int i = 0; i < 14; ++i) {
        FUZZ_CHECK(um.AncestorNumber(i).size() == 10);
        FUZZ_CHECK(um.AncestorName(i).size() == 36);
    }

    TJvO1 o1;
    o1.Assign(bytes);
    for (int h = 1; h <= 28; ++h) {
        FUZZ_CHECK(o1.WinOdds(h).size() == 4);
        FUZZ_CHECK(o1.PlaceOddsHigh(h).size() == 4);
    }

    TAnalysisRecord a;
    a.Assign(bytes);
    FUZZ_CHECK(a.ThisRun().Field(1, kAnalysisRunLength).size() == kAnalysisRunLength);
    FUZZ_CHECK(a.PreviousRun().Field(1, kAnalysisRunLength).size() == kAnalysisRunLength);
    for (int k = 0; k < 3; ++k) {
        FUZZ_CHECK(a.PastRun(k).Date8().size() == 8);
        FUZZ_CHECK(a.PastRun(k).RCode().size() == 1);
    }
    FUZZ_CHECK(a.RaceSlot() >= 0 && a.HorseNumber() >= 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view in(reinterpret_cast<const char*>(data), size);

    for (std::string_view id : kIds) {
        CheckFramingOf(in, id);
        CheckSound(in, id);
    }
    // The same bytes framed as a record of their own id: the length the fuzzer cannot guess.
    if (auto length = RecordLengthOf(in.substr(0, 2)); length && in.size() < *length) {
        std::string framed(in);
        framed.resize(*length, ' ');
        framed[*length - 2] = '\r';
        framed[*length - 1] = '\n';
        CheckFramingOf(framed, {});
        CheckFramingOf(framed, in.substr(0, 2));
        CheckSound(framed, in.substr(0, 2));
    }

    static constexpr std::array<std::size_t, 12> kLengths = {
        0,         1,         2,         3,         kRaLength,       kSeLength,
        kHrLength, kUmLength, kO1Length, kDmLength, kAnalysisLength, kUmaLength};
    for (std::size_t length : kLengths) {
        CheckRecordView(in, length);
        CheckLines(in, length);
    }
    CheckRecordView(in, size + 1);
    if (size > 0) CheckRecordView(in, 1 + static_cast<std::size_t>(data[0]) % size);

    std::size_t pos = size == 0 ? 0 : (static_cast<std::size_t>(data[0]) * 7 + size) % (size + 3);
    std::size_t width = size == 0 ? 0 : static_cast<std::size_t>(data[size - 1]) % 40;
    CheckField(in, pos, width);
    CheckField(in, 1, size);
    CheckField(in, size, 2);
    CheckField(in, size + 1, 2);

    std::string zeroed(in);
    ZeroHead(zeroed);
    FUZZ_CHECK(zeroed.size() == size);
    if (size >= 11) FUZZ_CHECK(zeroed.substr(2, 9) == "000000000");

    CheckDates(in);
    CheckDates(Field(in, 12, 16));
    CheckFixed<TJvRA>(in);
    CheckFixed<TJvSE>(in);
    CheckFixed<TJvHR>(in);
    CheckFixed<TJvO6>(in);
    CheckFixed<TAnalysisRecord>(in);
    CheckAccessors(in);
    return 0;
}
