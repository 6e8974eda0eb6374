#pragma once
// A fuzz target's own checks: a broken promise is reported as a crash with its input.

#include <cstdlib>

inline void Check(bool condition)
{
    if (!condition)
        std::abort();
}
