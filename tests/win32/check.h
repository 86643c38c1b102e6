#pragma once

// A minimal test runner for the Windows layer tests, which are built without
// Qt. CHECK records a failure and goes on; main() returns the failure count.
#include <cstdio>
#include <string>

namespace check {

inline int &failures()
{
    static int count = 0;
    return count;
}

inline int &passes()
{
    static int count = 0;
    return count;
}

inline void report(bool ok, const char *expression, const char *file, int line)
{
    if (ok) {
        ++passes();
    } else {
        ++failures();
        std::printf("FAIL: %s (%s:%d)\n", expression, file, line);
    }
}

// Prints the closing line and gives main()'s result.
inline int finish(const char *name)
{
    std::printf("%s: %d passed, %d failed\n", name, passes(), failures());
    std::fflush(stdout);
    return failures() == 0 ? 0 : 1;
}

} // namespace check

#define CHECK(expression) ::check::report(static_cast<bool>(expression), #expression, __FILE__, __LINE__)
