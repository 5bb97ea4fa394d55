// The file and memory services libmspack runs on: plain descriptors that are
// always closed, errno kept for the caller's error report, output sent to a
// descriptor the reader opened itself, and library messages kept, never printed.
#pragma once

#include "platform/cab/CabIo.h"

#include <mspack.h>

#include <cstdint>
#include <functional>
#include <string>

namespace cab::detail {

// The name under which libmspack opens the reader's current output file.
inline constexpr const char* kOutputName = "\x01" "cab-output";
// An output descriptor that takes the bytes and keeps none: checking an entry.
inline constexpr int kDiscardOutput = -2;

struct MsPackSystem {
    // The last failing file operation.
    int lastErrno = 0;
    io::Action lastAction = io::Action::Read;
    std::string lastPath;
    // The last message libmspack wanted to show, for error texts.
    std::string lastMessage;

    // Where kOutputName writes (kDiscardOutput: nowhere); the reader owns the descriptor.
    int outputFd = -1;
    std::string outputPath;
    // Told the bytes of the current output written so far after each write;
    // false stops the extraction (and sets `cancelled`).
    std::function<bool(std::uint64_t written)> outputProgress;
    std::uint64_t outputWritten = 0;
    bool cancelled = false;

    // The one file that is read as if it began `viewOffset` bytes in: a
    // cabinet inside a larger file (a self-extracting program). Every other
    // file, such as another part of its set, is read whole.
    std::string viewPath;
    off_t viewOffset = 0;

    MsPackSystem();
    MsPackSystem(const MsPackSystem&) = delete;
    MsPackSystem& operator=(const MsPackSystem&) = delete;

    void ClearError();
    mspack_system* Get() { return &raw_.base; }

    // libmspack hands back the address of `base`; `owner` leads from there to us.
    struct Raw {
        mspack_system base;
        MsPackSystem* owner;
    };

private:
    Raw raw_{};
};

} // namespace cab::detail
