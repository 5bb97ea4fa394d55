// cab_bench: cabinet creation and extraction against the peer tools, on one
// set of mixed files, printing ratios measured in this one run.
//   cab_bench [--mib N] [--rounds N] [--threads N]
// The data lives in a temporary folder that is removed at the end.
#include "bench/cab/BenchData.h"

#include "platform/cab/CabReader.h"
#include "platform/cab/CabWriter.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <set>
#include <string>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

std::string Quote(const std::string& s)
{
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

bool Shell(const std::string& command)
{
    return std::system(command.c_str()) == 0;
}

double CreateOurs(const cabbench::BenchData& data, const std::string& cabinet, unsigned threads)
{
    std::filesystem::remove(cabinet);
    auto start = Clock::now();
    cab::CabWriter writer(cabinet, threads);
    for (const auto& f : data.files) {
        cab::WriterSource s;
        s.sourcePath = f.path.string();
        s.nameInCab = f.name;
        std::replace(s.nameInCab.begin(), s.nameInCab.end(), '/', '\\');
        if (cab::CabError e = writer.AddFile(s)) {
            std::fprintf(stderr, "our writer failed: %s\n", e.message.c_str());
            std::exit(1);
        }
    }
    if (cab::CabError e = writer.Commit()) {
        std::fprintf(stderr, "our writer failed: %s\n", e.message.c_str());
        std::exit(1);
    }
    return SecondsSince(start);
}

double CreateGcab(const cabbench::BenchData& data, const std::filesystem::path& folder, const std::string& cabinet)
{
    std::filesystem::remove(cabinet);
    std::string command = "cd " + Quote(folder.string()) + " && gcab -c -z " + Quote(cabinet);
    for (const auto& f : data.files)
        command += " " + Quote(f.name);
    auto start = Clock::now();
    if (!Shell(command)) {
        std::fprintf(stderr, "gcab failed\n");
        std::exit(1);
    }
    return SecondsSince(start);
}

double ExtractOurs(const std::string& cabinet, const std::filesystem::path& out)
{
    std::filesystem::remove_all(out);
    auto start = Clock::now();
    cab::CabReader reader;
    if (cab::CabError e = reader.Open(cabinet)) {
        std::fprintf(stderr, "our reader failed: %s\n", e.message.c_str());
        std::exit(1);
    }
    std::set<std::filesystem::path> made;
    for (std::size_t i = 0; i < reader.Entries().size(); ++i) {
        std::filesystem::path target = cab::SafeTargetPath(out.string(), reader.Entries()[i].name);
        if (made.insert(target.parent_path()).second)
            std::filesystem::create_directories(target.parent_path());
        if (cab::CabError e = reader.Extract(i, target.string())) {
            std::fprintf(stderr, "our reader failed: %s\n", e.message.c_str());
            std::exit(1);
        }
    }
    return SecondsSince(start);
}

double ExtractCabextract(const std::string& cabinet, const std::filesystem::path& out)
{
    std::filesystem::remove_all(out);
    auto start = Clock::now();
    if (!Shell("cabextract -q -d " + Quote(out.string()) + " " + Quote(cabinet))) {
        std::fprintf(stderr, "cabextract failed\n");
        std::exit(1);
    }
    return SecondsSince(start);
}

double MiB(std::uint64_t bytes) { return double(bytes) / (1024.0 * 1024.0); }

} // namespace

int main(int argc, char** argv)
{
    std::uint64_t mib = 200;
    int rounds = 3;
    unsigned threads = 0;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--mib"))
            mib = std::strtoull(argv[i + 1], nullptr, 10);
        else if (!std::strcmp(argv[i], "--rounds"))
            rounds = std::max(1, std::atoi(argv[i + 1]));
        else if (!std::strcmp(argv[i], "--threads"))
            threads = unsigned(std::atoi(argv[i + 1]));
    }
    if (!Shell("command -v gcab >/dev/null && command -v cabextract >/dev/null")) {
        std::fprintf(stderr, "cab_bench needs gcab and cabextract\n");
        return 1;
    }
    std::random_device device;
    const auto work = std::filesystem::temp_directory_path() / ("halvex-cab-bench-" + std::to_string(device()));
    std::filesystem::create_directories(work);

    std::printf("making %llu MiB of mixed files in %s ...\n", (unsigned long long)mib, work.c_str());
    std::fflush(stdout);
    const cabbench::BenchData data = cabbench::MakeBenchData(work / "data", mib << 20);
    std::printf("data: %.1f MiB in %zu files: %.1f MiB %s, %.1f MiB random, %.1f MiB text\n",
                MiB(data.Total()), data.files.size(), MiB(data.jpegBytes),
                data.realJpeg ? "JPEG frames" : "JPEG-like noise", MiB(data.randomBytes), MiB(data.textBytes));
    const unsigned usedThreads = threads ? threads : std::max(1u, std::thread::hardware_concurrency());
    std::printf("cores: %u, our writer threads: %u, %d rounds, best of each\n\n",
                std::thread::hardware_concurrency(), usedThreads, rounds);

    const std::string ours = (work / "ours.cab").string();
    const std::string theirs = (work / "gcab.cab").string();
    double oursCreate = 1e30, gcabCreate = 1e30, oursExtract = 1e30, cabextractExtract = 1e30;
    for (int r = 0; r < rounds; ++r) {
        oursCreate = std::min(oursCreate, CreateOurs(data, ours, threads));
        gcabCreate = std::min(gcabCreate, CreateGcab(data, work / "data", theirs));
        oursExtract = std::min(oursExtract, ExtractOurs(ours, work / "out"));
        cabextractExtract = std::min(cabextractExtract, ExtractCabextract(ours, work / "out"));
    }
    const double oneThread = CreateOurs(data, (work / "one.cab").string(), 1);
    const auto oursSize = std::filesystem::file_size(ours);
    const auto gcabSize = std::filesystem::file_size(theirs);
    const double total = MiB(data.Total());

    std::printf("create MSZIP   ours %6.2f s %7.1f MiB/s | gcab -c -z %6.2f s %7.1f MiB/s | ratio %.2fx (target >= 1.5x)\n",
                oursCreate, total / oursCreate, gcabCreate, total / gcabCreate, gcabCreate / oursCreate);
    std::printf("               ours on 1 thread %6.2f s %7.1f MiB/s | ratio to gcab %.2fx\n", oneThread,
                total / oneThread, gcabCreate / oneThread);
    std::printf("cabinet size   ours %llu bytes | gcab %llu bytes | ratio %.4fx (target <= 1.01x)\n",
                (unsigned long long)oursSize, (unsigned long long)gcabSize, double(oursSize) / double(gcabSize));
    std::printf("extract all    ours %6.2f s %7.1f MiB/s | cabextract %6.2f s %7.1f MiB/s | ratio %.2fx (target >= 1.0x)\n",
                oursExtract, total / oursExtract, cabextractExtract, total / cabextractExtract,
                cabextractExtract / oursExtract);

    std::error_code ec;
    std::filesystem::remove_all(work, ec);
    return 0;
}
