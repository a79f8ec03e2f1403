#include "platform/archive/zip_errors.h"

namespace arkstash::archive {

std::string describeZipError(zip_error_t* error) {
    switch (zip_error_code_zip(error)) {
        case ZIP_ER_NOPASSWD:
            return "encrypted, and no password was given";
        case ZIP_ER_WRONGPASSWD:
            return "wrong password";
        case ZIP_ER_CRC:
            return "checksum mismatch: the data is damaged (or the password is wrong)";
        default:
            return zip_error_strerror(error);
    }
}

std::string describeZipError(int zipErrorCode) {
    zip_error_t error;
    zip_error_init_with_code(&error, zipErrorCode);
    std::string text = zip_error_strerror(&error);
    zip_error_fini(&error);
    return text;
}

}  // namespace arkstash::archive
