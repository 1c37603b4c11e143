// The class keys of the program ids "Movanta.3GP" and "Movanta.MP4" that
// the application points ".3gp" and ".mp4" at when it takes over their
// associations: a description, the icon and the open command.
#pragma once

#include <filesystem>

namespace movanta::setup {

// Writes both program ids for the installation in `prefix`; false when the
// registry refused a value.
bool WriteProgramIds(const std::filesystem::path& prefix);
// Deletes both program ids with everything under them; false when one
// exists and could not be deleted.
bool DeleteProgramIds();

}  // namespace movanta::setup
