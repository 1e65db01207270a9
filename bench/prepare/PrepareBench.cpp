// CPelidorApp::PrepareJob on a download list of 10,000 URLs in a temporary drive. "Settled" runs
// it on a list that has not changed since the previous run; "Fresh" writes the list again
// (timing paused) right before each run, as a caller that produces the list just before it
// starts Pelidor does.
#include "pelidor/app/AppGlobals.h"
#include "pelidor/app/PelidorApp.h"
#include "tests/support/TempDrives.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

constexpr int ENTRY_COUNT = 10'000;

// The list's text: File000 to File9999, a work folder and a size with separators.
std::string ListText() {
    std::string text = "[Download]\r\n";
    char key[32];
    for (int i = 0; i < ENTRY_COUNT; ++i) {
        std::snprintf(key, sizeof key, "File%03d", i);
        text += std::string(key) + "=http://127.0.0.1/files/dir" + std::to_string(i % 97) +
                "/file" + std::to_string(i) + ".bin\r\n";
    }
    text += "WorkPath=C:\\Work\\Deep\r\nFileSize=1,024\r\n";
    return text;
}

class CListJob {
public:
    CListJob() : m_strText(ListText()) {
        m_drives.Map('C');
        m_strList = m_drives.Native("C:\\list.ini");
        Write();
        g_strParamUrl.clear();
        g_strParamWork.clear();
        g_strParamSize.clear();
        g_strParamList = "C:\\list.ini";
    }
    ~CListJob() { g_strParamList.clear(); }

    void Write() const {
        std::ofstream(m_strList, std::ios::binary | std::ios::trunc) << m_strText;
    }
    bool Prepare(benchmark::State& state) {
        const RESULT_CODE code = m_app.PrepareJob();
        if (code != RC_SUCCESS || m_app.GetUrls().size() != static_cast<std::size_t>(ENTRY_COUNT)) {
            state.SkipWithError("the list was not prepared");
            return false;
        }
        return true;
    }

private:
    testsupport::CTempDrives m_drives;
    std::string m_strText;
    std::string m_strList;
    CPelidorApp m_app;
};

void BM_PrepareSettledList(benchmark::State& state) {
    CListJob job;
    for (auto _ : state) {
        if (!job.Prepare(state))
            break;
    }
}

void BM_PrepareFreshList(benchmark::State& state) {
    CListJob job;
    for (auto _ : state) {
        state.PauseTiming();
        job.Write();
        state.ResumeTiming();
        if (!job.Prepare(state))
            break;
    }
}

} // namespace

BENCHMARK(BM_PrepareSettledList)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PrepareFreshList)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
