#pragma once

#include "simulator/Machine.h"

#include "platform/PropertyValue.h"

#include <string>
#include <vector>

namespace macsim {

// `macsim defaults read|write|delete …` on the application's defaults domain, like macOS's `defaults`.
int runDefaults(Machine& machine, const std::vector<std::string>& arguments);

// A value in the old-style text form `defaults read` prints; nested levels are indented by four spaces.
std::string describeDefaultsValue(const tallowmere::PropertyValue& value, int indent = 0);

} // namespace macsim
