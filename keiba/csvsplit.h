#pragma once
// One CSV line into its fields: comma separator, double-quote quoting ("" inside quotes is one
// quote). Safe on CP932 bytes: neither ',' nor '"' can be the trail byte of a double-byte
// character.

#include <string>
#include <string_view>
#include <vector>

namespace keiba {

// An empty line gives no fields; "a,,b" gives three.
std::vector<std::string> SplitCsvLine(std::string_view line);

} // namespace keiba
