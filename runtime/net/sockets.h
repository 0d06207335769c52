// Numbered sockets: IPv4 TCP and UDP sockets reached through slot numbers
// 0..1023 instead of system handles. Every socket is non-blocking once open.
//
// The layer must be started with SockInit (and stopped as often with
// SockShutdown); commands on a layer that is not started fail with -1 and
// last error kNetErrNotStarted.
//
// Last-error numbers: kNetErrWouldBlock and kNetErrConnReset stand for the
// system's would-block and connection-reset errors, kNetErrNoSlot means all
// 1024 slots were in use, kNetErrHostNotFound a name the resolver could not
// resolve; every other number is the platform's own errno value.
//
// IP numbers are 32-bit integers with the first octet of the dotted address
// in the most significant byte (127.0.0.1 is 0x7F000001).
#pragma once

#include <cstdint>

#include "runtime/core/rt_string.h"

// How many socket slots there are (0 to kSocketSlotCount - 1).
inline constexpr int kSocketSlotCount = 1024;

inline constexpr int kNetErrNoSlot = 8;            // Every slot is in use.
inline constexpr int kNetErrWouldBlock = 10035;    // Nothing to do without waiting.
inline constexpr int kNetErrConnReset = 10054;     // The peer reset the connection.
inline constexpr int kNetErrNotStarted = 10093;    // SockInit has not been called.
inline constexpr int kNetErrHostNotFound = 11001;  // The name did not resolve.

// 1 when the layer is started (or already was); counts the start.
int SockInit();
// Counts one stop; the last stop closes every open slot. Returns the last
// error. A stop without a matching start does nothing.
int SockShutdown();

// Listening TCP socket on all local addresses (port 0: one the system
// picks). Slot or -1.
int TcpListen(int port);
// Accepts one pending connection: its slot and the peer's IP number in ip, or
// -1 when none is pending (last error kNetErrWouldBlock) or on a UDP slot.
int TcpAccept(int listenSlot, int32_t& ip);
// Connects (blocking, with the system's time-out). Slot or -1.
int TcpConnect(const RtString& host, int port);
// UDP socket bound to the port unless it is 0, broadcast allowed. Slot or -1.
int UdpOpen(int port);

// Sends every byte: the count, 0 for an empty text, -1 on error. A UDP slot
// has no destination here and gives -1.
int SockSend(int slot, const RtString& text);
// As SockSend to ip:port for a UDP slot; a TCP slot ignores the destination.
int UdpSendTo(int slot, const RtString& text, int32_t ip, int port);
// Receives at most maximum bytes into text (its length stops at the first
// zero byte). Byte count; 0 when the peer closed or reset the connection; -2
// when nothing is waiting; -1 on any other error.
int SockReceive(int slot, RtString& text, int maximum);
// 1 when the slot was open and is now closed, else 0.
int SockClose(int slot);

// IP number of a host name or dotted address (empty: this machine), or -1.
int32_t HostToIp(const RtString& host);
// The dotted text of an IP number ("127.0.0.1").
RtString IpToText(int32_t ip);
// This machine's IPv4 addresses without loopback, joined by "|".
RtString GetLocalIps();
// "<number> <system text>" for the last error; empty when there is no text.
RtString NetErrorText();
