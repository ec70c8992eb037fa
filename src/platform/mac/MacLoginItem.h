#pragma once

#include "platform/LoginItem.h"

namespace tallowmere {

// The application itself as a login item (SMAppService.mainAppService); it needs a signed application bundle.
class MacLoginItem : public LoginItem {
public:
    bool registerApp() override;
    bool unregisterApp() override;
};

} // namespace tallowmere
