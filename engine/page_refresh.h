#pragma once

#include <functional>

// The refresh that the device settings, factory reset and security pages run on their worker thread.
enum class RefreshPage { DeviceSettings, FactoryReset, Security };

// Status codes reported on the way.
constexpr int kRefreshStarted = 0;
constexpr int kRefreshStations = 1;
constexpr int kRefreshDevices = 2;
constexpr int kRefreshFailedOther = 3; // factory reset and security pages
constexpr int kRefreshDone = 4;
constexpr int kRefreshFailedSettings = 5; // device settings page

// Runs the whole sequence, reporting each status through `report` (synchronously: the caller's
// handler may read the device table before the worker goes on). Returns 1 when the table was filled,
// 0 when the failure status was reported.
int RunPageRefresh(RefreshPage page, const std::function<void(int status)>& report);
