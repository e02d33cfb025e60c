#include "shell/app/BusyState.h"

#include <QApplication>

namespace vandrel {

BusyState::BusyState(std::function<void(bool)> setInputEnabled,
                     std::function<bool()> blockedByDialog)
    : setInputEnabled_(std::move(setInputEnabled)), blockedByDialog_(std::move(blockedByDialog)) {}

BusyState::~BusyState() {
    if (busy_) {
        QApplication::restoreOverrideCursor();
    }
}

void BusyState::enter() {
    if (!busy_) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    busy_ = true;
    if (!blockedByDialog_()) {
        setInputEnabled_(false);
    }
}

void BusyState::leave() {
    if (busy_) {
        QApplication::restoreOverrideCursor();
    }
    busy_ = false;
    if (!blockedByDialog_()) {
        setInputEnabled_(true);
    }
}

} // namespace vandrel
