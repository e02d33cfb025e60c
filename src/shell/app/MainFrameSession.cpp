#include "config/DeviceInfo.h"
#include "configview/ConfigDocument.h"
#include "language/TextIds.h"
#include "shell/app/AppCore.h"
#include "shell/app/MainFrame.h"
#include "shell/ui/SystemMonitorPane.h"

#include <algorithm>

#include <cstdlib>

namespace vandrel {

int MainFrame::sessionQuery(SessionQuery query) {
    updateCommandStates();
    refreshStatus();
    switch (query) {
    case SessionQuery::AskPassword:
        return operations_->askPassword();
    case SessionQuery::RunOpen:
        documents_.onFileOpen();
        return 0;
    case SessionQuery::EnsureLink: {
        const bool ready = link_.ensureLink(core_.portName(), core_.linkSettings.baudrate);
        refreshStatus();
        return ready ? 1 : 0;
    }
    }
    return 0;
}

void MainFrame::postSessionProgress(SessionProgress code, int value) {
    QMetaObject::invokeMethod(
        this, [this, code, value] { operations_->onProgress(code, value); }, Qt::QueuedConnection);
}

void MainFrame::takeConfiguration() {
    const ConfigImage& image = core_.session.configImage();
    ConverterConfig received;
    std::copy(image.begin(), image.end(), received.bytes.begin());
    document_->takeRead(received);
}

void MainFrame::takeSystemInfo() {
    const DeviceSession& session = core_.session;
    DeviceInfo info = document_->deviceInfo();
    SetVersionText(info.firmwareVersion, session.firmwareVersion());
    SetVersionText(info.loaderVersion, session.loaderVersion());
    info.systemInfoNumber = session.activePartition();
    document_->takeDeviceInfo(info);
}

void MainFrame::clearMonitorCommand() {
    monitor_->clearCommandField();
}

void MainFrame::showMonitoringOff() {
    if (monitor_->monitoringOn()) {
        monitor_->setMonitoring(false);
    }
}

void MainFrame::chooseFirmwareForConverter() {
    flash_->chooseFirmwareForConverter();
}

void MainFrame::fatalOutOfMemory() {
    core_.language.FormatMessageBox(text::FatalErrorFormat, text::CaptionFatal,
                                    MessageStyle{MessageButtons::Ok, MessageIcon::Error},
                                    {FormatArg(core_.language.Text(text::OutOfMemory))});
    std::exit(1);
}

} // namespace vandrel
