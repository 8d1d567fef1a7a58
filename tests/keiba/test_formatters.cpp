#include "keiba/formatters.h"

#include <gtest/gtest.h>
