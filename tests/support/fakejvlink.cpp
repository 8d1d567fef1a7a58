#include "tests/support/fakejvlink.h"

namespace testsupport {

void FakeJvLink::AddFile(const std::string& name, const std::vector<std::string>& records) {
    if (!reads.empty()) reads.push_back({-1, {}, name});
    for (const std::string& r : records) reads.push_back({static_cast<int>(r.size()), r, name});
}

void FakeJvLink::AddRealtime(const std::string& spec, const std::string& key,
                             const std::vector<std::string>& records) {
    std::string id = spec + "/" + key;
    rtOpenResults[id] = 0;
    auto& q = rtReads[id];
    for (const std::string& r : records) q.push_back({static_cast<int>(r.size()), r, key + ".txt"});
}

std::vector<std::string> FakeJvLink::CallNames() const {
    std::vector<std::string> names;
    for (const Call& c : calls) names.push_back(c.method);
    return names;
}

int FakeJvLink::Record(std::string method, std::vector<std::string> args, int result) {
    calls.push_back({std::move(method), std::move(args), result});
    if (onCall) onCall(calls.back());
    return result;
}

int FakeJvLink::JVInit(std::string_view sid) {
    return Record("JVInit", {std::string(sid)}, initResult);
}

int FakeJvLink::JVSetUIProperties() {
    return Record("JVSetUIProperties", {}, setUiResult);
}

int FakeJvLink::JVOpen(std::string_view dataspec, std::string_view fromtime, int option,
                       int& readCountOut, int& downloadCountOut,
                       std::string& lastFileTimestampOut) {
    int r = 0;
    if (!openResults.empty()) {
        r = openResults.front();
        openResults.pop_front();
    }
    readCountOut = readCount;
    downloadCountOut = downloadCount;
    lastFileTimestampOut = lastFileTimestamp;
    if (r == 0) active_ = &reads;
    return Record("JVOpen", {std::string(dataspec), std::string(fromtime), std::to_string(option)},
                  r);
}

int FakeJvLink::JVStatus() {
    int r = downloadCount;
    if (!statusResults.empty()) {
        r = statusResults.front();
        statusResults.pop_front();
    }
    return Record("JVStatus", {}, r);
}

int FakeJvLink::JVRead(std::string& buffer, int size, std::string& fileName) {
    int r = 0;
    std::deque<ReadItem>& q = active_ ? *active_ : reads;
    if (!q.empty()) {
        ReadItem item = std::move(q.front());
        q.pop_front();
        r = item.result;
        if (!item.record.empty()) buffer = item.record;
        if (!item.fileName.empty()) fileName = item.fileName;
        currentFile_ = item.fileName;
    }
    return Record("JVRead", {std::to_string(size)}, r);
}

int FakeJvLink::JVRTOpen(std::string_view spec, std::string_view key) {
    std::string id = std::string(spec) + "/" + std::string(key);
    auto it = rtOpenResults.find(id);
    int r = it == rtOpenResults.end() ? -1 : it->second;
    if (r == 0) active_ = &rtReads[id];
    return Record("JVRTOpen", {std::string(spec), std::string(key)}, r);
}

void FakeJvLink::JVCancel() {
    Record("JVCancel", {}, 0);
}

int FakeJvLink::JVClose() {
    active_ = nullptr;
    return Record("JVClose", {}, closeResult);
}

std::string FakeJvLink::JVVersion() {
    Record("JVVersion", {}, 0);
    return version;
}

void FakeJvLink::SkipCurrentFile() {
    std::deque<ReadItem>& q = active_ ? *active_ : reads;
    // Drops the rest of the current file and the file switch after it.
    while (!q.empty() && q.front().fileName == currentFile_) q.pop_front();
    if (!q.empty() && q.front().result == -1) q.pop_front();
    Record("SkipCurrentFile", {}, 0);
}

} // namespace testsupport
