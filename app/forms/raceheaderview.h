#pragma once
// What a race selection shows outside the race grids: the race header (`Panel3`), the race
// comment under the race card (`Memo1`) and the payouts of the result page. The window fills
// `ui` as it builds those parts; a test can fill it with widgets of its own.

#include <QString>

#include <vector>

class QFrame;
class QLabel;
class QPlainTextEdit;

namespace controls {
class TLabel3Dj;
}

namespace raceday {
struct RaceHeader;
}

namespace app {

class RaceHeaderView {
public:
    struct Widgets {
        QFrame* Panel3 = nullptr;
        QLabel* BashoLabel = nullptr;
        QLabel* RaceLabel = nullptr;
        QLabel* Label1 = nullptr;
        QLabel* Label2 = nullptr;
        QLabel* Label3 = nullptr;
        QLabel* Label4 = nullptr;
        QLabel* Label6 = nullptr;
        QLabel* Label7 = nullptr;
        controls::TLabel3Dj* Label3Dj1 = nullptr;
        controls::TLabel3Dj* Label3Dj2 = nullptr;
        QLabel* TFWtimeLabel = nullptr;
        QLabel* RLevelLabel = nullptr;
        QLabel* RplsTouLabel = nullptr;
        QLabel* RmnsTouLabel = nullptr;
        // The time to post: the fetches write it, a day load and a cleared header empty it.
        QLabel* RestTimeLabel = nullptr;
        QPlainTextEdit* Memo1 = nullptr;
        // Three a payout line (number, popularity, payout), in the order of the header's
        // triples: 21 lines of 3-D labels, then 15 of plain ones.
        std::vector<controls::TLabel3Dj*> gLabel3DTable;
        std::vector<QLabel*> gPayoutLabels;
    } ui;

    // The header's texts, the turf or dirt colour, the comment lines and the payouts.
    void Show(const raceday::RaceHeader& h);
    // As before any race was shown: no texts, the turf colour, no race number tile. The comment
    // and the payouts stay until the next race is shown.
    void Clear();
    // The header's first four lines, one a line, above a copied race card.
    QString Title() const;
};

} // namespace app
