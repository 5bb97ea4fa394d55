#include "bench/cab/BenchData.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>

namespace cabbench {

namespace {

void WriteFile(const std::filesystem::path& path, const std::string& bytes)
{
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), std::streamsize(bytes.size()));
}

// File sizes spread evenly on a log scale between `low` and `high`.
std::uint64_t PickSize(std::mt19937_64& random, double low, double high)
{
    std::uniform_real_distribution<double> exponent(std::log(low), std::log(high));
    return std::uint64_t(std::exp(exponent(random)));
}

std::string RandomBytes(std::mt19937_64& random, std::uint64_t size)
{
    std::string s(size, '\0');
    for (std::uint64_t i = 0; i + 8 <= size; i += 8) {
        std::uint64_t v = random();
        std::memcpy(&s[i], &v, 8);
    }
    for (std::uint64_t i = size & ~std::uint64_t(7); i < size; ++i)
        s[i] = char(random());
    return s;
}

// Entropy-coded scan data compresses by a percent or two: mostly random bytes,
// with the stuffed zero after each 0xFF and a skew towards small values.
std::string JpegLikeBytes(std::mt19937_64& random, std::uint64_t size)
{
    std::string s = RandomBytes(random, size);
    const char header[] = "\xFF\xD8\xFF\xE0\x00\x10JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00";
    std::memcpy(&s[0], header, std::min<std::uint64_t>(size, sizeof header - 1));
    for (std::uint64_t i = sizeof header; i + 1 < size; ++i) {
        if (std::uint8_t(s[i]) == 0xFF)
            s[++i] = 0;
        else if (random() % 16 == 0)
            s[i] = char(s[i] & 0x0F);
    }
    return s;
}

// Report-like text: words, numbers and names, about three to one under deflate.
std::string TextBytes(std::mt19937_64& random, std::uint64_t size)
{
    static const char* const words[] = {
        "daylight", "factor", "illuminance", "view", "north", "south", "east", "west", "facade",
        "clear", "overcast", "partly", "cloudy", "sky", "window", "office", "atrium", "corridor",
        "glazing", "shading", "louvre", "blind", "sample", "frame", "lux", "average", "minimum",
        "maximum", "uniformity", "ratio", "ceiling", "floor", "wall", "reflectance", "the", "of",
        "and", "at", "with", "from", "under", "on", "for", "level", "zone", "grid", "point",
    };
    std::string s;
    s.reserve(size + 64);
    char number[32];
    while (s.size() < size) {
        int n = int(random() % 14) + 4;
        for (int w = 0; w < n; ++w) {
            s += words[random() % std::size(words)];
            s += ' ';
        }
        std::snprintf(number, sizeof number, "%.2f lux at %02d:%02d, point %u.\n",
                      double(random() % 200000) / 100.0, int(random() % 24), int(random() % 60),
                      unsigned(random() % 5000));
        s += number;
    }
    s.resize(size);
    return s;
}

} // namespace

BenchData MakeBenchData(const std::filesystem::path& folder, std::uint64_t totalBytes)
{
    BenchData data;
    std::mt19937_64 random(20240601);
    const std::uint64_t third = totalBytes / 3;

    data.realJpeg = MakeJpegFrames(folder / "frames", third, data);
    for (int i = 0; data.jpegBytes < third; ++i) {
        std::uint64_t size = std::min(PickSize(random, 60e3, 400e3), third - data.jpegBytes);
        BenchFile f{folder / "frames" / ("noise_" + std::to_string(i) + ".jpg"),
                    "frames/noise_" + std::to_string(i) + ".jpg", size};
        WriteFile(f.path, JpegLikeBytes(random, size));
        data.jpegBytes += size;
        data.files.push_back(f);
    }
    for (int i = 0; data.randomBytes < third; ++i) {
        std::uint64_t size = std::min(PickSize(random, 1e3, 8e6), third - data.randomBytes);
        BenchFile f{folder / "random" / ("r" + std::to_string(i) + ".bin"), "random/r" + std::to_string(i) + ".bin", size};
        WriteFile(f.path, RandomBytes(random, size));
        data.randomBytes += size;
        data.files.push_back(f);
    }
    const std::uint64_t textWanted = totalBytes - data.jpegBytes - data.randomBytes;
    for (int i = 0; data.textBytes < textWanted; ++i) {
        std::uint64_t size = std::min(PickSize(random, 500, 4e6), textWanted - data.textBytes);
        BenchFile f{folder / "text" / ("t" + std::to_string(i) + ".txt"), "text/t" + std::to_string(i) + ".txt", size};
        WriteFile(f.path, TextBytes(random, size));
        data.textBytes += size;
        data.files.push_back(f);
    }
    return data;
}

} // namespace cabbench
