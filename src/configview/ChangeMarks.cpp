#include "configview/ChangeMarks.h"

#include "configview/ChangeFrame.h"
#include "configview/FieldPresentation.h"
#include "language/LanguageManager.h"
#include "language/TextIds.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>

namespace vandrel {

ChangeMarks::ChangeMarks(const LanguageManager& language, QObject* parent)
    : QObject(parent), language_(language) {}

ChangeMarks::~ChangeMarks() {
    for (Followed& followed : followed_) {
        unmark(followed);
    }
}

void ChangeMarks::follow(QWidget* page, int pageId, const ConverterConfig& saved) {
    for (const QMetaObject::Connection& connection : connections_) {
        disconnect(connection);
    }
    connections_.clear();
    for (Followed& followed : followed_) {
        unmark(followed);
    }
    followed_.clear();
    page_ = page;
    saved_ = saved;
    if (page != nullptr) {
        for (const FieldPresentation* row : PresentationsOf(pageId)) {
            QWidget* control = PresentedControl(*row, page);
            if (control == nullptr) {
                continue;
            }
            followed_.push_back({row, control, nullptr, QString(), false});
        }
        // Connected after the page's own reactions, so that what a control shows is settled
        // (a number set back while typing, a list refilled) before it is compared.
        for (std::size_t i = 0; i < followed_.size(); ++i) {
            QWidget* control = followed_[i].control;
            auto changed = [this, i] {
                update(followed_[i]);
                settle();
            };
            if (auto* edit = qobject_cast<QLineEdit*>(control)) {
                connections_.push_back(connect(edit, &QLineEdit::textChanged, this, changed));
            } else if (auto* box = qobject_cast<QAbstractButton*>(control)) {
                connections_.push_back(connect(box, &QAbstractButton::toggled, this, changed));
            } else if (auto* list = qobject_cast<QComboBox*>(control)) {
                connections_.push_back(
                    connect(list, &QComboBox::currentIndexChanged, this, changed));
            } else {
                // A radio group: each of its radios.
                for (auto* radio : control->findChildren<QAbstractButton*>()) {
                    connections_.push_back(
                        connect(radio, &QAbstractButton::toggled, this, changed));
                }
            }
        }
    }
    updateAll();
}

void ChangeMarks::compareWith(const ConverterConfig& saved) {
    saved_ = saved;
    updateAll();
}

bool ChangeMarks::anyMarked() const {
    return anyMarked_;
}

bool ChangeMarks::IsMarked(const QWidget* control) {
    return control != nullptr && control->property(MarkedProperty).toBool();
}

void ChangeMarks::updateAll() {
    for (Followed& followed : followed_) {
        followed.savedValue = ShownValue(*followed.row, saved_, language_);
        // The texts of the mark may be those of another language or another saved value.
        unmark(followed);
        update(followed);
    }
    settle();
}

void ChangeMarks::settle() {
    bool any = false;
    for (const Followed& followed : followed_) {
        any = any || followed.marked;
    }
    if (any != anyMarked_) {
        anyMarked_ = any;
        emit pageMarkChanged();
    }
}

void ChangeMarks::update(Followed& followed) {
    QWidget* control = followed.control;
    if (control == nullptr || page_ == nullptr) {
        return;
    }
    const bool marked = ControlValue(*followed.row, page_, language_) != followed.savedValue;
    if (marked != followed.marked) {
        if (marked) {
            const FormatArg before[] = {followed.savedValue};
            const QString note = FormatText(
                language_.Text(text::ChangedMarkFormat, LanguageManager::ControlTextChars), before);
            control->setProperty(MarkedProperty, true);
            control->setToolTip(note);
            control->setAccessibleDescription(note);
            followed.frame = new ChangeFrame(control);
            followed.marked = true;
        } else {
            unmark(followed);
        }
    }
}

void ChangeMarks::unmark(Followed& followed) {
    delete followed.frame;
    followed.frame = nullptr;
    if (followed.marked && followed.control != nullptr) {
        followed.control->setProperty(MarkedProperty, false);
        followed.control->setToolTip(QString());
        followed.control->setAccessibleDescription(QString());
    }
    followed.marked = false;
}

} // namespace vandrel
