// The replay program of a fuzz target: every corpus file given, or found in a folder given,
// goes through LLVMFuzzerTestOneInput once, in name order. Used where libFuzzer is not linked
// (CTest under the sanitizers, and any compiler).

#include "tests/fuzz/fuzzsupport.h"

#include <algorithm>

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    std::vector<fs::path> inputs;
    for (int i = 1; i < argc; ++i) {
        fs::path p = argv[i];
        if (fs::is_directory(p)) {
            for (const auto& e : fs::directory_iterator(p))
                if (e.is_regular_file()) inputs.push_back(e.path());
        } else {
            inputs.push_back(p);
        }
    }
    std::sort(inputs.begin(), inputs.end());
    if (inputs.empty()) {
        std::fprintf(stderr, "no corpus files given\n");
        return 1;
    }
    for (const auto& p : inputs) {
        std::string bytes = fuzz::ReadAll(p);
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    }
    std::printf("%zu corpus files replayed\n", inputs.size());
    return 0;
}
