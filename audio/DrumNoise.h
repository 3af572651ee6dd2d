#pragma once
#include "base/RandomGenerator.h"

// The drums draw their noise from the program's one generator, so a chosen
// seed makes an offline render repeatable.
inline float drumNoise()
{
    return RandomGenerator::instance().nextUnit();
}
