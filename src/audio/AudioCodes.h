#pragma once

namespace vireo {

// The engine's states. The numbers are what crosses a boundary (the remote control's answers,
// the plug-ins' messages, the probe's output) as int(state); inside the player the type is used.
enum class AudioState : int {
  Stopped = 1001,  // also the state right after construction
  Playing = 1002,
  Paused = 1003,
  Ended = 1004,       // the stream played to its end
  Connecting = 1005,  // opening a network stream
  OpenFailed = 1006,
};

// Error details handed out with OnError(1006, detail). The values follow the audio library the
// player was first written against, so that callers treating "any non-zero detail" as an
// unplayable track, and anyone logging the numbers, see familiar codes.
namespace AudioError {
constexpr int None = 0;
constexpr int FileOpen = 2;   // cannot open the file or the address (incl. HTTP error status)
constexpr int Init = 8;       // no output device was initialised
constexpr int NoNet = 32;     // could not connect to the host
constexpr int Timeout = 40;   // the host did not answer in time
constexpr int FileForm = 41;  // not a format the decoder knows
constexpr int Codec = 44;     // the format is known but its codec is not
constexpr int Unknown = -1;
// Start-up and call-order details carried with other codes.
constexpr int WrongVersion = -1;  // OnError(1004, -1)
constexpr int InitFailed = -2;    // OnError(state, -2)
constexpr int OpenPending = -3;   // OnError(1004, -3)
}  // namespace AudioError

// The output format every stream is converted to.
constexpr int kOutputRate = 44100;
constexpr int kOutputChannels = 2;

// Sizes of the buffers the progress event carries.
constexpr int kFftSingles = 522;  // the first 512 hold the spectrum
constexpr int kFftBins = 512;
constexpr int kWaveWords = 2049;  // the first 512 words hold 2048 bytes of 16-bit stereo
constexpr int kWaveFrames = 512;

constexpr int kBandCount = 10;
constexpr int kBandCentresHz[kBandCount] = {80,   170,  310,   600,   1000,
                                            3000, 6000, 10000, 12000, 14000};
constexpr float kBandWidthSemitones = 5.0f;
constexpr int kMinBandGainDb = -15;
constexpr int kMaxBandGainDb = 15;

}  // namespace vireo
