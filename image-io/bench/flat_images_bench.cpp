// The promise made for small files: any file under 64 KiB is decoded or refused within a second
// and 600 MB. Each of the flat images that claim the most pixels for their size is timed here,
// with the peak memory its decode adds (measured once, in a child process of its own).
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <string>

#include "image_io/image.hpp"
#include "support/flat_images.hpp"

namespace {

using namespace image_io;

constexpr DecodeOptions options{.applyOrientation = true};

// Resident kilobytes of this process now.
long residentKiB() {
    long pages = 0;
    long resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    return resident * (::sysconf(_SC_PAGESIZE) / 1024);
}

// The peak resident memory one decode adds, in megabytes (a refusal adds next to nothing);
// negative when it cannot be measured.
double decodePeakMB(const writers::Bytes& file) {
    const long before = residentKiB();
    const pid_t child = ::fork();
    if (child == 0) {
        try {
            (void)decode(file, options);
        } catch (...) {
        }
        ::_exit(0);
    }
    int status = 0;
    rusage usage{};
    if (child < 0 || ::wait4(child, &status, 0, &usage) != child) return -1;
    return static_cast<double>(std::max(0L, usage.ru_maxrss - before)) / 1024.0;
}

void decodeFlatImage(benchmark::State& state, const writers::Bytes& file) {
    bool decoded = false;
    for (auto _ : state) {
        try {
            RgbaImage image = decode(file, options);
            benchmark::DoNotOptimize(image.pixels.data());
            decoded = true;
        } catch (const ImageIOError&) {
            decoded = false;
        }
    }
    state.counters["decoded"] = decoded ? 1 : 0;
    state.counters["file_KiB"] = static_cast<double>(file.size()) / 1024.0;
    state.counters["peak_MB"] = decodePeakMB(file);
}

const bool registered = [] {
    static const std::vector<std::pair<std::string, writers::Bytes>> files = writers::flatImagesUnder64KiB();
    for (const auto& [name, file] : files) {
        if (file.size() >= 65536) continue;
        benchmark::RegisterBenchmark(("decodeFlatImage/" + name).c_str(), decodeFlatImage, file)
            ->Unit(benchmark::kMillisecond)
            ->MeasureProcessCPUTime()
            ->UseRealTime()
            ->Iterations(3);
    }
    return true;
}();

}  // namespace
