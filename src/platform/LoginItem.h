#pragma once

namespace tallowmere {

// The application's own login item (SMAppService.mainAppService).
class LoginItem {
public:
    virtual ~LoginItem() = default;
    virtual bool registerApp() = 0;
    virtual bool unregisterApp() = 0;
};

} // namespace tallowmere
