#include "BenchFiles.h"

#include <algorithm>
#include <fstream>

namespace bench {

namespace {

class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint64_t Next()
    {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 7;
        state_ ^= state_ << 17;
        return state_;
    }
    std::uint64_t Below(std::uint64_t n) { return Next() % n; }

private:
    std::uint64_t state_;
};

const char* const kWords[] = {"daylight", "study", "view", "sample", "window", "south", "facade", "lux",
                              "illuminance", "render", "frame", "cabinet", "folder", "the", "of", "and",
                              "at", "clear", "overcast", "sky", "noon", "morning", "evening", "glazing"};

std::string Text(Random& random, std::size_t size)
{
    std::string text;
    text.reserve(size + 64);
    while (text.size() < size) {
        text += std::to_string(random.Below(100000));
        text += ' ';
        const int words = 4 + static_cast<int>(random.Below(10));
        for (int i = 0; i < words; ++i) {
            text += kWords[random.Below(std::size(kWords))];
            text += ' ';
        }
        text += '\n';
    }
    text.resize(size);
    return text;
}

std::string Noise(Random& random, std::size_t size)
{
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; i += 8) {
        const std::uint64_t v = random.Next();
        for (std::size_t k = 0; k < 8 && i + k < size; ++k)
            bytes[i + k] = static_cast<char>(v >> (8 * k));
    }
    return bytes;
}

std::string Records(Random& random, std::size_t size)
{
    std::string bytes;
    bytes.reserve(size + 16);
    std::uint32_t id = 1000, value = 50000;
    while (bytes.size() < size) {
        id += 1;
        value += static_cast<std::uint32_t>(random.Below(64)) - 32;
        for (int k = 0; k < 4; ++k)
            bytes += static_cast<char>(id >> (8 * k));
        for (int k = 0; k < 4; ++k)
            bytes += static_cast<char>(value >> (8 * k));
        bytes += static_cast<char>(random.Below(4));
        bytes.append(7, '\0');
    }
    bytes.resize(size);
    return bytes;
}

std::string Sparse(Random& random, std::size_t size)
{
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; i += 4096 + random.Below(8192))
        bytes[i] = static_cast<char>(random.Next());
    return bytes;
}

} // namespace

MixedTree WriteMixedTree(const std::filesystem::path& root, std::uint64_t totalBytes)
{
    Random random(0x5eed5eedULL);
    MixedTree tree;
    int index = 0;
    while (tree.bytes < totalBytes) {
        // Mostly small and middling files, with a few large ones.
        const std::uint64_t pick = random.Below(100);
        std::size_t size = pick < 60 ? 1024 + random.Below(64 * 1024)
                         : pick < 92 ? 64 * 1024 + random.Below(1024 * 1024)
                                     : 2 * 1024 * 1024 + random.Below(14 * 1024 * 1024);
        size = static_cast<std::size_t>(std::min<std::uint64_t>(size, totalBytes - tree.bytes));
        const std::uint64_t kind = random.Below(100);
        std::string bytes, extension;
        if (kind < 40) {
            bytes = Text(random, size);
            extension = ".txt";
        } else if (kind < 65) {
            bytes = Noise(random, size);
            extension = ".jpg";
        } else if (kind < 85) {
            bytes = Records(random, size);
            extension = ".dat";
        } else {
            bytes = Sparse(random, size);
            extension = ".img";
        }
        const std::string relative = "set" + std::to_string(index % 7) + "/part" + std::to_string(index % 3) + "/file"
            + std::to_string(index) + extension;
        const auto path = root / relative;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        tree.files.push_back(relative);
        tree.bytes += bytes.size();
        ++index;
    }
    return tree;
}

} // namespace bench
