#pragma once

// ALSA and JACK print their own complaints (missing cards, no JACK server)
// while PortAudio probes them. Routing them to silent handlers before
// Pa_Initialize leaves the terminal to the game's own lines.
void quietAudioLibraries();
