#include "shell/app/FlashProgressDialog.h"

#include "language/LanguageManager.h"
#include "language/TextIds.h"

#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace vandrel {

FlashProgressDialog::FlashProgressDialog(Mode mode, const LanguageManager& language, QWidget* owner)
    : QDialog(owner), mode_(mode), language_(language), bar_(new QProgressBar(this)),
      cancel_(new QPushButton(this)) {
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
    // A dialog that has already ended keeps the result it ended with.
    const bool ended = finishing_;
    closed_ = true;
    finishing_ = true;
    if (!ended) {
        done(1);
    } else {
        hide();
    }
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
    emit cancelRequested();
}

void FlashProgressDialog::cancelConfirmed() {
    if (finishing_) {
        return;
    }
    closed_ = true;
    finishing_ = true;
    done(2);
}

} // namespace vandrel
