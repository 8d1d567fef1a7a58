#include "keiba/codetables.h"

#include <gtest/gtest.h>
