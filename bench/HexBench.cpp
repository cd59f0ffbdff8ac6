// Load and save of a full 64 KiB image (4096 records of 16 bytes), beside srec_cat converting the
// same file, in one run. Prints the figures; asserts nothing.
//
// Usage: hex_bench [runs]   (default 21; the median of the runs is printed)

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "device/IntelHex.h"
#include "device/SafeWrite.h"
#include "device/Workspace.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

double MedianMs(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

template <typename Work>
double TimeMs(int runs, Work work) {
    std::vector<double> samples;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        work();
        samples.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    return MedianMs(samples);
}

bool OnPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    if (path == nullptr)
        return false;
    std::string dirs = path;
    std::size_t start = 0;
    while (start <= dirs.size()) {
        const std::size_t end = std::min(dirs.find(':', start), dirs.size());
        if (::access((std::filesystem::path(dirs.substr(start, end - start)) / program).c_str(), X_OK) == 0) {
            return true;
        }
        start = end + 1;
    }
    return false;
}

// Runs srec_cat to convert `in` to `out`, Intel HEX to Intel HEX; false if it failed.
bool SrecCat(const std::filesystem::path& in, const std::filesystem::path& out) {
    std::vector<std::string> args{"srec_cat", in.string(), "-intel", "-o", out.string(), "-intel"};
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (::posix_spawnp(&pid, "srec_cat", nullptr, nullptr, argv.data(), environ) != 0)
        return false;
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace kvqor;
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 21;

    char pattern[] = "/tmp/kvqor-bench-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::filesystem::path folder = pattern;
    const auto input = folder / "full64k.hex";
    const auto output = folder / "saved.hex";

    auto image = std::make_unique<HexImage>();
    std::mt19937 gen(7);
    for (auto& b : *image)
        b = static_cast<std::uint8_t>(gen());
    const std::string text = IntelHexText(*image, 0xFFFF);
    if (auto failure = WriteFileSafely(input, text)) {
        std::fprintf(stderr, "cannot write %s: %s\n", input.c_str(), failure->c_str());
        return 1;
    }

    auto ws = std::make_unique<Workspace>();
    const double loadMs = TimeMs(runs, [&] { ws->OpenHexFile(input, "full64k.hex"); });
    if (ws->Buffer.HexBuffer != *image) {
        std::fprintf(stderr, "load did not give the image back\n");
        return 1;
    }
    const double textMs = TimeMs(runs, [&] { (void)IntelHexText(ws->Buffer.HexBuffer, 0xFFFF); });
    // What File > Save does, at the full 64 KiB: the text, then the safe write (temporary file,
    // fsync, rename).
    const double saveMs =
        TimeMs(runs, [&] { (void)WriteFileSafely(output, IntelHexText(ws->Buffer.HexBuffer, 0xFFFF)); });

    std::printf("Intel HEX, full 64 KiB image: %zu records, %zu bytes of text, median of %d runs\n",
                RowsFor(0xFFFF), text.size(), runs);
    std::printf("  kvqor load (read file + parse)        %8.3f ms\n", loadMs);
    std::printf("  kvqor save, text only                 %8.3f ms\n", textMs);
    std::printf("  kvqor save (text, temp, fsync, rename) %6.3f ms\n", saveMs);
    std::printf("  kvqor load + save                     %8.3f ms\n", loadMs + saveMs);

    if (!OnPath("srec_cat")) {
        std::printf("  srec_cat not found: comparison skipped (apt-get install srecord)\n");
    } else {
        const auto srecOut = folder / "srec.hex";
        bool ok = true;
        const double srecMs = TimeMs(runs, [&] { ok = SrecCat(input, srecOut) && ok; });
        const auto tiny = folder / "tiny.hex";
        (void)WriteFileSafely(tiny, ":0100000000FF\r\n:00000001FF\r\n");
        const double startMs = TimeMs(runs, [&] { ok = SrecCat(tiny, folder / "tiny-out.hex") && ok; });
        if (!ok) {
            std::printf("  srec_cat failed: comparison skipped\n");
        } else {
            std::printf("  srec_cat convert (one process)        %8.3f ms\n", srecMs);
            std::printf("  srec_cat on a 1-byte file (start-up)  %8.3f ms\n", startMs);
            std::printf("  ratio srec_cat / kvqor load + save    %8.1f x\n", srecMs / (loadMs + saveMs));
            std::printf("  ratio without srec_cat's start-up     %8.1f x\n",
                        (srecMs - startMs) / (loadMs + saveMs));
            // srec_cat does not wait for the disk; the fsync of a safe save costs what the disk takes.
            std::printf("  ratio srec_cat / kvqor load + text    %8.1f x  (save without the fsync)\n",
                        srecMs / (loadMs + textMs));
        }
    }
    std::filesystem::remove_all(folder);
    return 0;
}
