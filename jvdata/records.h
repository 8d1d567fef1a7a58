#pragma once
// JV-Data records as fixed-width CP932 bytes, held verbatim with their CR LF, and the members'
// analysis record. Fields are addressed by 1-based byte position and width; a field that
// reaches past the record is cut, never read out of bounds.

#include <algorithm>
#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

namespace jvdata {

// Record lengths, CR LF included.
inline constexpr std::size_t kRaLength = 1272;
inline constexpr std::size_t kSeLength = 555;
inline constexpr std::size_t kHrLength = 719;
inline constexpr std::size_t kUmLength = 1609;
inline constexpr std::size_t kO1Length = 962;
inline constexpr std::size_t kO2Length = 2042;
inline constexpr std::size_t kO3Length = 2654;
inline constexpr std::size_t kO4Length = 4031;
inline constexpr std::size_t kO5Length = 12293;
inline constexpr std::size_t kO6Length = 83285;
inline constexpr std::size_t kRcLength = 501;
inline constexpr std::size_t kDmLength = 303;
// The older horse-master layout of the .jvUMA files; it has no record id of its own.
inline constexpr std::size_t kUmaLength = 1577;
// The members' records carry no line break of their own.
inline constexpr std::size_t kAnalysisLength = 378;
inline constexpr std::size_t kAnalysisRunLength = 75;

// The length of the records of a two-letter id, or nothing for an id this system does not know.
std::optional<std::size_t> RecordLengthOf(std::string_view id);

// The field at 1-based `pos` of `width` bytes, cut at the end of the record.
std::string_view Field(std::string_view record, std::size_t pos, std::size_t width);

// The value of a digit field as the system reads numbers (leading blanks skipped, digits read
// up to the first other character, blanks read as 0).
std::int64_t FieldNumber(std::string_view record, std::size_t pos, std::size_t width);

// Writes `value` into the field, cut or padded with half-width blanks to `width`; the part of
// the field past the end of the record is dropped.
void SetField(std::string& record, std::size_t pos, std::size_t width, std::string_view value);

// Positions 3 to 11 (data kind and creation date) become "000000000".
void ZeroHead(std::string& record);

bool IsAsciiDigits(std::string_view s);

// A calendar date from "yyyymmdd": eight digits naming a real day, or nothing.
std::optional<std::chrono::year_month_day> ParseYyyymmdd(std::string_view s);
std::string FormatYyyymmdd(std::chrono::year_month_day d);

// Framing of one record as it came from JV-Link or a file: length, record id, CR LF.
enum class Framing { Ok, Empty, UnknownId, WrongId, WrongLength, NoCrLf };
struct FramingResult {
    Framing code = Framing::Ok;
    std::string reason; // UTF-8, empty when Ok
    explicit operator bool() const { return code == Framing::Ok; }
};
// `expectedId` empty: any known id, at its own length. Otherwise the id must be that one.
FramingResult CheckFraming(std::string_view record, std::string_view expectedId = {});

// The 16-character race key of positions 12 to 27 of every race record.
class RaceKey {
public:
    RaceKey() { key_.fill(' '); }
    // The key of a race record (positions 12 to 27); blanks where the record is short.
    static RaceKey Of(std::string_view record);
    // A key from its 16 characters; nothing for another length.
    static std::optional<RaceKey> FromText(std::string_view text);

    std::string_view Text() const { return {key_.data(), key_.size()}; }
    std::string_view Year() const { return Text().substr(0, 4); }
    std::string_view MonthDay() const { return Text().substr(4, 4); }
    std::string_view Date8() const { return Text().substr(0, 8); }
    std::string_view Venue() const { return Text().substr(8, 2); }
    std::string_view Meeting() const { return Text().substr(10, 2); }
    std::string_view Day() const { return Text().substr(12, 2); }
    std::string_view RaceNo() const { return Text().substr(14, 2); }
    // Date, venue and race number: the 12-character key of the hand-input and payout matching.
    std::string Key12() const;
    int RaceNumber() const;
    std::optional<std::chrono::year_month_day> Date() const { return ParseYyyymmdd(Date8()); }
    // All sixteen characters digits and the date a real day.
    bool IsWellFormed() const;

    auto operator<=>(const RaceKey&) const = default;

private:
    std::array<char, 16> key_;
};

// A record of fixed length N held verbatim. A default record is all blanks (byte 0x20), the
// state of an empty slot of the race-day arrays.
template <std::size_t N> class FixedRecord {
public:
    static constexpr std::size_t kLength = N;
    FixedRecord() { Clear(); }

    std::string_view Bytes() const { return {bytes_.data(), N}; }
    // The record less its CR LF: the line of a day file.
    std::string_view Line() const { return Bytes().substr(0, N >= 2 ? N - 2 : N); }
    std::string_view Field(std::size_t pos, std::size_t width) const {
        return jvdata::Field(Bytes(), pos, width);
    }
    std::int64_t Number(std::size_t pos, std::size_t width) const {
        return jvdata::FieldNumber(Bytes(), pos, width);
    }
    void SetField(std::size_t pos, std::size_t width, std::string_view value) {
        if (pos == 0 || pos > N) return;
        std::size_t w = std::min(width, N - (pos - 1));
        for (std::size_t i = 0; i < w; ++i) bytes_[pos - 1 + i] = i < value.size() ? value[i] : ' ';
    }
    // Copies `bytes` in; shorter input leaves the rest blank, longer input is cut.
    void Assign(std::string_view bytes) {
        std::size_t n = std::min(N, bytes.size());
        if (n > 0) std::memcpy(bytes_.data(), bytes.data(), n);
        std::fill(bytes_.begin() + static_cast<std::ptrdiff_t>(n), bytes_.end(), ' ');
    }
    void Clear() { std::memset(bytes_.data(), ' ', N); }
    bool IsBlank() const { return Bytes().find_first_not_of(' ') == std::string_view::npos; }
    char* data() { return bytes_.data(); }

private:
    std::array<char, N> bytes_;
};

// Common head and race key of the race records.
template <std::size_t N> class RaceRecord : public FixedRecord<N> {
public:
    std::string_view RecordId() const { return this->Field(1, 2); }
    std::string_view DataKind() const { return this->Field(3, 1); }
    std::string_view CreationDate() const { return this->Field(4, 8); }
    RaceKey Key() const { return RaceKey::Of(this->Bytes()); }
    std::string_view RaceDate() const { return this->Field(12, 8); }
    std::string_view VenueCode() const { return this->Field(20, 2); }
    int RaceNumber() const { return static_cast<int>(this->Number(26, 2)); }
};

class TJvRA : public RaceRecord<kRaLength> {
public:
    static constexpr std::string_view kId = "RA";
    std::string_view WeekdayCode() const { return Field(28, 1); }
    std::string_view RaceName() const { return Field(33, 60); }
    std::string_view ShortName10() const { return Field(573, 20); }
    std::string_view ShortName3() const { return Field(605, 6); }
    std::string_view Edition() const { return Field(612, 3); }
    std::string_view GradeCode() const { return Field(615, 1); }
    std::string_view RaceTypeCode() const { return Field(617, 2); }
    std::string_view RaceSymbolCode() const { return Field(619, 3); }
    std::string_view WeightRuleCode() const { return Field(622, 1); }
    // Age groups 0 to 4; the last serves as the race's class.
    std::string_view ConditionCode(int group) const { return Field(623 + 3 * group, 3); }
    int Distance() const { return static_cast<int>(Number(698, 4)); }
    std::string_view TrackCode() const { return Field(706, 2); }
    std::int64_t Prize(int place) const { return Number(714 + 8 * (place - 1), 8); }
    std::int64_t AddedPrize(int place) const { return Number(810 + 8 * (place - 1), 8); }
    std::string_view PostTime() const { return Field(874, 4); }
    int RunnerCount() const { return static_cast<int>(Number(882, 2)); }
    std::string_view WeatherCode() const { return Field(888, 1); }
    std::string_view TurfGoingCode() const { return Field(889, 1); }
    std::string_view DirtGoingCode() const { return Field(890, 1); }
};

class TJvSE : public RaceRecord<kSeLength> {
public:
    static constexpr std::string_view kId = "SE";
    int Bracket() const { return static_cast<int>(Number(28, 1)); }
    int HorseNumber() const { return static_cast<int>(Number(29, 2)); }
    std::string_view PedigreeId() const { return Field(31, 10); }
    std::string_view HorseName() const { return Field(41, 36); }
    std::string_view SexCode() const { return Field(79, 1); }
    int Age() const { return static_cast<int>(Number(83, 2)); }
    std::string_view AffiliationCode() const { return Field(85, 1); }
    std::string_view TrainerCode() const { return Field(86, 5); }
    std::string_view TrainerName() const { return Field(91, 8); }
    int WeightCarriedTenths() const { return static_cast<int>(Number(289, 3)); }
    std::string_view BlinkersCode() const { return Field(295, 1); }
    std::string_view JockeyCode() const { return Field(297, 5); }
    std::string_view JockeyName() const { return Field(307, 8); }
    std::string_view ApprenticeCode() const { return Field(323, 1); }
    std::string_view BodyWeight() const { return Field(325, 3); }
    std::string_view AbnormalityCode() const { return Field(332, 1); }
    int ArrivalOrder() const { return static_cast<int>(Number(333, 2)); }
    int FinalPosition() const { return static_cast<int>(Number(335, 2)); }
    std::string_view FinishTime() const { return Field(339, 4); }
    std::string_view CornerPosition(int corner) const { return Field(352 + 2 * (corner - 1), 2); }
    std::string_view WinOddsTenths() const { return Field(360, 4); }
    int WinPopularity() const { return static_cast<int>(Number(364, 2)); }
    std::int64_t PrizeWon() const { return Number(366, 8); }
    std::int64_t AddedPrizeWon() const { return Number(374, 8); }
    std::string_view Last3F() const { return Field(391, 3); }
    std::string_view OpponentName() const { return Field(404, 36); }
    std::string_view TimeDifference() const { return Field(532, 4); }
    std::string_view RunningStyleCode() const { return Field(553, 1); }
};

// One payout entry of an HR record.
struct PayoutEntry {
    std::string_view combination;
    std::string_view payout;
    std::string_view popularity;
};
enum class BetType { Win, Place, BracketQuinella, Quinella, Wide, Exacta, Trio, Trifecta };
struct PayoutGroup {
    std::size_t firstPos, entries, entryWidth, combWidth, popWidth;
};
const PayoutGroup& PayoutGroupOf(BetType t);

class TJvHR : public RaceRecord<kHrLength> {
public:
    static constexpr std::string_view kId = "HR";
    // Entry j (1-based) of a bet type.
    PayoutEntry Entry(BetType t, int j) const;
};

class TJvUM : public FixedRecord<kUmLength> {
public:
    static constexpr std::string_view kId = "UM";
    std::string_view RecordId() const { return Field(1, 2); }
    std::string_view DataKind() const { return Field(3, 1); }
    std::string_view PedigreeId() const { return Field(12, 10); }
    std::string_view HorseName() const { return Field(47, 36); }
    std::string_view CoatCode() const { return Field(203, 2); }
    // Pedigree entry 0..13: breeding number and name.
    std::string_view AncestorNumber(int i) const { return Field(205 + 46 * i, 10); }
    std::string_view AncestorName(int i) const { return Field(215 + 46 * i, 36); }
    std::int64_t PrizeTotal(int i) const { return Number(1053 + 9 * i, 9); }
};

// Odds entries: the first entry's position, the number of entries and their width.
struct OddsLayout {
    std::size_t firstPos, entries, entryWidth, combWidth;
};
template <std::size_t N> class OddsRecord : public RaceRecord<N> {
public:
    std::string_view AnnounceTime() const { return this->Field(28, 8); }
};
class TJvO1 : public OddsRecord<kO1Length> {
public:
    static constexpr std::string_view kId = "O1";
    static constexpr OddsLayout kWin{44, 28, 8, 2};
    static constexpr OddsLayout kPlace{268, 28, 12, 2};
    std::string_view WinOdds(int horse) const { return Field(46 + 8 * (horse - 1), 4); }
    std::string_view PlaceOddsLow(int horse) const { return Field(270 + 12 * (horse - 1), 4); }
    std::string_view PlaceOddsHigh(int horse) const { return Field(274 + 12 * (horse - 1), 4); }
};
class TJvO2 : public OddsRecord<kO2Length> {
public:
    static constexpr std::string_view kId = "O2";
    static constexpr OddsLayout kEntries{41, 153, 13, 4};
};
class TJvO3 : public OddsRecord<kO3Length> {
public:
    static constexpr std::string_view kId = "O3";
    static constexpr OddsLayout kEntries{41, 153, 17, 4};
};
class TJvO4 : public OddsRecord<kO4Length> {
public:
    static constexpr std::string_view kId = "O4";
    static constexpr OddsLayout kEntries{41, 306, 13, 4};
};
class TJvO5 : public OddsRecord<kO5Length> {
public:
    static constexpr std::string_view kId = "O5";
    static constexpr OddsLayout kEntries{41, 816, 15, 6};
};
class TJvO6 : public OddsRecord<kO6Length> {
public:
    static constexpr std::string_view kId = "O6";
    static constexpr OddsLayout kEntries{41, 4896, 17, 6};
};

// Course records: nothing files them, so every field reads as blanks.
class TJvRC : public FixedRecord<kRcLength> {
public:
    static constexpr std::string_view kId = "RC";
};

// One 75-byte run block of an analysis record (positions 1-based within the block).
class TAnalysisRun {
public:
    explicit TAnalysisRun(std::string_view block)
        : block_(block) {}
    std::string_view Field(std::size_t pos, std::size_t width) const {
        return jvdata::Field(block_, pos, width);
    }
    std::string_view FieldSize() const { return Field(1, 2); }
    std::string_view VenueCode() const { return Field(3, 2); }
    std::string_view RaceRLevel() const { return Field(17, 2); }
    std::string_view ROrder() const { return Field(19, 2); }
    std::string_view RCode() const { return Field(29, 1); }
    std::string_view ForecastMark() const { return Field(30, 2); }

private:
    std::string_view block_;
};

class TAnalysisRecord : public FixedRecord<kAnalysisLength> {
public:
    int RaceSlot() const { return static_cast<int>(Number(1, 2)); }
    int HorseNumber() const { return static_cast<int>(Number(3, 2)); }
    std::string_view Date8() const { return Field(6, 8); }
    std::string_view VenueCode() const { return Field(14, 2); }
    std::string_view RaceNo() const { return Field(20, 2); }
    std::string_view HorseName() const { return Field(32, 18); }
    // Past run k = 0..2: date (8), venue (2), race (2), R level (1), R code (1).
    std::string_view PastRun(int k) const { return Field(185 + 14 * k, 14); }
    TAnalysisRun ThisRun() const { return TAnalysisRun(Field(227, kAnalysisRunLength)); }
    TAnalysisRun PreviousRun() const { return TAnalysisRun(Field(302, kAnalysisRunLength)); }
};

// A file read as consecutive fixed-size records (the readers' typed-file view); a partial record
// at the end is not a record.
std::size_t RecordCount(std::string_view fileBytes, std::size_t recordLength);
std::string_view RecordAt(std::string_view fileBytes, std::size_t recordLength, std::size_t i);

} // namespace jvdata
