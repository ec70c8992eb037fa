#pragma once

#include "platform/Workspace.h"

#include <string>

namespace tallowmere {

// The product's web pages and support address, all on the web site's domain.
namespace SettingsLinks {

std::string websiteDomain();
std::string releaseNotesURL();
std::string privacyPolicyURL();
std::string supportMailURL();

// Opens `url` through the workspace when it parses as a URL; a bad URL or a failed open is silent.
void open(Workspace& workspace, const std::string& url);

} // namespace SettingsLinks
} // namespace tallowmere
