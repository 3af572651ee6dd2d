#include "audio/PortAudioDevice.h"

PortAudioDevice::~PortAudioDevice() { close(); }
void PortAudioDevice::setHostApi(const std::string&) {}
bool PortAudioDevice::open() { return false; }
void PortAudioDevice::close() {}
int PortAudioDevice::streamCallback(const void*, void*, unsigned long, const void*, unsigned long, void*) { return 0; }
