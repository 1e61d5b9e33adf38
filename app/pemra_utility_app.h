#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/instance_lock.h"

class CPemra_UtilityDlg;

// The program's start-up and exit.
class CPemra_UtilityApp {
public:
    struct Options {
        std::string lockPath = kInstanceLockPath;
        // The language identifier; the locale's unless a test gives another.
        std::function<uint16_t()> langId;
        // Runs the main window; a modal run unless a test gives another.
        std::function<void(CPemra_UtilityDlg&)> runMainWindow;
    };

    CPemra_UtilityApp() : CPemra_UtilityApp(Options{}) {}
    explicit CPemra_UtilityApp(Options options);

    // Single-instance check, device store, language file, main window. False, with nothing else done,
    // when another copy runs.
    bool InitInstance();
    // The exit steps, for the copy that passed the single-instance check: device store saved, "diag.txt"
    // deleted, language document released.
    void ExitInstance();

    bool RanMainWindow() const { return ranMainWindow_; }

private:
    Options options_;
    InstanceLock lock_;
    bool ranMainWindow_ = false;
};
