// mp4dump FILE: prints the box tree of an MP4, 3GP or MOV file with the
// fields that matter. Exit code 0, 1 for a damaged file (what could be read
// is printed), 2 when the file cannot be opened or no file is given.
#include <cstdio>
#include <string>

#include "dump.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: mp4dump FILE\n");
        return 2;
    }
    std::string text;
    auto reader = mp4file::BoxReader::Open(argv[1]);
    if (!reader) {
        std::fprintf(stderr, "mp4dump: cannot open %s\n", argv[1]);
        return 2;
    }
    const bool whole = mp4file::DumpFile(argv[1], text);
    std::fputs(text.c_str(), stdout);
    if (!whole) std::fprintf(stderr, "mp4dump: %s is damaged or cut short\n", argv[1]);
    return whole ? 0 : 1;
}
