#pragma once
// The boxes a program would show, said on the standard error instead: for the developer
// programs that run a day load without a window. A question is answered No, as no one is there
// to answer it.

#include "keiba/platform.h"

#include <iostream>
#include <string>

namespace devtools {

class ErrorOutputNotifier : public keiba::Notifier {
public:
    void Beep() override {}
    void Information(const std::string& text) override { std::cerr << text << "\n"; }
    bool YesNo(const std::string& text) override {
        std::cerr << text << "\n";
        return false;
    }
};

} // namespace devtools
