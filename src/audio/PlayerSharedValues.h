#pragma once

#include <atomic>
#include <cstdint>

namespace vireo {

// Values the engine, its opener thread and the main window share. The engine owns the one set
// (TAudioEngine::Shared()) and hands it to each opener it starts; the main window reaches it
// through the engine. Each is a single 32-bit word written and read atomically; nobody takes a
// lock for them.
struct PlayerSharedValues {
  // Gain in dB that the gain tool reported for the last local file opened (0 when none).
  std::atomic<float> MeasuredGain{0.0f};
  // Expected size in bytes of the network file being streamed: the Content-Length,
  // kUnknownDownloadTotal when the server did not say, 0 until known.
  std::atomic<uint32_t> DownloadTotal{0};
  // Bytes of that file written to the cache so far; the engine resets it at every open, the main
  // window's download handler advances it.
  std::atomic<uint32_t> DownloadWritten{0};
};

constexpr uint32_t kUnknownDownloadTotal = 0xFFFFFFFFu;

}  // namespace vireo
