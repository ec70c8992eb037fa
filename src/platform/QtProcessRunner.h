#pragma once

#include "platform/ProcessRunner.h"

namespace tallowmere {

class QtProcessRunner : public ProcessRunner {
public:
    ProcessResult run(const ProcessRequest& request) override;
    std::optional<std::string> launchDetached(const std::string& executable,
                                              const std::vector<std::string>& arguments) override;
};

} // namespace tallowmere
