// Builds without the sample-study generator make JPEG-like noise instead.
#include "bench/cab/BenchData.h"

namespace cabbench {

bool MakeJpegFrames(const std::filesystem::path&, std::uint64_t, BenchData&) { return false; }

} // namespace cabbench
