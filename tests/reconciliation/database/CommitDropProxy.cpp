// The proxy's single thread: accept, relay with poll, drop after the trigger.
#include "CommitDropProxy.h"

#include <arpa/inet.h>
#include <chrono>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace ortavo::test {

namespace {

constexpr int ServerPort = 3050;
// The proxy never outlives a test that forgot it, nor serves more than a run needs.
constexpr auto MostLifetime = std::chrono::seconds(120);
constexpr std::size_t MostConnections = 8;

sockaddr_in Loopback(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

struct TPair {
    int Client = -1;
    int Server = -1;
    // The server spoke last: the client's next bytes begin a round trip.
    bool ServerSpoke = true;
};

void Close(TPair& pair) {
    for (int* fd : {&pair.Client, &pair.Server})
        if (*fd >= 0) {
            ::close(*fd);
            *fd = -1;
        }
}

bool SendAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t sent = ::send(fd, data, size, MSG_NOSIGNAL);
        if (sent <= 0)
            return false;
        data += sent;
        size -= static_cast<std::size_t>(sent);
    }
    return true;
}

} // namespace

TCommitDropProxy::TCommitDropProxy(std::function<bool()> commitNext,
                                   std::chrono::milliseconds delay)
    : FCommitNext(std::move(commitNext)), FDelay(delay) {
    FListen = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = Loopback(0);
    socklen_t length = sizeof address;
    if (FListen < 0 ||
        ::bind(FListen, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(FListen, 4) != 0 ||
        ::getsockname(FListen, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        throw std::runtime_error("the proxy cannot listen on loopback");
    FPort = ntohs(address.sin_port);
    FThread = std::thread([this] { Serve(); });
}

TCommitDropProxy::~TCommitDropProxy() {
    FStop = true;
    FThread.join();
    ::close(FListen);
}

std::string TCommitDropProxy::Name(const std::string& path) const {
    return "127.0.0.1/" + std::to_string(FPort) + ":" + path;
}

void TCommitDropProxy::Serve() {
    const auto end = std::chrono::steady_clock::now() + MostLifetime;
    std::vector<TPair> pairs;
    std::size_t accepted = 0;
    char buffer[65536];
    while (!FStop && std::chrono::steady_clock::now() < end) {
        std::vector<pollfd> polled{{FListen, POLLIN, 0}};
        for (const TPair& pair : pairs) {
            polled.push_back({pair.Client, POLLIN, 0});
            polled.push_back({pair.Server, POLLIN, 0});
        }
        if (::poll(polled.data(), polled.size(), 50) <= 0)
            continue;
        if ((polled[0].revents & POLLIN) && accepted < MostConnections) {
            ++accepted;
            TPair pair{::accept4(FListen, nullptr, nullptr, SOCK_CLOEXEC),
                       ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0), true};
            sockaddr_in server = Loopback(ServerPort);
            if (pair.Client >= 0 && pair.Server >= 0 &&
                ::connect(pair.Server, reinterpret_cast<sockaddr*>(&server), sizeof server) == 0)
                pairs.push_back(pair);
            else
                Close(pair);
        }
        const std::size_t polledPairs = (polled.size() - 1) / 2;
        for (std::size_t i = 0; i < polledPairs; ++i) {
            TPair& pair = pairs[i];
            for (int side = 0; side < 2 && pair.Client >= 0; ++side) {
                const pollfd& state = polled[1 + 2 * i + static_cast<std::size_t>(side)];
                if (!(state.revents & (POLLIN | POLLHUP | POLLERR)))
                    continue;
                const bool fromClient = side == 0;
                const ssize_t n = ::recv(state.fd, buffer, sizeof buffer, 0);
                // Asked before forwarding: a request that left the client after the trigger
                // became true is the one to lose the reply of.
                const bool drop = n > 0 && fromClient && !FDropped && FCommitNext();
                if (n > 0 && fromClient == pair.ServerSpoke) {
                    pair.ServerSpoke = !fromClient;
                    if (fromClient) {
                        ++FRoundTrips;
                        std::this_thread::sleep_for(FDelay);
                    }
                }
                if (n <= 0 || !SendAll(fromClient ? pair.Server : pair.Client, buffer,
                                       static_cast<std::size_t>(n))) {
                    Close(pair);
                    break;
                }
                if (drop) {
                    // The server's answer shows it has read and carried out the request;
                    // the answer is not passed on.
                    pollfd answer{pair.Server, POLLIN, 0};
                    ::poll(&answer, 1, 5000);
                    // Said before the close: the client sees the close at once and the test
                    // may ask right then.
                    FDropped = true;
                    Close(pair);
                }
            }
        }
        std::erase_if(pairs, [](const TPair& pair) { return pair.Client < 0; });
    }
    for (TPair& pair : pairs)
        Close(pair);
}

} // namespace ortavo::test
