#pragma once
// The field readers of the searches' hot loop over analysis records, inlined where
// jvdata::Field is not. They take whole records (the walk hands over nothing else), so a field
// never runs past the end; `Whole` is the check for callers that cannot be sure.

#include "jvdata/records.h"

#include <string_view>

namespace search::rfields {

inline bool Whole(std::string_view rec) {
    return rec.size() >= jvdata::kAnalysisLength;
}

inline std::string_view At(std::string_view s, jvdata::FieldPos f) {
    return {s.data() + f.pos - 1, f.width};
}

// This run's block (half 0) or the previous run's (half 1).
inline std::string_view Block(std::string_view rec, int half) {
    using Rec = jvdata::TAnalysisRecord;
    return {rec.data() + (half == 0 ? Rec::kThisRunPos : Rec::kPreviousRunPos) - 1,
            jvdata::kAnalysisRunLength};
}

// NeraiInteger's rule (leading blanks, a sign, then nothing but digits; 0 otherwise) for the
// fields of a record, nine characters at most.
inline int Int(std::string_view f) {
    // Most fields are all digits.
    if (f.size() == 2 && static_cast<unsigned>(f[0] - '0') <= 9 &&
        static_cast<unsigned>(f[1] - '0') <= 9)
        return (f[0] - '0') * 10 + (f[1] - '0');
    std::size_t i = 0;
    const std::size_t n = f.size();
    while (i < n && f[i] == ' ') ++i;
    if (i == n) return 0;
    bool negative = false;
    if (f[i] == '+' || f[i] == '-') {
        negative = f[i] == '-';
        if (++i == n) return 0;
    }
    int v = 0;
    for (; i < n; ++i) {
        unsigned d = static_cast<unsigned>(f[i]) - '0';
        if (d > 9) return 0;
        v = v * 10 + static_cast<int>(d);
    }
    return negative ? -v : v;
}

} // namespace search::rfields
