#pragma once
// Comma-separated texts into their items. Safe on CP932 bytes: neither ',' nor '"' nor a byte
// up to 0x20 can be the trail byte of a double-byte character.

#include <string>
#include <string_view>
#include <vector>

namespace keiba {

// One CSV line into its fields: comma separator, double-quote quoting ("" inside quotes is one
// quote); blanks belong to the fields. An empty line gives no fields; "a,,b" gives three.
std::vector<std::string> SplitCsvLine(std::string_view line);

// A comma text into its items, as a string list reads one: commas and runs of bytes up to 0x20
// (blanks, line breaks and other control characters) separate items; an item that begins with
// a double quote runs to the matching quote and keeps its blanks ("" inside is one quote); a
// comma at the very end adds an empty item. A text of blanks only gives no items.
std::vector<std::string> SplitCommaText(std::string_view text);

// `field` in double quotes with each quote inside doubled, so that SplitCommaText gives it back.
std::string QuoteCommaField(std::string_view field);

// The fields, each quoted, joined by commas: a line of the settings and statistics files.
std::string JoinQuotedFields(const std::vector<std::string>& fields);

} // namespace keiba
