#include "raceday/jockeytable.h"

#include "jvdata/dayfiles.h"
#include "keiba/csvsplit.h"

#include <algorithm>

namespace raceday {

JockeyTable ParseJockeyTable(std::string_view bytes) {
    std::vector<std::string_view> lines = keiba::SplitLines(bytes);
    std::sort(lines.begin(), lines.end());
    JockeyTable table;
    table.rows.reserve(lines.size());
    for (std::string_view line : lines) {
        std::vector<std::string> fields = keiba::SplitCsvLine(line);
        // A short line once ended the whole window set-up; it now only leaves its cells blank.
        if (fields.size() < kJockeyFields) ++table.shortLines;
        JockeyRow row;
        for (std::size_t i = 0; i < kJockeyFields && i < fields.size(); ++i)
            row[i] = std::move(fields[i]);
        table.rows.push_back(std::move(row));
    }
    return table;
}

} // namespace raceday
