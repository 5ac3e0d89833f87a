// The control socket of the virtual card.
#include "control.h"

#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace vcard {

ControlServer::~ControlServer()
{
    for (const Client &c : clients_)
        close(c.fd);
    if (listenFd_ >= 0) {
        close(listenFd_);
        unlink(path_.c_str());
    }
}

bool ControlServer::listen(const std::string &path, std::string &error)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) {
        error = "control socket path too long: " + path;
        return false;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    unlink(path.c_str());
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 || ::listen(fd, 8) != 0) {
        error = "cannot listen on " + path + ": " + std::strerror(errno);
        if (fd >= 0)
            close(fd);
        return false;
    }
    listenFd_ = fd;
    path_ = path;
    return true;
}

std::vector<int> ControlServer::descriptors() const
{
    std::vector<int> fds;
    if (listenFd_ >= 0)
        fds.push_back(listenFd_);
    for (const Client &c : clients_)
        fds.push_back(c.fd);
    return fds;
}

void ControlServer::onReadable(int fd, const Handler &handler)
{
    if (fd == listenFd_) {
        int client = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (client >= 0)
            clients_.push_back(Client{client, {}});
        return;
    }
    for (size_t i = 0; i < clients_.size(); ++i) {
        Client &c = clients_[i];
        if (c.fd != fd)
            continue;
        char buffer[512];
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n <= 0) {
            close(fd);
            clients_.erase(clients_.begin() + static_cast<long>(i));
            return;
        }
        c.pending.append(buffer, static_cast<size_t>(n));
        size_t end;
        while ((end = c.pending.find('\n')) != std::string::npos) {
            std::string line = c.pending.substr(0, end);
            c.pending.erase(0, end + 1);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            std::string reply = handler(line) + "\n";
            // Replies are short; a client that stops reading loses them.
            if (write(fd, reply.data(), reply.size()) < 0)
                break;
        }
        return;
    }
}

} // namespace vcard
