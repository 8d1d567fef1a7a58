#pragma once
// Scripted platform layers for tests: they record what the system said and did.

#include "keiba/platform.h"

#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace testsupport {

class RecordingNotifier : public keiba::Notifier {
public:
    void Beep() override { ++beeps; }
    void Information(const std::string& text) override { messages.push_back(text); }
    bool YesNo(const std::string& text) override {
        questions.push_back(text);
        if (whileAsking) whileAsking();
        if (answers.empty()) return false;
        bool a = answers.front();
        answers.pop_front();
        return a;
    }
    bool RetryCancel(const std::string& text) override {
        retryQuestions.push_back(text);
        if (retryAnswers.empty()) return false;
        bool a = retryAnswers.front();
        retryAnswers.pop_front();
        return a;
    }
    void Stop(const std::string& caption, const std::string& text) override {
        stops.push_back({caption, text});
    }
    int beeps = 0;
    std::vector<std::string> messages;
    std::vector<std::string> questions;
    std::deque<bool> answers; // Yes/No answers in order; No once they run out
    std::vector<std::string> retryQuestions;
    std::vector<std::pair<std::string, std::string>> stops; // caption and text of each stop box
    std::deque<bool> retryAnswers;     // Retry/Cancel answers in order; Cancel once they run out
    std::function<void()> whileAsking; // what happens while a Yes/No box is open
};

class TestClock : public keiba::Clock {
public:
    keiba::LocalTime Now() const override { return now; }
    keiba::LocalTime now = keiba::MakeLocalTime(2026, 12, 6, 9, 0, 0);
};

class RecordingShell : public keiba::Shell {
public:
    bool Open(const std::string& target) override {
        opened.push_back(target);
        return succeed;
    }
    bool Launch(const std::filesystem::path& program, const std::vector<std::string>& args,
                const std::filesystem::path& workingDir) override {
        launched.push_back({program, args, workingDir});
        return succeed;
    }
    struct Launched {
        std::filesystem::path program;
        std::vector<std::string> args;
        std::filesystem::path workingDir;
    };
    bool succeed = true;
    std::vector<std::string> opened;
    std::vector<Launched> launched;
};

} // namespace testsupport
