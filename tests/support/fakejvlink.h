#pragma once
// A scripted JV-Link for tests: every call is recorded in order with its arguments, results
// come from queues the test fills, and stored files are served like the replay serves them.

#include "jvdata/jvlink.h"

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace testsupport {

class FakeJvLink : public jvdata::TJVLink {
public:
    struct Call {
        std::string method;
        std::vector<std::string> args;
        int result = 0;
    };
    // One JVRead answer: a record (result = its length) or a bare result code.
    struct ReadItem {
        int result = 0;
        std::string record;
        std::string fileName;
    };

    // --- script ---
    int initResult = 0;
    int setUiResult = 0;
    int closeResult = 0;
    std::deque<int> openResults; // JVOpen results in order; 0 once they run out
    int readCount = 0, downloadCount = 0;
    std::string lastFileTimestamp;
    std::deque<int> statusResults;            // JVStatus results in order; then the download count
    std::deque<ReadItem> reads;               // JVRead answers in order; 0 once they run out
    std::map<std::string, int> rtOpenResults; // by spec + "/" + key; else -1
    std::map<std::string, std::deque<ReadItem>> rtReads; // served after a JVRTOpen of 0
    std::string version = "0490";
    // Runs after each call is recorded (to cancel an import mid-read, for example).
    std::function<void(const Call&)> onCall;

    // Appends a stored file: a -1 before it when it is not the first, then one item per record.
    void AddFile(const std::string& name, const std::vector<std::string>& records);
    // Real-time records for JVRTOpen(spec, key), which then returns 0.
    void AddRealtime(const std::string& spec, const std::string& key,
                     const std::vector<std::string>& records);

    // --- record ---
    std::vector<Call> calls;
    std::vector<std::string> CallNames() const;

    // --- TJVLink ---
    int JVInit(std::string_view sid) override;
    int JVSetUIProperties() override;
    int JVOpen(std::string_view dataspec, std::string_view fromtime, int option, int& readCountOut,
               int& downloadCountOut, std::string& lastFileTimestampOut) override;
    int JVStatus() override;
    int JVRead(std::string& buffer, int size, std::string& fileName) override;
    int JVRTOpen(std::string_view spec, std::string_view key) override;
    void JVCancel() override;
    int JVClose() override;
    std::string JVVersion() override;
    void SkipCurrentFile() override;

private:
    int Record(std::string method, std::vector<std::string> args, int result);
    std::deque<ReadItem>* active_ = nullptr;
    std::string currentFile_;
};

} // namespace testsupport
