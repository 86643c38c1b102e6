#pragma once

#include <QtGlobal>

// Sleeps the calling thread for 8 to 17 ms, chosen at random. Processes that
// start together and compete for the instance block or the primary's server
// drift apart this way instead of retrying in lock-step.
void randomPause();

// The pause length for a random 32-bit value: 8 + floor(random * 10 / 2^32).
int randomPauseMilliseconds(quint32 random);
