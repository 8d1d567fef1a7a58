#include "jvdata/rtfetch.h"

#include "jvdata/dayfiles.h"
#include "jvdata/records.h"

namespace jvdata {
namespace {

bool IsOddsId(std::string_view id, char lo, char hi) {
    return id.size() == 2 && id[0] == 'O' && id[1] >= lo && id[1] <= hi;
}

bool OddsKindTaken(std::string_view record) {
    std::string_view k = Field(record, RecordHead::kDataKind);
    return k != "0" && k != "9" && FieldNumber(record, RecordHead::kRaceNo) >= 1;
}

DayFile OddsFile(char digit) {
    static const DayFile kFiles[] = {DayFile::O1, DayFile::O2, DayFile::O3,
                                     DayFile::O4, DayFile::O5, DayFile::O6};
    return kFiles[digit - '1'];
}

} // namespace

int ReadStepBufferSize(ReadStep step) {
    return step == ReadStep::Mining || step == ReadStep::Results ? 60000 : 100000;
}

bool FileRealtimeRecord(FilingBatch& batch, ReadStep step, std::string_view record) {
    if (!CheckFraming(record)) return false;
    std::string_view id = Field(record, RecordHead::kRecordId);
    int race = static_cast<int>(FieldNumber(record, RecordHead::kRaceNo));
    switch (step) {
    case ReadStep::Odds:
        if (!IsOddsId(id, '1', '6') || !OddsKindTaken(record)) return false;
        return bool(batch.UpsertDayLine(OddsFile(id[1]), record));
    case ReadStep::MorningOdds:
        if (id != "O1" || !OddsKindTaken(record)) return false;
        return bool(batch.UpsertDayLine(DayFile::O1a, record));
    case ReadStep::MiddleOdds:
        if (!IsOddsId(id, '1', '3') || !OddsKindTaken(record)) return false;
        return bool(batch.UpsertDayLine(id == "O1" ? DayFile::O1m : OddsFile(id[1]), record));
    case ReadStep::Mining:
        if (id != "DM" || race < 1) return false;
        return bool(batch.UpsertDayLine(DayFile::DM, record));
    case ReadStep::Results:
        if (race < 1) return false;
        if (id == "RA") return bool(batch.UpsertDayLine(DayFile::RA, record, {true, false}));
        if (id == "SE")
            return FieldNumber(record, TJvSE::kHorseNo) >= 1 &&
                   bool(batch.PutRunner(record, false));
        if (id == "HR") return bool(batch.UpsertDayLine(DayFile::HR, record, {false, true}));
        return false;
    }
    return false;
}

ReadStepResult RunReadStep(TJVLink& link, ReadStep step, const std::filesystem::path& appDir,
                           const std::function<void()>& pump,
                           const std::function<bool()>& cancelled) {
    ReadStepResult out;
    FilingBatch batch(appDir);
    std::string buffer, fileName;
    const int size = ReadStepBufferSize(step);
    for (;;) {
        if (pump) pump();
        if (cancelled && cancelled()) break;
        int r = link.JVRead(buffer, size, fileName);
        if (r == -1 || r == -2 || r == -3) continue;
        if (r == 0) break;
        if (r < -3) {
            out.readError = r;
            break;
        }
        if (!FileRealtimeRecord(batch, step, buffer)) continue;
        ++out.filed;
        // On disk before the next read: a fetch killed in the middle of a day's results keeps
        // every record it read. A file that cannot be written ends the step, which says so.
        out.written = batch.Flush();
        if (!out.written) break;
    }
    return out;
}

} // namespace jvdata
