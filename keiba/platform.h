#pragma once
// The small platform layers of the system: messages to the user, the clock, and the shell.
// Logic calls them through these interfaces, reached through the program context
// (keiba/context.h); the application puts Qt implementations there and tests scripted ones, so
// no modal box ever blocks a test.

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace keiba {

// Local wall-clock time, to the second. Race days, post times and fetch windows are local.
using LocalTime = std::chrono::local_seconds;

class Notifier {
public:
    virtual ~Notifier() = default;
    virtual void Beep() = 0;
    // A modal information box with OK. Texts are UTF-8.
    virtual void Information(const std::string& text) = 0;
    // A modal Yes/No box; true for Yes.
    virtual bool YesNo(const std::string& text) = 0;
    // A modal error box with Retry and Cancel; true for Retry. Where nobody can answer (no
    // screen) it is Cancel.
    virtual bool RetryCancel(const std::string& text) {
        (void)text;
        return false;
    }
    // A modal stop box with OK under a caption of its own, for a value refused outright. Where
    // there is no screen the text is said as any other.
    virtual void Stop(const std::string& caption, const std::string& text) {
        (void)caption;
        Information(text);
    }
};

// Says a failure that refreshes following one another meet again and again (a list made at
// start-up, again once a form is attached, again after every save) once, until a refresh gets
// through or another failure comes.
class TellOnce {
public:
    // `failure`: empty when the refresh got through.
    void operator()(Notifier& notifier, const std::string& failure) {
        if (!failure.empty() && failure != told_) notifier.Information(failure);
        told_ = failure;
    }

private:
    std::string told_;
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual LocalTime Now() const = 0;
};

class Shell {
public:
    virtual ~Shell() = default;
    // Opens a document or web address with the desktop's handler; false when that failed.
    virtual bool Open(const std::string& target) = 0;
    // Starts a program detached, with its arguments as a list and its own working folder.
    virtual bool Launch(const std::filesystem::path& program, const std::vector<std::string>& args,
                        const std::filesystem::path& workingDir) = 0;
};

// Layers for programs without a screen: a notifier that answers No and shows nothing, the
// system clock, and a shell that fails every request.
class SilentNotifier final : public Notifier {
public:
    void Beep() override {}
    void Information(const std::string&) override {}
    bool YesNo(const std::string&) override { return false; }
};

class SystemClock final : public Clock {
public:
    LocalTime Now() const override;
};

class NoShell final : public Shell {
public:
    bool Open(const std::string&) override { return false; }
    bool Launch(const std::filesystem::path&, const std::vector<std::string>&,
                const std::filesystem::path&) override {
        return false;
    }
};

// The system clock's local time.
LocalTime SystemLocalNow();

// Broken-down parts of a local time.
struct DateTimeParts {
    int year, month, day, hour, minute, second;
};
DateTimeParts Parts(LocalTime t);
LocalTime MakeLocalTime(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);

// "yyyymmdd", "hhnn" and "hh:nn:ss" of a local time.
std::string Yyyymmdd(LocalTime t);
std::string Hhnn(LocalTime t);
std::string HhnnssColon(LocalTime t);

} // namespace keiba
