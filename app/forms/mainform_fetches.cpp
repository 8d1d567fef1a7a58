// The window's real-time fetches and the time-series odds import (fetch/fetchops.h), run over
// the window's fetch host.

#include "app/forms/mainform.h"

#include "app/forms/fetchhost.h"

namespace app {

void TMainForm::SokuhoOddsBtnClick() {
    fetch::FetchShownRaceOdds(*fetchHost_);
}

void TMainForm::KekkaGetBtnClick() {
    fetch::FetchResults(*fetchHost_);
}

void TMainForm::GetDMBtnClick() {
    fetch::FetchMining(*fetchHost_);
}

void TMainForm::N1O1Click() {
    fetch::FetchDayOdds(*fetchHost_);
}

void TMainForm::NextRaceBtnClick() {
    fetch::ShowNextRace(*fetchHost_);
}

void TMainForm::T1Click() {
    fetch::ImportTimeSeriesOdds(*fetchHost_);
}

} // namespace app
