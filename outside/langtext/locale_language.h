// The language the user's locale asks for, as catalogue folder names.
#pragma once

#include <string>
#include <vector>

namespace movanta::langtext {

// The folders to try, most specific first, for the first set variable of
// LC_ALL, LC_MESSAGES and LANG: "de_AT.UTF-8@euro" gives "de_AT", "de".
// The C and POSIX locales, and no locale, give none.
std::vector<std::string> LocaleLanguages();

}  // namespace movanta::langtext
