#include "keiba/codetables.h"
