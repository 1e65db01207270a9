// CPelidorApp: the application object of Pelidor. It holds the download job and runs the
// whole life of the program in its start routine: single-instance check, command line, job
// preparation, job run, and exactly one completion notice.
#pragma once

#include "pelidor/app/GenericAppBase.h"
#include "pelidor/app/ResultCodes.h"

#include <string>
#include <vector>

class CPelidorApp : public CGenericAppBase {
public:
    CPelidorApp();
    ~CPelidorApp() override;

    // True only when the whole run succeeded. Posts the notice as its last step.
    bool Startup() override;
    int Shutdown() override;

    // Builds the job from the parameter strings: 0 when it is ready to run, else 2 to 6.
    RESULT_CODE PrepareJob();
    // Fetches every URL of the job: 0 when all were fetched, else the first failure's code.
    RESULT_CODE RunJob();

    // Reads one value of a download list file: true with a non-empty value (each "\n" pair of
    // characters replaced by a line feed); false with value empty otherwise.
    static bool ReadListValue(const std::string& listFile, const std::string& section,
                              const std::string& key, std::string& value);

    const std::vector<std::string>& GetUrls() const { return m_arrUrls; }
    const std::string& GetWorkFolder() const { return m_strWorkFolder; }
    const std::string& GetFileSize() const { return m_strFileSize; }

protected:
    std::vector<std::string> m_arrUrls; // the URLs of the job
    std::string m_strWorkFolder;        // ends in a backslash once prepared
    std::string m_strFileSize;          // expected size as decimal digits, may be empty
    std::string m_strSection;           // "Download"
    std::string m_strFileKey;           // "File"
    std::string m_strWorkPathKey;       // "WorkPath"
    std::string m_strFileSizeKey;       // "FileSize"
    std::string m_strScheme;            // "http://"
    char m_chSeparator;                 // '/'
};
