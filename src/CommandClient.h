#pragma once

#include "app/CommandLine.h"

namespace tallowmere {

// What a copy that does not start answers itself: help, the version and bad usage; a command goes to the copy that
// runs. Returns the exit status.
int answerWithoutStarting(const CommandLine& line);

} // namespace tallowmere
