#pragma once
#include <string>
#include <vector>

// The most frames one WAV file of 32-bit float stereo can hold: its sizes
// are 32-bit numbers.
constexpr long long maxWavFrames = (0xFFFFFFFFll - 58) / 8;

// Writes interleaved stereo 32-bit float samples as a WAV file, whole or not
// at all (platform::replaceFileWhole); 0 or the errno of what failed.
int writeFloatWav(const std::string& path, const std::vector<float>& interleaved, int sampleRate);
