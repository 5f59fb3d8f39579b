#pragma once

#include <stdexcept>
#include <string>

namespace velmora {

// Why a picture could not be read, in terms a window can put into its own words; the message
// carries the details.
enum class PictureFault {
    Damaged,     // the data is not what its kind requires: cut short, bad checksums, bad codes
    NoFile,      // nothing of that name
    NotAFile,    // a folder or a device
    Unreadable,  // the system refused to open or read it
    UnknownKind, // content of no kind the program reads
    Unsupported, // a kind the program reads, in a variant its decoder cannot show
    TooLarge,    // beyond the picture limits, or costlier to decode than its file may make us pay
};

// A picture that cannot be read, decoded or written. The message says what was wrong.
class PictureError : public std::runtime_error {
public:
    explicit PictureError(const std::string& message, PictureFault fault = PictureFault::Damaged)
        : std::runtime_error(message), fault_(fault)
    {
    }

    PictureFault fault() const { return fault_; }

private:
    PictureFault fault_;
};

} // namespace velmora
