#include "configview/RadioGroupTabStops.h"

#include <QButtonGroup>
#include <QRadioButton>
#include <QWidget>

#include <map>

namespace vandrel {

void RadioGroupTabStops::Apply(QWidget* page) {
    auto* stops = new RadioGroupTabStops(page);
    // Keyed by the button group or the parent; kept in the order the buttons were made.
    std::map<const QObject*, std::size_t> index;
    for (QRadioButton* button : page->findChildren<QRadioButton*>()) {
        const QObject* key = button->group() != nullptr
                                 ? static_cast<const QObject*>(button->group())
                                 : button->parentWidget();
        if (button->group() == nullptr && !button->autoExclusive()) {
            continue;
        }
        const auto [at, added] = index.try_emplace(key, stops->groups_.size());
        if (added) {
            stops->groups_.emplace_back();
        }
        stops->groups_[at->second].push_back(button);
    }
    for (std::size_t i = 0; i < stops->groups_.size(); ++i) {
        for (QRadioButton* button : stops->groups_[i]) {
            connect(button, &QAbstractButton::toggled, stops,
                    [stops, i] { UpdateStop(stops->groups_[i]); });
        }
        UpdateStop(stops->groups_[i]);
    }
}

void RadioGroupTabStops::UpdateStop(const Group& group) {
    const QRadioButton* stop = group.front();
    for (const QRadioButton* button : group) {
        if (button->isChecked()) {
            stop = button;
            break;
        }
    }
    // The other buttons still take the focus from a click and from the arrow keys.
    for (QRadioButton* button : group) {
        button->setFocusPolicy(button == stop ? Qt::StrongFocus : Qt::ClickFocus);
    }
}

} // namespace vandrel
