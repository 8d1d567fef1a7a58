#include "jvdata/forms/timeseriesfolder.h"

#include "app/inigt.h"
#include "controls/folderviewer.h"
#include "jvdata/fetch/fetchops.h"
#include "keiba/appdir.h"
#include "keiba/fileio.h"

namespace jvforms {

bool N12Click(controls::TFolderViewerEx& viewer) {
    std::filesystem::path current = fetch::TimeSeriesFolder(keiba::AppDir());
    if (current.empty()) current = keiba::AppDir();
    viewer.SetCaption(QStringLiteral("時系列ｵｯｽﾞﾃﾞｰﾀﾌｫﾙﾀﾞの指定"));
    viewer.SetSelectedFolder(QString::fromStdString(keiba::PathToUtf8(current)));
    if (!viewer.Execute()) return false;
    app::TIniGT ini;
    ini.Loaded();
    return bool(ini.WriteString("Dir", "jikeiretu", viewer.Folder().toStdString()));
}

} // namespace jvforms
