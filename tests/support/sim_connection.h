#pragma once

#include <memory>
#include <string>

#include "sim/network.h"
#include "tests/support/memory_backend.h"

// Joins a simulated network to an interface of the in-memory frame backend: every frame the program sends
// on that interface reaches the network at the current (virtual) time, and each answer is queued on the
// interface at its delay. Frames sent on other interfaces reach nobody.
class SimConnection {
public:
    SimConnection(MemoryFrameBackend& backend, sim::SimNetwork& network, std::string interfaceName = "eth0");
    ~SimConnection();
    SimConnection(const SimConnection&) = delete;
    SimConnection& operator=(const SimConnection&) = delete;

private:
    MemoryFrameBackend& backend_;
};

// A network made from a configuration that must be valid (fails the calling test otherwise).
std::unique_ptr<sim::SimNetwork> MakeNetwork(const sim::NetworkConfig& config);
