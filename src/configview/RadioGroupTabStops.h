#pragma once

#include <QObject>

#include <vector>

class QRadioButton;
class QWidget;

namespace vandrel {

// Each group of radio buttons is one Tab stop, as in a dialog: Tab reaches the group's checked
// button (the first one while none is checked), and the arrow keys move within the group.
// A group is the radio buttons of one button group or, without one, of one parent.
class RadioGroupTabStops : public QObject {
public:
    // Looks after every radio group inside `page`; lives as long as the page.
    static void Apply(QWidget* page);

private:
    using Group = std::vector<QRadioButton*>;

    explicit RadioGroupTabStops(QObject* parent) : QObject(parent) {}
    static void UpdateStop(const Group& group);

    std::vector<Group> groups_;
};

} // namespace vandrel
