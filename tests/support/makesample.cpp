// Makes the shared sample folder of the tests (sample.h) ahead of them; fails when the
// generator does.

#include "tests/support/sample.h"

#include <iostream>

int main() {
    if (std::filesystem::exists(testsupport::SampleFolder() / "done")) return 0;
    std::cerr << "the sample generator failed: " << testsupport::SampleFolder() << "\n";
    return 1;
}
