#include "members/extract.h"

#include "archive/unzip.h"
#include "keiba/fileio.h"

namespace members {

ExtractionResult ExtractMembersArchive(const std::filesystem::path& zip,
                                       const std::filesystem::path& vzkDir,
                                       const archive::TEndEvent& onEnd,
                                       const archive::VolumeRetryPrompt& retry) {
    archive::TUnZip unzip;
    unzip.SetTranslateOemChar(false);
    if (retry)
        unzip.OnRetryVolume = [&](archive::TZipCommon&, const std::string& text) {
            return retry(text);
        };
    bool failed = false;
    unzip.OnEnd = [&](archive::TZipCommon& sender, const std::string& name, bool crcPass) {
        failed = failed || !crcPass;
        if (onEnd) onEnd(sender, name, crcPass);
    };
    // Entries passed over before they begin (a bad offset, an unsupported cipher) only report.
    unzip.OnError = [&](archive::TZipCommon&, const std::string&, const std::string&,
                        const std::string&, int) { failed = true; };
    unzip.SetArchiveFile(keiba::PathToUtf8(zip));
    unzip.SetFileSpec({"*.csv", "*.vzkd"});
    unzip.SetExtractDir(keiba::PathToUtf8(vzkDir));
    ExtractionResult r;
    r.files = unzip.ExtractArchive();
    r.complete = r.files > 0 && !failed;
    return r;
}

} // namespace members
