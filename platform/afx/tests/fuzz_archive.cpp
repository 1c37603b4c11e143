// libFuzzer target for the archive reader: the input is read as an item
// list. Built and run by fuzz_archive.sh (clang), not by the test suite.
#include <unistd.h>
#include <cstdio>
#include <string>

#include "test_items.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    static const std::string path = "/tmp/movanta-fuzz-archive-" + std::to_string(getpid());
    FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr) return 0;
    std::fwrite(data, 1, size, out);
    std::fclose(out);
    CFile file;
    if (!file.Open(CString(path.c_str()), CFile::modeRead)) return 0;
    CArchive archive(&file, CArchive::load);
    CTestList list;
    try {
        list.Load(archive);
    } catch (CArchiveException* error) {
        error->Delete();
    } catch (CMemoryException* error) {
        error->Delete();
    }
    return 0;
}
