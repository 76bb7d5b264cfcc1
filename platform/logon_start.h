// Starting the console when the user logs on, into the notification area
// only: on Windows a value under the user's own Run key
// (HKCU\Software\Microsoft\Windows\CurrentVersion\Run), which needs no
// administrator. Elsewhere the console runs in a terminal, which nothing
// starts at logon, so there it cannot be set.
#pragma once

#include <string>
#include <string_view>

namespace cratemark {

// The switch that starts the console in the notification area only.
inline constexpr std::string_view kStartInNotificationAreaSwitch = "/TRAY";

bool CanStartAtLogon();

// Whether the user's Run key holds the console's value.
bool StartsAtLogon();

// Writes the value (the running program, quoted, with the switch) or
// removes it. Throws Error.
void SetStartAtLogon(bool start);

}  // namespace cratemark
