#pragma once

// On Unix, makes SIGTERM and SIGINT end the Qt event loop as closing the main
// window does, so that teardown runs. Call once, after the application exists.
void quitEventLoopOnTerminationSignals();
