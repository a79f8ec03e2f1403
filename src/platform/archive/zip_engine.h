// The archive engine as the backup run drives it: a few properties, two methods and progress
// events raised on the calling thread while Zip() runs.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace arkstash::archive {

// Result codes of ProcessCompleted (0 = success) and warning codes of Warning. Each has a
// readable text through GetErrorDescription.
enum ResultCode : std::int32_t {
    xerSuccess = 0,
    xerNothingToDo = 1,          // the list of files to process was empty
    xerFilesSkipped = 2,         // the archive was written, but some listed files were not
    xerCannotCreateArchive = 3,  // the temporary archive could not be created or written
    xerVerifyFailed = 4,         // reading the archive back found an error; target untouched
    xerCannotReplace = 5,        // the verified archive could not be moved over the target
    xerNoArchiveName = 6,
    xerUnsupported = 7,  // the engine lacks a feature asked for (encryption)
    xerUserAbort = 8,
};

enum WarningCode : std::int32_t {
    xwrFileNotFound = 101,
    xwrCannotReadFile = 102,
    xwrDuplicateEntry = 103,
    xwrNotAFile = 104,
};

enum ErrorKind : int { kResultCode = 0, kWarningCode = 1 };

struct ZipEvents {
    // Arguments are the ones the window uses, in the engine's order.
    std::function<void(std::string& fileName)> ZipPreprocessingFile;
    std::function<void(const std::string& fileName, std::int16_t filePercent)> FileStatus;
    std::function<void(std::int16_t globalPercent)> GlobalStatus;
    std::function<void(const std::string& fileName, std::int32_t warningCode)> Warning;
    std::function<void(std::int32_t resultCode)> ProcessCompleted;
    // Share of the written archive read back and checked, in per cent, before it replaces the
    // target (an addition of this engine; the window does not follow it).
    std::function<void(std::int16_t checkedPercent)> VerifyStatus;
};

class ZipEngine {
  public:
    virtual ~ZipEngine() = default;

    // Setting it to the empty string empties the list of files to process.
    virtual void setFilesToProcess(const std::string& value) = 0;
    virtual void AddFilesToProcess(const std::string& path) = 0;
    virtual const std::vector<std::string>& filesToProcess() const = 0;

    virtual void setCompressionLevel(std::int32_t level) = 0;  // 0 stored, 1..9 deflate
    virtual std::int32_t CompressionLevel() const = 0;

    virtual void setZipFilename(const std::string& path) = 0;
    virtual const std::string& ZipFilename() const = 0;

    virtual void setEncryptionPassword(const std::string& password) = 0;  // empty: none
    virtual bool hasEncryptionPassword() const = 0;

    // Builds the archive from the list, raising the events before it returns. The run's outcome
    // is the ProcessCompleted code.
    virtual void Zip() = 0;

    virtual std::string GetErrorDescription(int kind, std::int32_t code) = 0;

    ZipEvents events;
};

}  // namespace arkstash::archive
