#pragma once
// The JV-Link control's result codes as the service's own messages.

#include <string>
#include <string_view>

namespace jvdata {

// The message of `code` in the set of `method`, followed by "(" + code + ")". A code or method
// the table does not hold gives only the bracketed code. UTF-8.
std::string JvResultMessage(std::string_view method, int code);

} // namespace jvdata
