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

class LanguageManager;

// The system monitor pane: Start and Stop of the converter's system monitoring, its output in
// the log, command lines to the converter and the mask of six check boxes sent as "V=%02X\r\n".
// It says what the user wants through signals and never talks to the converter itself.
// Monitoring is shown as on or off only through setMonitoring, which the session calls when the
// converter answers. A "protocol trace" box asks for the log as the session's trace, so every
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

    SystemMonitorPane(const LanguageManager& languages, QWidget* parent = nullptr);
    ~SystemMonitorPane() override;

    // --- Called by the session.
    void setMonitoring(bool on) override;
    void appendMonitorText(std::span<const std::uint8_t> text) override;

    // --- Called by the main window.
    bool monitoringOn() const { return monitoringOn_; }
    // After the converter accepted a command line.
    void clearCommandField();
    // After a language change: the control texts and the tooltips again.
    void retranslate();

    TraceLog& traceLog() { return log_; }
    // The mask of the ticked boxes, and the command that sends it.
    std::uint8_t mask() const;
    QByteArray maskCommand() const;
    // Whether the user asked for the protocol trace in the log.
    bool protocolTraceOn() const;

signals:
    // Start or Stop.
    void monitoringWanted(bool on);
    // A command line for the converter, its CR LF included: typed, or the mask.
    void commandLineWanted(const QByteArray& line);
    // The protocol trace box: the log as the session's trace, or no trace.
    void protocolTraceWanted(bool on);
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
    void updateEnabling();
    void setTooltips();

    const LanguageManager& languages_;
    std::unique_ptr<Ui::MonitorPaneForm> ui_;
    TraceLog log_;
    CommandHistory history_;

    bool monitoringOn_ = false;
    bool lastOutputEndedWithCr_ = false;
};

} // namespace vandrel
