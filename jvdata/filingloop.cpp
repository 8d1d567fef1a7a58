#include "jvdata/filingloop.h"

#include "jvdata/jvresult.h"
#include "keiba/platform.h"
#include "keiba/sjis.h"

namespace jvdata {
namespace {

constexpr int kReadBufferSize = 100000;

std::string Trimmed(std::string_view s) {
    return std::string(keiba::TrimBlanks(s));
}

class Loop {
public:
    Loop(TJVLink& link, const FilingLoopParams& p, FilingLoopHost& host)
        : link_(link)
        , p_(p)
        , host_(host)
        , batch_(p.appDir) {}

    FilingLoopExit Run() {
        host_.SetStatus(Progress("データ読込み中．．．("));
        host_.SetReadProgress(0, p_.readCount);
        std::string lap = Trimmed(host_.SetUpLapFile());
        bool resumed = !(p_.setupMode && !lap.empty());

        std::string buffer, fileName;
        for (;;) {
            host_.ProcessMessages();
            if (host_.CancelRequested())
                return Flush() ? FilingLoopExit::Cancelled : FilingLoopExit::WriteError;
            int result = link_.JVRead(buffer, kReadBufferSize, fileName);
            if (!resumed && Trimmed(fileName) == lap) resumed = true;
            if (!resumed) {
                // Only a record stands for a file to pass over: a skip on "not yet" would pass
                // over a file that was never entered.
                if (result > 0) {
                    link_.SkipCurrentFile();
                    NextFile();
                    continue;
                }
                if (result == -1) {
                    NextFile();
                    continue;
                }
                if (result == -2 || result == -3) continue;
                if (result == 0) return LapNeverCame();
                return ReadError(result);
            }
            if (result > 0) {
                if (!Record(buffer, fileName)) return FilingLoopExit::WriteError;
            } else if (result == -1) {
                if (!Flush()) return FilingLoopExit::WriteError;
                NextFile();
                host_.SetRecordLabel({});
            } else if (result == -2 || result == -3) {
                continue;
            } else if (result == 0) {
                return Finish();
            } else {
                return ReadError(result);
            }
        }
    }

private:
    std::string Progress(const char* head) const {
        return std::string(head) + std::to_string(counter_) + "/" + std::to_string(p_.readCount) +
               ")";
    }

    void NextFile() {
        ++counter_;
        host_.SetReadProgress(counter_, p_.readCount);
        host_.SetStatus(Progress("データ読込み中．．．("));
    }

    bool Record(const std::string& record, const std::string& fileName) {
        std::string name = Trimmed(fileName);
        if (!name.empty() && name != batchFile_) {
            // A new JV file: the last one is written before the resume point moves past it.
            if (!Flush()) return false;
            batchFile_ = name;
            if (p_.setupMode) host_.SetSetUpLapFile(name);
        }
        ImportFiling f = FileImportRecord(batch_, record, p_.filter);
        if (f.filed) host_.SetRecordLabel(f.label);
        return true;
    }

    bool Flush() {
        if (batch_.PendingFiles() == 0) return true;
        keiba::IoResult r = batch_.Flush();
        if (r) return true;
        keiba::CurrentNotifier().Beep();
        keiba::CurrentNotifier().Information(r.message);
        return false;
    }

    void EndOfData() {
        host_.SetStatus(Progress("データ読込み完了("));
        host_.ResetProgress();
    }

    FilingLoopExit Finish() {
        if (!Flush()) return FilingLoopExit::WriteError;
        EndOfData();
        if (std::optional<std::string> t = LastTimeText(p_.lastFileTimestamp)) {
            host_.SetLastTime(*t);
            host_.ProcessMessages();
        }
        host_.SetSetUpLapFile({});
        host_.SetStatus("データ作成が完了しました。");
        return FilingLoopExit::Finished;
    }

    // Every file was passed over: the remembered file is not among those delivered, so the next
    // setup import has to start from the beginning. Nothing was filed, so LastTime stays.
    FilingLoopExit LapNeverCame() {
        EndOfData();
        host_.SetSetUpLapFile({});
        return FilingLoopExit::LapNotFound;
    }

    FilingLoopExit ReadError(int code) {
        bool written = Flush();
        keiba::CurrentNotifier().Beep();
        keiba::CurrentNotifier().Information("JVReadエラー:" + JvResultMessage("JVRead", code));
        return written ? FilingLoopExit::ReadError : FilingLoopExit::WriteError;
    }

    TJVLink& link_;
    const FilingLoopParams& p_;
    FilingLoopHost& host_;
    FilingBatch batch_;
    std::string batchFile_; // the JV file whose records the batch holds
    int counter_ = 0;
};

} // namespace

FilingLoopExit ReadAndFileJvRecords(TJVLink& link, const FilingLoopParams& params,
                                    FilingLoopHost& host) {
    return Loop(link, params, host).Run();
}

} // namespace jvdata
