// The remote-control interface on the session bus: other programs and orvanta3ctl navigate the
// screens and load custom characters of the running program (the desktop program or the
// daemon, whichever owns the name).
//
//   Navigate(int32 wparam, int32 lparam)   1 next, -1 previous, 0 screen lparam (0-based)
//   Charset(int32 request, string text)    custom character request 0..5, text for 4 and 5
#pragma once

namespace orv {

inline constexpr const char* kRemoteService = "org.orvanta3.Orvanta3";
inline constexpr const char* kRemoteObject = "/";
inline constexpr const char* kRemoteInterface = "org.orvanta3.Orvanta3";
inline constexpr const char* kRemoteNavigate = "Navigate";
inline constexpr const char* kRemoteCharset = "Charset";

} // namespace orv
