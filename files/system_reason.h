#pragma once

#include <string>
#include <system_error>

namespace velmora {

// errno's value of an error code of the system's or the generic category, else 0.
int SystemErrorNumber(const std::error_code& error);

// The reason the system gives for `errorNumber` (errno) in Russian, UTF-8, for the reasons users
// meet when a file is read or written (a full disk, a read-only one, no permission, a name too
// long, no such file, a folder in a file's place…); empty where no translation is known, and the
// caller keeps the system's own English text.
std::string RussianSystemReason(int errorNumber);

} // namespace velmora
