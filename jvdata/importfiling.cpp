#include "jvdata/importfiling.h"

#include "keiba/codetables.h"
#include "keiba/sjis.h"

#include <algorithm>

namespace jvdata {
namespace {

using keiba::Sj;

bool KindAorB(std::string_view record) {
    std::string_view k = Field(record, RecordHead::kDataKind);
    return k == "A" || k == "B";
}

bool InWindow(std::string_view record, const ImportFilter& f) {
    return FieldNumber(record, RecordHead::kRaceDate) >= f.fromDate - 10;
}

int RaceNo(std::string_view record) {
    return static_cast<int>(FieldNumber(record, RecordHead::kRaceNo));
}

std::string Venue(std::string_view record) {
    return keiba::JyoCodeToName(Field(record, RecordHead::kVenue), 2);
}

// yyyy年mm月dd日 of the race date, CP932.
std::string KanjiDate(std::string_view record) {
    return std::string(Field(record, RecordHead::kYear)) + Sj("年") +
           std::string(Field(record, RecordHead::kMonth)) + Sj("月") +
           std::string(Field(record, RecordHead::kDayOfMonth)) + Sj("日");
}

std::string RunnerText(std::string_view record) {
    return std::string(Field(record, RecordHead::kRaceNo)) + "R/" +
           keiba::StrToMaruNum(Field(record, TJvSE::kHorseNo)) +
           std::string(Field(record, TJvSE::kHorseName));
}

} // namespace

std::string RefusedRecordSample(std::string_view record) {
    auto printable = [](std::string_view s) {
        std::string out;
        for (char c : s) out += (c > ' ' && c < 0x7F) ? c : '?';
        return out;
    };
    return printable(Field(record, RecordHead::kRecordId)) + " " + std::to_string(record.size()) +
           "バイト " + printable(Field(record, RecordHead::kRaceKey));
}

namespace {

ImportFiling Refused(RefuseReason r, std::string_view record) {
    return {false, {}, r, RefusedRecordSample(record)};
}

ImportFiling Done(const FileOutcome& out, const std::string& sjisLabel, std::string_view record) {
    if (out.code == FileOutcome::Refused) return Refused(out.refused, record);
    if (out.code == FileOutcome::Failed)
        return {false, {}, {}, {}, keiba::IoResult::Fail(out.reason)};
    if (!out) return {};
    return {true, keiba::Cp932ToUtf8(sjisLabel), std::nullopt, {}};
}

// Two ASCII capitals or digits, as every record id of the service is.
bool IsRecordIdForm(std::string_view id) {
    return id.size() == 2 && std::all_of(id.begin(), id.end(), [](char c) {
               return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
           });
}

// Ends with CR LF and holds no other line break.
bool IsWholeLine(std::string_view record) {
    if (!record.ends_with("\r\n")) return false;
    std::string_view body = record.substr(0, record.size() - 2);
    return body.find('\r') == std::string_view::npos && body.find('\n') == std::string_view::npos;
}

ImportFiling FileRace(FilingBatch& b, std::string_view rec, const ImportFilter& f) {
    int runners = static_cast<int>(FieldNumber(rec, TJvRA::kRunnerCount));
    if (KindAorB(rec) || !InWindow(rec, f) || RaceNo(rec) < 1 || runners < 1 || runners > 18)
        return {};
    return Done(b.UpsertDayLine(DayFile::RA, rec),
                Sj("開催:") + KanjiDate(rec) + Venue(rec) +
                    std::string(Field(rec, RecordHead::kRaceNo)) + "R",
                rec);
}

ImportFiling FileRunner(FilingBatch& b, std::string_view rec, const ImportFilter& f) {
    if (KindAorB(rec)) return {};
    ImportFiling result;
    int horse = static_cast<int>(FieldNumber(rec, TJvSE::kHorseNo));
    if (RaceNo(rec) >= 1 && horse >= 1 && horse <= 18 && InWindow(rec, f)) {
        // A race above 12 has no slot in the runner file; the batch refuses it.
        result = Done(b.PutRunner(rec), Sj("馬毎:") + Venue(rec) + RunnerText(rec), rec);
        if (!result.read) return result;
    }
    if (std::string(Field(rec, TJvSE::kPedigreeYear)) > f.horseYearFloor) {
        // The horse's folder is made for every runner of a recent horse, filed or not.
        b.EnsureHorseFolder(HorseFile::SEI, Field(rec, TJvSE::kPedigreeId));
        if (Field(rec, RecordHead::kDataKind) == "7") {
            std::string date = std::string(Field(rec, RecordHead::kYear)) + "/" +
                               std::string(Field(rec, RecordHead::kMonth)) + "/" +
                               std::string(Field(rec, RecordHead::kDayOfMonth));
            ImportFiling h = Done(b.UpsertHorseRun(rec),
                                  Sj("過去走:") + date + Venue(rec) + RunnerText(rec), rec);
            if (!h.read) return h;
            if (h.filed) {
                h.refused = result.refused;
                h.detail = result.detail;
                result = h;
            } else if (!result.refused) {
                result.refused = h.refused;
                result.detail = h.detail;
            }
        }
    }
    return result;
}

ImportFiling FilePayouts(FilingBatch& b, std::string_view rec, const ImportFilter& f) {
    if (!InWindow(rec, f) || RaceNo(rec) < 1) return {};
    return Done(b.UpsertDayLine(DayFile::HR, rec),
                Sj("払戻:") + KanjiDate(rec) + Venue(rec) +
                    std::string(Field(rec, RecordHead::kRaceNo)) + "R",
                rec);
}

ImportFiling FileHorseMaster(FilingBatch& b, std::string_view rec, const ImportFilter& f) {
    if (std::string(Field(rec, TJvUM::kPedigreeYear)) <= f.horseYearFloor) return {};
    return Done(b.PutHorseMaster(rec),
                Sj("競走馬:") + std::string(keiba::CutBytes(Field(rec, TJvUM::kHorseName), 18)),
                rec);
}

ImportFiling FileOdds(FilingBatch& b, std::string_view rec, const ImportFilter& f, int kind) {
    std::string_view k = Field(rec, RecordHead::kDataKind);
    if (!f.finalOdds || k == "0" || k == "9" || RaceNo(rec) < 1) return {};
    static const DayFile kFiles[] = {DayFile::O1, DayFile::O2, DayFile::O3,
                                     DayFile::O4, DayFile::O5, DayFile::O6};
    static const char* const kWords[] = {"単勝確定ｵｯｽﾞ:", "馬連確定ｵｯｽﾞ:",  "ﾜｲﾄﾞ確定ｵｯｽﾞ:",
                                         "馬単確定ｵｯｽﾞ:", "3連複確定ｵｯｽﾞ:", "3連単確定ｵｯｽﾞ:"};
    FileOutcome out = b.UpsertDayLine(kFiles[kind - 1], rec);
    if (!out) return Done(out, {}, rec);
    return {
        true,
        keiba::Cp932ToUtf8(Sj(kWords[kind - 1]) + std::string(Field(rec, RecordHead::kRaceNo))) +
            "R/" + keiba::PathToUtf8(out.path.filename()),
        std::nullopt,
        {}};
}

} // namespace

std::string HorseYearFloor(int year) {
    return keiba::FormatInt(year - 15, 4);
}

ImportFiling FileImportRecord(FilingBatch& batch, std::string_view record,
                              const ImportFilter& filter) {
    std::string_view id = Field(record, RecordHead::kRecordId);
    FramingResult fr = CheckFraming(record);
    if (fr.code == Framing::UnknownId) {
        // Kinds of records this system has no use for come whole and are left; bytes that
        // are no record id at all are a damaged piece, and so is a record of another kind
        // whose line end is lost (it may have taken the start of the next record with it).
        if (!IsRecordIdForm(id)) return Refused(RefuseReason::RecordId, record);
        if (!IsWholeLine(record)) return Refused(RefuseReason::Length, record);
        return {};
    }
    if (!fr) return Refused(RefuseReason::Length, record);
    // A damaged key is reported whether or not the table would keep the record.
    if (id != "UM" && id != "RC" && id != "DM")
        if (std::optional<FileOutcome> bad = RaceKeyRefusal(record))
            return Refused(bad->refused, record);
    if (id == "RA") return FileRace(batch, record, filter);
    if (id == "SE") return FileRunner(batch, record, filter);
    if (id == "HR") return FilePayouts(batch, record, filter);
    if (id == "UM") return FileHorseMaster(batch, record, filter);
    if (id.size() == 2 && id[0] == 'O' && id[1] >= '1' && id[1] <= '6')
        return FileOdds(batch, record, filter, id[1] - '0');
    return {};
}

void RefusalTally::Add(RefuseReason r, std::string detail) {
    auto i = static_cast<std::size_t>(r);
    if (count[i]++ == 0) first[i] = std::move(detail);
}

int RefusalTally::Total() const {
    int n = 0;
    for (int c : count) n += c;
    return n;
}

std::optional<std::string> LastTimeText(std::string_view timestamp) {
    std::string_view t = keiba::TrimBlanks(timestamp);
    if (t.size() != 14 || !IsAsciiDigits(t) || t == "00000000000000") return std::nullopt;
    std::string s(t);
    return s.substr(0, 4) + "/" + s.substr(4, 2) + "/" + s.substr(6, 2) + " " + s.substr(8, 2) +
           ":" + s.substr(10, 2) + ":" + s.substr(12, 2);
}

} // namespace jvdata
