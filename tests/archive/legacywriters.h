#pragma once
// Small writers of the streams no tool here makes (Shrink, Reduce, Implode), and a bit writer
// for streams built by hand. They compress poorly on purpose: what matters is that every stream
// is valid, which the tests check against Info-ZIP's unzip where it reads the method.

#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
#include <queue>
#include <string>
#include <utility>
#include <vector>

namespace ziptest {

// Bits least significant first, as every zip method packs them.
class BitWriter {
public:
    void Put(std::uint32_t value, int bits) {
        for (int i = 0; i < bits; ++i) Bit((value >> i) & 1);
    }
    // A prefix code: its first bit is the code's highest.
    void PutCode(std::uint32_t code, int length) {
        for (int i = length - 1; i >= 0; --i) Bit((code >> i) & 1);
    }
    void Bit(std::uint32_t b) {
        acc_ |= (b & 1) << n_;
        if (++n_ == 8) Flush();
    }
    void Byte(std::uint8_t b) { Put(b, 8); }
    void AlignToByte() {
        if (n_ > 0) Flush();
    }
    std::string Finish() {
        AlignToByte();
        return out_;
    }

private:
    void Flush() {
        out_ += static_cast<char>(acc_);
        acc_ = 0;
        n_ = 0;
    }
    std::string out_;
    std::uint32_t acc_ = 0;
    int n_ = 0;
};

// Shrink: LZW whose table is kept as the decoder keeps it (the writer adds each code when the
// decoder will), so it only ever sends codes the decoder has. The code size grows by control
// code 256,1; a full table, or every `clearEvery` codes, is partly cleared by 256,2.
inline std::string Shrink(const std::string& data, int clearEvery = 0) {
    constexpr int kCodes = 8192;
    std::vector<int> prefix(kCodes, -1), children(kCodes, 0);
    std::vector<std::uint8_t> suffix(kCodes), isFree(kCodes, 1);
    std::map<std::pair<int, std::uint8_t>, int> child; // (code, byte) -> code in use
    std::vector<int> freeList;
    std::size_t nextFree = 0;
    for (int c = 257; c < kCodes; ++c) freeList.push_back(c);
    for (int c = 0; c < 256; ++c) isFree[c] = 0;
    BitWriter w;
    int width = 9, previous = -1, emitted = 0;
    auto send = [&](int code) {
        while (code >= (1 << width)) {
            w.Put(256, width);
            w.Put(1, width);
            ++width;
        }
        w.Put(static_cast<std::uint32_t>(code), width);
    };
    auto clear = [&] {
        w.Put(256, width);
        w.Put(2, width);
        std::vector<int> leaves;
        for (int c = 257; c < kCodes; ++c)
            if (!isFree[c] && children[c] == 0) leaves.push_back(c);
        for (int c : leaves) {
            if (prefix[c] >= 257) --children[prefix[c]];
            isFree[c] = 1;
            if (auto it = child.find({prefix[c], suffix[c]}); it != child.end() && it->second == c)
                child.erase(it);
        }
        freeList.clear();
        for (int c = 257; c < kCodes; ++c)
            if (isFree[c]) freeList.push_back(c);
        nextFree = 0;
    };
    std::size_t i = 0;
    while (i < data.size()) {
        int code = static_cast<std::uint8_t>(data[i]);
        std::size_t end = i + 1;
        for (; end < data.size(); ++end) {
            auto it = child.find({code, static_cast<std::uint8_t>(data[end])});
            if (it == child.end()) break;
            code = it->second;
        }
        send(code);
        if (previous >= 0 && nextFree < freeList.size()) { // the decoder's next entry
            int fresh = freeList[nextFree++];
            prefix[fresh] = previous;
            suffix[fresh] = static_cast<std::uint8_t>(data[i]);
            isFree[fresh] = 0;
            if (previous >= 257) ++children[previous];
            child.emplace(std::make_pair(previous, suffix[fresh]), fresh);
        }
        previous = code;
        i = end;
        ++emitted;
        if (nextFree == freeList.size() || (clearEvery > 0 && emitted % clearEvery == 0)) clear();
    }
    return w.Finish();
}

// Reduce with factor `f` (1 to 4): matches escaped by byte 144, then every byte coded through
// the follower set of the byte before it (the 32 most frequent followers, or none).
inline std::string Reduce(const std::string& data, int f) {
    // 1. matches: 144, V, [extra length], distance low byte
    const std::size_t mask = 0xFFu >> f, maxDistance = std::size_t{256} << f;
    const std::size_t maxLength = mask + 255 + 3;
    std::string mid;
    for (std::size_t i = 0; i < data.size();) {
        std::size_t bestLen = 0, bestDist = 0;
        for (std::size_t d = 1; d <= std::min(i, maxDistance); ++d) {
            std::size_t n = 0;
            while (i + n < data.size() && n < maxLength && data[i + n] == data[i + n - d]) ++n;
            // V = 0 would read as a literal 144: a length of 3 at a distance of at most 256
            bool codable = !(n == 3 && d <= 256);
            if (n >= 3 && codable && n > bestLen) bestLen = n, bestDist = d;
        }
        if (bestLen == 0) {
            mid += data[i];
            if (static_cast<std::uint8_t>(data[i]) == 144) mid += '\0';
            ++i;
            continue;
        }
        std::size_t l = bestLen - 3, d = bestDist - 1;
        auto v = static_cast<std::uint8_t>(((d >> 8) << (8 - f)) | std::min(l, mask));
        mid += '\x90';
        mid += static_cast<char>(v);
        if (l >= mask) mid += static_cast<char>(l - mask);
        mid += static_cast<char>(d & 0xFF);
        i += bestLen;
    }
    // 2. follower sets from the byte pairs of that stream
    std::array<std::array<int, 256>, 256> pairs{};
    std::uint8_t last = 0;
    for (char c : mid) {
        ++pairs[last][static_cast<std::uint8_t>(c)];
        last = static_cast<std::uint8_t>(c);
    }
    std::array<std::vector<std::uint8_t>, 256> sets;
    for (int b = 0; b < 256; ++b) {
        std::vector<int> order(256);
        for (int k = 0; k < 256; ++k) order[k] = k;
        std::stable_sort(order.begin(), order.end(),
                         [&](int x, int y) { return pairs[b][x] > pairs[b][y]; });
        for (int k = 0; k < 32 && pairs[b][order[k]] > 1; ++k)
            sets[b].push_back(static_cast<std::uint8_t>(order[k]));
    }
    BitWriter w;
    for (int b = 255; b >= 0; --b) {
        w.Put(static_cast<std::uint32_t>(sets[b].size()), 6);
        for (std::uint8_t c : sets[b]) w.Put(c, 8);
    }
    last = 0;
    for (char ch : mid) {
        auto c = static_cast<std::uint8_t>(ch);
        const auto& set = sets[last];
        if (set.empty()) {
            w.Put(c, 8);
        } else {
            auto at = std::find(set.begin(), set.end(), c);
            if (at == set.end()) {
                w.Put(1, 1);
                w.Put(c, 8);
            } else {
                std::size_t n = set.size();
                int bits = n <= 2 ? 1 : n <= 4 ? 2 : n <= 8 ? 3 : n <= 16 ? 4 : 5;
                w.Put(0, 1);
                w.Put(static_cast<std::uint32_t>(at - set.begin()), bits);
            }
        }
        last = c;
    }
    return w.Finish();
}

// Code lengths of at most 16 bits for every symbol (Implode gives each symbol a code): Huffman
// lengths over the counts, the counts halved until the longest code fits.
inline std::vector<std::uint8_t> LimitedLengths(std::vector<std::uint64_t> counts) {
    for (;;) {
        using Node = std::pair<std::uint64_t, int>;
        std::priority_queue<Node, std::vector<Node>, std::greater<>> q;
        std::vector<int> parent(counts.size() * 2, -1);
        int next = static_cast<int>(counts.size());
        for (std::size_t s = 0; s < counts.size(); ++s)
            q.emplace(counts[s] + 1, static_cast<int>(s));
        while (q.size() > 1) {
            auto a = q.top();
            q.pop();
            auto b = q.top();
            q.pop();
            parent[a.second] = parent[b.second] = next;
            q.emplace(a.first + b.first, next++);
        }
        std::vector<std::uint8_t> lengths(counts.size());
        bool fits = true;
        for (std::size_t s = 0; s < counts.size(); ++s) {
            int depth = 0;
            for (int n = static_cast<int>(s); parent[n] >= 0; n = parent[n]) ++depth;
            lengths[s] = static_cast<std::uint8_t>(depth);
            fits = fits && depth <= 16;
        }
        if (fits) return lengths;
        for (auto& c : counts) c /= 2;
    }
}

// Canonical codes of lengths: shortest first, in symbol order within a length.
inline std::vector<std::uint32_t> CanonicalCodes(const std::vector<std::uint8_t>& lengths) {
    std::vector<std::uint32_t> codes(lengths.size());
    std::uint32_t code = 0;
    for (int len = 1; len <= 16; ++len, code <<= 1)
        for (std::size_t s = 0; s < lengths.size(); ++s)
            if (lengths[s] == len) codes[s] = code++;
    return codes;
}

// An Implode token: a literal, or a match of `length` bytes from `distance` back.
struct ImplodeToken {
    std::size_t length = 0; // 0: literal
    std::size_t distance = 0;
    std::uint8_t literal = 0;
};

// Implode of `tokens` with the general-purpose `flags` (2: 8 KB dictionary, 4: literal tree).
// The Shannon-Fano codes are the canonical codes of the lengths with every bit complemented.
inline std::string Implode(const std::vector<ImplodeToken>& tokens, std::uint16_t flags) {
    const bool big = flags & 2, literalTree = flags & 4;
    const int lowBits = big ? 7 : 6;
    const std::size_t minimum = literalTree ? 3 : 2;
    std::vector<std::uint64_t> lit(256), len(64), dist(64);
    for (const auto& t : tokens) {
        if (t.length == 0) {
            ++lit[t.literal];
        } else {
            ++len[std::min<std::size_t>(t.length - minimum, 63)];
            ++dist[(t.distance - 1) >> lowBits];
        }
    }
    BitWriter w;
    struct Tree {
        std::vector<std::uint8_t> lengths;
        std::vector<std::uint32_t> codes;
    };
    auto tree = [&](const std::vector<std::uint64_t>& counts) {
        Tree t{LimitedLengths(counts), {}};
        t.codes = CanonicalCodes(t.lengths);
        std::vector<std::uint8_t> runs;
        for (std::size_t s = 0; s < t.lengths.size();) {
            std::size_t n = 1;
            while (s + n < t.lengths.size() && n < 16 && t.lengths[s + n] == t.lengths[s]) ++n;
            runs.push_back(static_cast<std::uint8_t>(((n - 1) << 4) | (t.lengths[s] - 1)));
            s += n;
        }
        w.Byte(static_cast<std::uint8_t>(runs.size() - 1));
        for (auto r : runs) w.Byte(r);
        return t;
    };
    Tree litTree;
    if (literalTree) litTree = tree(lit);
    Tree lenTree = tree(len), distTree = tree(dist);
    auto code = [&](const Tree& t, std::size_t s) {
        w.PutCode(~t.codes[s] & ((1u << t.lengths[s]) - 1), t.lengths[s]);
    };
    for (const auto& t : tokens) {
        if (t.length == 0) {
            w.Bit(1);
            if (literalTree)
                code(litTree, t.literal);
            else
                w.Byte(t.literal);
            continue;
        }
        std::size_t d = t.distance - 1, l = t.length - minimum;
        w.Bit(0);
        w.Put(static_cast<std::uint32_t>(d & ((1u << lowBits) - 1)), lowBits);
        code(distTree, d >> lowBits);
        code(lenTree, std::min<std::size_t>(l, 63));
        if (l >= 63) w.Byte(static_cast<std::uint8_t>(l - 63));
    }
    return w.Finish();
}

// Tokens for `data`: the longest match in the window (at least the minimum), else a literal.
inline std::vector<ImplodeToken> ImplodeTokens(const std::string& data, std::uint16_t flags) {
    const std::size_t window = (flags & 2) ? 8192 : 4096, minimum = (flags & 4) ? 3 : 2;
    const std::size_t maxLength = minimum + 63 + 255;
    std::vector<ImplodeToken> tokens;
    for (std::size_t i = 0; i < data.size();) {
        ImplodeToken t;
        t.literal = static_cast<std::uint8_t>(data[i]);
        for (std::size_t d = 1; d <= std::min(i, window); ++d) {
            std::size_t n = 0;
            while (i + n < data.size() && n < maxLength && data[i + n] == data[i + n - d]) ++n;
            if (n >= minimum && n > t.length) t.length = n, t.distance = d;
        }
        i += t.length ? t.length : 1;
        tokens.push_back(t);
    }
    return tokens;
}

} // namespace ziptest
