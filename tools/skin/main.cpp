// movanta-skin: packs, lists, unpacks and checks skin packages.
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "skin_commands.h"
#include "skin_show.h"

namespace {

int Usage() {
    std::cerr << "Usage:\n"
                 "  movanta-skin pack SCRIPT [PICTURE|FOLDER...] -o OUT.zsp\n"
                 "  movanta-skin list PACKAGE\n"
                 "  movanta-skin unpack PACKAGE FOLDER\n"
                 "  movanta-skin check PACKAGE\n"
                 "  movanta-skin sections PACKAGE\n"
                 "  movanta-skin show PACKAGE SECTION [--dialog] [--seconds N] [--screenshot FILE.png]\n"
                 "                    [--size WIDTHxHEIGHT] [--embed SECTION]... [--texts LOCALIZATION_FOLDER]\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace movanta::skintool;
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) return Usage();
    const std::string& command = args[0];
    if (command == "pack") {
        std::vector<std::string> inputs;
        std::string output;
        for (size_t i = 1; i < args.size(); ++i) {
            if (args[i] == "-o" && i + 1 < args.size()) {
                output = args[++i];
            } else {
                inputs.push_back(args[i]);
            }
        }
        if (inputs.empty() || output.empty()) return Usage();
        const std::string script = inputs.front();
        inputs.erase(inputs.begin());
        return Pack(script, inputs, output, std::cout, std::cerr);
    }
    if (args.size() == 2 && command == "list") return List(args[1], std::cout, std::cerr);
    if (args.size() == 3 && command == "unpack") return Unpack(args[1], args[2], std::cout, std::cerr);
    if (args.size() == 2 && command == "check") return Check(args[1], std::cout, std::cerr);
    if (args.size() == 2 && command == "sections") return Sections(args[1], std::cout, std::cerr);
    if (args.size() >= 3 && command == "show") {
        ShowOptions options;
        for (size_t i = 3; i < args.size(); ++i) {
            if (args[i] == "--dialog") {
                options.dialog = true;
            } else if (args[i] == "--seconds" && i + 1 < args.size()) {
                options.seconds = static_cast<unsigned>(std::stoul(args[++i]));
            } else if (args[i] == "--screenshot" && i + 1 < args.size()) {
                options.screenshot = args[++i];
            } else if (args[i] == "--texts" && i + 1 < args.size()) {
                options.texts = args[++i];
            } else if (args[i] == "--embed" && i + 1 < args.size()) {
                options.embedded.push_back(args[++i]);
            } else if (args[i] == "--size" && i + 1 < args.size()) {
                if (std::sscanf(args[++i].c_str(), "%dx%d", &options.width, &options.height) != 2 ||
                    options.width <= 0 || options.height <= 0 || options.width > 8192 || options.height > 8192) {
                    return Usage();
                }
            } else {
                return Usage();
            }
        }
        return Show(args[1], args[2], options, std::cout, std::cerr);
    }
    return Usage();
}
