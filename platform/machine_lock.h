#pragma once

#include <cstdint>
#include <string>

namespace platform {

// A lock that every process on the machine sees, whoever runs it, known by
// a name (ASCII letters, digits and '-'). It is held until it is released
// or until the process ends, however it ends, and it leaves nothing on
// disk: an abstract Unix-domain socket address on Linux, a named mutex in
// the Global namespace on Windows. A second acquisition of a held name,
// from this process or another, is Busy.
using MachineLock = std::intptr_t;
constexpr MachineLock noMachineLock = -1;

enum class LockResult { Acquired, Busy, Failed };

LockResult acquireMachineLock(const std::string &name, MachineLock *lock);
void releaseMachineLock(MachineLock lock);

} // namespace platform
