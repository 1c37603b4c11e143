// libFuzzer target: the input as a user's skin package (exercise.h). Built
// with -DMOVANTA_FUZZ=ON by fuzz_package.sh.
#include <unistd.h>
#include <string>

#include "exercise.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    static const std::string path = "/tmp/movanta-fuzz-skin-" + std::to_string(getpid()) + ".zsp";
    ExercisePackage(path, data, size);
    return 0;
}
