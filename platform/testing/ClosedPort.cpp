#include "testing/ClosedPort.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace testkit {

ClosedPort::ClosedPort()
{
    m_socket = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_socket < 0)
        return;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (bind(m_socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        getsockname(m_socket, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        close(m_socket);
        m_socket = -1;
        return;
    }
    m_port = ntohs(address.sin_port);
}

ClosedPort::~ClosedPort()
{
    if (m_socket >= 0)
        close(m_socket);
}

} // namespace testkit
