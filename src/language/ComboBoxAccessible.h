#pragma once

#include <QAccessibleWidget>

class QComboBox;

namespace vandrel {

// What assistive technology reads of a combo box: its name from its accessible name or label,
// its value from the entry shown. (Qt's own interface on Linux reads the entry as the name, so
// a list of profiles is announced as "Profile 6".) The popup list and, for an editable box, the
// edit are its children; its one action opens or closes the popup.
class ComboBoxAccessible : public QAccessibleWidget {
public:
    explicit ComboBoxAccessible(QComboBox* box);

    // The factory for QAccessible::installFactory: this interface for every combo box.
    static QAccessibleInterface* Create(const QString& className, QObject* object);

    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;
    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;

    QStringList actionNames() const override;
    void doAction(const QString& actionName) override;

private:
    QComboBox* box() const;
};

} // namespace vandrel
