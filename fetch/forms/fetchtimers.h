#pragma once
// The four timers of the main window that drive the automatic fetches and the time displays,
// each tick handed to the fetch operations.

#include <QObject>

class QTimer;

namespace fetch {
class FetchHost;
}

namespace fetch {

class FetchTimers : public QObject {
    Q_OBJECT
public:
    // Timer2 (clock) and Timer3 (time to post) start at once; Timer1 and Timer4 wait to be armed.
    explicit FetchTimers(fetch::FetchHost& host, QObject* parent = nullptr);

    QTimer* Timer1 = nullptr; // odds, 40 s
    QTimer* Timer2 = nullptr; // clock, 500 ms
    QTimer* Timer3 = nullptr; // time to post, 1 s
    QTimer* Timer4 = nullptr; // results and mining, AutoRdataGet minutes

    void Timer1Timer();
    void Timer2Timer();
    void Timer3Timer();
    void Timer4Timer();

    void SetTimer1Enabled(bool enabled);
    // The day load: interval AutoRdataGet x 60000 ms.
    void StartTimer4(int intervalMs);
    void StopTimer4();

private:
    fetch::FetchHost& host_;
};

} // namespace fetch
