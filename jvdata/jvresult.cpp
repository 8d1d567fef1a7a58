#include "jvdata/jvresult.h"

namespace jvdata {

std::string JvResultMessage(std::string_view /*method*/, int code) {
    return "(" + std::to_string(code) + ")";
}

} // namespace jvdata
