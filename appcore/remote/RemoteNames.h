// The remote-control interface on the session bus: other programs and orvanta3ctl navigate the
// screens and load custom characters of the running program (the desktop program or the
// daemon, whichever owns the name).
//
//   Navigate(int32 wparam, int32 lparam)   1 next, -1 previous, 0 screen lparam (0-based)
//   Charset(int32 request, string text)    custom character request 0..5, text for 4 and 5
//   Frame() -> (array of byte arrays rows, array of byte arrays custom)
//                                          the rows shown now and the custom characters'
//                                          dot rows (RemoteStatus.h)
//   Status() -> string                     job, screen, driver and modules, as text lines
//   Reload()                               reads the settings and the job again (as SIGHUP
//                                          does the daemon); an error says why it failed
#pragma once

namespace orv {

inline constexpr const char* kRemoteService = "org.orvanta3.Orvanta3";
inline constexpr const char* kRemoteObject = "/";
inline constexpr const char* kRemoteInterface = "org.orvanta3.Orvanta3";
inline constexpr const char* kRemoteNavigate = "Navigate";
inline constexpr const char* kRemoteCharset = "Charset";
inline constexpr const char* kRemoteFrame = "Frame";
inline constexpr const char* kRemoteStatus = "Status";
inline constexpr const char* kRemoteReload = "Reload";
// The error a failed Reload answers with; its message says why.
// "system" in this environment variable puts the daemon's interface on the system bus (the
// system service); orvanta3ctl asks the session bus first, then the system bus.
inline constexpr const char* kRemoteBusVariable = "ORVANTA3_BUS";
inline constexpr const char* kRemoteReloadFailed = "org.orvanta3.Orvanta3.ReloadFailed";

} // namespace orv
