// A fixture for PrepareJob in this process: drives C: and D: on a temporary folder, the
// program placed at C:\Apps\tool.exe, the parameter strings set per case and cleared after.
#pragma once

#include "pelidor/app/AppGlobals.h"
#include "pelidor/app/PelidorApp.h"
#include "platform/fs/FsFaults.h"
#include "platform/fs/ModulePath.h"
#include "tests/support/TempDrives.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

struct PrepareParams {
    std::string url;
    std::string work;
    std::string size;
    std::string list;
};

class PrepareFixture : public ::testing::Test {
protected:
    void SetUp() override {
        m_drives.Map('C');
        m_drives.Map('D');
        std::filesystem::create_directories(m_drives.Native("C:\\Apps"));
        platform::SetProgramNativePathForTest(m_drives.Native("C:\\Apps\\tool.exe"));
        Clear();
    }
    void TearDown() override {
        Clear();
        platform::SetProgramNativePathForTest("");
        platform::ClearFsFaults();
    }
    static void Clear() {
        g_strParamUrl.clear();
        g_strParamWork.clear();
        g_strParamSize.clear();
        g_strParamList.clear();
    }

    RESULT_CODE Prepare(const PrepareParams& params) {
        g_strParamUrl = params.url;
        g_strParamWork = params.work;
        g_strParamSize = params.size;
        g_strParamList = params.list;
        return m_app.PrepareJob();
    }

    // Writes a file given by its Windows path on a mapped drive, folders included.
    void WriteFile(const std::string& windowsPath, const std::string& contents) {
        const std::filesystem::path native = m_drives.Native(windowsPath);
        std::filesystem::create_directories(native.parent_path());
        std::ofstream(native, std::ios::binary | std::ios::trunc) << contents;
    }
    bool IsFolder(const std::string& windowsPath) const {
        return std::filesystem::is_directory(m_drives.Native(windowsPath));
    }

    testsupport::CTempDrives m_drives;
    CPelidorApp m_app;
};
