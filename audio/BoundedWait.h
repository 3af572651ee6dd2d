#pragma once
#include <functional>

// A sound server that has stopped answering can hold a PortAudio call for
// ever. Such calls run here on a thread of their own, and the caller waits
// for them at most `milliseconds`: true when `work` finished in that time.
// Otherwise the thread is left to finish whenever it can, so everything
// `work` touches must outlive it (share it through the captures).
bool finishesWithin(int milliseconds, std::function<void()> work);
