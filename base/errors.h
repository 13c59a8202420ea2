// The failure classes shared by several libraries. Each library declares its
// own format-specific classes (the PNG reader's, EMCIDeviceError...) beside
// the code that raises them.
#pragma once

#include "base/exception.h"

QUELMAR_EXCEPTION(EStreamError, base::Exception);
QUELMAR_EXCEPTION(EFOpenError, EStreamError);
QUELMAR_EXCEPTION(EFCreateError, EStreamError);
QUELMAR_EXCEPTION(EReadError, EStreamError);
QUELMAR_EXCEPTION(EOutOfResources, base::Exception);
QUELMAR_EXCEPTION(EOutOfMemory, base::Exception);
QUELMAR_EXCEPTION(EConvertError, base::Exception);
QUELMAR_EXCEPTION(EInvalidGraphic, base::Exception);

namespace base {
inline constexpr const char* kCannotOpenFile = "Cannot open file \"%s\". %s";
inline constexpr const char* kCannotCreateFile = "Cannot create file \"%s\". %s";
inline constexpr const char* kStreamReadError = "Stream read error";
inline constexpr const char* kOutOfMemory = "Out of memory";
} // namespace base
