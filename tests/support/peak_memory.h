#pragma once

#include <QtGlobal>

// The peak resident memory of this process, for tests that show a hostile
// input is handled within bounded memory. Linux only (VmHWM, which writing
// "5" to /proc/self/clear_refs starts afresh); elsewhere nothing is known.
//
//     PeakMemory::reset();
//     ... the work ...
//     const qint64 peak = PeakMemory::kibibytes();   // -1: unknown here
namespace PeakMemory {

// Starts measuring from the current resident size; false where it cannot.
bool reset();
// KiB at the highest point since reset() (or the start), -1 where unknown.
qint64 kibibytes();

} // namespace PeakMemory
