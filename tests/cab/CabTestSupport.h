// Helpers for the cabinet tests: sample data, cabinets written in one call,
// a reader of our own cabinets' block layout, and peer tools run from the shell.
#pragma once

#include "platform/cab/CabFormat.h"
#include "platform/cab/CabReader.h"
#include "platform/cab/CabWriter.h"
#include "TestPaths.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <sys/wait.h>
#include <random>
#include <string>
#include <vector>

namespace cabtest {

inline std::string DataDir() { return HALVEX_SOURCE_DIR "/tests/cab/data"; }

inline std::string RandomBytes(std::size_t size, unsigned seed)
{
    std::mt19937 random(seed);
    std::string s(size, '\0');
    for (char& c : s)
        c = char(random() & 0xFF);
    return s;
}

// Text that compresses the way prose does: words repeat, lines differ.
inline std::string TextBytes(std::size_t size, unsigned seed)
{
    static const char* words[] = {"daylight", "study", "view", "sample", "north", "facade",
                                  "clear", "sky", "overcast", "lux", "window", "office"};
    std::mt19937 random(seed);
    std::string s;
    while (s.size() < size) {
        s += words[random() % 12];
        s += (random() % 9 == 0) ? ".\n" : " ";
    }
    s.resize(size);
    return s;
}

inline cab::WriterSource Source(const std::filesystem::path& path, const std::string& name,
                                cab::Compression compression = cab::Compression::MsZip)
{
    cab::WriterSource s;
    s.sourcePath = path.string();
    s.nameInCab = name;
    s.compression = compression;
    // Fixed stamps, so two runs write the same bytes.
    s.dosDate = 0x5021;
    s.dosTime = 0x6000;
    return s;
}

inline cab::CabError WriteCabinet(const std::filesystem::path& target,
                                  const std::vector<cab::WriterSource>& sources, unsigned threads = 0)
{
    cab::CabWriter writer(target.string(), threads);
    for (const auto& s : sources)
        if (cab::CabError e = writer.AddFile(s))
            return e;
    return writer.Commit();
}

// The folders and data blocks of a cabinet, read straight from its bytes.
struct Block {
    std::uint32_t checksum;
    std::uint16_t compressedSize;
    std::uint16_t uncompressedSize;
    std::string payload;
};
struct Folder {
    std::uint16_t compression;
    std::vector<Block> blocks;
};
inline std::vector<Folder> ReadLayout(const std::string& bytes)
{
    using namespace cab::format;
    auto at = [&](std::size_t off) { return reinterpret_cast<const std::uint8_t*>(bytes.data()) + off; };
    std::vector<Folder> folders(GetU16(at(cfhead_NumFolders)));
    for (std::size_t i = 0; i < folders.size(); ++i) {
        const std::uint8_t* f = at(cfhead_SIZEOF + i * cffold_SIZEOF);
        folders[i].compression = GetU16(f + cffold_CompType);
        std::size_t off = GetU32(f + cffold_DataOffset);
        for (unsigned b = 0; b < GetU16(f + cffold_NumBlocks); ++b) {
            Block block;
            block.checksum = GetU32(at(off + cfdata_CheckSum));
            block.compressedSize = GetU16(at(off + cfdata_CompressedSize));
            block.uncompressedSize = GetU16(at(off + cfdata_UncompressedSize));
            block.payload = bytes.substr(off + cfdata_SIZEOF, block.compressedSize);
            folders[i].blocks.push_back(block);
            off += cfdata_SIZEOF + block.compressedSize;
        }
    }
    return folders;
}

using testsupport::FilesBelow;

struct RunResult {
    int status = -1;
    std::string output;
};
inline std::string Quote(const std::string& s)
{
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}
inline RunResult RunCommand(const std::string& command)
{
    RunResult r;
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (!pipe)
        return r;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        r.output.append(buffer, n);
    int status = ::pclose(pipe);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}
inline bool HaveTool(const std::string& name)
{
    return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

} // namespace cabtest
