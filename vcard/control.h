// The control socket: a Unix stream socket taking one command per line and
// answering one line ("ok", a state, or "error: ...").
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace vcard {

class ControlServer {
public:
    using Handler = std::function<std::string(const std::string &command)>;

    ControlServer() = default;
    ControlServer(const ControlServer &) = delete;
    ControlServer &operator=(const ControlServer &) = delete;
    ~ControlServer();

    bool listen(const std::string &path, std::string &error);
    // The descriptors to poll for reading.
    std::vector<int> descriptors() const;
    // Handles a readable descriptor returned by descriptors().
    void onReadable(int fd, const Handler &handler);

private:
    struct Client {
        int fd;
        std::string pending;
    };
    std::string path_;
    int listenFd_ = -1;
    std::vector<Client> clients_;
};

} // namespace vcard
