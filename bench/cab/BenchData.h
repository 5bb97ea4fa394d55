// The mixed files the cabinet benchmark packs: JPEG frames (real ones from the
// sample-study generator when it is built, else JPEG-like noise), random bytes
// and text, in files of many sizes below one folder.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace cabbench {

struct BenchFile {
    std::filesystem::path path;
    std::string name; // relative to the data folder, "/" separated
    std::uint64_t size = 0;
};

struct BenchData {
    std::vector<BenchFile> files;
    std::uint64_t jpegBytes = 0;
    std::uint64_t randomBytes = 0;
    std::uint64_t textBytes = 0;
    bool realJpeg = false;
    std::uint64_t Total() const { return jpegBytes + randomBytes + textBytes; }
};

// Fills `folder` with about `totalBytes`: a third each of frames, random and text.
BenchData MakeBenchData(const std::filesystem::path& folder, std::uint64_t totalBytes);

// Writes real frames into `folder` until about `bytes`; false when the
// generator is not part of this build.
bool MakeJpegFrames(const std::filesystem::path& folder, std::uint64_t bytes, BenchData& data);

} // namespace cabbench
