#include "shell/ui/SystemMonitorPane.h"

#include "ui_MonitorPane.h"

#include "language/LanguageManager.h"
#include "language/TextIds.h"
#include "shell/ui/UiResources.h"

#include <QKeyEvent>
#include <QTimer>

#include <cstdio>

namespace vandrel {
namespace {

// Commands of the three buttons; they have no tooltip texts, which leaves the tooltips empty.
constexpr int kStartCommand = 0x8021;
constexpr int kStopCommand = 0x8022;
constexpr int kSendCommand = 0x801D;

constexpr char kStartedMarker[] = "\r\n*** SYSTEM MONITORING STARTED ***";
constexpr char kStoppedMarker[] = "\r\n*** SYSTEM MONITORING STOPPED ***";

} // namespace

SystemMonitorPane::SystemMonitorPane(const LanguageManager& languages, QWidget* parent)
    : QWidget(parent), languages_(languages), ui_(std::make_unique<Ui::MonitorPaneForm>()) {
    ui_->setupUi(this);
    languages_.TranslateWindow(this);

    log_.attach(ui_->ctl1021);
    log_.attachFont();
    log_.setNotFoundHandler([this](const QString& searched) {
        MessageStyle style;
        style.icon = MessageIcon::Information;
        languages_.FormatMessageBox(text::SearchNotFoundFormat, text::SearchCaption, style,
                                    {searched});
    });

    ui_->ctl1018->setIcon(uiIcon(icon::MonitorStart));
    ui_->ctl1019->setIcon(uiIcon(icon::MonitorStop));
    ui_->ctl1020->setIcon(uiIcon(icon::MonitorSend));
    setTooltips();
    ui_->ctl1000->setMaxLength(kMaxCommandChars);
    ui_->ctl1000->installEventFilter(this);

    connect(ui_->ctl1018, &QPushButton::clicked, this, &SystemMonitorPane::start);
    connect(ui_->ctl1019, &QPushButton::clicked, this, &SystemMonitorPane::stop);
    connect(ui_->ctl1020, &QPushButton::clicked, this, &SystemMonitorPane::send);
    connect(ui_->ctl1000, &QLineEdit::returnPressed, this, [this] {
        if (ui_->ctl1020->isEnabled()) {
            send();
        }
    });
    connect(ui_->ctl1000, &QLineEdit::textEdited, this, [this] { history_.resetWalk(); });
    for (const MaskBox& box : kMaskBoxes) {
        auto* check = findChild<QCheckBox*>(QLatin1String(box.objectName));
        // However the box changes (a click, a key, assistive technology), the converter hears.
        connect(check, &QCheckBox::toggled, this, &SystemMonitorPane::maskBoxToggled);
    }
    connect(ui_->ctl1040, &QCheckBox::toggled, this, &SystemMonitorPane::protocolTraceWanted);
    connect(ui_->ctl1021, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        emit logContextMenuRequested(ui_->ctl1021->viewport()->mapToGlobal(pos));
    });

    updateEnabling();
    ui_->ctl1020->setEnabled(monitoringOn_ && !ui_->ctl1000->text().isEmpty());
}

SystemMonitorPane::~SystemMonitorPane() = default;

void SystemMonitorPane::setTooltips() {
    QString tip;
    languages_.Tooltip(kStartCommand, tip);
    ui_->ctl1018->setToolTip(tip);
    languages_.Tooltip(kStopCommand, tip);
    ui_->ctl1019->setToolTip(tip);
    languages_.Tooltip(kSendCommand, tip);
    ui_->ctl1020->setToolTip(tip);
}

void SystemMonitorPane::retranslate() {
    languages_.RetranslateWindow(this);
    setTooltips();
}

void SystemMonitorPane::updateEnabling() {
    ui_->ctl1018->setEnabled(!monitoringOn_);
    ui_->ctl1019->setEnabled(monitoringOn_);
    ui_->ctl1020->setEnabled(monitoringOn_);
    ui_->ctl1000->setEnabled(monitoringOn_);
}

std::uint8_t SystemMonitorPane::mask() const {
    std::uint8_t value = 0;
    for (const MaskBox& box : kMaskBoxes) {
        const auto* check = findChild<const QCheckBox*>(QLatin1String(box.objectName));
        if (check->isChecked()) {
            value |= box.bit;
        }
    }
    return value;
}

void SystemMonitorPane::start() {
    emit monitoringWanted(true);
}

void SystemMonitorPane::stop() {
    emit monitoringWanted(false);
}

void SystemMonitorPane::send() {
    const QString line = ui_->ctl1000->text().left(kMaxCommandChars);
    history_.add(line);
    emit commandLineWanted((line + QLatin1String("\r\n")).toLatin1());
}

QByteArray SystemMonitorPane::maskCommand() const {
    char command[8];
    std::snprintf(command, sizeof command, "V=%02X\r\n", static_cast<unsigned>(mask()));
    return QByteArray(command);
}

void SystemMonitorPane::sendMask() {
    emit commandLineWanted(maskCommand());
}

void SystemMonitorPane::maskBoxToggled() {
    if (monitoringOn_) {
        sendMask();
    }
}

void SystemMonitorPane::setMonitoring(bool on) {
    if (on == monitoringOn_) {
        return;
    }
    monitoringOn_ = on;
    if (!on) {
        ui_->ctl1000->clear();
    }
    updateEnabling();
    log_.addLine(on ? kStartedMarker : kStoppedMarker, kTraceMarkerColour);
    lastOutputEndedWithCr_ = false;
    if (on) {
        // The mask goes out once the converter's answer has been handled: this call comes from
        // inside it.
        QTimer::singleShot(0, this, [this] {
            if (monitoringOn_) {
                sendMask();
            }
        });
    }
}

void SystemMonitorPane::appendMonitorText(std::span<const std::uint8_t> text) {
    if (!monitoringOn_) {
        setMonitoring(true);
    }
    QString shown = QString::fromLatin1(reinterpret_cast<const char*>(text.data()),
                                        static_cast<qsizetype>(text.size()));
    // A CR LF split between two pieces of output is still one line end.
    if (lastOutputEndedWithCr_ && shown.startsWith(QLatin1Char('\n'))) {
        shown.remove(0, 1);
    }
    if (!text.empty()) {
        lastOutputEndedWithCr_ = text.back() == '\r';
    }
    log_.append(shown);
}

void SystemMonitorPane::clearCommandField() {
    ui_->ctl1000->clear();
}

bool SystemMonitorPane::protocolTraceOn() const {
    return ui_->ctl1040->isChecked();
}

bool SystemMonitorPane::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui_->ctl1000 && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        std::optional<QString> line;
        if (key->key() == Qt::Key_Up) {
            line = history_.older(ui_->ctl1000->text());
        } else if (key->key() == Qt::Key_Down) {
            line = history_.newer();
        } else {
            return QWidget::eventFilter(watched, event);
        }
        if (line) {
            ui_->ctl1000->setText(*line);
        }
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace vandrel
