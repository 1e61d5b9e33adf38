#pragma once

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sched.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

// Runs the calling thread in a named network namespace for a scope.
class NamespaceScope {
public:
    explicit NamespaceScope(const std::string& name) {
        home_ = open("/proc/self/ns/net", O_RDONLY | O_CLOEXEC);
        const int target = open(("/var/run/netns/" + name).c_str(), O_RDONLY | O_CLOEXEC);
        entered_ = home_ >= 0 && target >= 0 && setns(target, CLONE_NEWNET) == 0;
        if (target >= 0) {
            close(target);
        }
    }
    ~NamespaceScope() {
        if (entered_) {
            setns(home_, CLONE_NEWNET);
        }
        if (home_ >= 0) {
            close(home_);
        }
    }
    NamespaceScope(const NamespaceScope&) = delete;
    NamespaceScope& operator=(const NamespaceScope&) = delete;
    bool Entered() const { return entered_; }

private:
    int home_ = -1;
    bool entered_ = false;
};

// A test bed per test: two network namespaces joined by a veth pair (the PC side and the powerline side),
// plcsim serving a scenario on the powerline side, and programs run on the PC side, where the veth is the
// only Ethernet interface. Removed in the destructor, also when the test fails.
class E2eTestbed {
public:
    E2eTestbed() {
        const std::string id = std::to_string(getpid() % 100000) + std::to_string(counter_++);
        pcNs_ = "pemra-e2e-pc-" + id;
        plcNs_ = "pemra-e2e-plc-" + id;
        pcIf_ = "epc" + id;
        plcIf_ = "eplc" + id;
        dir_ = ::testing::TempDir() + "pemra-e2e-" + id;
        std::filesystem::create_directories(dir_);
        up_ = Testbed("up " + pcNs_ + " " + plcNs_ + " " + pcIf_ + " " + plcIf_) == 0;
    }
    ~E2eTestbed() {
        StopSimulator();
        if (up_) {
            Testbed("down " + pcNs_ + " " + plcNs_);
        }
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
    E2eTestbed(const E2eTestbed&) = delete;
    E2eTestbed& operator=(const E2eTestbed&) = delete;

    bool Up() const { return up_; }
    const std::string& Dir() const { return dir_; }
    const std::string& PcNamespace() const { return pcNs_; }
    const std::string& PcInterface() const { return pcIf_; }

    std::string WriteFile(const std::string& name, const std::string& text) const {
        const std::string path = dir_ + "/" + name;
        std::ofstream(path) << text;
        return path;
    }

    static std::string ReadFile(const std::string& path) {
        std::ifstream file(path);
        std::ostringstream text;
        text << file.rdbuf();
        return text.str();
    }

    // Starts plcsim on the powerline side with a scenario file and waits until it serves.
    bool StartSimulator(const std::string& scenario) {
        const std::string out = dir_ + "/plcsim.out";
        simulator_ = fork();
        if (simulator_ == 0) {
            const int fd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            dup2(fd, STDOUT_FILENO);
            execlp("ip", "ip", "netns", "exec", plcNs_.c_str(), PLCSIM_PATH, "--iface", plcIf_.c_str(), "--scenario",
                   scenario.c_str(), "--log", LogPath().c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (ReadFile(out).find("plcsim: serving") == std::string::npos) {
            int status = 0;
            if (simulator_ < 0 || waitpid(simulator_, &status, WNOHANG) != 0 ||
                std::chrono::steady_clock::now() > deadline) {
                simulator_ = -1;
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return true;
    }

    // SIGTERM, then what plcsim printed (its summary line last); empty when it was not started.
    std::string StopSimulator() {
        if (simulator_ <= 0) {
            return {};
        }
        kill(simulator_, SIGTERM);
        int status = 0;
        for (int i = 0; i < 250 && waitpid(simulator_, &status, WNOHANG) == 0; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        if (waitpid(simulator_, &status, WNOHANG) == 0) {
            kill(simulator_, SIGKILL);
            waitpid(simulator_, &status, 0);
        }
        simulator_ = -1;
        return ReadFile(dir_ + "/plcsim.out");
    }

    std::string LogPath() const { return dir_ + "/plcsim.jsonl"; }

    // The requests plcsim has logged so far.
    std::vector<nlohmann::json> Requests() const {
        std::vector<nlohmann::json> requests;
        std::istringstream lines(ReadFile(LogPath()));
        for (std::string line; std::getline(lines, line);) {
            if (!line.empty()) {
                requests.push_back(nlohmann::json::parse(line, nullptr, false));
            }
        }
        return requests;
    }

    struct Run {
        int status = -1;
        std::string out;
        std::string err;
        double seconds = 0;
    };

    // Runs a program on the PC side, with the test bed's folder as its current directory.
    Run RunOnPcSide(const std::vector<std::string>& arguments) const {
        Run run;
        const std::string out = dir_ + "/run.out";
        const std::string err = dir_ + "/run.err";
        const auto start = std::chrono::steady_clock::now();
        const pid_t child = fork();
        if (child == 0) {
            if (chdir(dir_.c_str()) != 0) {
                _exit(126);
            }
            dup2(open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), STDOUT_FILENO);
            dup2(open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), STDERR_FILENO);
            std::vector<std::string> words = {"ip", "netns", "exec", pcNs_};
            words.insert(words.end(), arguments.begin(), arguments.end());
            std::vector<char*> argv;
            for (std::string& word : words) {
                argv.push_back(word.data());
            }
            argv.push_back(nullptr);
            execvp("ip", argv.data());
            _exit(127);
        }
        int status = 0;
        waitpid(child, &status, 0);
        run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        run.out = ReadFile(out);
        run.err = ReadFile(err);
        return run;
    }

private:
    static int Testbed(const std::string& arguments) {
        return std::system((std::string(PEMRA_SOURCE_DIR) + "/scripts/testbed " + arguments + " >/dev/null").c_str());
    }

    static inline int counter_ = 0;
    std::string pcNs_, plcNs_, pcIf_, plcIf_, dir_;
    bool up_ = false;
    pid_t simulator_ = -1;
};
