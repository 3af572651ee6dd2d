// Linked only into the leak-checked build of the game. Mesa unloads its
// driver when the display closes and ALSA unloads each plugin (with the
// sound server's client libraries) when PortAudio closes it; their
// process-wide allocations then belong to no module the leak checker can
// name, so the suppression list cannot tell them from ours. Defining dlclose
// here takes precedence over the C library's for every library in the
// process, and keeps them all mapped until exit.
extern "C" int dlclose(void*)
{
    return 0;
}
