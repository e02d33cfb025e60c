#pragma once

#include "configview/CompareView.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <optional>

class QWidget;

namespace vandrel {

class ConfigDocument;
class ConfigView;
class DeviceGateway;
class DialogRunner;
class LanguageManager;
class Prompter;
class WindowSettings;

// File > Compare: the configuration in the window beside a configuration file or beside what
// the converter holds (read for the purpose; the document stays as it is), in the comparison
// view.
class CompareCommand : public QObject {
    Q_OBJECT
public:
    CompareCommand(ConfigDocument& document, ConfigView& view, DeviceGateway& gateway,
                   DialogRunner& dialogs, Prompter& prompter, const LanguageManager& language,
                   WindowSettings& settings, QWidget* window);
    ~CompareCommand() override;

    void run();
    // The comparison while it is open (null otherwise).
    CompareView* comparison() const { return shown_; }

signals:
    // A row was double-clicked: the window shows that page and control.
    void controlWanted(int pageId, const QString& control);

private:
    void compareWithFile();
    void show(const ConfigSide& other, const QString& otherCaption);
    ConfigSide documentSide() const;

    ConfigDocument& document_;
    ConfigView& view_;
    DeviceGateway& gateway_;
    DialogRunner& dialogs_;
    Prompter& prompter_;
    const LanguageManager& language_;
    WindowSettings& settings_;
    QWidget* window_;
    QPointer<CompareView> shown_;
    int filterIndex_ = 1;
};

} // namespace vandrel
