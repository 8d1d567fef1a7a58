#include "search/commatext.h"

namespace search {

namespace {

// Characters up to the blank count as blanks, as the settings and statistics files were read.
bool IsBlank(char c) {
    return c != '\0' && static_cast<unsigned char>(c) <= ' ';
}

} // namespace

std::vector<std::string> SplitCommaText(std::string_view line) {
    std::vector<std::string> fields;
    std::size_t i = 0;
    const std::size_t n = line.size();
    auto skipBlanks = [&] {
        while (i < n && IsBlank(line[i])) ++i;
    };
    skipBlanks();
    while (i < n) {
        std::string field;
        if (line[i] == '"') {
            ++i;
            while (i < n) {
                if (line[i] != '"') {
                    field += line[i++];
                } else if (i + 1 < n && line[i + 1] == '"') {
                    field += '"';
                    i += 2;
                } else {
                    ++i;
                    break;
                }
            }
        } else {
            while (i < n && !IsBlank(line[i]) && line[i] != ',') field += line[i++];
        }
        fields.push_back(std::move(field));
        skipBlanks();
        if (i < n && line[i] == ',') {
            ++i;
            // A comma at the end of the line still opens a last, empty field.
            if (i == n) fields.emplace_back();
            skipBlanks();
        }
    }
    return fields;
}

std::string QuoteCommaField(std::string_view field) {
    std::string out = "\"";
    for (char c : field) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
    return out;
}

std::string JoinQuotedFields(const std::vector<std::string>& fields) {
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) line += ',';
        line += QuoteCommaField(fields[i]);
    }
    return line;
}

} // namespace search
