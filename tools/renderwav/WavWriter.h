#pragma once
#include <string>
#include <vector>

// Writes interleaved stereo 32-bit float samples as a WAV file.
bool writeFloatWav(const std::string& path, const std::vector<float>& interleaved, int sampleRate);
