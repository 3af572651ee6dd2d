#pragma once

// SIGTERM and SIGINT can come before SDL is up (it starts slowly, and a
// long level load may follow), and SDL turns them into a quit event only
// once its event queue exists. Caught from the first line of main instead,
// a request is kept however early it comes, and the start-up and the main
// loop ask for it. A second signal ends the process at once, as if the game
// had not caught the first. SIGPIPE is ignored: a reader of standard output
// that went away makes a write fail, which is not worth dying for.
namespace platform {

void catchTerminationSignals();
bool terminationRequested();

} // namespace platform
