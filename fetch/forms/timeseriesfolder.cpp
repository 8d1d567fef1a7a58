#include "fetch/forms/timeseriesfolder.h"

#include "controls/folderviewer.h"
#include "fetch/fetchops.h"
#include "keiba/context.h"
#include "keiba/fileio.h"
#include "keiba/platform.h"

namespace fetch {

bool N12Click(const keiba::ProgramContext& context, controls::TFolderViewerEx& viewer) {
    std::filesystem::path current = fetch::TimeSeriesFolder(context);
    if (current.empty()) current = context.folder;
    viewer.SetCaption(QStringLiteral("時系列ｵｯｽﾞﾃﾞｰﾀﾌｫﾙﾀﾞの指定"));
    viewer.SetSelectedFolder(QString::fromStdString(keiba::PathToUtf8(current)));
    if (!viewer.Execute()) return false;
    const std::string folder = viewer.Folder().toStdString();
    if (keiba::IoResult io = context.settings.WriteString("Dir", "jikeiretu", folder); !io) {
        context.notifier.Information(io.message);
        return false;
    }
    return true;
}

} // namespace fetch
