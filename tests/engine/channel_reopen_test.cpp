// Replacing the capture handle while another thread is inside a receive on the old one.

#include <atomic>
#include <condition_variable>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>

#include "engine/frame_backend.h"
#include "engine/frame_channel.h"

namespace {

struct Gate {
    std::mutex mutex;
    std::condition_variable changed;
    bool inside = false;
    bool released = false;
    std::atomic<int> destroyed{0};
};

// A handle whose read blocks until the test releases it; counts its destruction.
class GatedHandle final : public ICaptureHandle {
public:
    explicit GatedHandle(Gate& gate) : gate_(gate) {}
    ~GatedHandle() override { ++gate_.destroyed; }
    int SetFilter(const std::string&) override { return 0; }
    int Send(const uint8_t*, size_t) override { return 0; }
    int Next(const uint8_t** data, size_t* length) override {
        std::unique_lock lock(gate_.mutex);
        gate_.inside = true;
        gate_.changed.notify_all();
        gate_.changed.wait(lock, [&] { return gate_.released; });
        *data = frame_;
        *length = sizeof frame_;
        return 1;
    }

private:
    Gate& gate_;
    uint8_t frame_[60] = {};
};

class GatedBackend final : public IFrameBackend {
public:
    explicit GatedBackend(Gate& gate) : gate_(gate) {}
    bool FindAllDevices(std::vector<CaptureDevice>& devices, std::string&) override {
        devices = {{"eth0", true, false}};
        return true;
    }
    bool ListAdapters(std::vector<OsAdapter>& adapters) override {
        adapters.assign(1, OsAdapter{"eth0", {2, 0, 0, 0, 0, 1}, true, true, false});
        return true;
    }
    std::shared_ptr<ICaptureHandle> Open(const std::string&, int, bool, int) override {
        return std::make_shared<GatedHandle>(gate_);
    }

private:
    Gate& gate_;
};

TEST(ChannelReopen, OldHandleLivesUntilTheReceiveOnItEnds) {
    Gate gate;
    GatedBackend backend(gate);
    SetFrameBackend(&backend);
    ASSERT_EQ(OpenInterface("eth0", kSnapLength, kReadTimeoutMs), 0);

    int received = 0;
    std::thread worker([&] {
        uint8_t buffer[kMaxFrameLength];
        received = ReceiveFrame(buffer, kMaxFrameLength);
    });
    {
        std::unique_lock lock(gate.mutex);
        gate.changed.wait(lock, [&] { return gate.inside; });
    }
    // The window thread reopens while the worker still reads from the old handle.
    ASSERT_EQ(OpenInterface("eth0", kSnapLength, kReadTimeoutMs), 0);
    EXPECT_EQ(gate.destroyed, 0);
    {
        std::lock_guard lock(gate.mutex);
        gate.released = true;
    }
    gate.changed.notify_all();
    worker.join();
    EXPECT_EQ(received, 60);
    EXPECT_EQ(gate.destroyed, 1); // the old one, once the receive let go of it
    CloseInterface();
    EXPECT_EQ(gate.destroyed, 2);
    SetFrameBackend(nullptr);
}

} // namespace
