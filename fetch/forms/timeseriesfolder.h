#pragma once
// N12Click: the folder of the outside time-series odds viewer (section Dir, key jikeiretu).

namespace controls {
class TFolderViewerEx;
}

namespace keiba {
struct ProgramContext;
}

namespace fetch {

// Runs the folder dialog with the current folder preselected (the program folder when unset)
// and stores the chosen folder in the context's settings; cancelling changes nothing. True when
// a folder was stored; a folder the settings file cannot keep is said in a box.
bool N12Click(const keiba::ProgramContext& context,
              controls::TFolderViewerEx& viewer); // 時系列ｵｯｽﾞﾌｫﾙﾀﾞ指定(&T)

} // namespace fetch
