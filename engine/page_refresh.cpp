#include "engine/page_refresh.h"

#include <cstring>

#include "engine/device_ops.h"
#include "engine/exchanges.h"
#include "platform/clock.h"
#include "security/device_store.h"

int RunPageRefresh(RefreshPage page, const std::function<void(int status)>& report) {
    const bool settings = page == RefreshPage::DeviceSettings;
    const int failed = settings ? kRefreshFailedSettings : kRefreshFailedOther;
    if (page != RefreshPage::Security) {
        SleepMs(kPageRefreshWaitMs);
    }
    report(kRefreshStarted);
    DeviceTable& table = Devices();
    std::memset(table.records, 0, sizeof table.records);
    if (!RefreshDevices() || (settings && table.count != 1)) {
        report(failed);
        return 0;
    }
    report(kRefreshStations);
    RefreshStations();
    ReadHostInfo();
    report(kRefreshDevices);
    for (int i = 0; i < table.count && i < kMaxDevices; ++i) {
        const MacAddress mac = table.records[i].mac;
        if (!ProbeDevice(mac)) {
            table.records[i].present = 0;
            continue;
        }
        table.records[i].present = 1;
        ReadDeviceParameter(mac, kParamFirmwareVersion);
        SetDeviceName(mac, DeviceStore::Instance().FindOrAdd(FormatMac(mac)));
        if (settings) {
            ReadFirmwareBuild(mac);
            ReadLedState(mac);
        }
    }
    report(kRefreshDone);
    return 1;
}
