#include "fetch/forms/timeseriesfolder.h"

#include "controls/folderviewer.h"
#include "fetch/fetchops.h"
#include "keiba/appdir.h"
#include "keiba/fileio.h"
#include "keiba/inigt.h"

namespace fetch {

bool N12Click(controls::TFolderViewerEx& viewer) {
    std::filesystem::path current = fetch::TimeSeriesFolder(keiba::AppDir());
    if (current.empty()) current = keiba::AppDir();
    viewer.SetCaption(QStringLiteral("時系列ｵｯｽﾞﾃﾞｰﾀﾌｫﾙﾀﾞの指定"));
    viewer.SetSelectedFolder(QString::fromStdString(keiba::PathToUtf8(current)));
    if (!viewer.Execute()) return false;
    keiba::TIniGT ini;
    ini.Loaded();
    return bool(ini.WriteString("Dir", "jikeiretu", viewer.Folder().toStdString()));
}

} // namespace fetch
