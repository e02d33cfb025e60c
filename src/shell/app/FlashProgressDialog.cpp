#include "shell/app/FlashProgressDialog.h"

#include "language/LanguageManager.h"
#include "language/TextIds.h"
#include "protocol/DeviceSession.h"

#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace vandrel {

FlashProgressDialog::FlashProgressDialog(Mode mode, const LanguageManager& language,
                                         DeviceSession& session, QWidget* owner)
    : QDialog(owner), mode_(mode), language_(language), session_(session),
      bar_(new QProgressBar(this)), cancel_(new QPushButton(this)) {
    setObjectName(QStringLiteral("FlashProgressDialog"));
    bar_->setObjectName(QStringLiteral("progress"));
    cancel_->setObjectName(QStringLiteral("cancel"));
    bar_->setRange(0, kMaximum);
    bar_->setValue(0);
    bar_->setMinimumWidth(320);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(bar_);
    layout->addWidget(cancel_, 0, Qt::AlignHCenter);
    connect(cancel_, &QPushButton::clicked, this, &FlashProgressDialog::reject);
    setModal(true);
    retranslate();
}

int FlashProgressDialog::position() const {
    return bar_->value();
}

void FlashProgressDialog::setPosition(int percent) {
    if (finishing_) {
        return;
    }
    if (percent >= kMaximum) {
        finishAtMaximum();
        return;
    }
    bar_->setValue(percent < 0 ? 0 : percent);
}

void FlashProgressDialog::finishAtMaximum() {
    finishing_ = true;
    bar_->setValue(kMaximum);
    cancel_->setText(language_.Text(text::ButtonOk));
    QTimer::singleShot(kCloseDelayMs, this, [this] {
        closed_ = false;
        done(1);
    });
}

void FlashProgressDialog::closeDialog() {
    closed_ = true;
    finishing_ = true;
    done(1);
}

void FlashProgressDialog::retranslate() {
    setWindowTitle(
        language_.Text(mode_ == Mode::Loading ? text::FlashLoadTitle : text::FlashDownloadTitle));
    cancel_->setText(language_.Text(finishing_ ? text::ButtonOk : text::ButtonCancel));
}

void FlashProgressDialog::reject() {
    if (finishing_) {
        return; // closing by itself already
    }
    const int question =
        mode_ == Mode::Loading ? text::FlashLoadCancelQuestion : text::FlashDownloadCancelQuestion;
    const int answer =
        language_.MessageBox(question, text::CaptionConfirm,
                             MessageStyle{MessageButtons::YesNo, MessageIcon::Warning, ResultNo});
    // The transfer may have ended while the question was open.
    if (answer != ResultYes || finishing_) {
        return;
    }
    closed_ = true;
    finishing_ = true;
    if (mode_ == Mode::Loading) {
        session_.cancelFlashLoading();
    } else {
        session_.stopFlashDownloading();
    }
    done(2);
}

} // namespace vandrel
