// libzip's errors in the words this program reports them with.
#pragma once

#include <zip.h>

#include <string>

namespace arkstash::archive {

// What went wrong reading an entry or opening an archive; the password cases and a checksum
// mismatch said plainly.
std::string describeZipError(zip_error_t* error);
std::string describeZipError(int zipErrorCode);

}  // namespace arkstash::archive
