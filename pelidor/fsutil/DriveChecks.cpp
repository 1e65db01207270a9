// Drive, free-space, file and folder checks, and folder creation, on Windows paths. Each
// operation runs its checks in a fixed order and returns the first failing code.
//
// The process error mode of the Windows design (no dialog for a drive without medium) has no
// counterpart here: the system shows no dialog to suppress.
#include "pelidor/fsutil/DriveChecks.h"

#include "pelidor/fsutil/PathUtils.h"
#include "platform/fs/FileSystem.h"

namespace {

bool IsDotName(const std::string& name) {
    return name == "." || name == "..";
}

// A path with its first byte put in place of the template's "x".
std::string WithDriveByte(const std::string& path, const char* templ) {
    std::string out = templ;
    out[0] = path.empty() ? '\0' : path[0];
    return out;
}

} // namespace

RESULT_CODE IsDriveRoot(const std::string& path) {
    return WithDriveByte(path, "x:\\") == path ? RC_SUCCESS : RC_NOT_DRIVE_ROOT;
}

RESULT_CODE CheckDrive(const std::string& path) {
    std::string drive;
    if (GetDrivePart(path, drive, 0) != RC_SUCCESS)
        return RC_PATH_PART_MISSING;
    const std::string probe = WithDriveByte(path, "x:\\.");
    if (platform::GetPathAttributes(probe) == platform::FILE_ATTR_INVALID)
        return RC_DRIVE_ABSENT;
    return RC_SUCCESS;
}

RESULT_CODE GetDriveFreeSpace(const std::string& path, std::uint64_t& available) {
    RESULT_CODE rc = CheckDrive(path);
    if (rc != RC_SUCCESS)
        return rc;
    std::string root;
    rc = GetDrivePart(path, root, 1);
    if (rc != RC_SUCCESS)
        return rc;
    // The current directory moves to the drive root and stays there.
    platform::SetCurrentDirectoryPath(root);
    std::uint64_t bytes = 0;
    if (!platform::GetAvailableFreeSpace(root, bytes))
        return RC_FREE_SPACE_UNKNOWN;
    available = bytes;
    return RC_SUCCESS;
}

RESULT_CODE CheckFreeSpace(const std::string& path, std::uint64_t needed) {
    RESULT_CODE rc = CheckDrive(path);
    if (rc != RC_SUCCESS)
        return rc;
    std::uint64_t available = 0;
    rc = GetDriveFreeSpace(path, available);
    if (rc != RC_SUCCESS)
        return rc;
    return needed > available ? RC_NOT_ENOUGH_SPACE : RC_SUCCESS;
}

RESULT_CODE CheckFileExists(const std::string& path) {
    const RESULT_CODE rc = CheckDrive(path);
    if (rc != RC_SUCCESS)
        return rc;
    platform::CFindEntry entry;
    if (platform::FindFirstEntry(path, entry) &&
        (entry.m_nAttributes & platform::FILE_ATTR_DIRECTORY) == 0 && !IsDotName(entry.m_strName))
        return RC_SUCCESS;
    return RC_FILE_NOT_FOUND;
}

RESULT_CODE CheckFolderExists(const std::string& path) {
    const RESULT_CODE rc = CheckDrive(path);
    if (rc != RC_SUCCESS)
        return rc;
    std::string folder;
    if (GetFolderPart(path, folder, 0) != RC_SUCCESS)
        return RC_PATH_PART_MISSING;
    if (IsDriveRoot(folder) == RC_SUCCESS)
        return RC_SUCCESS;
    platform::CFindEntry entry;
    if (platform::FindFirstEntry(folder, entry) &&
        (entry.m_nAttributes & platform::FILE_ATTR_DIRECTORY) != 0 && !IsDotName(entry.m_strName))
        return RC_SUCCESS;
    return RC_FOLDER_NOT_FOUND;
}

RESULT_CODE CreateFolder(const std::string& path) {
    RESULT_CODE rc = CheckDrive(path);
    if (rc != RC_SUCCESS)
        return rc;
    rc = CheckFolderExists(path);
    if (rc == RC_SUCCESS)
        return RC_SUCCESS;
    if (rc != RC_FOLDER_NOT_FOUND)
        return rc;
    std::string folder;
    rc = GetFolderPart(path, folder, 0);
    if (rc != RC_SUCCESS)
        return rc;
    return platform::CreateOneDirectory(folder) ? RC_SUCCESS : RC_FOLDER_CREATE_FAILED;
}

RESULT_CODE CreateFolderChain(const std::string& path) {
    RESULT_CODE rc = CheckDrive(path);
    if (rc != RC_SUCCESS)
        return rc;
    rc = CheckFolderExists(path);
    if (rc != RC_FOLDER_NOT_FOUND)
        return rc;

    // Each creation adds one level, so a chain needs at most one creation per separator. The
    // bound only matters when another process removes folders while the walk runs.
    std::size_t creationsLeft = path.size() + 1;
    std::string current = path;
    for (;;) {
        std::string parent;
        GetFolderPart(current, parent, 0);
        rc = CheckFolderExists(current); // looks at the folder part of current: the parent
        if (rc == RC_FOLDER_NOT_FOUND) {
            current = parent;
            continue;
        }
        if (rc != RC_SUCCESS)
            return rc;
        if (current == path)
            return RC_SUCCESS;
        if (creationsLeft-- == 0)
            return RC_FOLDER_CREATE_FAILED;
        rc = CreateFolder(current + "\\*.*");
        if (rc != RC_SUCCESS)
            return rc;
        current = path;
    }
}
