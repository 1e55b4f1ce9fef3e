// Servers of the client's tests that misbehave on purpose, on 127.0.0.1 in the
// test process (over the loopback server of the utility tests): one that
// accepts and never answers, one that trickles a byte at a time, and two that
// answer hundreds of megabytes (announced, or with no length at all).
#pragma once

#include <string>

#include "LoopbackServer.h"

namespace slowserver {

enum Kind
{
    STALL,         // reads the request, then waits until the server stops
    TRICKLE,       // a 200 with a 1000-byte body, one byte every 300 ms
    HUGE_LENGTH,   // a 200 announcing 300 MB, then streaming it
    HUGE_STREAM    // a 200 without a length, streaming until the peer leaves
};

inline void Answer(const loopback::Connection& c, void* user)
{
    const Kind kind = static_cast<Kind>(reinterpret_cast<INT_PTR>(user));
    switch (kind) {
    case STALL:
        c.Pause(INFINITE);
        return;
    case TRICKLE:
        if (!c.Send("HTTP/1.1 200 OK\r\nContent-Length: 1000\r\nConnection: close\r\n\r\n"))
            return;
        for (int i = 0; i < 1000 && c.Send("[", 1); ++i)
            if (!c.Pause(300))
                return;
        return;
    case HUGE_LENGTH:
    case HUGE_STREAM: {
        const std::string head = kind == HUGE_LENGTH
                                     ? "HTTP/1.1 200 OK\r\nContent-Length: 314572800\r\nConnection: close\r\n\r\n"
                                     : "HTTP/1.0 200 OK\r\nConnection: close\r\n\r\n";
        if (!c.Send(head))
            return;
        const std::string block(65536, 'x');
        for (int i = 0; i < 4800 && c.Send(block); ++i) {
        }
        return;
    }
    }
}

// One misbehaving server for the life of the object.
class Server : public loopback::Server
{
public:
    explicit Server(Kind kind) : loopback::Server(&Answer, reinterpret_cast<void*>(static_cast<INT_PTR>(kind))) {}
};

inline const char* Name(Kind kind)
{
    switch (kind) {
    case STALL: return "stall";
    case TRICKLE: return "trickle";
    case HUGE_LENGTH: return "huge with length";
    case HUGE_STREAM: return "huge without length";
    }
    return "?";
}

} // namespace slowserver
