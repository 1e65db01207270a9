// Write throughput of the local file: SIZE bytes (default 1 GiB) in 1024-byte blocks through
// OpenLocalFile / WriteLocalFile / CloseLocalFile, against a plain loop of 1 KiB write(2)
// calls with fdatasync, into a folder given on the command line (default /tmp).
//   bench_localfile [FOLDER] [MIB]
#include "pelidor/fsutil/FileOps.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

double Seconds(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv) {
    const std::string folder = argc > 1 ? argv[1] : "/tmp";
    const long mib = argc > 2 ? std::atol(argv[2]) : 1024;
    const long blocks = mib * 1024;
    std::vector<char> block(1024, 'x');
    ::setenv("PELIDOR_DRIVES", ("B=" + folder).c_str(), 1);

    for (int run = 0; run < 3; ++run) {
        auto start = std::chrono::steady_clock::now();
        LocalFile* file = nullptr;
        if (OpenLocalFile("B:\\bench-localfile.bin", &file, 2, 1, 0) != 0)
            return 1;
        for (long i = 0; i < blocks; ++i)
            if (WriteLocalFile(file, block.data(), 1024) != 0)
                return 1;
        if (CloseLocalFile(&file) != 0)
            return 1;
        const double ours = Seconds(start);

        start = std::chrono::steady_clock::now();
        const std::string path = folder + "/bench-plain.bin";
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (fd < 0)
            return 1;
        for (long i = 0; i < blocks; ++i)
            if (::write(fd, block.data(), 1024) != 1024)
                return 1;
        ::fdatasync(fd);
        ::close(fd);
        const double plain = Seconds(start);
        std::printf(
            "%ld MiB: LocalFile %.2f s (%.0f MB/s), plain 1 KiB writes %.2f s (%.0f MB/s)\n", mib,
            ours, mib * 1.048576 / ours, plain, mib * 1.048576 / plain);
        ::unlink(path.c_str());
        ::unlink((folder + "/bench-localfile.bin").c_str());
    }
    return 0;
}
