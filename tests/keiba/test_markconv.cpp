#include "keiba/markconv.h"

#include <gtest/gtest.h>
