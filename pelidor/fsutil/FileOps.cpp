// Local file operations: open in one of five modes, write, close, create an empty file, delete
// a file, and the writability probe of a drive.
#include "pelidor/fsutil/FileOps.h"

#include "pelidor/fsutil/DriveChecks.h"
#include "pelidor/fsutil/LocalFile.h"
#include "platform/fs/FileSystem.h"

namespace {

// The probe file in the root of a path's drive: "x:\____TEMP.TMP" with x = the path's first byte.
std::string ProbePath(const std::string& path) {
    std::string probe = "x:\\____TEMP.TMP";
    probe[0] = path[0];
    return probe;
}

// The open flags of a mode; false for a mode outside 0..4.
bool FlagsForMode(int mode, int truncate, unsigned& flags) {
    const unsigned keep = truncate != 0 ? 0u : LocalFile::kNoTruncate;
    switch (mode) {
    case 0:
        flags = LocalFile::kRead;
        return true;
    case 1:
        flags = LocalFile::kWrite;
        return true;
    case 2:
        flags = LocalFile::kCreate | keep | LocalFile::kWrite;
        return true;
    case 3:
        flags = LocalFile::kReadWrite;
        return true;
    case 4:
        flags = LocalFile::kCreate | keep | LocalFile::kReadWrite;
        return true;
    default:
        return false;
    }
}

} // namespace

RESULT_CODE OpenLocalFile(const std::string& path, LocalFile** file, int mode, int truncate,
                          int share) {
    RESULT_CODE rc = CheckDrive(path);
    if (rc != RC_SUCCESS)
        return rc;
    rc = CheckFolderExists(path);
    if (rc != RC_SUCCESS)
        return rc;
    unsigned flags = 0;
    if (!FlagsForMode(mode, truncate, flags))
        return RC_BAD_OPEN_MODE;
    flags |= share != 0 ? LocalFile::kShareDenyNone : LocalFile::kShareExclusive;

    *file = new LocalFile;
    if (!(*file)->Open(path, flags)) {
        delete *file;
        *file = nullptr;
        return RC_OPEN_FAILED;
    }
    return RC_SUCCESS;
}

RESULT_CODE WriteLocalFile(LocalFile* file, const void* bytes, std::uint32_t count) {
    try {
        file->Write(bytes, count);
    } catch (const CFileException&) {
        return RC_WRITE_FAILED;
    }
    return RC_SUCCESS;
}

RESULT_CODE CloseLocalFile(LocalFile** file) {
    if (*file == nullptr)
        return RC_SUCCESS;
    RESULT_CODE rc = RC_SUCCESS;
    try {
        (*file)->Close();
    } catch (const CFileException&) {
        (*file)->Abort();
        rc = RC_CLOSE_FAILED;
    }
    delete *file;
    *file = nullptr;
    return rc;
}

RESULT_CODE CreateEmptyFile(const std::string& path, int truncate, int share) {
    RESULT_CODE rc = CheckDrive(path);
    if (rc != RC_SUCCESS)
        return rc;
    rc = CheckFolderExists(path);
    if (rc != RC_SUCCESS)
        return rc;
    LocalFile* file = nullptr;
    rc = OpenLocalFile(path, &file, 2, truncate, share);
    if (rc == RC_SUCCESS)
        return CloseLocalFile(&file);
    return rc == RC_OPEN_FAILED ? RC_CREATE_FAILED : rc;
}

RESULT_CODE DeleteLocalFile(const std::string& path) {
    RESULT_CODE rc = CheckDrive(path);
    if (rc != RC_SUCCESS)
        return rc;
    rc = CheckFileExists(path);
    if (rc != RC_SUCCESS)
        return rc;
    try {
        platform::CFileStatus status;
        if (platform::GetFileStatus(path, status)) {
            // Attributes none, every time zero: the times stay as they are.
            platform::SetFileStatus(path, platform::CFileStatus{});
        }
        platform::RemoveFile(path);
    } catch (const CFileException&) {
        return RC_DELETE_FAILED;
    }
    return RC_SUCCESS;
}

RESULT_CODE ProbeDriveWritable(const std::string& path) {
    const RESULT_CODE rc = CheckDrive(path);
    if (rc != RC_SUCCESS)
        return rc;
    const std::string probe = ProbePath(path);
    const RESULT_CODE result = CreateEmptyFile(probe, 1, 0);
    DeleteLocalFile(probe);
    return result == RC_CREATE_FAILED ? RC_DRIVE_NOT_WRITABLE : result;
}
