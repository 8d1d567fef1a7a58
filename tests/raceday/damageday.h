#pragma once
// A small but whole race day for the differential damage check, written into a program folder:
// three racecourses of three races, three or four runners each, their horse files and the race
// files of the days of their past runs, payouts, six kinds of odds, the members' analysis and
// comments, and hand input; with the same day's files of another day, and each kind's files cut
// into records for the damage generator. The day stands either as after its last race or as
// after its morning races, when payouts and two kinds of odds hold only each racecourse's first
// two races.

#include "jvdata/dayfilekinds.h"
#include "tests/support/damage.h"

#include <array>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace testsupport {

enum class DayStands { AfterLastRace, AfterMorningRaces };

struct DamageDay {
    struct Race {
        std::string key;  // 16 characters
        std::string item; // as the race lists name it, UTF-8: "東京2R"
        std::size_t venue = 0;
        int runners = 0;
    };
    struct Runner {
        std::size_t race = 0;
        int horse = 0; // 1-based
        std::string id;
        std::string masterFile, runsFile; // names of its horse files (the master .jvUMA or .jvUM2)
        std::vector<std::string> pastRaces; // the keys of the races of its shown runs, newest first
    };

    std::string date8, stem;
    std::vector<Race> races; // in the order of the race file
    std::vector<Runner> runners;
    // The files of every kind, cut into records, with where each is written.
    std::map<jvdata::DayFileKind, DamageKind> kinds;
    std::map<std::string, std::filesystem::path> paths; // by file name
    // The name of the file of a kind that a unit's data comes from.
    std::string raceFile, payoutFile, analysisFile, commentFile, handInputFile;
    std::array<std::string, 6> oddsFiles;
    std::vector<std::string> runnerFiles;             // by racecourse
    std::map<std::string, std::string> pastRaceFiles; // by race date "yyyymmdd"
    // Files a day load makes from others (a .jvUM2 from its .jvUMA): taken away before each load
    // so that the load reads what it is made from.
    std::vector<std::filesystem::path> made;
    // The files the fetches rewrite (runners, payouts, odds) as they stood before the last fetch,
    // by name: a re-read after a fetch must show what the fetch brought, not what was there.
    std::map<std::string, std::string> earlier;

    // Writes the day into `folder` (which must hold nothing of it yet).
    static DamageDay Write(const std::filesystem::path& folder, DayStands stands);
    // Each file of the day as it was written.
    void Restore(const std::string& fileName) const;
    std::string BytesOf(const std::string& fileName) const;
    std::string RunnerKey(const Runner& r) const;
};

} // namespace testsupport
