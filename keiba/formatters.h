#pragma once

namespace keiba {}
