#include "tests/support/damage.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <utility>

namespace testsupport {
namespace {

// splitmix64: the same numbers on every machine and library, unlike the standard distributions.
struct Rng {
    std::uint64_t state;
    std::uint64_t Next() {
        std::uint64_t z = (state += 0x9E3779B97F4A7C15u);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
        return z ^ (z >> 31);
    }
    std::size_t Below(std::size_t n) { return n == 0 ? 0 : static_cast<std::size_t>(Next() % n); }
};

constexpr std::array<std::string_view, static_cast<std::size_t>(Damage::kCount)> kDamageNames = {
    "bytes cut",
    "bytes put in",
    "a byte lost",
    "CR of a line end lost",
    "LF of a line end lost",
    "a lone CR put in",
    "a lone LF put in",
    "0x00 in a number",
    "0xFF in a number",
    "a letter in a number",
    "half a two-byte character",
    "a BOM before the first record",
    "the file cut at the record",
    "the file cut inside the record",
    "another race's record of the day in its place",
    "swapped with another record",
    "the record of another day in its place",
    "the whole file of another day",
    "its key names a racecourse not running that day",
    "its key names another meeting",
    "its key names another day of the meeting",
    "its key names another race number",
    "its key names another date",
    "its key names another horse",
    "the file doubled",
    "every CR LF turned into LF",
};

constexpr std::array<std::string_view, static_cast<std::size_t>(Place::kCount)> kPlaceNames = {
    "first record", "middle record", "last record", "a random record",
    "a record of another racecourse"};

bool IsLead(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

std::string Two(int n) {
    return std::string(1, static_cast<char>('0' + n / 10)) + static_cast<char>('0' + n % 10);
}

// The spans of a record a damage may aim at: the record's own, else the layout's, else the whole
// record but its line end.
std::vector<Span> Spans(const std::vector<Span>& own, const std::vector<Span>& layout,
                        std::size_t length, bool lineEnd) {
    std::vector<Span> out = !own.empty() ? own : layout;
    if (out.empty() && length > (lineEnd ? 2u : 0u)) out.push_back({1, length - (lineEnd ? 2 : 0)});
    // Only what the record holds.
    std::erase_if(out, [&](const Span& s) { return s.width == 0 || s.pos + s.width - 1 > length; });
    return out;
}

// A 1-based position inside one of the spans, and how many bytes of that span follow it.
std::pair<std::size_t, std::size_t> PositionIn(const std::vector<Span>& spans, Rng& rng) {
    const Span& s = spans[rng.Below(spans.size())];
    const std::size_t offset = rng.Below(s.width);
    return {s.pos + offset, s.width - offset};
}

std::string Joined(const std::vector<std::string>& records, std::size_t from, std::size_t to) {
    std::string out;
    for (std::size_t i = from; i < to && i < records.size(); ++i) out += records[i];
    return out;
}

// Another value of a key part that a sound key could hold.
std::optional<std::string> OtherKeyPart(Damage d, std::string_view now,
                                        const std::vector<std::string>& dayVenues, Rng& rng) {
    auto number = [&](std::string_view s) {
        int v = 0;
        for (char c : s) {
            if (c < '0' || c > '9') return -1;
            v = v * 10 + (c - '0');
        }
        return v;
    };
    switch (d) {
    case Damage::OtherVenue: {
        std::vector<std::string> idle; // the central racecourses that run nothing that day
        for (int v = 1; v <= 10; ++v)
            if (std::find(dayVenues.begin(), dayVenues.end(), Two(v)) == dayVenues.end())
                idle.push_back(Two(v));
        if (idle.empty()) return std::nullopt;
        return idle[rng.Below(idle.size())];
    }
    case Damage::OtherMeeting:
    case Damage::OtherDayDigit: {
        const int v = number(now), top = d == Damage::OtherMeeting ? 5 : 12;
        if (v < 1 || v > top) return std::nullopt;
        if (v == 1) return Two(2);
        if (v == top) return Two(top - 1);
        return Two(rng.Below(2) ? v + 1 : v - 1);
    }
    case Damage::OtherRaceNo: {
        const int v = number(now);
        if (v < 1 || v > 12) return std::nullopt;
        const int other = 1 + static_cast<int>(rng.Below(11));
        return Two(other >= v ? other + 1 : other);
    }
    case Damage::OtherDate: {
        using namespace std::chrono;
        if (now.size() != 8 || number(now.substr(0, 4)) < 0 || number(now.substr(4, 2)) < 0 ||
            number(now.substr(6, 2)) < 0)
            return std::nullopt;
        const year_month_day date{year(number(now.substr(0, 4))),
                                  month(static_cast<unsigned>(number(now.substr(4, 2)))),
                                  day(static_cast<unsigned>(number(now.substr(6, 2))))};
        if (!date.ok()) return std::nullopt;
        const int shift = (1 + static_cast<int>(rng.Below(3))) * (rng.Below(2) ? 1 : -1);
        const year_month_day other{sys_days(date) + days(shift)};
        return std::to_string(static_cast<int>(other.year())) +
               Two(static_cast<int>(static_cast<unsigned>(other.month()))) +
               Two(static_cast<int>(static_cast<unsigned>(other.day())));
    }
    case Damage::OtherHorse: {
        if (now.size() < 6) return std::nullopt;
        std::string id(now);
        const std::size_t at = id.size() - 1 - rng.Below(6);
        if (id[at] < '0' || id[at] > '9') return std::nullopt;
        id[at] = static_cast<char>('0' + (id[at] - '0' + 1 + static_cast<int>(rng.Below(9))) % 10);
        return id;
    }
    default: return std::nullopt;
    }
}

Span KeyPart(const DamageLayout& l, Damage d) {
    switch (d) {
    case Damage::OtherVenue: return l.venue;
    case Damage::OtherMeeting: return l.meeting;
    case Damage::OtherDayDigit: return l.day;
    case Damage::OtherRaceNo: return l.raceNo;
    case Damage::OtherDate: return l.date;
    case Damage::OtherHorse: return l.pedigreeId;
    default: return {};
    }
}

} // namespace

std::string DamageFile::Bytes() const {
    std::string out;
    for (const DamageRecord& r : records) out += r.bytes;
    return out;
}

std::string_view DamageName(Damage d) {
    return kDamageNames[static_cast<std::size_t>(d)];
}

std::string_view PlaceName(Place p) {
    return kPlaceNames[static_cast<std::size_t>(p)];
}

std::uint64_t CaseSeed(std::uint64_t runSeed, std::initializer_list<std::uint64_t> parts) {
    Rng rng{runSeed};
    std::uint64_t seed = rng.Next();
    for (std::uint64_t p : parts) {
        rng.state ^= p * 0xD6E8FEB86659FD93u;
        seed = rng.Next();
    }
    return seed % 1000000000000u; // short enough to type back in
}

std::optional<DamageCase> MakeDamage(const DamageKind& kind, Damage damage, Place place,
                                     std::uint64_t seed) {
    Rng rng{seed};
    const DamageLayout& layout = kind.layout;
    std::vector<std::pair<std::size_t, std::size_t>> holding;
    for (std::size_t f = 0; f < kind.files.size(); ++f)
        for (std::size_t r = 0; r < kind.files[f].records.size(); ++r)
            if (kind.files[f].records[r].holds) holding.emplace_back(f, r);
    if (holding.empty()) return std::nullopt;
    std::pair<std::size_t, std::size_t> at;
    switch (place) {
    case Place::First: at = holding.front(); break;
    case Place::Middle: at = holding[holding.size() / 2]; break;
    case Place::Last: at = holding.back(); break;
    case Place::Random: at = holding[rng.Below(holding.size())]; break;
    case Place::OtherVenue:
    case Place::kCount: {
        std::erase_if(holding, [&](const auto& h) {
            return kind.files[h.first].records[h.second].venue == 0;
        });
        if (holding.empty()) return std::nullopt;
        at = holding[rng.Below(holding.size())];
        break;
    }
    }
    const auto [f, r] = at;
    const DamageFile& file = kind.files[f];
    const DamageRecord& source = file.records[r];
    std::vector<std::string> records;
    for (const DamageRecord& rec : file.records) records.push_back(rec.bytes);
    std::string& rec = records[r];
    const std::string original = Joined(records, 0, records.size());

    DamageCase c{damage, place, seed, f, r, {}, std::nullopt, {}};
    c.where = std::string(DamageName(damage)) + ", " + std::string(PlaceName(place)) + " (record " +
              std::to_string(r + 1) + " of " + std::to_string(records.size()) + " of " + file.name +
              ")";
    auto note = [&](const std::string& what) { c.where += ": " + what; };
    const std::vector<Span> visible =
        Spans(source.visible, layout.visible, rec.size(), layout.lineEnds);
    // Another record that holds data, in the same file or, for a file of one unit, another one.
    auto another = [&](bool sameFile) -> std::optional<std::pair<std::size_t, std::size_t>> {
        std::vector<std::pair<std::size_t, std::size_t>> pool;
        for (std::size_t g = 0; g < kind.files.size(); ++g)
            for (std::size_t i = 0; i < kind.files[g].records.size(); ++i)
                if (kind.files[g].records[i].holds && (g == f) == sameFile && !(g == f && i == r) &&
                    kind.files[g].records[i].bytes != rec)
                    pool.emplace_back(g, i);
        if (pool.empty()) return std::nullopt;
        return pool[rng.Below(pool.size())];
    };

    switch (damage) {
    case Damage::BytesCut:
    case Damage::ByteLost: {
        if (visible.empty()) return std::nullopt;
        const auto [pos, room] = PositionIn(visible, rng);
        const std::size_t n =
            damage == Damage::ByteLost ? 1 : std::min<std::size_t>(room, 2 + rng.Below(15));
        rec.erase(pos - 1, n);
        note("bytes " + std::to_string(pos) + ".." + std::to_string(pos + n - 1));
        break;
    }
    case Damage::BytesPutIn: {
        if (visible.empty()) return std::nullopt;
        static constexpr std::string_view kBytes = "0123456789 ARZaqz,\"\xFF";
        const std::size_t pos = PositionIn(visible, rng).first;
        std::string in;
        for (std::size_t i = 0, n = 1 + rng.Below(4); i < n; ++i)
            in += kBytes[rng.Below(kBytes.size())];
        rec.insert(pos - 1, in);
        note(std::to_string(in.size()) + " before byte " + std::to_string(pos));
        break;
    }
    case Damage::CrLost:
    case Damage::LfLost: {
        std::vector<std::size_t> ends;
        for (std::size_t i = rec.find("\r\n"); i != std::string::npos; i = rec.find("\r\n", i + 2))
            ends.push_back(i);
        if (ends.empty()) return std::nullopt;
        const std::size_t i = ends[rng.Below(ends.size())];
        rec.erase(damage == Damage::CrLost ? i : i + 1, 1);
        note("at byte " + std::to_string(i + 1));
        break;
    }
    case Damage::CrAdded:
    case Damage::LfAdded: {
        // Anywhere before the record's own line end, its text included.
        const std::size_t end = rec.size() - (layout.lineEnds ? 2 : 0);
        if (end == 0) return std::nullopt;
        const std::size_t pos = 1 + rng.Below(end);
        rec.insert(pos - 1, damage == Damage::CrAdded ? "\r" : "\n");
        note("before byte " + std::to_string(pos));
        break;
    }
    case Damage::NulInNumber:
    case Damage::FfInNumber:
    case Damage::LetterInNumber: {
        const std::vector<Span> numbers = Spans({}, layout.numbers, rec.size(), false);
        if (numbers.empty() || layout.numbers.empty()) return std::nullopt;
        const std::size_t pos = PositionIn(numbers, rng).first;
        rec[pos - 1] = damage == Damage::NulInNumber  ? '\0'
                       : damage == Damage::FfInNumber ? '\xFF'
                                                      : static_cast<char>('A' + rng.Below(26));
        note("byte " + std::to_string(pos));
        break;
    }
    case Damage::HalfCharacter: {
        std::vector<std::size_t> trails; // 0-based
        for (const Span& s : Spans(source.texts, layout.texts, rec.size(), false)) {
            if (source.texts.empty() && layout.texts.empty()) break;
            for (std::size_t i = s.pos - 1; i + 1 < s.pos - 1 + s.width; ++i)
                if (IsLead(static_cast<unsigned char>(rec[i]))) trails.push_back(++i);
        }
        if (trails.empty()) return std::nullopt;
        const std::size_t i = trails[rng.Below(trails.size())];
        rec[i] = ' ';
        note("byte " + std::to_string(i + 1));
        break;
    }
    case Damage::Bom: c.bytes = "\xEF\xBB\xBF" + original; break;
    case Damage::CutAtRecord:
        if (layout.mayEndAtRecordEnd) return std::nullopt;
        c.bytes = Joined(records, 0, r);
        break;
    case Damage::CutInside: {
        const std::size_t keep = 1 + rng.Below(rec.size() - 1);
        c.bytes = Joined(records, 0, r) + rec.substr(0, keep);
        if (layout.mayEndAtRecordEnd) c.reference = Joined(records, 0, r + 1);
        note(std::to_string(keep) + " bytes of it left");
        break;
    }
    case Damage::OtherRecord: {
        auto other = another(!kind.filePerUnit);
        if (!other) other = another(kind.filePerUnit);
        if (!other) return std::nullopt;
        rec = kind.files[other->first].records[other->second].bytes;
        note("record " + std::to_string(other->second + 1) + " of " +
             kind.files[other->first].name);
        break;
    }
    case Damage::Swapped: {
        const auto other = another(true);
        if (!other) return std::nullopt;
        std::swap(rec, records[other->second]);
        note("with record " + std::to_string(other->second + 1));
        break;
    }
    case Damage::OtherDayRecord:
        if (source.otherDay.empty()) return std::nullopt;
        rec = source.otherDay;
        break;
    case Damage::OtherDayFile:
        if (file.otherDay.empty()) return std::nullopt;
        c.bytes = file.otherDay;
        break;
    case Damage::OtherVenue:
    case Damage::OtherMeeting:
    case Damage::OtherDayDigit:
    case Damage::OtherRaceNo:
    case Damage::OtherDate:
    case Damage::OtherHorse: {
        const Span part = KeyPart(layout, damage);
        if (part.width == 0 || part.pos + part.width - 1 > rec.size()) return std::nullopt;
        const std::optional<std::string> value = OtherKeyPart(
            damage, std::string_view(rec).substr(part.pos - 1, part.width), kind.dayVenues, rng);
        if (!value) return std::nullopt;
        rec.replace(part.pos - 1, part.width, *value);
        note(*value);
        break;
    }
    case Damage::Doubled: c.bytes = original + original; break;
    case Damage::CrLfToLf: {
        std::string out;
        for (std::size_t i = 0; i < original.size(); ++i)
            if (!(original[i] == '\r' && i + 1 < original.size() && original[i + 1] == '\n'))
                out += original[i];
        c.bytes = std::move(out);
        break;
    }
    case Damage::kCount: return std::nullopt;
    }
    if (c.bytes.empty() && damage != Damage::CutAtRecord && damage != Damage::CutInside)
        c.bytes = Joined(records, 0, records.size());
    if (c.bytes == original) return std::nullopt;
    return c;
}

} // namespace testsupport
