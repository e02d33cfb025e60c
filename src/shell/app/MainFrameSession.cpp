#include "language/TextIds.h"
#include "shell/app/AppCore.h"
#include "shell/app/DialogRunner.h"
#include "shell/app/FindDialog.h"
#include "shell/app/FlashProgressDialog.h"
#include "shell/app/MainFrame.h"
#include "shell/app/WaitDialog.h"
#include "shell/ui/ChangePasswordDialog.h"

#include <cstdlib>

namespace vandrel {

int MainFrame::sessionQuery(SessionQuery query) {
    updateCommandStates();
    refreshStatus();
    switch (query) {
    case SessionQuery::AskPassword:
        return askPassword();
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

int MainFrame::askPassword() {
    if (busy_.busy()) {
        busy_.leave();
    }
    progress_.closeWaitDialog();
    if (frame_.dialogs.progress) {
        frame_.dialogs.progress->hide();
    }
    const std::optional<QString> password = dialogRunner_->askPassword();
    if (!password) {
        core_.language.MessageBox(text::PasswordMissing, text::CaptionPassword,
                                  MessageStyle{MessageButtons::Ok, MessageIcon::Error});
        return 0;
    }
    std::string bytes = password->left(static_cast<int>(kMaxAccessPassword)).toStdString();
    bytes.resize(std::min(bytes.size(), kMaxAccessPassword));
    core_.session.accessPassword = bytes;
    refreshStatus();
    return 1;
}

void MainFrame::postSessionProgress(SessionProgress code, int value) {
    QMetaObject::invokeMethod(
        this, [this, code, value] { progress_.onProgress(code, value); }, Qt::QueuedConnection);
}

void MainFrame::fatalOutOfMemory() {
    core_.language.FormatMessageBox(text::FatalErrorFormat, text::CaptionFatal,
                                    MessageStyle{MessageButtons::Ok, MessageIcon::Error},
                                    {FormatArg(core_.language.Text(text::OutOfMemory))});
    std::exit(1);
}

} // namespace vandrel
