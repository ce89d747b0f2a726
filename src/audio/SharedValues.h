#pragma once

#include <atomic>
#include <cstdint>

namespace vireo {

// Values the engine, its opener thread and the main window share, process-wide. Each is a single
// 32-bit word written and read atomically; nobody takes a lock for them.

// Gain in dB that the gain tool reported for the last local file opened (0 when none).
extern std::atomic<float> MeasuredGain;
// Expected size in bytes of the network file being streamed: the Content-Length, 0xFFFFFFFF when
// the server did not say, 0 until known.
extern std::atomic<uint32_t> DownloadTotal;
// Bytes of that file written to the cache so far; the engine resets it at every open, the main
// window's download handler advances it.
extern std::atomic<uint32_t> DownloadWritten;

constexpr uint32_t kUnknownDownloadTotal = 0xFFFFFFFFu;

}  // namespace vireo
