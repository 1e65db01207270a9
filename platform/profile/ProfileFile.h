// Reading values from profile files (the download list files of Pelidor) named by Windows
// paths, which the drive map translates. The format's rules are those of ProfileParser.h.
//
// Every call sees the file's current contents. A parsed copy of the last file read is kept and
// used again only while the file is provably unchanged: same device, inode, size, modification
// and change times, and a change time old enough that a later write could not carry the same
// time stamp. So reading the 10,000 keys of a long list costs one read of the file.
#pragma once

#include <string>

namespace platform {

// True with the value when the file, the section and the key exist and the value is not
// empty (at most PROFILE_VALUE_MAX bytes); false with value empty otherwise. A path that is
// not mapped, a folder, a device or pipe, a file that cannot be read and a file larger than
// PROFILE_FILE_MAX bytes give false.
bool ReadProfileValue(const std::string& windowsPath, const std::string& section,
                      const std::string& key, std::string& value);

// The largest profile file that is read, in bytes.
constexpr unsigned long long PROFILE_FILE_MAX = 256ull * 1024 * 1024;

} // namespace platform
