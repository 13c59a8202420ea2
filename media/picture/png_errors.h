// The PNG reader's failure classes. Each carries its fixed message, spelling
// included, because the error box shows these texts to the writer unchanged.
#pragma once

#include "base/exception.h"

#include <string>
#include <string_view>

QUELMAR_EXCEPTION(EQMPNGError, base::Exception);

// A class whose message never varies: constructed with no arguments.
#define QUELMAR_PNG_EXCEPTION(name, text)                 \
    class name : public EQMPNGError {                     \
    public:                                               \
        static constexpr const char* kMessage = text;     \
        name() : EQMPNGError(kMessage) {}                 \
    }

QUELMAR_PNG_EXCEPTION(EQMPNGInvalidFileHeader,
    "The file being readed is not a valid \"Portable Network Graphics\" image because it contains an invalid "
    "header. This file may be corruped, try obtaining it again.");
QUELMAR_PNG_EXCEPTION(EQMPNGUnexpectedEnd,
    "This \"Portable Network Graphics\" image is invalid because the decoder found an unexpected end of the file.");
QUELMAR_PNG_EXCEPTION(EQMPNGIHDRNotFirst,
    "This \"Portable Network Graphics\" image is not supported or it might be invalid.\r\n"
    "(IHDR chunk is not the first)");
QUELMAR_PNG_EXCEPTION(EQMPNGInvalidIHDR,
    "The \"Portable Network Graphics\" image could not be loaded because one of its main piece of data (ihdr) "
    "might be corrupted");
QUELMAR_PNG_EXCEPTION(EQMPNGSizeExceeds,
    "This \"Portable Network Graphics\" image is not supported because either it's width or height exceeds the "
    "maximum size, which is 65535 pixels length.");
QUELMAR_PNG_EXCEPTION(EQMPNGUnknownCompression,
    "This \"Portable Network Graphics\" image is encoded with an unknown compression scheme which could not be "
    "decoded.");
QUELMAR_PNG_EXCEPTION(EQMPNGUnknownInterlace,
    "This \"Portable Network Graphics\" image uses an unknown interlace scheme which could not be decoded.");
QUELMAR_PNG_EXCEPTION(EQMPNGInvalidPalette, "The \"Portable Network Graphics\" image contains an invalid palette.");
QUELMAR_PNG_EXCEPTION(EQMPNGMissingMultipleIDAT,
    "This \"Portable Network Graphics\" image is invalid because it has missing image parts.");
QUELMAR_PNG_EXCEPTION(EQMPNGNoImageData, "This \"Portable Network Graphics\" image contains no data.");

#undef QUELMAR_PNG_EXCEPTION

// The one message with a variable tail: inflate's own text for the failure.
class EQMPNGZLIBError : public EQMPNGError {
public:
    explicit EQMPNGZLIBError(std::string_view description)
        : EQMPNGError("Could not decompress the image because it contains invalid compressed data.\r\n Description: "
                      + std::string(description))
    {
    }
};
