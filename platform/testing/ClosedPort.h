#pragma once

namespace testkit {

// A port on 127.0.0.1 where a connection is refused: a socket is bound to it but never listens, and it
// stays bound for the holder's life so that no other server can take the port meanwhile.
class ClosedPort
{
public:
    ClosedPort();
    ~ClosedPort();
    ClosedPort(const ClosedPort&) = delete;
    ClosedPort& operator=(const ClosedPort&) = delete;

    // 0 when no port could be bound.
    int port() const { return m_port; }

private:
    int m_socket = -1;
    int m_port = 0;
};

} // namespace testkit
