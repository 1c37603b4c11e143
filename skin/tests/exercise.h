// Runs bytes through the skin library as a user's package would be: loaded
// as the shared package, "Main" applied, resources checked and every
// picture loaded. Shared by the robustness test and the fuzz target.
#pragma once

#include <cstdint>
#include <string>

struct Exercised {
    bool readable = false;
    int unexpected = 0;  // failures other than resourceNotFound or memory
};

Exercised ExercisePackage(const std::string& path, const std::uint8_t* data, size_t size);
