#pragma once
// Every kind of file a day load reads, in one table: how the user names its data, the length and
// id of its records, where a record names its race or horse, the layout check of a record, the
// unit its losses are counted in and whether it may end at a record end without a word. Every
// reader of these files checks and places its records through the table, and the day's report
// words their losses through it, so a kind the table lacks can be neither read nor told.

#include "jvdata/records.h"

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace jvdata {

enum class DayFileKind {
    Races,   // Data/<stem>.jvRA, and the race files of earlier days
    Runners, // Data/<stem><venue>.jvSEr
    Payouts, // Data/<stem>.jvHR
    Odds1,   // Data/<stem>.jvO1 to .jvO6
    Odds2,
    Odds3,
    Odds4,
    Odds5,
    Odds6,
    HorseRuns,   // SEI/<id4>/<id>.jvSEI
    HorseMaster, // UM2/<id4>/<id>.jvUM2
    // UMA/<id4>/<id>.jvUMA, the older layout a .jvUM2 is made from when the horse has none yet
    OldHorseMaster,
    Analysis,  // VZK/XQ<yyyymmdd>.vzkd
    Comments,  // VZK/RCOM<yyyymmdd>.CSV
    HandInput, // Data/<stem>.ruma
};

// What a loss is counted in: the races of the day, or its runners.
enum class LossUnit { Races, Runners };

// Where a kind's records name what they belong to: the parts of the race key, and the pedigree id
// of a horse's files. A part of width 0 is one the record does not carry.
struct RecordKeyPlace {
    FieldPos date, venue, meeting, day, raceNo, pedigreeId;
};

struct DayFileKindInfo {
    DayFileKind kind;
    std::string_view what; // the data as the user names it (UTF-8)
    LossUnit unit;
    // A file that need not hold every race of the day: payouts, odds and comments are filed race
    // by race on a race day, the hand input holds the races the race list had when it was first
    // saved and those entered since, and a horse with fewer runs has a shorter file. Races after
    // its last record may simply not have come, so it may end at a record end without a word.
    bool mayEndAtRecordEnd;
    // The length of a record, CR LF included; 0 for files of text lines.
    std::size_t recordLength;
    // The record id its records start with; empty for the members' files and the hand input.
    std::string_view id;
    RecordKeyPlace key;
    // Whether one record (a comment with its lines, a line of hand input) reads as the layout
    // says, its key following the one rule of a race key (IsRaceKeyParts), as far as that does
    // not depend on the loaded day.
    bool (*sound)(std::string_view record);
};

std::span<const DayFileKindInfo> DayFileKinds();
const DayFileKindInfo& KindInfo(DayFileKind kind);

// The parts of the key a record of the kind names (empty where the kind carries none, or the
// record is too short to hold them).
struct RecordKey {
    std::string_view date8, venue, meeting, day, raceNo, pedigreeId;
};
RecordKey KeyOf(const DayFileKindInfo& kind, std::string_view record);

// Whether a record of the kind names the race of `race`, part by part as far as the kind carries
// them: the check of a record against the slot it is to fill.
bool NamesRace(const DayFileKindInfo& kind, std::string_view record, const RaceKey& race);

// The loss as the report words it: "3レース分", "12頭分", or for the runner files, which the user
// reads race by race, "2レースの出走馬3頭分".
std::string LossText(DayFileKind kind, std::size_t count, std::size_t races = 0);

} // namespace jvdata
