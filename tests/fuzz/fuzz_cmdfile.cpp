// Command files: the input holds up to four files, a to d, separated by a
// line "@@@". File a is run; its lines may run the others (and itself),
// and a line beginning with the prompt switches a file to replay.
#include <cstring>
#include <string>

#include "fuzz.h"
#include "shell.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::setup(true);
    if (size > 256 * 1024)
        return 0;
    std::string text(reinterpret_cast<const char*>(data), size);
    const std::string separator = "\n@@@\n";
    char name[] = "a";
    for (size_t start = 0; name[0] <= 'd';) {
        size_t end = text.find(separator, start);
        std::string part = text.substr(start, end == std::string::npos ? end : end - start);
        fuzz::write_file(name, reinterpret_cast<const uint8_t*>(part.data()), part.size());
        name[0]++;
        if (end == std::string::npos)
            break;
        start = end + separator.size();
    }
    fuzz::run_lines("@a", 1);
    fuzz::reset_machine();
    return 0;
}
