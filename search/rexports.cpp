#include "search/rexports.h"

#include "keiba/markconv.h"

#include <algorithm>

namespace search {

namespace {

std::string Value(const raceday::TOutData2& texts, std::size_t h, RExportKind kind) {
    switch (kind) {
    case RExportKind::RUma: {
        const std::string& mark = texts.RUmaMark[h];
        return mark == "R+" ? "1" : mark == "R-" ? "2" : "";
    }
    case RExportKind::RLevel: {
        const int level = keiba::TextToRLevel(texts.RaceRLevelText);
        return level > 0 ? std::to_string(level) : "";
    }
    case RExportKind::Empty: return {};
    }
    return {};
}

} // namespace

std::string RExportBytes(const raceday::RaceDay& day, int raceCount, RExportKind kind) {
    std::string bytes;
    raceCount = std::clamp(raceCount, 0, raceday::kMaxRaces);
    for (int r = 0; r < raceCount; ++r) {
        const auto rr = static_cast<std::size_t>(r);
        const std::string key(day.gDayRaces[rr].KeyText());
        const int runners = raceday::FieldSize(day, r);
        for (int h = 0; h < runners; ++h) {
            const auto hh = static_cast<std::size_t>(h);
            bytes += key;
            bytes += day.gDayHorses[rr][hh].HorseNumberText();
            bytes += ',';
            bytes += Value(day.gRaceTexts[rr], hh, kind);
            bytes += "\r\n";
        }
    }
    return bytes;
}

std::optional<std::string> RExportDate(const raceday::RaceDay& day) {
    const auto date = jvdata::ParseYyyymmdd(day.gDayRaces[0].RaceDate());
    if (!date) return std::nullopt;
    return jvdata::FormatYyyymmdd(*date);
}

std::string RExportMessage(const std::filesystem::path& first,
                           const std::filesystem::path& second) {
    return "以下のCSVファイルを出力しました。\n" + keiba::PathToUtf8(first) + "\n" +
           keiba::PathToUtf8(second) + "\n";
}

keiba::IoResult WriteRExportPair(const std::filesystem::path& first, const std::string& firstBytes,
                                 const std::filesystem::path& second,
                                 const std::string& secondBytes) {
    if (keiba::IoResult io = keiba::WriteFileAtomic(first, firstBytes); !io) return io;
    return keiba::WriteFileAtomic(second, secondBytes);
}

} // namespace search
