// Runs a fuzz target without libFuzzer: once over every file of the
// directories (or the files) named on the command line, in name order, as
// libFuzzer does when given files. The test suite runs each target so over
// its corpus and its regressions: every input that once broke a property
// stays a test.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv)
{
    namespace fs = std::filesystem;
    std::vector<fs::path> files;
    for (int i = 1; i < argc; i++) {
        fs::path arg = fs::absolute(argv[i]);
        if (fs::is_directory(arg)) {
            for (const auto& entry : fs::directory_iterator(arg))
                if (entry.is_regular_file())
                    files.push_back(entry.path());
        } else if (fs::is_regular_file(arg)) {
            files.push_back(arg);
        } else {
            fprintf(stderr, "%s: no such file or directory\n", argv[i]);
            return 2;
        }
    }
    std::sort(files.begin(), files.end());
    // Read before the first input runs: a target may change the current
    // directory's meaning for file names.
    std::vector<std::string> inputs;
    for (const auto& path : files) {
        std::ifstream in(path, std::ios::binary);
        inputs.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    for (size_t i = 0; i < inputs.size(); i++) {
        fprintf(stderr, "running %s\n", files[i].c_str());
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(inputs[i].data()),
                               inputs[i].size());
    }
    fprintf(stderr, "%zu inputs run\n", inputs.size());
    return 0;
}
