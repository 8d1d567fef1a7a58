#include "keiba/formatters.h"
