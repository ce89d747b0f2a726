#include "audio/SharedValues.h"

namespace vireo {

std::atomic<float> MeasuredGain{0.0f};
std::atomic<uint32_t> DownloadTotal{0};
std::atomic<uint32_t> DownloadWritten{0};

}  // namespace vireo
