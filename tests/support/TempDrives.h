// Temporary drives for tests: a fresh folder per test whose subfolders stand in for drive
// letters, made visible to the program through PELIDOR_DRIVES.
//
//   testsupport::CTempDrives drives;        // nothing mapped yet
//   drives.Map('C');                        // C: -> <base>/C (created)
//   drives.MapMissing('M');                 // M: -> a directory that does not exist
//   drives.MapTo('P', "/dev");              // P: -> a directory of your choice
//   drives.Native("C:\\Work\\a.bin");       // "<base>/C/Work/a.bin"
//   child env: "PELIDOR_DRIVES=" + drives.DrivesVariable()
//
// Every mapping sets PELIDOR_DRIVES in this process at once (the drive map notices the change).
// The destructor restores PELIDOR_DRIVES and the current directory and removes the folder.
#pragma once

#include <map>
#include <string>

namespace testsupport {

class CTempDrives {
public:
    CTempDrives();
    ~CTempDrives();
    CTempDrives(const CTempDrives&) = delete;
    CTempDrives& operator=(const CTempDrives&) = delete;

    // Maps a letter to a new folder <base>/<LETTER>; returns its native path.
    std::string Map(char letter);
    // Maps a letter to a given native directory (not created, not removed).
    void MapTo(char letter, const std::string& nativeDirectory);
    // Maps a letter to a directory that does not exist: a drive without medium.
    void MapMissing(char letter);

    // The native path of a Windows path on one of the mapped letters ('\' or '/' separators;
    // no "." or ".." handling). Empty when the letter is not mapped.
    std::string Native(const std::string& windowsPath) const;
    // The PELIDOR_DRIVES text of the current mappings, for child processes.
    std::string DrivesVariable() const;
    // The temporary folder that holds the drive folders.
    const std::string& Base() const { return m_strBase; }

private:
    void Apply() const;

    std::string m_strBase;
    std::string m_strSavedCwd;
    bool m_bHadDrives = false;
    std::string m_strSavedDrives;
    std::map<char, std::string> m_mapDrives;
};

} // namespace testsupport
