#include "keiba/markconv.h"
