#pragma once

#include <stdexcept>
#include <string>

namespace velmora {

// A picture that cannot be read, decoded or written. The message says what was wrong.
class PictureError : public std::runtime_error {
public:
    explicit PictureError(const std::string& message) : std::runtime_error(message) {}
};

} // namespace velmora
