// Makes the shared sample folder of the tests (sample.h) ahead of them, and the second run of
// the generator beside it, both at once; fails when the generator does.

#include "tests/support/sample.h"

#include <iostream>
#include <thread>

int main() {
    namespace fs = std::filesystem;
    bool again = false;
    std::thread second([&again] { again = fs::exists(testsupport::SampleFolderAgain() / "done"); });
    const bool made = fs::exists(testsupport::SampleFolder() / "done");
    second.join();
    if (made && again) return 0;
    std::cerr << "the sample generator failed: " << testsupport::SampleFolder() << "\n";
    return 1;
}
