#pragma once

#include <cstddef>
#include <random>
#include <string>

namespace velmora {

// Letters for a name nobody else will pick: lower case and digits only, so that a file system
// that ignores case cannot make two of them one.
inline std::string RandomNamePart()
{
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::mt19937_64 random{std::random_device{}()};
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kLetters - 2);
    std::string part(12, ' ');
    for (char& ch : part)
        ch = kLetters[pick(random)];
    return part;
}

} // namespace velmora
