#include "controls/msgdlg.h"
