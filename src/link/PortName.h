#pragma once
// Names of the ports a user can pick: "Com1" to "Com4" (the platform's first four serial ports),
// a system port name ("ttyUSB0") or a path ("/dev/pts/3", a symlink to a pseudo-terminal).

#include <string>
#include <string_view>

namespace kvqor {

// 1 to 4 for "Com1" to "Com4" (any case), otherwise 0.
int ComNumber(std::string_view name);

// The device path to open: "Com1" gives /dev/ttyS0 ... "Com4" /dev/ttyS3; a bare system name is
// looked for under /dev; a path is kept as it is.
std::string SystemPortPath(std::string_view name);

// The label the status line names the port by: "Com2" for port 2, otherwise the name as given.
std::string PortLabel(std::string_view name);

}  // namespace kvqor
