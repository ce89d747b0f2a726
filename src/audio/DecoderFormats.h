#pragma once

namespace vireo {

// Formats the decoder module plays beyond the classic list, by the FFmpeg demuxer and codecs
// each needs. The open dialog offers them all from the start (the module is not loaded to find
// out); the audio tests check that the decoding libraries of the build have every one.
struct DecoderFormat {
  const char* demuxer;
  const char* decoders;  // any of them, separated by ','; empty: the demuxer decodes by itself
  const char* patterns;  // separated by ';'
};

inline constexpr DecoderFormat kDecoderFormats[] = {
    {"flac", "flac", "*.flac"},
    {"m4a", "aac,alac", "*.m4a;*.m4b"},
    {"aac", "aac", "*.aac"},
    {"ogg", "opus,libopus", "*.opus"},
    {"ogg", "vorbis,libvorbis", "*.oga"},
    {"ogg", "libspeex", "*.spx"},
    {"asf", "wmav1,wmav2,wmapro,wmalossless", "*.wma"},
    {"ape", "ape", "*.ape"},
    {"wv", "wavpack", "*.wv"},
    {"aiff", "pcm_s16be", "*.aiff;*.aifc"},
    {"mpc", "mpc7,mpc8", "*.mpc"},
    {"mpc8", "mpc8", "*.mp+"},
    {"tta", "tta", "*.tta"},
    {"matroska", "opus,vorbis,flac,aac", "*.mka"},
    {"webm", "opus,vorbis", "*.weba"},
    {"ac3", "ac3", "*.ac3"},
    {"dts", "dca", "*.dts"},
    {"au", "pcm_s16be", "*.au;*.snd"},
    {"caf", "pcm_s16le,alac", "*.caf"},
    {"w64", "pcm_s16le", "*.w64"},
    {"amr", "amrnb", "*.amr"},
    {"dsf", "dsd_lsbf_planar", "*.dsf"},
    {"libopenmpt", "", "*.mptm;*.669;*.stm;*.okt;*.far;*.med"},
};

}  // namespace vireo
