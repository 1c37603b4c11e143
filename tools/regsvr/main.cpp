// movanta-regsvr: registers or unregisters one plug-in file, like the
// platform's own registration tool. Exit codes: 0 done, 1 bad arguments,
// 3 the file cannot be loaded, 4 it has no registration entry point, 5 the
// entry point failed.
#include <cstdio>
#include <cstring>
#include <string>

#include "com/server_file.h"

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: movanta-regsvr [-u] [-s] PLUGIN\n"
                 "  -u  unregister instead of register\n"
                 "  -s  silent: print nothing on success\n");
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    bool unregister = false;
    bool silent = false;
    const char* file = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-u") == 0 || std::strcmp(argv[i], "/u") == 0) {
            unregister = true;
        } else if (std::strcmp(argv[i], "-s") == 0 || std::strcmp(argv[i], "/s") == 0) {
            silent = true;
        } else if (file == nullptr && argv[i][0] != '-') {
            file = argv[i];
        } else {
            return Usage();
        }
    }
    if (file == nullptr) return Usage();

    std::string error;
    switch (movanta::RegisterServerFile(file, !unregister, error)) {
        case movanta::ServerFileResult::Done:
            if (!silent) std::printf("%s %s.\n", unregister ? "Unregistered" : "Registered", file);
            return 0;
        case movanta::ServerFileResult::CannotLoad:
            std::fprintf(stderr, "movanta-regsvr: %s\n", error.c_str());
            return 3;
        case movanta::ServerFileResult::NoEntryPoint:
            std::fprintf(stderr, "movanta-regsvr: %s\n", error.c_str());
            return 4;
        case movanta::ServerFileResult::EntryFailed:
            std::fprintf(stderr, "movanta-regsvr: %s\n", error.c_str());
            return 5;
    }
    return 5;
}
