#pragma once

#include <string>
#include <string_view>

namespace velmora {

// Every text of the program is a single-byte Windows-1251 string; these convert where text leaves
// the program or is drawn.
char32_t Cp1251ToUnicode(unsigned char byte);
std::string Cp1251ToUtf8(std::string_view text);

// The reverse, for texts written in source files as UTF-8. Characters the code page lacks become '?'.
std::string Utf8ToCp1251(std::string_view text);

// Whether two texts are the same but for letter case, as std::tolower folds the bytes (the Latin
// letters; names and keywords of the settings and the version record are Latin).
bool EqualsIgnoringCase(std::string_view a, std::string_view b);

} // namespace velmora
