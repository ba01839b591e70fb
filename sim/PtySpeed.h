#pragma once

// The output speed set on the tty `fd` through the custom-rate interface, 0 when it was
// set through a standard rate constant or cannot be read.
int PtyCustomSpeed(int fd);
