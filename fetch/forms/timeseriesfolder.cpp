#include "fetch/forms/timeseriesfolder.h"

#include "controls/folderviewer.h"
#include "fetch/fetchops.h"
#include "keiba/fileio.h"

namespace fetch {

bool N12Click(const keiba::ProgramContext& context, controls::TFolderViewerEx& viewer) {
    std::filesystem::path current = fetch::TimeSeriesFolder(context);
    if (current.empty()) current = context.folder;
    viewer.SetCaption(QStringLiteral("時系列ｵｯｽﾞﾃﾞｰﾀﾌｫﾙﾀﾞの指定"));
    viewer.SetSelectedFolder(QString::fromStdString(keiba::PathToUtf8(current)));
    if (!viewer.Execute()) return false;
    const keiba::IoResult io =
        context.settings.WriteString("Dir", "jikeiretu", viewer.Folder().toStdString());
    if (!io) context.notifier.Information(io.message);
    return bool(io);
}

} // namespace fetch
