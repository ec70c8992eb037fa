#include "ControlCommands.h"

#include "CommandOutput.h"

namespace macsim {
namespace {

constexpr const char* helpText = R"(usage: macsim COMMAND [ARGUMENTS]

The simulated Mac lives in $TALLOWMERE_SIM_DIR (default ${XDG_STATE_HOME:-~/.local/state}/tallowmere/sim).
Exit status: 0 done, 1 failed, 2 usage error, 3 no application is running on this machine.

Machine
  reset                                   replace the machine with a fresh default one
  status [--json]                         the whole state
  app                                     "running PID" when an application is attached and answering
Volumes
  volume add NAME [--kind usb|ssd|sd-internal|sd-usb|dmg|network|optical] [--busy] [--info KEY=VALUE]...
                                          prints the device identifier; use "--" before a NAME that starts
                                          with "--"; an empty VALUE removes KEY from diskutil info
  volume remove NAME|DEVICE               disconnect the disk
  volume busy NAME|DEVICE on|off          a busy volume refuses an eject or a non-forced unmount
  volume hang NAME|DEVICE on|off          a hung volume stops answering: every tool run about it (diskutil
                                          info/unmount/mount/mountDisk, the workspace eject) blocks until off
  volume slow NAME|DEVICE SECONDS         a drive slow to flush: its next unmounts and ejects complete SECONDS
                                          after they were asked for, even when the tool run that asked was
                                          killed meanwhile; 0 ends it
  volume settle                           carry out those slow unmounts and ejects as they come due (the tool
                                          runs that ask for them start it)
  volume list                             DEVICE<TAB>NAME<TAB>STATE<TAB>KIND per volume
  tm start NAME | tm stop                 a Time Machine backup to that volume runs / stops
Power, session and displays
  sleep [--idle]   wake   display sleep|wake   lock   unlock   screensaver start|stop   switch-user
  screens N        battery PERCENT [--max M] | battery none   lowpower on|off
  assertions                              ID<TAB>TYPE<TAB>NAME per power assertion held now
Permissions, notifications and other services
  fda granted|denied|missing
  notifications [--json] | notifications auth notDetermined|denied|authorized|provisional|ephemeral
                         | notifications answer allow|deny
  urls   login-item   updates   attention   analytics [--json]   analytics respond CODE
  defaults read [KEY] | defaults write KEY -bool|-int|-float|-string VALUE | defaults write KEY -array V...
                      | defaults delete KEY
The user interface, as a user sees it (answered by the running application)
  ui menu | ui click "TITLE"|"SUBMENU/TITLE" | ui windows | ui dump ["WINDOW"]
  ui press "BUTTON" ["WINDOW"] | ui toggle "LABEL" on|off ["WINDOW"] | ui select "ROW" ["WINDOW"]
  ui set "LABEL" VALUE ["WINDOW"] | ui close ["WINDOW"] | ui screenshot FILE.png ["WINDOW" | --menu ["SUBMENU"]]
  ui key Tab|Shift+Tab|Space|Return|Escape|Up|Down ["WINDOW"]
                                          a key to the control in focus; prints the control in focus then
Stand-in tools
  diskutil ...   tmutil ...   pmset ...       also run when macsim is invoked under those names

Plain-text listings print one item per line: inside a field a backslash is written "\\", a line feed "\n",
a carriage return "\r", a tab "\t" and any other control character "\xHH".
)";

} // namespace

void printHelp() {
    printOut(helpText);
}

} // namespace macsim
