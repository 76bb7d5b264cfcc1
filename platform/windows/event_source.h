// The registration of the event source in the Application log: where Event
// Viewer finds the message table for the source's entries, and which entry
// types the source writes. Written at install, removed at uninstall.
#pragma once

#include <string>
#include <string_view>

namespace cratemark {

// The registry key of an event source under HKEY_LOCAL_MACHINE.
std::wstring EventSourceKey(std::string_view source);

// Registers `source` with `message_file` (the program that holds the message
// table). Returns a Win32 error code, ERROR_SUCCESS when done.
unsigned long AddEventSource(std::string_view source, std::string_view message_file);

// Removes the registration; one that is not there counts as removed.
unsigned long RemoveEventSource(std::string_view source);

}  // namespace cratemark
