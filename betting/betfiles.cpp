#include "betting/betfiles.h"

#include "betting/compute.h"
#include "betting/layout.h"
#include "keiba/codetables.h"
#include "keiba/fileio.h"
#include "keiba/formatters.h"
#include "keiba/sjis.h"

#include <algorithm>
#include <array>
#include <set>
#include <system_error>

namespace betting {
namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr std::string_view kNoDay = "開催日ﾃﾞｰﾀを読み込んでください。";
constexpr std::string_view kNoRace = "レースデータを読み込んでください。";
constexpr std::string_view kNoBets =
    "買い目が作成されていないか、オッズ未取得のため資金配分ができていません。";
constexpr std::string_view kNoPlugin =
    "「QVX投票プラグイン２」が正常にインストールされていません。再インストールしてください。";
constexpr std::string_view kPluginFailed =
    "投票プラグイン２の呼び出しでエラーが発生しました。\r\n"
    "投票プラグイン２が正しくインストールされているか確認してください。";
constexpr std::string_view kPluginProgram = "QVXTohyoPlugIn2.exe";

void Refuse(keiba::Notifier& n, std::string_view text) {
    n.Beep();
    n.Information(std::string(text));
}

// The runner numbers at characters 1-2, 4-5 and 7-8 of a key.
std::array<int, 3> KeyNumbers(std::string_view key) {
    std::array<int, 3> n{};
    for (std::size_t p = 0; p < 3; ++p)
        if (key.size() >= p * 3 + 2) n[p] = keiba::StrToIntDef(key.substr(p * 3, 2), 0);
    return n;
}

std::string Two(int n) {
    std::string s = std::to_string(std::clamp(n, 0, 99));
    return s.size() < 2 ? "0" + s : s;
}

std::string JoinTwo(std::string_view key, int count) {
    const std::array<int, 3> n = KeyNumbers(key);
    std::string s;
    for (int p = 0; p < count; ++p) {
        if (p > 0) s += '-';
        s += Two(n[static_cast<std::size_t>(p)]);
    }
    return s;
}

int KeyRunnerCount(std::string_view code) {
    if (code == "TAN" || code == "FUKU") return 1;
    if (code == "SANFUKU" || code == "SANTAN") return 3;
    return 2;
}

// The race fields that go into file names must be digits: they are record bytes.
bool RaceFieldsUsable(const jvdata::TJvRA& race) {
    return race.Key().IsWellFormed();
}

std::string ShortDate(const jvdata::TJvRA& race) {
    return std::string(race.Year().substr(2)) + std::string(race.MonthDay());
}

// The checks both writers make first; false after telling the user.
bool CheckVote(keiba::Notifier& say, const PlainTable& grid, const VoteColumns& cols,
               const BetHost& host) {
    if (keiba::TrimBlanks(host.DateText()).empty()) {
        Refuse(say, kNoDay);
        return false;
    }
    if (host.SelectedRace() < 0) {
        Refuse(say, kNoRace);
        return false;
    }
    // The writers' own row test: a grid whose rows are all erased has nothing to vote.
    bool any = false;
    for (int row = 1; row < grid.RowCount() && !any; ++row) any = IsVoteRow(grid, row, cols);
    if (!any) {
        Refuse(say, kNoBets);
        return false;
    }
    return true;
}

const jvdata::TJvRA* ShownRace(const raceday::RaceDay& day) {
    if (day.gCurRace < 0 || day.gCurRace >= jvdata::kMaxRaces) return nullptr;
    const jvdata::TJvRA& race = day.gDayRaces[static_cast<std::size_t>(day.gCurRace)];
    return RaceFieldsUsable(race) ? &race : nullptr;
}

std::string Question(const BetHost& host, std::string_view name, std::string_view tail) {
    return "[" + host.RaceCaption(host.SelectedRace()) + ":" + std::string(name) + "]" +
           std::string(tail);
}

bool Save(keiba::Notifier& say, const std::filesystem::path& path, std::string_view bytes) {
    keiba::IoResult io = keiba::WriteFileAtomic(path, bytes);
    if (io) return true;
    Refuse(say, io.message);
    return false;
}

} // namespace

bool IsVoteRow(const PlainTable& grid, int row, const VoteColumns& c) {
    auto present = [&](int col) { return !keiba::TrimBlanks(grid.Cells(col, row)).empty(); };
    return present(c.keyCol) && present(c.oddsCol) && present(c.stakeCol) &&
           keiba::TrimBlanks(grid.Cells(c.eraseCol, row)) != EraseMark();
}

std::string QvxCsvBytes(std::string_view code, const PlainTable& grid, const VoteColumns& cols,
                        const jvdata::TJvRA& race) {
    const std::string head = std::string(race.RaceDate()) + "," + std::string(race.VenueCode()) +
                             "," + std::string(race.RaceNo()) + "," + std::string(code) +
                             ",NORMAL,";
    const int runners = KeyRunnerCount(code);
    std::string out;
    for (int row = 1; row < grid.RowCount(); ++row) {
        if (!IsVoteRow(grid, row, cols)) continue;
        const std::string& key = grid.Cells(cols.keyCol, row);
        std::string comb;
        if (code == "WAKU") {
            const std::array<int, 3> n = KeyNumbers(key);
            comb = std::to_string(n[0]) + "-" + std::to_string(n[1]);
        } else {
            comb = JoinTwo(key, runners);
        }
        out += head;
        out += keiba::TrimBlanks(grid.Cells(cols.stakeCol, row));
        out += ",";
        out += comb;
        out += ",";
        out += kCrLf;
    }
    return out;
}

std::string BrivelBytes(std::string_view betTypeName, const PlainTable& grid,
                        const VoteColumns& cols, const jvdata::TJvRA& race) {
    auto blankZero = [](std::string_view two) { return keiba::FormatIntBlankZero(two); };
    std::string out = keiba::JyoCodeToName(race.VenueCode(), 2) + " " +
                      std::string(race.Year().substr(2)) + keiba::Sj("年 ") +
                      blankZero(race.Month()) + keiba::Sj("月 ") + blankZero(race.DayOfMonth()) +
                      keiba::Sj("日 ") + blankZero(race.Meeting()) + keiba::Sj("回 ") +
                      blankZero(race.MeetingDay()) + keiba::Sj("日 ");
    out += kCrLf;
    const std::string name = keiba::Sj(betTypeName);
    const bool single = betTypeName == "単勝" || betTypeName == "複勝";
    const int runners = (betTypeName == "３連複" || betTypeName == "３連単") ? 3 : 2;
    const std::string racePart = blankZero(race.RaceNo()) + "R " + name + " ";
    for (int row = 1; row < grid.RowCount(); ++row) {
        if (!IsVoteRow(grid, row, cols)) continue;
        const std::string& key = grid.Cells(cols.keyCol, row);
        out += racePart;
        out += single ? key : JoinTwo(key, runners);
        out += " ";
        out += grid.Cells(cols.stakeCol, row);
        out += kCrLf;
    }
    return out;
}

VoteResult WriteQvxTohyoCsv(std::string_view code, std::int64_t /*amount*/, const PlainTable& grid,
                            const VoteColumns& cols, const raceday::RaceDay& day,
                            const BetHost& host, const keiba::ProgramContext& context) {
    keiba::Notifier& say = context.notifier;
    if (!CheckVote(say, grid, cols, host)) return VoteResult::Refused;
    const jvdata::TJvRA* race = ShownRace(day);
    if (!race) {
        Refuse(say, kNoRace);
        return VoteResult::Refused;
    }
    const std::string pluginDir = context.settings.ReadString("Dir", "QVXTohyo2", "");
    if (keiba::TrimBlanks(pluginDir).empty()) {
        Refuse(say, kNoPlugin);
        return VoteResult::Refused;
    }
    const std::string bytes = QvxCsvBytes(code, grid, cols, *race);
    std::string name;
    for (BetKind k : kAllKinds)
        if (LayoutOf(k).code == code) name = std::string(LayoutOf(k).name);
    if (!say.YesNo(Question(host, name, "に投票します。実行してよろしいですか？")))
        return VoteResult::Cancelled;

    const std::filesystem::path folder = keiba::Utf8Path(pluginDir);
    const std::filesystem::path file = folder / "kaime" / (ShortDate(*race) + ".csv");
    if (!Save(say, file, bytes)) return VoteResult::WriteFailed;

    // The plug-in starts in its own folder; this process's folder never changes.
    const std::filesystem::path plugin = folder / kPluginProgram;
    if (!context.shell.Launch(plugin, {keiba::PathToUtf8(file)}, folder)) {
        Refuse(say, kPluginFailed);
        return VoteResult::LaunchFailed;
    }
    return VoteResult::Launched;
}

VoteResult WriteBrivelFile(std::string_view betTypeName, std::int64_t /*amount*/,
                           const PlainTable& grid, const VoteColumns& cols,
                           const raceday::RaceDay& day, const BetHost& host,
                           const keiba::ProgramContext& context) {
    keiba::Notifier& say = context.notifier;
    if (!CheckVote(say, grid, cols, host)) return VoteResult::Refused;
    const jvdata::TJvRA* race = ShownRace(day);
    if (!race) {
        Refuse(say, kNoRace);
        return VoteResult::Refused;
    }
    const std::string bytes = BrivelBytes(betTypeName, grid, cols, *race);

    const std::filesystem::path& appDir = context.folder;
    // A blank value is unset (a path of nothing would write beside wherever the program was
    // started); any other is the folder as chosen, blanks at its ends included.
    std::string chosen = context.settings.ReadString("Dir", "kaime", keiba::PathToUtf8(appDir));
    if (keiba::TrimBlanks(chosen).empty()) chosen = keiba::PathToUtf8(appDir);
    std::filesystem::path folder = keiba::Utf8Path(chosen);
    std::error_code ec;
    if (folder.lexically_normal() == appDir.lexically_normal() ||
        std::filesystem::equivalent(folder, appDir, ec))
        folder = appDir / "kaime";

    if (!say.YesNo(Question(host, betTypeName, "に投票します。投票ファイルを出力しますか？")))
        return VoteResult::Cancelled;
    if (!Save(say, folder / (ShortDate(*race) + ".BET"), bytes)) return VoteResult::WriteFailed;
    return VoteResult::Written;
}

std::string MarksCsvBytes(const raceday::RaceDay& day, int raceCount) {
    std::set<std::string> lines;
    raceCount = std::clamp(raceCount, 0, jvdata::kMaxRaces);
    for (int r = 0; r < raceCount; ++r) {
        const auto rr = static_cast<std::size_t>(r);
        const std::string key(day.gDayRaces[rr].KeyText());
        const int n = raceday::FieldSize(day, r);
        for (int h = 0; h < n; ++h) {
            const auto hh = static_cast<std::size_t>(h);
            lines.insert(key + std::string(day.gDayHorses[rr][hh].HorseNumberText()) + "," +
                         day.gRaceTexts[rr].YosoMark[hh]);
        }
    }
    std::string out;
    for (const std::string& l : lines) {
        out += l;
        out += kCrLf;
    }
    return out;
}

std::filesystem::path WriteMarksCsv(const raceday::RaceDay& day, const BetHost& host,
                                    const keiba::ProgramContext& context) {
    keiba::Notifier& say = context.notifier;
    if (host.DateIndex() < 0) return {};
    // A day without races has no date to name the file by, and an empty file would pass for
    // the marks of a day.
    const std::string date(day.gDayRaces[0].RaceDate());
    if (host.RaceCount() <= 0 || !jvdata::ParseYyyymmdd(date)) {
        Refuse(say, "ﾃﾞｰﾀが不十分のようです。");
        return {};
    }
    const std::filesystem::path folder = context.folder / "CSV";
    if (keiba::IoResult io = keiba::CreateFolders(folder); !io) {
        Refuse(say, io.message);
        return {};
    }
    const std::filesystem::path file = folder / ("Sirusi" + date + ".csv");
    if (!Save(say, file, MarksCsvBytes(day, host.RaceCount()))) return {};
    say.Information("以下のCSVファイルを出力しました。\r\n" + keiba::PathToUtf8(file) + "\r\n");
    return file;
}

} // namespace betting
