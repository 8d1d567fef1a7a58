#include "fetch/forms/fetchtimers.h"

#include "fetch/fetchops.h"

#include <QTimer>

namespace fetch {
namespace {

QTimer* MakeTimer(QObject* parent, const char* name, int interval) {
    auto* t = new QTimer(parent);
    t->setObjectName(QString::fromLatin1(name));
    t->setInterval(interval);
    return t;
}

} // namespace

FetchTimers::FetchTimers(fetch::FetchHost& host, QObject* parent)
    : QObject(parent)
    , host_(host) {
    Timer1 = MakeTimer(this, "Timer1", fetch::kTimer1Interval);
    Timer2 = MakeTimer(this, "Timer2", fetch::kTimer2Interval);
    Timer3 = MakeTimer(this, "Timer3", fetch::kTimer3Interval);
    Timer4 = MakeTimer(this, "Timer4", 10 * 60000);
    connect(Timer1, &QTimer::timeout, this, &FetchTimers::Timer1Timer);
    connect(Timer2, &QTimer::timeout, this, &FetchTimers::Timer2Timer);
    connect(Timer3, &QTimer::timeout, this, &FetchTimers::Timer3Timer);
    connect(Timer4, &QTimer::timeout, this, &FetchTimers::Timer4Timer);
    Timer2->start();
    Timer3->start();
}

void FetchTimers::Timer1Timer() {
    fetch::OddsTimerTick(host_);
}

void FetchTimers::Timer2Timer() {
    fetch::ClockTick(host_);
}

void FetchTimers::Timer3Timer() {
    fetch::PostTimeTick(host_);
}

void FetchTimers::Timer4Timer() {
    fetch::ResultsTimerTick(host_);
}

void FetchTimers::SetTimer1Enabled(bool enabled) {
    if (enabled && !Timer1->isActive())
        Timer1->start();
    else if (!enabled)
        Timer1->stop();
}

void FetchTimers::StartTimer4(int intervalMs) {
    if (intervalMs <= 0) return;
    Timer4->start(intervalMs);
}

void FetchTimers::StopTimer4() {
    Timer4->stop();
}

} // namespace fetch
