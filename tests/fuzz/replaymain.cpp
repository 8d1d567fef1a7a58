// The replay program of a fuzz target: every corpus file given, or found in a folder given,
// goes through LLVMFuzzerTestOneInput once, in name order. Used where libFuzzer is not linked
// (CTest under the sanitizers, and any compiler). `--shard=i/n` replays only every n-th file from
// the i-th (0-based), so that a large corpus runs as several tests of a minute at most.

#include "tests/fuzz/fuzzsupport.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    std::vector<fs::path> inputs;
    unsigned long shard = 0, shards = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--shard=", 8) == 0) {
            char* end = nullptr;
            shard = std::strtoul(argv[i] + 8, &end, 10);
            shards = *end == '/' ? std::strtoul(end + 1, &end, 10) : 0;
            if (*end != '\0' || shards == 0 || shard >= shards) {
                std::fprintf(stderr, "--shard=i/n with i < n\n");
                return 2;
            }
            continue;
        }
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
    std::size_t replayed = 0;
    for (std::size_t i = shard; i < inputs.size(); i += shards) {
        std::string bytes = fuzz::ReadAll(inputs[i]);
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
        ++replayed;
    }
    std::printf("%zu corpus files replayed\n", replayed);
    return 0;
}
