#pragma once

namespace platform {

// The atoms the X11 desktop uses, interned once when it connects so that no request
// waits for the server later; indexes into its table, whose names X11Desktop.cpp holds.
enum AtomIndex
{
    kNetActiveWindow,
    kNetWmState,
    kNetWmStateMaximizedVert,
    kNetWmStateMaximizedHorz,
    kNetCloseWindow,
    kWmChangeState,
    kWmState,
    kNetStartupInfoBegin,
    kNetStartupInfo,
    kNetStartupId,
    kNetWmPid,
    kNetClientList,
    kUtf8String,
    kAtomTotal
};

// _NET_WM_STATE actions and the source of a request made for the user by a tool.
constexpr long kStateRemove = 0;
constexpr long kStateAdd = 1;
constexpr long kSourceTool = 2;

} // namespace platform
