#pragma once
// Comma text: the line format of the user settings file and of the statistics files. Fields
// are separated by commas and, outside double quotes, by blanks; a field in double quotes may
// hold commas and blanks, and two quotes inside it stand for one. Safe on CP932 bytes: no
// trail byte of a double-byte character is a comma, a quote or a blank.

#include <string>
#include <string_view>
#include <vector>

namespace search {

// The fields of one line. Blanks around a field are dropped; an empty line gives no fields;
// "a,,b" gives three and "a," two. A quote left open takes the rest of the line.
std::vector<std::string> SplitCommaText(std::string_view line);

// `field` in double quotes with each quote inside doubled, so that SplitCommaText gives it back.
std::string QuoteCommaField(std::string_view field);

// The fields, each quoted, joined by commas.
std::string JoinQuotedFields(const std::vector<std::string>& fields);

} // namespace search
