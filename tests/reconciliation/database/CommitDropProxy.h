// A loopback proxy in front of the test server that loses the reply to a commit: it passes
// everything through until a trigger says the client's next request is the commit, forwards
// that request to the server and then drops both connections, as a network failure would
// right after the request left. The wire is encrypted, so the trigger comes from the test.
// It also counts round trips (the client speaking again after the server answered) and can
// hold each one back, as a slower network would.
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>

namespace ortavo::test {

class TCommitDropProxy {
public:
    // commitNext is asked on every request the client sends; once it says true, that request
    // goes on to the server and the connections are dropped.
    // delay holds each round trip's first request back that long.
    explicit TCommitDropProxy(std::function<bool()> commitNext,
                              std::chrono::milliseconds delay = {});
    ~TCommitDropProxy();
    TCommitDropProxy(const TCommitDropProxy&) = delete;
    TCommitDropProxy& operator=(const TCommitDropProxy&) = delete;

    // The database name through the proxy for a path on the server.
    std::string Name(const std::string& path) const;
    // True once a request was forwarded and the connections dropped.
    bool Dropped() const { return FDropped; }
    // Round trips so far, over every connection.
    int RoundTrips() const { return FRoundTrips; }

private:
    void Serve();

    std::function<bool()> FCommitNext;
    std::chrono::milliseconds FDelay;
    std::atomic<int> FRoundTrips{0};
    int FListen = -1;
    int FPort = 0;
    std::atomic<bool> FStop{false};
    std::atomic<bool> FDropped{false};
    std::thread FThread;
};

} // namespace ortavo::test
