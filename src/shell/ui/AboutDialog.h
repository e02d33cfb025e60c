#pragma once

#include "shell/ui/ShellDialog.h"

#include <memory>

namespace Ui {
class AboutDialogForm;
}

namespace vandrel {

// The program icon, its name, its version and a note; OK closes it.
class AboutDialog : public ShellDialog {
    Q_OBJECT
public:
    static constexpr char kVersionText[] = "v1.3.2.0";

    AboutDialog(const LanguageManager& languages, QWidget* parent = nullptr);
    ~AboutDialog() override;

private:
    std::unique_ptr<Ui::AboutDialogForm> ui_;
};

} // namespace vandrel
