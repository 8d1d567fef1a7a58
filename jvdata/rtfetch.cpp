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

FileOutcome FileRealtimeRecord(FilingBatch& batch, ReadStep step, std::string_view record) {
    const FileOutcome notTaken{FileOutcome::Skipped, "not taken by the step", {}};
    if (!CheckFraming(record)) return notTaken;
    std::string_view id = Field(record, RecordHead::kRecordId);
    int race = static_cast<int>(FieldNumber(record, RecordHead::kRaceNo));
    switch (step) {
    case ReadStep::Odds:
        if (!IsOddsId(id, '1', '6') || !OddsKindTaken(record)) return notTaken;
        return batch.UpsertDayLine(OddsFile(id[1]), record);
    case ReadStep::MorningOdds:
        if (id != "O1" || !OddsKindTaken(record)) return notTaken;
        return batch.UpsertDayLine(DayFile::O1a, record);
    case ReadStep::MiddleOdds:
        if (!IsOddsId(id, '1', '3') || !OddsKindTaken(record)) return notTaken;
        return batch.UpsertDayLine(id == "O1" ? DayFile::O1m : OddsFile(id[1]), record);
    case ReadStep::Mining:
        if (id != "DM" || race < 1) return notTaken;
        return batch.UpsertDayLine(DayFile::DM, record);
    case ReadStep::Results:
        if (race < 1) return notTaken;
        if (id == "RA") return batch.UpsertDayLine(DayFile::RA, record, {true, false});
        if (id == "SE")
            return FieldNumber(record, TJvSE::kHorseNo) >= 1 ? batch.PutRunner(record, false)
                                                             : notTaken;
        if (id == "HR") return batch.UpsertDayLine(DayFile::HR, record, {false, true});
        return notTaken;
    }
    return notTaken;
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
        FileOutcome filed = FileRealtimeRecord(batch, step, buffer);
        if (filed.code == FileOutcome::Refused)
            out.refused.Add(filed.refused, RefusedRecordSample(buffer));
        if (filed.code == FileOutcome::Failed) {
            out.written = keiba::IoResult::Fail(std::move(filed.reason));
            break;
        }
        if (!filed) continue;
        // On disk before the next read: a fetch killed in the middle of a day's results keeps
        // every record it read. A file that cannot be written ends the step, which says so.
        out.written = batch.Flush();
        if (!out.written) break;
        ++out.filed;
    }
    out.kept = batch.TakeKeptLines();
    return out;
}

} // namespace jvdata
