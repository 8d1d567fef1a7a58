#include "jvdata/filingloop.h"

#include "jvdata/jvresult.h"
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
        FilingLoopExit exit = Read();
        if (refused_.Total() > 0) host_.RecordsRefused(refused_);
        // Files written back with lines they could not read, however the import ended.
        if (std::vector<KeptLines> kept = batch_.TakeKeptLines(); !kept.empty())
            host_.Tell(KeptLinesText(kept));
        return exit;
    }

private:
    FilingLoopExit Read() {
        host_.SetStatus(Progress("データ読込み中．．．("));
        host_.SetReadProgress(0, p_.readCount);
        lap_ = Trimmed(host_.SetUpLapFile());
        bool resumed = !(p_.setupMode && !lap_.empty());

        std::string buffer, fileName;
        for (;;) {
            host_.ProcessMessages();
            if (host_.CancelRequested())
                return Flush() ? FilingLoopExit::Cancelled : FilingLoopExit::WriteError;
            int result = link_.JVRead(buffer, kReadBufferSize, fileName);
            if (!resumed && Trimmed(fileName) == lap_) resumed = true;
            if (!resumed) {
                // A record or a file switch names the file the control stands in, and that file
                // is not the resume point: it is passed over whole. "Not yet" names no file, so a
                // skip then could pass over the resume point unseen; it is read again.
                if (result > 0 || result == -1) {
                    link_.SkipCurrentFile();
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
                host_.ShowRecordName({});
                if (!FileEnded()) return FilingLoopExit::WriteError;
                NextFile();
            } else if (result == -2 || result == -3) {
                continue;
            } else if (result == 0) {
                return Finish();
            } else {
                return ReadError(result);
            }
        }
    }

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
            // A new JV file. The resume point moves past the files before it only once all
            // they filed is written; until then a resume starts at the first of them again.
            if (!FileEnded()) return false;
            batchFile_ = name;
            if (p_.setupMode && !batch_.HasPending() && !Written(host_.SetSetUpLapFile(name)))
                return false;
        }
        ImportFiling f = FileImportRecord(batch_, record, p_.filter);
        // A file that could not be read ends the import as a failed write does; what the
        // records before it filed into other files is written first.
        if (!f.read) return Flush() && Written(f.read);
        if (f.refused) refused_.Add(*f.refused, std::move(f.detail));
        if (f.filed) host_.ShowRecordName(f.label);
        return true;
    }

    // The end of a JV file: what the memory bounds ask to be written is written. Horse files
    // wait for the bound of all files, so that a horse that runs all year is written once.
    bool FileEnded() {
        if (batch_.HeldBytes() >= p_.flushBytes) return Flush();
        if (batch_.HeldDayBytes() < p_.dayFlushBytes) return true;
        return WriteHeld(
            [this] { return batch_.FlushDayFiles([this] { host_.ProcessMessages(); }); });
    }

    bool Flush() {
        if (!batch_.HasPending()) return true;
        return WriteHeld([this] { return batch_.Flush([this] { host_.ProcessMessages(); }); });
    }

    // The last write of a setup import can take a minute: the status line says what goes on
    // meanwhile, and goes back to the reading once it is done.
    template <typename Write> bool WriteHeld(Write write) {
        host_.SetStatus(Progress("データ書込み中．．．("));
        if (!Written(write())) return false;
        host_.SetStatus(Progress("データ読込み中．．．("));
        return true;
    }

    // A file or settings write: a failure ends the import and is told.
    bool Written(const keiba::IoResult& r) {
        if (r) return true;
        EndedWithError(true);
        host_.Tell(r.message);
        return false;
    }

    // Shown before the message box, so the window behind it no longer reads as still at work.
    // The record label names records taken in; after a failed write they may not be on disk.
    void EndedWithError(bool writeFailed) {
        host_.SetStatus(kImportFailedStatus);
        host_.ResetProgress();
        if (writeFailed) host_.ShowRecordName({});
    }

    void EndOfData() {
        host_.SetStatus(Progress("データ読込み完了("));
        host_.ResetProgress();
    }

    // The last chance to cancel comes before the from-time moves on: once it has, the import
    // has completed, and a cancel answered after that must not be followed by the completion.
    FilingLoopExit Finish() {
        if (!Flush()) return FilingLoopExit::WriteError;
        EndOfData();
        host_.ProcessMessages();
        if (host_.CancelRequested()) return FilingLoopExit::Cancelled;
        if (!Written(host_.SetCompleted(LastTimeText(p_.lastFileTimestamp))))
            return FilingLoopExit::WriteError;
        host_.SetStatus(FinishedStatus(refused_.Total()));
        return FilingLoopExit::Finished;
    }

    // Every file was passed over: the remembered file is not among those delivered, so the next
    // setup import has to start from the beginning. Nothing was filed, so LastTime stays.
    FilingLoopExit LapNeverCame() {
        EndOfData();
        if (!Written(host_.SetSetUpLapFile({}))) return FilingLoopExit::WriteError;
        host_.SetStatus("再開位置のファイルが見つかりませんでした。");
        host_.Tell(
            "中断したセットアップデータ取込の再開位置のファイル（" + lap_ +
            "）が見つからず、何も取り込みませんでした。再開位置を消去しましたので、次のセット"
            "アップデータ取込は最初から行います。");
        return FilingLoopExit::LapNotFound;
    }

    FilingLoopExit ReadError(int code) {
        bool written = Flush();
        if (written) EndedWithError(false);
        host_.Tell("JVReadエラー:" + JvResultMessage("JVRead", code));
        return written ? FilingLoopExit::ReadError : FilingLoopExit::WriteError;
    }

    TJVLink& link_;
    const FilingLoopParams& p_;
    FilingLoopHost& host_;
    FilingBatch batch_;
    std::string lap_;
    std::string batchFile_; // the JV file whose records the batch holds
    RefusalTally refused_;
    int counter_ = 0;
};

} // namespace

std::string FinishedStatus(int refused) {
    std::string done = "データ作成が完了しました。";
    if (refused <= 0) return done;
    return done + "（取り込めないレコード " + std::to_string(refused) + "件：ErrorLog.txt参照）";
}

FilingLoopExit ReadAndFileJvRecords(TJVLink& link, const FilingLoopParams& params,
                                    FilingLoopHost& host) {
    return Loop(link, params, host).Run();
}

} // namespace jvdata
