#include "controls/numeditrules.h"

#include "keiba/sjis.h"

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <optional>
#include <utility>

namespace controls {
namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Full-width digits, minus and full stop become their ASCII forms and the full-width comma
// is dropped; any other double-byte character ends the text.
std::string HalfWidthNumberChars(std::string_view s) {
    std::string out;
    std::size_t i = 0;
    while (i < s.size()) {
        auto c = static_cast<unsigned char>(s[i]);
        if (!keiba::IsSjisLeadByte(c)) {
            out += s[i++];
            continue;
        }
        if (i + 1 >= s.size()) break;
        unsigned code = (unsigned{c} << 8) | static_cast<unsigned char>(s[i + 1]);
        if (code >= 0x824F && code <= 0x8258) {
            out += static_cast<char>('0' + (code - 0x824F));
        } else if (code == 0x817C) {
            out += '-';
        } else if (code == 0x8144) {
            out += '.';
        } else if (code != 0x8143) {
            break;
        }
        i += 2;
    }
    return out;
}

std::string GroupedOrPlain(std::string_view digits, bool comma) {
    return comma ? GroupThousands(digits) : std::string(digits);
}

} // namespace

std::string FilterText(std::string_view sjis, const NumEditRules& rules) {
    const std::string converted = HalfWidthNumberChars(sjis);
    std::string out;
    bool point = false;
    for (std::size_t i = 0; i < converted.size(); ++i) {
        char ch = converted[i];
        if (IsDigit(ch)) {
            out += ch;
        } else if (ch == ',') {
            continue;
        } else if (ch == '.') {
            if (rules.decimalLength <= 0 || point) break;
            point = true;
            out += ch;
        } else if (ch == '-') {
            if (!rules.minus || i != 0) break;
            out += ch;
        } else {
            break;
        }
    }
    NumberParts parts = SplitNumber(out);
    if (!parts.point.empty() &&
        parts.decimals.size() > static_cast<std::size_t>(rules.decimalLength))
        parts.decimals.resize(static_cast<std::size_t>(rules.decimalLength));
    if (parts.integer.size() >
        static_cast<std::size_t>(rules.integerLength < 0 ? 0 : rules.integerLength))
        return {};
    return JoinNumber(parts);
}

std::string TrimLeadingZeros(std::string_view text) {
    std::string t(text);
    const bool negative = !t.empty() && t.front() == '-';
    if (negative) t.erase(0, 1);
    if (t.empty()) return negative ? "-" : "";
    std::size_t zeros = 0;
    while (zeros < t.size() && t[zeros] == '0') ++zeros;
    t.erase(0, zeros);
    if (t.empty()) {
        t = "0";
    } else if (t.front() == '.') {
        t.insert(0, "0");
    }
    return negative ? "-" + t : t;
}

NumberParts SplitNumber(std::string_view text) {
    NumberParts p;
    if (!text.empty() && text.front() == '-') {
        p.sign = "-";
        text.remove_prefix(1);
    }
    const std::size_t dot = text.find('.');
    if (dot == std::string_view::npos) {
        p.integer = text;
    } else {
        p.integer = text.substr(0, dot);
        p.point = ".";
        p.decimals = text.substr(dot + 1);
    }
    return p;
}

std::string JoinNumber(const NumberParts& parts) {
    return parts.sign + parts.integer + parts.point + parts.decimals;
}

std::string GroupThousands(std::string_view digits) {
    std::string out;
    const std::size_t n = digits.size();
    for (std::size_t i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return out;
}

std::string FormatNumber(std::string_view text, const NumEditRules& rules) {
    NumberParts p = SplitNumber(text);
    p.integer = GroupedOrPlain(p.integer, rules.comma);
    if (rules.decimalFixed) {
        const auto want =
            static_cast<std::size_t>(rules.decimalLength > 0 ? rules.decimalLength : 0);
        p.decimals.resize(want, '0');
        p.point = want > 0 ? "." : "";
    }
    if ((rules.integerFixed || rules.decimalFixed) && p.integer.empty()) p.integer = "0";
    return JoinNumber(p);
}

std::string FormatDisplay(std::string_view text, const NumEditRules& rules,
                          std::string_view leftMark, std::string_view rightMark) {
    std::string number = FormatNumber(text, rules);
    if (number.empty()) return {};
    return std::string(leftMark) + number + std::string(rightMark);
}

std::string NumberBoxText(std::string_view text, const NumEditRules& rules) {
    if (!rules.integerFixed && !rules.decimalFixed) return FormatNumber(text, rules);
    NumberParts p = SplitNumber(FormatNumber(text, rules));
    if (rules.integerFixed) {
        p.sign = rules.minus ? "-" : "";
        p.integer = GroupedOrPlain(std::string(static_cast<std::size_t>(rules.integerLength), '0'),
                                   rules.comma);
    }
    if (rules.decimalFixed && rules.decimalLength > 0) {
        p.point = ".";
        p.decimals.assign(static_cast<std::size_t>(rules.decimalLength), '0');
    }
    return JoinNumber(p);
}

std::string DisplayNumberText(std::string_view text, const NumEditRules& rules) {
    NumberParts p = SplitNumber(text);
    p.integer = GroupedOrPlain(p.integer, rules.comma);
    if ((rules.integerFixed || rules.decimalFixed) && p.integer.empty()) p.integer = "0";
    return JoinNumber(p);
}

std::string MaxLengthText(const NumEditRules& rules) {
    NumberParts p;
    if (rules.minus) p.sign = "-";
    p.integer = GroupedOrPlain(
        std::string(static_cast<std::size_t>(rules.integerLength > 0 ? rules.integerLength : 0),
                    '0'),
        rules.comma);
    if (rules.decimalLength > 0) {
        p.point = ".";
        p.decimals.assign(static_cast<std::size_t>(rules.decimalLength), '0');
    }
    return JoinNumber(p);
}

int TextAsInteger(std::string_view text) {
    const std::optional<std::int64_t> v = keiba::StrictInteger(text);
    if (!v || *v < std::numeric_limits<int>::min() || *v > std::numeric_limits<int>::max())
        return 0;
    return static_cast<int>(*v);
}

double TextAsFloat(std::string_view text) {
    if (!text.empty() && text.back() == '.') text.remove_suffix(1);
    if (text.empty() || text == "-") return 0.0;
    double value = 0.0;
    // from_chars ignores the process locale, which a Qt application sets from the desktop.
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size()) return 0.0;
    return value;
}

std::string FloatToText(double value) {
    if (value == 0.0) return "0";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15G", value);
    return buf;
}

void NumEditModel::SetRules(const NumEditRules& rules) {
    rules_ = rules;
    text_ = FilterText(text_, rules_);
    if (text_.empty()) selected_ = false;
}

void NumEditModel::SetText(std::string_view sjis) {
    text_ = TrimLeadingZeros(FilterText(sjis, rules_));
    if (text_.empty()) selected_ = false;
}

bool NumEditModel::SetTextIfDifferent(std::string_view sjis) {
    if (sjis == text_) return false;
    SetText(sjis);
    return true;
}

void NumEditModel::SaveUndo() {
    undoText_ = text_;
    undoAvailable_ = true;
}

bool NumEditModel::ClearSelectionFirst() {
    if (!selected_) return false;
    SaveUndo();
    text_.clear();
    selected_ = false;
    return true;
}

// Typing over a selection saved the text before it was cleared; keeping that one lets Undo
// bring back what was selected rather than the empty text in between.
EditResult NumEditModel::Accept(std::string candidate, bool undoSaved) {
    if (!undoSaved) SaveUndo();
    text_ = std::move(candidate);
    selected_ = false;
    return EditResult::Changed;
}

EditResult NumEditModel::InputDigit(char digit, const FitsFn& fits) {
    if (!IsDigit(digit)) return EditResult::Refused;
    const bool saved = ClearSelectionFirst();
    const NumberParts p = SplitNumber(text_);
    if (!p.point.empty()) {
        if (p.decimals.size() >= static_cast<std::size_t>(rules_.decimalLength))
            return EditResult::Refused;
    } else if (p.integer.size() >= static_cast<std::size_t>(rules_.integerLength)) {
        return EditResult::Refused;
    }
    std::string candidate = TrimLeadingZeros(text_ + digit);
    if (fits && !fits(candidate)) return EditResult::Refused;
    return Accept(std::move(candidate), saved);
}

EditResult NumEditModel::InputPoint(const FitsFn& fits) {
    if (rules_.decimalLength <= 0) return EditResult::Refused;
    const bool saved = ClearSelectionFirst();
    if (text_.find('.') != std::string::npos) return EditResult::Refused;
    std::string candidate = TrimLeadingZeros(text_ + ".");
    if (fits && !fits(candidate)) return EditResult::Refused;
    return Accept(std::move(candidate), saved);
}

EditResult NumEditModel::InputMinus(const FitsFn& fits) {
    if (!rules_.minus) return EditResult::Refused;
    const bool saved = ClearSelectionFirst();
    if (!text_.empty() && text_.front() == '-') return Accept(text_.substr(1), saved);
    std::string candidate = "-" + text_;
    if (fits && !fits(candidate)) return EditResult::Refused;
    return Accept(std::move(candidate), saved);
}

EditResult NumEditModel::DeleteLastChar() {
    if (text_.empty()) return EditResult::Unchanged;
    if (selected_) return Clear();
    std::string candidate = text_;
    candidate.pop_back();
    if (!candidate.empty() && candidate.back() == '.') candidate.pop_back();
    return Accept(std::move(candidate), false);
}

EditResult NumEditModel::Clear() {
    SaveUndo();
    text_.clear();
    selected_ = false;
    return EditResult::ChangedSilently;
}

EditResult NumEditModel::Paste(std::string_view clipboardSjis) {
    SaveUndo();
    const std::string source =
        selected_ ? std::string(clipboardSjis) : text_ + std::string(clipboardSjis);
    text_ = TrimLeadingZeros(FilterText(source, rules_));
    selected_ = false;
    return EditResult::Changed;
}

EditResult NumEditModel::Undo() {
    if (!undoAvailable_) return EditResult::Unchanged;
    std::swap(text_, undoText_);
    SelectAll();
    return EditResult::Changed;
}

void NumEditModel::LeaveFocus(bool keepLoneMinus) {
    if (text_ == "-" && !keepLoneMinus) text_.clear();
}

} // namespace controls
