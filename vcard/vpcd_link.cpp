// TCP link to the vpcd driver.
#include "vpcd_link.h"

#include <arpa/inet.h>
#include <cerrno>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

namespace vcard {

bool VpcdLink::connect()
{
    close();
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *found = nullptr;
    if (getaddrinfo(host_.c_str(), std::to_string(port_).c_str(), &hints, &found) != 0)
        return false;
    for (addrinfo *a = found; a != nullptr && fd_ < 0; a = a->ai_next) {
        int fd = socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol);
        if (fd < 0)
            continue;
        if (::connect(fd, a->ai_addr, a->ai_addrlen) == 0)
            fd_ = fd;
        else
            ::close(fd);
    }
    freeaddrinfo(found);
    if (fd_ < 0)
        return false;
    // The driver waits for each answer: send it at once.
    int on = 1;
    setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    return true;
}

void VpcdLink::close()
{
    if (fd_ >= 0) {
        shutdown(fd_, SHUT_RDWR);
        ::close(fd_);
    }
    fd_ = -1;
}

bool VpcdLink::readExactly(uint8_t *out, size_t n)
{
    while (n > 0) {
        ssize_t got = recv(fd_, out, n, 0);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        out += got;
        n -= static_cast<size_t>(got);
        // The driver writes a message's length and its bytes separately;
        // with delayed acknowledgements each exchange would wait ~40 ms for
        // Nagle on the driver's side. Linux clears the flag again, so set
        // it after every read.
        int on = 1;
        setsockopt(fd_, IPPROTO_TCP, TCP_QUICKACK, &on, sizeof on);
    }
    return true;
}

bool VpcdLink::receive(Bytes &message)
{
    uint8_t head[2];
    if (!readExactly(head, 2))
        return false;
    message.resize(static_cast<size_t>(head[0] << 8 | head[1]));
    return message.empty() || readExactly(message.data(), message.size());
}

bool VpcdLink::send(const Bytes &message)
{
    Bytes framed;
    framed.reserve(message.size() + 2);
    framed.push_back(static_cast<uint8_t>(message.size() >> 8));
    framed.push_back(static_cast<uint8_t>(message.size()));
    framed.insert(framed.end(), message.begin(), message.end());
    size_t sent = 0;
    while (sent < framed.size()) {
        ssize_t n = ::send(fd_, framed.data() + sent, framed.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        sent += static_cast<size_t>(n);
    }
    return true;
}

} // namespace vcard
