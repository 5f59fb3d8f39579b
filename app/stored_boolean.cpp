#include "stored_boolean.h"

#include "scheme/cp1251.h"

#include <charconv>
#include <stdexcept>
#include <string>

namespace velmora {

bool StoredTextToBoolean(std::string_view text)
{
    if (EqualsIgnoringCase(text, "true"))
        return true;
    if (EqualsIgnoringCase(text, "false"))
        return false;
    double number = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, number);
    if (!text.empty() && error == std::errc() && stop == end)
        return number != 0;
    throw std::invalid_argument("'" + std::string(text) + "' is not a valid boolean value");
}

} // namespace velmora
