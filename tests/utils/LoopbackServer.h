// A small HTTP server on 127.0.0.1 inside the test process, for answers the
// script-driven server cannot give: a server that never answers, one that
// trickles, one that streams gigabytes generated on the fly. Each connection
// runs on its own thread and gets the request head and the socket.
#pragma once

#include <winsock2.h>
#include <windows.h>
#include <process.h>

#include <string>
#include <vector>

namespace loopback {

class Server;

// One accepted connection, handed to the server's answer function.
struct Connection
{
    Server* server;
    SOCKET socket;
    std::string request;   // the request line and headers, up to the blank line

    bool Stopping() const;
    // Sends all bytes; false when the peer went away or the server stops.
    bool Send(const char* data, size_t size) const
    {
        while (size)
        {
            if (Stopping())
                return false;
            const int step = size > 65536 ? 65536 : (int)size;
            const int sent = send(socket, data, step, 0);
            if (sent <= 0)
                return false;
            data += sent;
            size -= (size_t)sent;
        }
        return true;
    }
    bool Send(const std::string& text) const { return Send(text.data(), text.size()); }
    // Waits up to ms, returning early (false) when the server stops.
    bool Pause(DWORD ms) const;
    // The value of a request header ("Range"), empty when absent.
    std::string Header(const char* name) const
    {
        const std::string key = std::string("\r\n") + name + ":";
        size_t pos = 0;
        for (;;)
        {
            pos = request.find("\r\n", pos);
            if (pos == std::string::npos)
                return std::string();
            if (_strnicmp(request.c_str() + pos, key.c_str(), key.size()) == 0)
            {
                size_t b = pos + key.size();
                while (b < request.size() && request[b] == ' ')
                    ++b;
                size_t e = request.find("\r\n", b);
                return request.substr(b, e == std::string::npos ? std::string::npos : e - b);
            }
            pos += 2;
        }
    }
};

typedef void (*AnswerFunc)(const Connection& c, void* user);

class Server
{
public:
    Server(AnswerFunc answer, void* user) : m_answer(answer), m_user(user), m_listen(INVALID_SOCKET), m_port(0)
    {
        m_stop = CreateEventW(NULL, TRUE, FALSE, NULL);
        InitializeCriticalSection(&m_lock);
        WSADATA wsa;
        WSAStartup(MAKEWORD(2, 2), &wsa);
        m_listen = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in addr = {};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (bind(m_listen, (sockaddr*)&addr, sizeof(addr)) != 0 || listen(m_listen, 16) != 0)
            return;
        int len = sizeof(addr);
        getsockname(m_listen, (sockaddr*)&addr, &len);
        m_port = ntohs(addr.sin_port);
        m_acceptThread = (HANDLE)_beginthreadex(NULL, 0, AcceptProc, this, 0, NULL);
    }

    ~Server()
    {
        Stop();
        CloseHandle(m_stop);
        DeleteCriticalSection(&m_lock);
    }

    void Stop()
    {
        SetEvent(m_stop);
        if (m_listen != INVALID_SOCKET)
        {
            closesocket(m_listen);
            m_listen = INVALID_SOCKET;
        }
        if (m_acceptThread)
        {
            WaitForSingleObject(m_acceptThread, INFINITE);
            CloseHandle(m_acceptThread);
            m_acceptThread = NULL;
        }
        EnterCriticalSection(&m_lock);
        std::vector<HANDLE> threads;
        threads.swap(m_threads);
        for (size_t i = 0; i < m_sockets.size(); ++i)
            shutdown(m_sockets[i], SD_BOTH);
        LeaveCriticalSection(&m_lock);
        for (size_t i = 0; i < threads.size(); ++i)
        {
            WaitForSingleObject(threads[i], INFINITE);
            CloseHandle(threads[i]);
        }
    }

    int Port() const { return m_port; }
    std::wstring Url(const std::wstring& path) const
    {
        return L"127.0.0.1:" + std::to_wstring(m_port) + path;
    }
    LONG Connections() const { return m_connections; }
    bool Stopping() const { return WaitForSingleObject(m_stop, 0) == WAIT_OBJECT_0; }
    HANDLE StopEvent() const { return m_stop; }

private:
    struct Job
    {
        Server* server;
        SOCKET socket;
    };

    static unsigned __stdcall AcceptProc(void* param)
    {
        Server* self = static_cast<Server*>(param);
        for (;;)
        {
            SOCKET s = accept(self->m_listen, NULL, NULL);
            if (s == INVALID_SOCKET)
                return 0;
            if (self->Stopping())
            {
                closesocket(s);
                return 0;
            }
            InterlockedIncrement(&self->m_connections);
            Job* job = new Job;
            job->server = self;
            job->socket = s;
            EnterCriticalSection(&self->m_lock);
            self->m_sockets.push_back(s);
            HANDLE t = (HANDLE)_beginthreadex(NULL, 0, ConnectionProc, job, 0, NULL);
            if (t)
                self->m_threads.push_back(t);
            LeaveCriticalSection(&self->m_lock);
        }
    }

    static unsigned __stdcall ConnectionProc(void* param)
    {
        Job* job = static_cast<Job*>(param);
        Connection c;
        c.server = job->server;
        c.socket = job->socket;
        delete job;
        char buf[4096];
        while (c.request.find("\r\n\r\n") == std::string::npos && c.request.size() < 65536)
        {
            const int got = recv(c.socket, buf, sizeof(buf), 0);
            if (got <= 0)
                break;
            c.request.append(buf, got);
        }
        const size_t end = c.request.find("\r\n\r\n");
        if (end != std::string::npos)
        {
            c.request.resize(end + 2);
            c.server->m_answer(c, c.server->m_user);
        }
        shutdown(c.socket, SD_SEND);
        EnterCriticalSection(&c.server->m_lock);
        for (size_t i = 0; i < c.server->m_sockets.size(); ++i)
            if (c.server->m_sockets[i] == c.socket)
            {
                c.server->m_sockets.erase(c.server->m_sockets.begin() + i);
                break;
            }
        closesocket(c.socket);
        LeaveCriticalSection(&c.server->m_lock);
        return 0;
    }

    AnswerFunc m_answer;
    void* m_user;
    SOCKET m_listen;
    int m_port;
    HANDLE m_stop;
    HANDLE m_acceptThread = NULL;
    volatile LONG m_connections = 0;
    CRITICAL_SECTION m_lock;
    std::vector<HANDLE> m_threads;
    std::vector<SOCKET> m_sockets;
};

inline bool Connection::Stopping() const { return server->Stopping(); }
inline bool Connection::Pause(DWORD ms) const { return WaitForSingleObject(server->StopEvent(), ms) == WAIT_TIMEOUT; }

} // namespace loopback
