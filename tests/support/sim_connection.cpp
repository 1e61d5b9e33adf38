#include "tests/support/sim_connection.h"

#include <gtest/gtest.h>

#include "platform/clock.h"

SimConnection::SimConnection(MemoryFrameBackend& backend, sim::SimNetwork& network, std::string interfaceName)
    : backend_(backend) {
    backend_.SetPeer([this, &network, interfaceName](const std::string& name, const std::vector<uint8_t>& frame) {
        if (name != interfaceName) {
            return;
        }
        for (sim::Outgoing& answer : network.Handle(frame, TickMs())) {
            backend_.Deliver(interfaceName, std::move(answer.frame), answer.delayMs);
        }
    });
}

SimConnection::~SimConnection() {
    backend_.SetPeer(nullptr);
}

std::unique_ptr<sim::SimNetwork> MakeNetwork(const sim::NetworkConfig& config) {
    std::string error;
    std::unique_ptr<sim::SimNetwork> network = sim::SimNetwork::Create(config, error);
    EXPECT_TRUE(network) << error;
    return network;
}
