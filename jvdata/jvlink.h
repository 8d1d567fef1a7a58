#pragma once
// The JV-Link control as the system uses it: the operations it calls, each returning the
// result codes of the result-message table. Records come back as CP932 bytes with their CR LF.
//
// Two implementations: the replay of a feed folder (below), and a scriptable fake for tests
// (tests/support/fakejvlink.h).

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace jvdata {

class TJVLink {
public:
    virtual ~TJVLink() = default;
    virtual int JVInit(std::string_view sid) = 0;
    // The control's own settings dialog.
    virtual int JVSetUIProperties() = 0;
    // Opens the stored data newer than `fromtime` ("yyyymmddhhnnss"); sets the number of files
    // to read, the number still to download and the timestamp of the newest file.
    virtual int JVOpen(std::string_view dataspec, std::string_view fromtime, int option,
                       int& readCount, int& downloadCount, std::string& lastFileTimestamp) = 0;
    // Files downloaded so far, or a negative code.
    virtual int JVStatus() = 0;
    // > 0: a record (its length) in `buffer`; 0: the end; -1: the next file begins; -2, -3:
    // not there yet; below -3: an error. `fileName` names the file the read is in.
    virtual int JVRead(std::string& buffer, int size, std::string& fileName) = 0;
    virtual int JVRTOpen(std::string_view spec, std::string_view key) = 0;
    virtual void JVCancel() = 0;
    virtual int JVClose() = 0;
    // The control's version text, four digits ("0490").
    virtual std::string JVVersion() = 0;
    // Passes over the rest of the current file; the next read gives the next file's first record.
    virtual void SkipCurrentFile() = 0;
};

// The feed folder: the folder named by KESTRANE_JVFEED when set, else <programFolder>/feed.
std::filesystem::path DefaultFeedFolder(const std::filesystem::path& programFolder);

// The name of the file in the feed folder whose lines inject results:
//   present=0            the control is missing (CreateReplayJvLink gives nothing)
//   version=0480         the version text
//   download=3           files still to download at JVOpen (JVStatus counts up to it)
//   JVInit=-101          a forced result of an operation (JVInit, JVSetUIProperties, JVOpen,
//   JVRead=-403          JVStatus, JVRead, JVRTOpen, JVClose); JVRead's comes after
//   JVReadAfter=5        this many records have been read
// Blank lines and lines starting with '#' are ignored. It is read again at every JVInit,
// JVOpen and JVRTOpen, so a change shows without a restart.
inline constexpr std::string_view kFeedConfigName = "inject.txt";

// The replay of `feedFolder`: stored/<yyyymmddhhnnss>_<file name> files of records for JVOpen,
// rt/<spec>/<key>.txt for JVRTOpen. Nothing when the feed's configuration says the control is
// not present.
std::unique_ptr<TJVLink> CreateReplayJvLink(const std::filesystem::path& feedFolder);

} // namespace jvdata
