#include "keiba/csvsplit.h"

namespace keiba {

std::vector<std::string> SplitCsvLine(std::string_view line) {
    std::vector<std::string> fields;
    if (line.empty()) return fields;
    std::string field;
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        char c = line[i];
        if (quoted) {
            if (c != '"') {
                field += c;
            } else if (i + 1 < line.size() && line[i + 1] == '"') {
                field += '"';
                ++i;
            } else {
                quoted = false;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            fields.push_back(std::move(field));
            field.clear();
        } else {
            field += c;
        }
    }
    fields.push_back(std::move(field));
    return fields;
}

} // namespace keiba

namespace keiba {

namespace {

constexpr bool IsSeparatorByte(char c) {
    return static_cast<unsigned char>(c) <= 0x20;
}

} // namespace

std::vector<std::string> SplitCommaText(std::string_view text) {
    std::vector<std::string> items;
    std::size_t i = 0;
    const std::size_t n = text.size();
    auto skipBlanks = [&] {
        while (i < n && IsSeparatorByte(text[i])) ++i;
    };
    skipBlanks();
    while (i < n) {
        std::string item;
        if (text[i] == '"') {
            // Runs to the quote that is not doubled; an unclosed quote takes the rest.
            for (++i; i < n; ++i) {
                if (text[i] != '"') {
                    item += text[i];
                } else if (i + 1 < n && text[i + 1] == '"') {
                    item += '"';
                    ++i;
                } else {
                    ++i;
                    break;
                }
            }
        } else {
            const std::size_t start = i;
            while (i < n && !IsSeparatorByte(text[i]) && text[i] != ',') ++i;
            item.assign(text.substr(start, i - start));
        }
        items.push_back(std::move(item));
        skipBlanks();
        if (i < n && text[i] == ',') {
            if (i + 1 == n) items.emplace_back();
            ++i;
            skipBlanks();
        }
    }
    return items;
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

} // namespace keiba
