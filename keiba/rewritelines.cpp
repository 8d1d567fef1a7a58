#include "keiba/rewritelines.h"

#include "keiba/sjis.h"

#include <algorithm>
#include <cstring>

namespace keiba {
namespace {

// A code point the program could not show or write back as text: a control character but the
// tab.
bool IsControl(char32_t c) {
    return (c < 0x20 && c != '\t') || (c >= 0x7F && c <= 0x9F);
}

// The code points of UTF-8 text to `each`; false at the first byte that begins no character or
// ends one early (overlong forms and surrogates included, which no encoder writes).
template <class Each> bool ForEachCodePoint(std::string_view s, Each each) {
    for (std::size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        std::size_t n = b < 0x80 ? 1 : (b & 0xE0) == 0xC0 ? 2 : (b & 0xF0) == 0xE0 ? 3 : 4;
        if ((b >= 0x80 && b < 0xC2) || b > 0xF4 || i + n > s.size()) return false;
        char32_t c = n == 1 ? b : n == 2 ? b & 0x1F : n == 3 ? b & 0x0F : b & 0x07;
        for (std::size_t k = 1; k < n; ++k) {
            const auto t = static_cast<unsigned char>(s[i + k]);
            if ((t & 0xC0) != 0x80) return false;
            c = (c << 6) | (t & 0x3F);
        }
        static constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
        if (c < kLeast[n] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
        if (!each(c)) return false;
        i += n;
    }
    return true;
}

} // namespace

std::vector<LineView> SplitKeepingEnds(std::string_view bytes, LineEnds ends) {
    std::vector<LineView> lines;
    if (ends == LineEnds::CrLfOrLf && bytes.find('\n') == std::string_view::npos) {
        for (std::size_t start = 0; start < bytes.size();) {
            const std::size_t cr = bytes.find('\r', start);
            if (cr == std::string_view::npos) {
                lines.push_back({bytes.substr(start), {}});
                break;
            }
            lines.push_back({bytes.substr(start, cr - start), bytes.substr(cr, 1)});
            start = cr + 1;
        }
        return lines;
    }
    const char* const p = bytes.data();
    std::size_t start = 0, from = 0;
    while (start < bytes.size()) {
        const void* lf = std::memchr(p + from, '\n', bytes.size() - from);
        if (!lf) {
            lines.push_back({bytes.substr(start), {}});
            break;
        }
        const auto at = static_cast<std::size_t>(static_cast<const char*>(lf) - p);
        const bool cr = at > start && p[at - 1] == '\r';
        if (!cr && ends == LineEnds::CrLf) {
            from = at + 1; // a lone LF is inside the line
            continue;
        }
        const std::size_t textEnd = cr ? at - 1 : at;
        lines.push_back(
            {bytes.substr(start, textEnd - start), bytes.substr(textEnd, at + 1 - textEnd)});
        start = from = at + 1;
    }
    return lines;
}

std::vector<HeldLine> HoldLines(std::string_view bytes, LineEnds ends,
                                const std::function<bool(std::string_view text)>& readable) {
    std::vector<HeldLine> lines;
    for (const LineView& l : SplitKeepingEnds(bytes, ends))
        lines.push_back({std::string(l.text), std::string(l.end), readable(l.text)});
    return lines;
}

std::string JoinHeldLines(const std::vector<HeldLine>& lines) {
    // Lines end in CR alone only where the file held no LF (SplitKeepingEnds): the lines put in
    // end so too, or the next read would take the whole file for one line.
    const bool crOnly =
        std::any_of(lines.begin(), lines.end(), [](const HeldLine& l) { return l.end == "\r"; });
    const std::string_view put = crOnly ? "\r" : "\r\n";
    std::string out;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string_view end = lines[i].end;
        out += lines[i].text;
        out += end == "\r\n" || (end.empty() && i + 1 < lines.size()) ? put : end;
    }
    return out;
}

std::size_t UnreadableLines(const std::vector<HeldLine>& lines) {
    return static_cast<std::size_t>(
        std::count_if(lines.begin(), lines.end(),
                      [](const HeldLine& l) { return !l.readable && !l.text.empty(); }));
}

bool IsCp932TextLine(std::string_view bytes) {
    // The conversion is the one module's: what it cannot read comes back as the replacement
    // character, which no CP932 character converts to.
    return ForEachCodePoint(Cp932ToUtf8(bytes),
                            [](char32_t c) { return !IsControl(c) && c != 0xFFFD; });
}

bool IsUtf8TextLine(std::string_view bytes) {
    return ForEachCodePoint(bytes, [](char32_t c) { return !IsControl(c); });
}

} // namespace keiba
