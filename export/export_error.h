#pragma once

#include <stdexcept>
#include <string>

namespace velmora {

// A workbook or its temporary picture that cannot be written. The message says what failed.
class ExportError : public std::runtime_error {
public:
    explicit ExportError(const std::string& message) : std::runtime_error(message) {}
};

} // namespace velmora
