#pragma once
// The members' downloads: the forecast and the sample of the main window and the past data of
// the past-data dialog. Each fetches a zip (or a short text reply) into `VZK`, extracts the
// archive's "*.csv" and "*.vzkd" entries there and tells the user how it went. A download holds
// the owner of long operations: it writes `VZK`, which a day load and a search read.

#include "keiba/context.h"
#include "keiba/operations.h"
#include "members/download.h"
#include "members/periods.h"

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace members {

// The screen's side of a download.
class DownloadView {
public:
    virtual ~DownloadView() = default;
    virtual void SetBusyCursor(bool busy) = 0;
    // The commands that start a download are disabled while one runs.
    virtual void SetDownloadActionsEnabled(bool enabled) = 0;
    // How far the download is: 0..100, or -1 while the total is not known (a busy gauge). Past
    // data only.
    virtual void ShowProgress(int percent) { (void)percent; }
    // Handles the screen's pending events while a download runs; true once a stop was asked
    // for.
    virtual bool ProcessMessages() { return false; }
};

// Where the downloads come from.
struct SiteAccess {
    std::string baseUrl;
    TransferLimits limits;
};

class Downloads {
public:
    // The downloads go to the VZK folder of the context's program folder, with the ID and
    // password of its settings. `keepsLastUnzipped`: the extractor's OnEnd keeps
    // `gLastUnzippedName` (the main window's extractor does; the past-data dialog's has no
    // OnEnd).
    Downloads(const keiba::ProgramContext& context, keiba::OperationOwner& operations,
              SiteAccess site, bool keepsLastUnzipped);

    SiteAccess& Site() { return site_; }
    // A download runs (there is at most one in the program).
    bool Running() const { return operations_.Running() == keiba::Operation::Download; }

    // Each download asks the owner first: while another operation holds it, the download beeps
    // and says so, and nothing is fetched.
    // The forecast (GetXQdata1Click): `rereadAnalysisDay` runs after its archive was extracted
    // whole and deleted.
    void Forecast(DownloadView& view, const std::function<void()>& rereadAnalysisDay);
    // The sample (N47Click): no ID or password.
    void Sample(DownloadView& view);
    // The past data of one period (TDLDataForm.DLBtnClick once a period is chosen), with the
    // gauge and the stop.
    void PastData(const PeriodQuery& period, DownloadView& view);

    // The file name (no folder) of the last file the extractor wrote whole in this run.
    std::string gLastUnzippedName;

private:
    enum class Kind { Forecast, Sample, PastData };
    // True when the archive was extracted whole (and deleted).
    bool Run(Kind kind, const std::string& path, DownloadView& view);
    bool Extract(Kind kind, const std::filesystem::path& zip);

    const keiba::ProgramContext& context_;
    keiba::OperationOwner& operations_;
    SiteAccess site_;
    bool keepsLastUnzipped_;
};

// The sample's date text, "2024年01月05日", from the name of its last extracted file
// (XQ<yyyymmdd>.vzkd or RCOM<yyyymmdd>.CSV); empty for any other name.
std::string SampleDateText(std::string_view lastUnzippedName);

} // namespace members
