#pragma once

// The output speed set on the tty `fd` through the custom-rate interface, 0 when it was
// set through a standard rate constant or cannot be read.
int PtyCustomSpeed(int fd);

// Sets the tty `fd` to `rate` in both directions through the custom-rate interface; false
// when the system has none or refuses.
bool PtySetCustomSpeed(int fd, int rate);
