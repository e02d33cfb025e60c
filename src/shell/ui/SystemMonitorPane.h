#pragma once

#include "protocol/SessionInterfaces.h"
#include "shell/ui/CommandHistory.h"
#include "shell/ui/TraceLog.h"

#include <QWidget>

#include <cstdint>
#include <memory>
#include <span>
#include <string>

class QCheckBox;

namespace Ui {
class MonitorPaneForm;
}

namespace vandrel {

class DeviceSession;
class LanguageManager;

// The system monitor pane: Start and Stop of the converter's system monitoring, its output in
// the log, command lines to the converter and the mask of six check boxes sent as "V=%02X\r\n".
// Monitoring is shown as on or off only through setMonitoring, which the session calls when the
// converter answers. A "protocol trace" box attaches the log to the session's trace, so every
// frame and status line shows up too.
class SystemMonitorPane : public QWidget, public MonitorPane {
    Q_OBJECT
public:
    // Mask bit of each check box, in the order the boxes stand.
    struct MaskBox {
        const char* objectName;
        std::uint8_t bit;
    };
    static constexpr MaskBox kMaskBoxes[] = {
        {"ctl1010", 0x01}, {"ctl1013", 0x02}, {"ctl1014", 0x04},
        {"ctl1015", 0x20}, {"ctl1035", 0x40}, {"ctl1011", 0x10},
    };
    static constexpr int kMaxCommandChars = 125;

    SystemMonitorPane(DeviceSession& session, const LanguageManager& languages,
                      QWidget* parent = nullptr);
    ~SystemMonitorPane() override;

    // --- Called by the session.
    void setMonitoring(bool on) override;
    void appendMonitorText(std::span<const std::uint8_t> text) override;
    std::string commandText() const override { return commandText_; }

    // --- Called by the main window.
    bool monitoringOn() const { return monitoringOn_; }
    // After the converter accepted a monitoring request.
    void clearCommandField();
    // After a language change: the control texts and the tooltips again.
    void retranslate();

    TraceLog& traceLog() { return log_; }
    // The mask of the ticked boxes.
    std::uint8_t mask() const;
    bool stopByUser() const { return stopByUser_; }
    // Whether the log is attached to the session's trace.
    bool protocolTraceOn() const;

signals:
    // The user stopped monitoring and wants the log saved: the main window's Save log command.
    void saveLogRequested();
    // Right click (or the menu key) in the log, at this screen position.
    void logContextMenuRequested(const QPoint& globalPos);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void start();
    void stop();
    void send();
    void sendMask();
    void maskBoxToggled();
    void setProtocolTrace(bool on);
    void updateEnabling();
    void setTooltips();

    DeviceSession& session_;
    const LanguageManager& languages_;
    std::unique_ptr<Ui::MonitorPaneForm> ui_;
    TraceLog log_;
    CommandHistory history_;

    bool monitoringOn_ = false;
    bool stopByUser_ = false;
    std::string commandText_;
    bool lastOutputEndedWithCr_ = false;
};

} // namespace vandrel
