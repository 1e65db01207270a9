// A private registry store in a fresh temporary folder, selected through CORVALE_REGISTRY for
// the length of a test.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace corvaletest {

class CTempStore {
public:
    CTempStore() {
        std::string strTemplate =
            (std::filesystem::temp_directory_path() / "corvale-store-XXXXXX").string();
        if (::mkdtemp(strTemplate.data()) == nullptr)
            throw std::runtime_error("mkdtemp failed");
        m_strFolder = strTemplate;
        ::setenv("CORVALE_REGISTRY", Store().c_str(), 1);
    }
    ~CTempStore() {
        ::unsetenv("CORVALE_REGISTRY");
        std::error_code ec;
        std::filesystem::remove_all(m_strFolder, ec);
    }
    CTempStore(const CTempStore&) = delete;
    CTempStore& operator=(const CTempStore&) = delete;

    const std::string& Folder() const { return m_strFolder; }
    std::string Store() const { return m_strFolder + "/registry.db"; }

private:
    std::string m_strFolder;
};

} // namespace corvaletest
