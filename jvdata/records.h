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
#include <span>
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

// A field of a record: its 1-based byte position and its width in bytes. Every position the
// system reads is named once, below or in the record classes, and read through these.
struct FieldPos {
    std::size_t pos;
    std::size_t width;
};

// The length of the records of a two-letter id, or nothing for an id this system does not know.
std::optional<std::size_t> RecordLengthOf(std::string_view id);
// Every id RecordLengthOf knows, with its length.
struct KnownRecord {
    std::string_view id;
    std::size_t length;
};
std::span<const KnownRecord> KnownRecords();

// The field at 1-based `pos` of `width` bytes, cut at the end of the record.
std::string_view Field(std::string_view record, std::size_t pos, std::size_t width);

inline std::string_view Field(std::string_view record, FieldPos f) {
    return Field(record, f.pos, f.width);
}

// The value of a digit field as the system reads numbers (leading blanks skipped, digits read
// up to the first other character, blanks read as 0).
std::int64_t FieldNumber(std::string_view record, std::size_t pos, std::size_t width);
inline std::int64_t FieldNumber(std::string_view record, FieldPos f) {
    return FieldNumber(record, f.pos, f.width);
}

// Writes `value` into the field, cut or padded with half-width blanks to `width`; the part of
// the field past the end of the record is dropped.
void SetField(std::string& record, std::size_t pos, std::size_t width, std::string_view value);
inline void SetField(std::string& record, FieldPos f, std::string_view value) {
    SetField(record, f.pos, f.width, value);
}

// The common head of every JV-Data record and the race key of the race records, for code that
// holds a record as plain bytes.
struct RecordHead {
    static constexpr FieldPos kRecordId{1, 2};
    static constexpr FieldPos kDataKind{3, 1};
    static constexpr FieldPos kCreationDate{4, 8};
    // Data kind and creation date, zeroed before a record is filed.
    static constexpr FieldPos kKindAndCreation{3, 9};
    static constexpr FieldPos kRaceKey{12, 16};
    static constexpr FieldPos kRaceDate{12, 8};
    static constexpr FieldPos kYear{12, 4};
    static constexpr FieldPos kMonthDay{16, 4};
    static constexpr FieldPos kMonth{16, 2};
    static constexpr FieldPos kDayOfMonth{18, 2};
    static constexpr FieldPos kVenue{20, 2};
    static constexpr FieldPos kMeeting{22, 2};
    static constexpr FieldPos kMeetingDay{24, 2};
    static constexpr FieldPos kRaceNo{26, 2};
};

// Positions 3 to 11 (data kind and creation date) become "000000000".
void ZeroHead(std::string& record);

bool IsAsciiDigits(std::string_view s);

// The one rule of a race key, for every record that names a race: the date "yyyymmdd" a real day,
// the venue code two capital letters or digits (races abroad have letters in theirs), the
// meeting, its day and the race number two digits each. Parts a record does not carry are given
// empty and not looked at.
bool IsRaceKeyParts(std::string_view date8, std::string_view venue, std::string_view meeting,
                    std::string_view day, std::string_view raceNo);
// The same of a key of sixteen characters (date, venue, meeting, day, race number).
bool IsRaceKey(std::string_view key16);

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
    // Whether it follows the one rule of a race key (IsRaceKey).
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
    std::string_view Field(FieldPos f) const { return Field(f.pos, f.width); }
    std::int64_t Number(std::size_t pos, std::size_t width) const {
        return jvdata::FieldNumber(Bytes(), pos, width);
    }
    std::int64_t Number(FieldPos f) const { return Number(f.pos, f.width); }
    void SetField(std::size_t pos, std::size_t width, std::string_view value) {
        if (pos == 0 || pos > N) return;
        std::size_t w = std::min(width, N - (pos - 1));
        for (std::size_t i = 0; i < w; ++i) bytes_[pos - 1 + i] = i < value.size() ? value[i] : ' ';
    }
    void SetField(FieldPos f, std::string_view value) { SetField(f.pos, f.width, value); }
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
template <std::size_t N> class RaceRecord : public FixedRecord<N>, public RecordHead {
public:
    std::string_view RecordId() const { return this->Field(kRecordId); }
    std::string_view DataKind() const { return this->Field(kDataKind); }
    std::string_view CreationDate() const { return this->Field(kCreationDate); }
    RaceKey Key() const { return RaceKey::Of(this->Bytes()); }
    std::string_view KeyText() const { return this->Field(kRaceKey); }
    std::string_view RaceDate() const { return this->Field(kRaceDate); }
    std::string_view Year() const { return this->Field(kYear); }
    std::string_view MonthDay() const { return this->Field(kMonthDay); }
    std::string_view Month() const { return this->Field(kMonth); }
    std::string_view DayOfMonth() const { return this->Field(kDayOfMonth); }
    std::string_view VenueCode() const { return this->Field(kVenue); }
    std::string_view Meeting() const { return this->Field(kMeeting); }
    std::string_view MeetingDay() const { return this->Field(kMeetingDay); }
    // The race number as its two characters, and as a number.
    std::string_view RaceNo() const { return this->Field(kRaceNo); }
    int RaceNumber() const { return static_cast<int>(this->Number(kRaceNo)); }
};

class TJvRA : public RaceRecord<kRaLength> {
public:
    static constexpr std::string_view kId = "RA";
    static constexpr FieldPos kWeekday{28, 1};
    static constexpr FieldPos kRaceName{33, 60};
    static constexpr FieldPos kShortName10{573, 20};
    static constexpr FieldPos kShortName6{593, 12};
    static constexpr FieldPos kShortName3{605, 6};
    static constexpr FieldPos kEdition{612, 3};
    static constexpr FieldPos kGrade{615, 1};
    static constexpr FieldPos kRaceType{617, 2};
    static constexpr FieldPos kRaceSymbol{619, 3};
    static constexpr FieldPos kWeightRule{622, 1};
    static constexpr std::size_t kConditionPos = 623; // five groups of 3
    static constexpr FieldPos kDistance{698, 4};
    static constexpr FieldPos kTrack{706, 2};
    static constexpr FieldPos kCourseDivision{710, 2};
    static constexpr std::size_t kPrizePos = 714;      // places 1..7, 8 bytes each
    static constexpr std::size_t kAddedPrizePos = 810; // places 1..5, 8 bytes each
    static constexpr FieldPos kPostTime{874, 4};
    static constexpr FieldPos kPostHour{874, 2};
    static constexpr FieldPos kPostMinute{876, 2};
    static constexpr FieldPos kRunnerCount{882, 2};
    static constexpr FieldPos kFinisherCount{886, 2};
    static constexpr FieldPos kWeather{888, 1};
    static constexpr FieldPos kTurfGoing{889, 1};
    static constexpr FieldPos kDirtGoing{890, 1};

    std::string_view WeekdayCode() const { return Field(kWeekday); }
    std::string_view RaceName() const { return Field(kRaceName); }
    std::string_view ShortName10() const { return Field(kShortName10); }
    std::string_view ShortName6() const { return Field(kShortName6); }
    std::string_view ShortName3() const { return Field(kShortName3); }
    std::string_view Edition() const { return Field(kEdition); }
    std::string_view GradeCode() const { return Field(kGrade); }
    std::string_view RaceTypeCode() const { return Field(kRaceType); }
    std::string_view RaceSymbolCode() const { return Field(kRaceSymbol); }
    std::string_view WeightRuleCode() const { return Field(kWeightRule); }
    // Age groups 0 to 4; the last serves as the race's class.
    std::string_view ConditionCode(int group) const {
        return Field(kConditionPos + 3 * static_cast<std::size_t>(group), 3);
    }
    std::string_view ClassCode() const { return ConditionCode(4); }
    std::string_view DistanceText() const { return Field(kDistance); }
    int Distance() const { return static_cast<int>(Number(kDistance)); }
    std::string_view TrackCode() const { return Field(kTrack); }
    std::string_view CourseDivision() const { return Field(kCourseDivision); }
    // Prize money of place 1..7 and added prize of place 1..5, units of 100 yen.
    std::string_view PrizeText(int place) const { return Field(PrizePos(place)); }
    std::int64_t Prize(int place) const { return Number(PrizePos(place)); }
    std::string_view AddedPrizeText(int place) const { return Field(AddedPrizePos(place)); }
    std::int64_t AddedPrize(int place) const { return Number(AddedPrizePos(place)); }
    std::string_view PostTime() const { return Field(kPostTime); }
    std::string_view PostHour() const { return Field(kPostHour); }
    std::string_view PostMinute() const { return Field(kPostMinute); }
    std::string_view RunnerCountText() const { return Field(kRunnerCount); }
    int RunnerCount() const { return static_cast<int>(Number(kRunnerCount)); }
    std::string_view FinisherCountText() const { return Field(kFinisherCount); }
    std::string_view WeatherCode() const { return Field(kWeather); }
    std::string_view TurfGoingCode() const { return Field(kTurfGoing); }
    std::string_view DirtGoingCode() const { return Field(kDirtGoing); }

private:
    static constexpr FieldPos PrizePos(int place) {
        return {kPrizePos + 8 * static_cast<std::size_t>(place - 1), 8};
    }
    static constexpr FieldPos AddedPrizePos(int place) {
        return {kAddedPrizePos + 8 * static_cast<std::size_t>(place - 1), 8};
    }
};

class TJvSE : public RaceRecord<kSeLength> {
public:
    static constexpr std::string_view kId = "SE";
    static constexpr FieldPos kBracket{28, 1};
    static constexpr FieldPos kHorseNo{29, 2};
    static constexpr FieldPos kPedigreeId{31, 10};
    // The first four characters of the pedigree id, compared with a year.
    static constexpr FieldPos kPedigreeYear{31, 4};
    static constexpr FieldPos kHorseName{41, 36};
    static constexpr FieldPos kSex{79, 1};
    static constexpr FieldPos kAge{83, 2};
    static constexpr FieldPos kAffiliation{85, 1};
    static constexpr FieldPos kTrainerCode{86, 5};
    static constexpr FieldPos kTrainerName{91, 8};
    static constexpr FieldPos kWeightCarried{289, 3};
    static constexpr FieldPos kBlinkers{295, 1};
    static constexpr FieldPos kJockeyCode{297, 5};
    static constexpr FieldPos kJockeyName{307, 8};
    static constexpr FieldPos kApprentice{323, 1};
    static constexpr FieldPos kBodyWeight{325, 3};
    static constexpr FieldPos kAbnormality{332, 1};
    static constexpr FieldPos kArrivalOrder{333, 2};
    static constexpr FieldPos kFinalPosition{335, 2};
    static constexpr FieldPos kFinishTime{339, 4};
    static constexpr std::size_t kCornerPos = 352; // corners 1..4, 2 bytes each
    static constexpr FieldPos kWinOdds{360, 4};
    static constexpr FieldPos kWinPopularity{364, 2};
    static constexpr FieldPos kPrizeWon{366, 8};
    static constexpr FieldPos kAddedPrizeWon{374, 8};
    static constexpr FieldPos kLast3F{391, 3};
    static constexpr FieldPos kOpponentName{404, 36};
    static constexpr FieldPos kTimeDifference{532, 4};
    static constexpr FieldPos kRunningStyle{553, 1};

    std::string_view BracketText() const { return Field(kBracket); }
    int Bracket() const { return static_cast<int>(Number(kBracket)); }
    std::string_view HorseNumberText() const { return Field(kHorseNo); }
    int HorseNumber() const { return static_cast<int>(Number(kHorseNo)); }
    std::string_view PedigreeId() const { return Field(kPedigreeId); }
    std::string_view HorseName() const { return Field(kHorseName); }
    std::string_view SexCode() const { return Field(kSex); }
    std::string_view AgeText() const { return Field(kAge); }
    int Age() const { return static_cast<int>(Number(kAge)); }
    std::string_view AffiliationCode() const { return Field(kAffiliation); }
    std::string_view TrainerCode() const { return Field(kTrainerCode); }
    std::string_view TrainerName() const { return Field(kTrainerName); }
    std::string_view WeightCarriedText() const { return Field(kWeightCarried); }
    int WeightCarriedTenths() const { return static_cast<int>(Number(kWeightCarried)); }
    std::string_view BlinkersCode() const { return Field(kBlinkers); }
    std::string_view JockeyCode() const { return Field(kJockeyCode); }
    std::string_view JockeyName() const { return Field(kJockeyName); }
    std::string_view ApprenticeCode() const { return Field(kApprentice); }
    std::string_view BodyWeight() const { return Field(kBodyWeight); }
    std::string_view AbnormalityCode() const { return Field(kAbnormality); }
    int ArrivalOrder() const { return static_cast<int>(Number(kArrivalOrder)); }
    std::string_view FinalPositionText() const { return Field(kFinalPosition); }
    int FinalPosition() const { return static_cast<int>(Number(kFinalPosition)); }
    void SetFinalPosition(std::string_view two) { SetField(kFinalPosition, two); }
    std::string_view FinishTime() const { return Field(kFinishTime); }
    std::string_view CornerPosition(int corner) const {
        return Field(kCornerPos + 2 * static_cast<std::size_t>(corner - 1), 2);
    }
    std::string_view WinOddsTenths() const { return Field(kWinOdds); }
    std::string_view WinPopularityText() const { return Field(kWinPopularity); }
    int WinPopularity() const { return static_cast<int>(Number(kWinPopularity)); }
    std::int64_t PrizeWon() const { return Number(kPrizeWon); }
    std::int64_t AddedPrizeWon() const { return Number(kAddedPrizeWon); }
    std::string_view Last3F() const { return Field(kLast3F); }
    std::string_view OpponentName() const { return Field(kOpponentName); }
    std::string_view TimeDifference() const { return Field(kTimeDifference); }
    std::string_view RunningStyleCode() const { return Field(kRunningStyle); }
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
    static constexpr FieldPos kRecordId{1, 2};
    static constexpr FieldPos kDataKind{3, 1};
    static constexpr FieldPos kPedigreeId{12, 10};
    static constexpr FieldPos kPedigreeYear{12, 4};
    static constexpr FieldPos kHorseName{47, 36};
    static constexpr FieldPos kCoat{203, 2};
    // The pedigree block: 14 entries of 46 bytes, breeding number (10) then name (36), in the
    // order of the five-generation table: sire, dam, sire's sire, sire's dam, dam's sire, ...
    static constexpr std::size_t kPedigreePos = 205;
    static constexpr std::size_t kPedigreeEntry = 46;
    static constexpr int kSire = 0;
    static constexpr int kDam = 1;
    static constexpr int kSiresSire = 2;
    static constexpr int kSiresDam = 3;
    static constexpr int kDamsSire = 4;
    static constexpr int kDamsDam = 5;
    static constexpr std::size_t kPrizeTotalPos = 1053; // six totals, 9 bytes each

    std::string_view RecordId() const { return Field(kRecordId); }
    std::string_view DataKind() const { return Field(kDataKind); }
    std::string_view PedigreeId() const { return Field(kPedigreeId); }
    std::string_view HorseName() const { return Field(kHorseName); }
    std::string_view CoatCode() const { return Field(kCoat); }
    // Pedigree entry 0..13: breeding number and name.
    std::string_view AncestorNumber(int i) const {
        return Field(kPedigreePos + kPedigreeEntry * static_cast<std::size_t>(i), 10);
    }
    std::string_view AncestorName(int i) const {
        return Field(kPedigreePos + 10 + kPedigreeEntry * static_cast<std::size_t>(i), 36);
    }
    // The names the race cards show: sire (position 215), dam (261) and dam's sire (399).
    std::string_view SireName() const { return AncestorName(kSire); }
    std::string_view DamName() const { return AncestorName(kDam); }
    std::string_view DamsSireName() const { return AncestorName(kDamsSire); }
    std::int64_t PrizeTotal(int i) const {
        return Number(kPrizeTotalPos + 9 * static_cast<std::size_t>(i), 9);
    }
};

// Odds entries: the first entry's position, the number of entries and their width.
struct OddsLayout {
    std::size_t firstPos, entries, entryWidth, combWidth;
};
template <std::size_t N> class OddsRecord : public RaceRecord<N> {
public:
    // Month, day, hour and minute of the announcement.
    static constexpr FieldPos kAnnounceTime{28, 8};
    static constexpr FieldPos kAnnounceMonthDay{28, 4};
    static constexpr FieldPos kAnnounceHour{32, 2};
    static constexpr FieldPos kAnnounceMinute{34, 2};
    std::string_view AnnounceTime() const { return this->Field(kAnnounceTime); }
    std::string_view AnnounceMonthDay() const { return this->Field(kAnnounceMonthDay); }
    std::string_view AnnounceHour() const { return this->Field(kAnnounceHour); }
    std::string_view AnnounceMinute() const { return this->Field(kAnnounceMinute); }
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
    static constexpr FieldPos kYear{13, 4};
    static constexpr FieldPos kMonth{17, 2};
    static constexpr FieldPos kDayOfMonth{19, 2};
    static constexpr FieldPos kVenue{21, 2};
    static constexpr FieldPos kMeeting{23, 2};
    static constexpr FieldPos kMeetingDay{25, 2};
    static constexpr FieldPos kRaceNo{27, 2};
    static constexpr FieldPos kRaceName{33, 60};
    static constexpr FieldPos kGrade{93, 1};
    static constexpr FieldPos kRaceType{94, 2};
    static constexpr FieldPos kDistance{96, 4};
    static constexpr FieldPos kTrack{100, 2};
    static constexpr FieldPos kTimeKind{102, 1};
    static constexpr FieldPos kRecordTime{103, 4};
    static constexpr FieldPos kWeather{107, 1};
    static constexpr FieldPos kTurfGoing{108, 1};
    static constexpr FieldPos kDirtGoing{109, 1};
    static constexpr FieldPos kPedigreeYear{110, 4}; // the holder's birth year
    static constexpr FieldPos kHorseName{120, 36};
    static constexpr FieldPos kHorseSymbol{156, 2};
    static constexpr FieldPos kSex{158, 1};
    static constexpr FieldPos kTrainerName{164, 34};
    static constexpr FieldPos kWeightCarried{198, 3};
    static constexpr FieldPos kJockeyName{206, 34};

    std::string_view Year() const { return Field(kYear); }
    std::string_view Month() const { return Field(kMonth); }
    std::string_view DayOfMonth() const { return Field(kDayOfMonth); }
    std::string_view VenueCode() const { return Field(kVenue); }
    std::string_view Meeting() const { return Field(kMeeting); }
    std::string_view MeetingDay() const { return Field(kMeetingDay); }
    std::string_view RaceNo() const { return Field(kRaceNo); }
    std::string_view RaceName() const { return Field(kRaceName); }
    std::string_view GradeCode() const { return Field(kGrade); }
    std::string_view RaceTypeCode() const { return Field(kRaceType); }
    std::string_view DistanceText() const { return Field(kDistance); }
    std::string_view TrackCode() const { return Field(kTrack); }
    std::string_view TimeKindCode() const { return Field(kTimeKind); }
    std::string_view RecordTime() const { return Field(kRecordTime); }
    std::string_view WeatherCode() const { return Field(kWeather); }
    std::string_view TurfGoingCode() const { return Field(kTurfGoing); }
    std::string_view DirtGoingCode() const { return Field(kDirtGoing); }
    std::string_view HolderBirthYear() const { return Field(kPedigreeYear); }
    std::string_view HorseName() const { return Field(kHorseName); }
    std::string_view HorseSymbolCode() const { return Field(kHorseSymbol); }
    std::string_view SexCode() const { return Field(kSex); }
    std::string_view TrainerName() const { return Field(kTrainerName); }
    std::string_view WeightCarriedText() const { return Field(kWeightCarried); }
    std::string_view JockeyName() const { return Field(kJockeyName); }
};

// One 75-byte run block of an analysis record (positions 1-based within the block).
class TAnalysisRun {
public:
    static constexpr FieldPos kFieldSize{1, 2};
    static constexpr FieldPos kVenue{3, 2};
    static constexpr FieldPos kTrack{5, 2};
    static constexpr FieldPos kDistance{7, 4};
    static constexpr FieldPos kRaceType{11, 2};
    static constexpr FieldPos kCondition{13, 3};
    static constexpr FieldPos kGrade{16, 1};
    static constexpr FieldPos kRaceRLevel{17, 2};
    static constexpr FieldPos kROrder{19, 2};
    static constexpr FieldPos kWinPopularity{21, 2};
    static constexpr FieldPos kFinish{23, 2};
    static constexpr FieldPos kWinOdds{25, 4};
    static constexpr FieldPos kRCode{29, 1};
    static constexpr FieldPos kForecastMark{30, 2};
    static constexpr FieldPos kTrend{32, 1};
    static constexpr FieldPos kJoshoFlag{33, 1};
    static constexpr FieldPos kSenzaiFlag{34, 1};
    static constexpr FieldPos kKeikenFlag{35, 1};
    static constexpr FieldPos kCourseFlag{36, 1};
    static constexpr FieldPos kKyoriFlag{37, 1};
    static constexpr FieldPos kLvAttribute{38, 1};
    static constexpr FieldPos kHiLvKosoFlag{39, 1};
    static constexpr FieldPos kHiLvRate{40, 5};
    static constexpr FieldPos kLoLvRate{45, 5};
    static constexpr FieldPos kPedigreeRank{50, 1};
    static constexpr FieldPos kJockeyRank{51, 1};
    static constexpr FieldPos kFirstHighFlag{52, 1};
    static constexpr FieldPos kPast5Total{53, 3};

    explicit TAnalysisRun(std::string_view block)
        : block_(block) {}
    std::string_view Field(std::size_t pos, std::size_t width) const {
        return jvdata::Field(block_, pos, width);
    }
    std::string_view Field(FieldPos f) const { return Field(f.pos, f.width); }
    std::string_view FieldSize() const { return Field(kFieldSize); }
    std::string_view VenueCode() const { return Field(kVenue); }
    std::string_view TrackCode() const { return Field(kTrack); }
    std::string_view Distance() const { return Field(kDistance); }
    std::string_view RaceTypeCode() const { return Field(kRaceType); }
    std::string_view ConditionCode() const { return Field(kCondition); }
    std::string_view GradeLetter() const { return Field(kGrade); }
    std::string_view RaceRLevel() const { return Field(kRaceRLevel); }
    std::string_view ROrder() const { return Field(kROrder); }
    std::string_view WinPopularity() const { return Field(kWinPopularity); }
    std::string_view Finish() const { return Field(kFinish); }
    std::string_view WinOddsTenths() const { return Field(kWinOdds); }
    std::string_view RCode() const { return Field(kRCode); }
    std::string_view ForecastMark() const { return Field(kForecastMark); }
    std::string_view TrendCode() const { return Field(kTrend); }
    std::string_view JoshoFlag() const { return Field(kJoshoFlag); }
    std::string_view SenzaiFlag() const { return Field(kSenzaiFlag); }
    std::string_view KeikenFlag() const { return Field(kKeikenFlag); }
    std::string_view CourseFlag() const { return Field(kCourseFlag); }
    std::string_view KyoriFlag() const { return Field(kKyoriFlag); }
    std::string_view LvAttributeCode() const { return Field(kLvAttribute); }
    std::string_view HiLvKosoFlag() const { return Field(kHiLvKosoFlag); }
    std::string_view HiLvRate() const { return Field(kHiLvRate); }
    std::string_view LoLvRate() const { return Field(kLoLvRate); }
    std::string_view PedigreeRank() const { return Field(kPedigreeRank); }
    std::string_view JockeyRank() const { return Field(kJockeyRank); }
    std::string_view FirstHighFlag() const { return Field(kFirstHighFlag); }
    std::string_view Past5Total() const { return Field(kPast5Total); }

private:
    std::string_view block_;
};

// One 14-byte past-run entry of an analysis record.
class TAnalysisPastRun {
public:
    static constexpr FieldPos kDate8{1, 8};
    static constexpr FieldPos kVenue{9, 2};
    static constexpr FieldPos kRaceNo{11, 2};
    static constexpr FieldPos kRLevel{13, 1};
    static constexpr FieldPos kRCode{14, 1};

    explicit TAnalysisPastRun(std::string_view entry)
        : entry_(entry) {}
    std::string_view Date8() const { return jvdata::Field(entry_, kDate8); }
    std::string_view VenueCode() const { return jvdata::Field(entry_, kVenue); }
    std::string_view RaceNo() const { return jvdata::Field(entry_, kRaceNo); }
    std::string_view RLevel() const { return jvdata::Field(entry_, kRLevel); }
    std::string_view RCode() const { return jvdata::Field(entry_, kRCode); }

private:
    std::string_view entry_;
};

class TAnalysisRecord : public FixedRecord<kAnalysisLength> {
public:
    static constexpr FieldPos kRaceSlot{1, 2};
    static constexpr FieldPos kHorseNo{3, 2};
    static constexpr FieldPos kBracket{5, 1};
    static constexpr FieldPos kDate8{6, 8};
    static constexpr FieldPos kVenue{14, 2};
    static constexpr FieldPos kRaceNo{20, 2};
    static constexpr FieldPos kHorseName{32, 18};
    static constexpr FieldPos kWinPayout{138, 9};
    static constexpr FieldPos kPlacePayout{147, 9};
    static constexpr FieldPos kStatus{156, 1};
    static constexpr FieldPos kRakuGen{177, 4};
    static constexpr FieldPos kRPlusCount{181, 2};
    static constexpr FieldPos kRMinusCount{183, 2};
    // Past runs 1..3: date (8), venue (2), race (2), R level (1), R code (1).
    static constexpr std::size_t kPastRunPos = 185;
    static constexpr std::size_t kPastRunLength = 14;
    static constexpr std::size_t kThisRunPos = 227;
    static constexpr std::size_t kPreviousRunPos = 302;

    std::string_view RaceSlotText() const { return Field(kRaceSlot); }
    int RaceSlot() const { return static_cast<int>(Number(kRaceSlot)); }
    std::string_view HorseNumberText() const { return Field(kHorseNo); }
    int HorseNumber() const { return static_cast<int>(Number(kHorseNo)); }
    std::string_view BracketText() const { return Field(kBracket); }
    std::string_view Date8() const { return Field(kDate8); }
    std::string_view VenueCode() const { return Field(kVenue); }
    std::string_view RaceNo() const { return Field(kRaceNo); }
    std::string_view HorseName() const { return Field(kHorseName); }
    std::string_view WinPayout() const { return Field(kWinPayout); }
    std::string_view PlacePayout() const { return Field(kPlacePayout); }
    std::string_view Status() const { return Field(kStatus); }
    std::string_view RakuGen() const { return Field(kRakuGen); }
    std::string_view RPlusCount() const { return Field(kRPlusCount); }
    std::string_view RMinusCount() const { return Field(kRMinusCount); }
    // Past run k = 0..2.
    TAnalysisPastRun PastRun(int k) const {
        return TAnalysisPastRun(
            Field(kPastRunPos + kPastRunLength * static_cast<std::size_t>(k), kPastRunLength));
    }
    TAnalysisRun ThisRun() const { return TAnalysisRun(Field(kThisRunPos, kAnalysisRunLength)); }
    TAnalysisRun PreviousRun() const {
        return TAnalysisRun(Field(kPreviousRunPos, kAnalysisRunLength));
    }
};

// A file read as consecutive fixed-size records (the readers' typed-file view); a partial record
// at the end is not a record.
std::size_t RecordCount(std::string_view fileBytes, std::size_t recordLength);
std::string_view RecordAt(std::string_view fileBytes, std::size_t recordLength, std::size_t i);

} // namespace jvdata
