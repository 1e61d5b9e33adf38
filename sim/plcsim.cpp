// plcsim: serves a simulated powerline network on a real interface through libpcap until SIGINT or SIGTERM.
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <deque>
#include <fstream>
#include <memory>
#include <pcap/pcap.h>
#include <poll.h>
#include <string>

#include "platform/clock.h"
#include "sim/network.h"
#include "sim/scenario.h"

namespace {

volatile std::sig_atomic_t stopRequested = 0;

void OnSignal(int) {
    stopRequested = 1;
}

constexpr int kIdleWaitMs = 200; // longest wait for a frame while no answer is due

// The capture handle: immediate delivery, non-blocking reads, and our own poll() for the waits, because a
// blocking read does not return at its time-out on every kernel while nothing arrives.
struct PcapDeleter {
    void operator()(pcap_t* handle) const { pcap_close(handle); }
};
using PcapHandle = std::unique_ptr<pcap_t, PcapDeleter>;

PcapHandle OpenCapture(const std::string& name, std::string& error) {
    char errorText[PCAP_ERRBUF_SIZE] = {};
    PcapHandle handle(pcap_create(name.c_str(), errorText));
    if (!handle) {
        error = errorText;
        return nullptr;
    }
    pcap_t* h = handle.get();
    if (pcap_set_snaplen(h, 5000) != 0 || pcap_set_promisc(h, 1) != 0 || pcap_set_timeout(h, 100) != 0 ||
        pcap_set_immediate_mode(h, 1) != 0 || pcap_activate(h) < 0) {
        error = pcap_geterr(h);
        return nullptr;
    }
    bpf_program program{};
    if (pcap_compile(h, &program, "ether proto 0x8912", 1, PCAP_NETMASK_UNKNOWN) != 0 ||
        pcap_setfilter(h, &program) != 0) {
        error = pcap_geterr(h);
        pcap_freecode(&program);
        return nullptr;
    }
    pcap_freecode(&program);
    pcap_setdirection(h, PCAP_D_IN);
    if (pcap_setnonblock(h, 1, errorText) != 0 || pcap_get_selectable_fd(h) < 0) {
        error = "no selectable descriptor";
        return nullptr;
    }
    return handle;
}

void Usage(FILE* out) {
    std::fprintf(out, "usage: plcsim --iface IF --scenario FILE [--log FILE]\n"
                      "Answers HomePlug AV management frames on IF as the scenario's adapters would, until\n"
                      "SIGINT or SIGTERM. --log writes every received request as one JSON line.\n");
}

struct Pending {
    uint64_t dueMs;
    std::vector<uint8_t> frame;
};

} // namespace

int main(int argc, char** argv) {
    std::string interfaceName, scenarioPath, logPath;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "plcsim: %s needs a value\n", arg.c_str());
                return false;
            }
            out = argv[++i];
            return true;
        };
        if (arg == "--help" || arg == "-h") {
            Usage(stdout);
            return 0;
        }
        bool ok = false;
        if (arg == "--iface") {
            ok = value(interfaceName);
        } else if (arg == "--scenario") {
            ok = value(scenarioPath);
        } else if (arg == "--log") {
            ok = value(logPath);
        } else {
            std::fprintf(stderr, "plcsim: unknown option %s\n", arg.c_str());
        }
        if (!ok) {
            Usage(stderr);
            return 2;
        }
    }
    if (interfaceName.empty() || scenarioPath.empty()) {
        Usage(stderr);
        return 2;
    }

    std::string error;
    const std::optional<sim::NetworkConfig> config = sim::LoadScenario(scenarioPath, error);
    if (!config) {
        std::fprintf(stderr, "plcsim: %s\n", error.c_str());
        return 1;
    }
    std::unique_ptr<sim::SimNetwork> network =
        sim::SimNetwork::Create(*config, error, static_cast<uint32_t>(Clock().NowSeconds()));
    if (!network) {
        std::fprintf(stderr, "plcsim: %s: %s\n", scenarioPath.c_str(), error.c_str());
        return 1;
    }
    std::ofstream log;
    if (!logPath.empty()) {
        log.open(logPath, std::ios::trunc);
        if (!log) {
            std::fprintf(stderr, "plcsim: cannot write %s: %s\n", logPath.c_str(), std::strerror(errno));
            return 1;
        }
    }
    PcapHandle handle = OpenCapture(interfaceName, error);
    if (!handle) {
        std::fprintf(stderr, "plcsim: cannot capture on %s: %s (needs CAP_NET_RAW and CAP_NET_ADMIN)\n",
                     interfaceName.c_str(), error.c_str());
        return 1;
    }
    const int descriptor = pcap_get_selectable_fd(handle.get());

    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);

    std::printf("plcsim: serving %zu adapters on %s\n", network->RemoteCount() + 1, interfaceName.c_str());
    // The passwords printed on the remotes' labels, for whoever is asked for one.
    for (const sim::AdapterConfig& remote : config->remotes) {
        if (const std::optional<sim::AdapterState> state = network->Adapter(remote.mac)) {
            std::printf("plcsim: %s device password %s\n", FormatMac(remote.mac).c_str(), state->password.c_str());
        }
    }
    std::fflush(stdout);

    std::deque<Pending> pending; // ordered by due time
    size_t logged = 0, sent = 0, sendFailures = 0;
    bool failed = false;
    while (!stopRequested && !failed) {
        int waitMs = kIdleWaitMs;
        if (!pending.empty()) {
            const uint64_t now = TickMs();
            waitMs = pending.front().dueMs <= now
                         ? 0
                         : static_cast<int>(std::min<uint64_t>(pending.front().dueMs - now, kIdleWaitMs));
        }
        pollfd descriptorWait{descriptor, POLLIN, 0};
        poll(&descriptorWait, 1, waitMs); // EINTR on a signal ends the wait early, as wanted
        for (;;) {
            pcap_pkthdr* header = nullptr;
            const u_char* data = nullptr;
            const int result = pcap_next_ex(handle.get(), &header, &data);
            if (result == 0) {
                break;
            }
            if (result < 0) {
                std::fprintf(stderr, "plcsim: capture on %s failed: %s\n", interfaceName.c_str(),
                             pcap_geterr(handle.get()));
                failed = true;
                break;
            }
            const uint64_t now = TickMs();
            for (sim::Outgoing& answer : network->Handle({data, header->caplen}, now)) {
                Pending entry{now + answer.delayMs, std::move(answer.frame)};
                auto at = pending.begin();
                while (at != pending.end() && at->dueMs <= entry.dueMs) {
                    ++at;
                }
                pending.insert(at, std::move(entry));
            }
        }
        while (!pending.empty() && pending.front().dueMs <= TickMs()) {
            const std::vector<uint8_t>& frame = pending.front().frame;
            if (pcap_sendpacket(handle.get(), frame.data(), static_cast<int>(frame.size())) == 0) {
                ++sent;
            } else {
                ++sendFailures;
            }
            pending.pop_front();
        }
        if (log.is_open()) {
            const std::vector<sim::RequestRecord> fresh = network->RequestsFrom(logged);
            for (const sim::RequestRecord& entry : fresh) {
                log << sim::RecordJson(entry) << '\n';
            }
            logged += fresh.size();
            if (!fresh.empty()) {
                log.flush();
            }
        }
    }
    const std::vector<sim::RequestRecord> record = network->Requests();
    const size_t errors = network->Errors().size();
    std::printf("plcsim: %zu requests, %zu answers sent, %zu send failures, %zu protocol errors\n", record.size(), sent,
                sendFailures, errors);
    return failed ? 1 : 0;
}
