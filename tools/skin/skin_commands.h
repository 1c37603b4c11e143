// The commands of movanta-skin, each writing its report to `out` and its
// complaints to `err`, answering the process's exit status (0 done, 1 a
// check that found missing pictures, 2 a failure).
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace movanta::skintool {

// The script first, then each picture; a folder adds its .bmp and .jpg
// files in name order.
int Pack(const std::string& script, const std::vector<std::string>& pictures, const std::string& output,
         std::ostream& out, std::ostream& err);
// Index, kind, name and size of every item.
int List(const std::string& package, std::ostream& out, std::ostream& err);
// Every item written into the folder as a file of its name.
int Unpack(const std::string& package, const std::string& folder, std::ostream& out, std::ostream& err);
// The pictures the script names that the package lacks.
int Check(const std::string& package, std::ostream& out, std::ostream& err);
// Each section of the script with its keys and their kinds.
int Sections(const std::string& package, std::ostream& out, std::ostream& err);

}  // namespace movanta::skintool
