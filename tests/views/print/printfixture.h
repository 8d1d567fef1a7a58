#pragma once
// A race day built in place for the printed sheets, a fake printer, a program folder for the
// settings file and a recording notifier; and a sheet recorded at 254 dpi without margins, so
// that the recorded pixels are the sheet's own tenths of a millimetre.

#include "keiba/context.h"
#include "keiba/sjis.h"
#include "raceday/daymodel.h"
#include "tests/support/fakes.h"
#include "tests/support/tempdir.h"
#include "tests/support/widgets.h"
#include "tests/views/print/pagequery.h"
#include "views/print/fakeprinter.h"
#include "views/print/prevx.h"
#include "views/print/printsheet.h"
#include "views/print/sheets.h"

#include <QApplication>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QWidget>

#include <gtest/gtest.h>

#include <cstdlib>

#include <memory>
#include <string>
#include <vector>

namespace testsupport {

inline std::string Digits2(int n) {
    return (n < 10 ? "0" : "") + std::to_string(n);
}

// Race slot r: race `raceNo` at `venue` on 2024-05-26 (meeting 02, day 12) with `runners`
// runners numbered 1..n, two to a bracket from the first.
inline void SetRace(raceday::RaceDay& day, int r, std::string_view venue, int raceNo, int runners) {
    using jvdata::RecordHead;
    using jvdata::TJvRA;
    using jvdata::TJvSE;
    TJvRA& ra = day.gDayRaces[static_cast<std::size_t>(r)];
    ra.SetField(RecordHead::kRecordId, "RA");
    ra.SetField(RecordHead::kYear, "2024");
    ra.SetField(RecordHead::kMonthDay, "0526");
    ra.SetField(RecordHead::kVenue, venue);
    ra.SetField(RecordHead::kMeeting, "02");
    ra.SetField(RecordHead::kMeetingDay, "12");
    ra.SetField(RecordHead::kRaceNo, Digits2(raceNo));
    ra.SetField(TJvRA::kRunnerCount, Digits2(runners));
    ra.SetField(TJvRA::kTrack, "11");
    ra.SetField(TJvRA::kDistance, "1600");
    for (int h = 0; h < runners && h < raceday::kMaxRunners; ++h) {
        TJvSE& se = day.gDayHorses[static_cast<std::size_t>(r)][static_cast<std::size_t>(h)];
        se.SetField(TJvSE::kBracket, std::to_string(h / 2 + 1));
        se.SetField(TJvSE::kHorseNo, Digits2(h + 1));
        se.SetField(TJvSE::kHorseName, keiba::Sj("ウマ") + std::to_string(h + 1));
    }
    day.gDayRaceCount = std::max(day.gDayRaceCount, r + 1);
}

// Where a test may leave pictures of what it shows (KESTRANE_GRID_SHOTS; unset: nowhere). On a
// real display (xvfb-run with QT_QPA_PLATFORM=xcb) the window is shown and grabbed from the
// screen.
inline void SaveShot(QWidget& w, const char* name) {
    const char* dir = std::getenv("KESTRANE_GRID_SHOTS");
    if (!dir) return;
    QPixmap shot;
    if (QGuiApplication::platformName() == QStringLiteral("xcb")) {
        w.show();
        for (int i = 0; i < 20; ++i) QApplication::processEvents();
        shot = w.screen()->grabWindow(w.winId());
    } else {
        shot = w.grab();
    }
    shot.save(QString::fromUtf8(dir) + QChar(u'/') + QString::fromUtf8(name));
}

class PrintTest : public ::testing::Test {
protected:
    raceday::RaceDay& Day() { return *day_; }

    // The sheet recorded page by page; its page names (UTF-8) in `names`.
    std::vector<PageContent> Record(views::print::Sheet sheet, std::string_view credit = {}) {
        views::print::FakePrinter printer;
        printer.SetDpi(254);
        views::print::TPrevX prev(printer);
        auto drawn = views::print::BuildDocument(prev, sheet, Day(), keiba::Sj(credit));
        EXPECT_TRUE(drawn);
        landscape = printer.Landscape();
        bottom = prev.PageBottom();
        names.clear();
        for (const std::string& name : drawn.value_or(std::vector<std::string>{}))
            names.push_back(keiba::Cp932ToUtf8(name));
        std::vector<PageContent> pages;
        for (int p = 1; p <= prev.PageCount(); ++p) pages.push_back(ReadPage(prev.Page(p)));
        return pages;
    }

    TempDir dir;
    RecordingNotifier notifier;
    TestClock clock;
    RecordingShell shell;
    keiba::ProgramContext context{dir.path(), notifier, clock, shell};
    // Of the last recording: the page names (UTF-8), whether the paper was landscape, and the
    // lowest y of the printable area.
    std::vector<std::string> names;
    bool landscape = false;
    int bottom = 0;

private:
    std::unique_ptr<raceday::RaceDay> day_ = std::make_unique<raceday::RaceDay>();
};

} // namespace testsupport
