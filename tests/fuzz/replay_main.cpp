// Replays a harness's inputs without libFuzzer: every file of the folders (or files) given,
// in name order. A failed expectation or a sanitizer report ends the run with the input named.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
    std::vector<std::filesystem::path> inputs;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path place(argv[i]);
        if (std::filesystem::is_directory(place)) {
            for (const auto& entry : std::filesystem::directory_iterator(place)) {
                if (entry.is_regular_file()) {
                    inputs.push_back(entry.path());
                }
            }
        } else if (std::filesystem::is_regular_file(place)) {
            inputs.push_back(place);
        }
    }
    std::sort(inputs.begin(), inputs.end());
    for (const auto& input : inputs) {
        std::fprintf(stderr, "replaying %s\n", input.string().c_str());
        const fuzzsupport::Bytes bytes = fuzzsupport::ReadHostFile(input.string());
        LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    }
    std::printf("%zu inputs replayed\n", inputs.size());
    // A harness whose corpus went missing tests nothing.
    return inputs.empty() ? 1 : 0;
}
