#pragma once
// Hidden notification windows: the way the dispatcher's worker threads
// reach the user-interface thread. A window is a handle with a window
// procedure; messages sent to it run the procedure on the UI thread through
// the UI call queue. Messages to a window that has been destroyed are
// dropped, as the platform does.

#include <functional>

#include "platform/core/Types.h"

using TSioWindow = Integer;  // 0: none

// Window messages of the serial port.
constexpr Cardinal kSioMsgAvail = 0x7E01;        // data available: first parameter the count
constexpr Cardinal kSioMsgData = 0x7E02;         // data trigger
constexpr Cardinal kSioMsgTimer = 0x7E03;        // timer trigger
constexpr Cardinal kSioMsgStatus = 0x7E04;       // status trigger
constexpr Cardinal kSioMsgPortOpened = 0x7E08;
constexpr Cardinal kSioMsgPortClosed = 0x7E09;
constexpr Cardinal kSioMsgPortClosing = 0x7E0A;  // also completes a deferred close

using TSioWindowProc = std::function<Integer(TSioWindow window, Cardinal message, Cardinal param, Integer second)>;

TSioWindow SioCreateWindow(TSioWindowProc proc);
void SioDestroyWindow(TSioWindow window);
bool SioIsWindow(TSioWindow window);

// Queues the message for the window's thread (the UI thread).
void SioPostMessage(TSioWindow window, Cardinal message, Cardinal param, Integer second);
// Runs the window procedure on the UI thread and waits for it, at most
// timeoutMs; on the UI thread it runs at once. False when the window is
// gone or the time ran out (the message is then withdrawn and never runs).
bool SioSendMessageTimeout(TSioWindow window, Cardinal message, Cardinal param, Integer second,
                           Cardinal timeoutMs);
