#pragma once

#include "config/ConverterConfig.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <vector>

class QWidget;

namespace vandrel {

class ChangeFrame;
class LanguageManager;
struct FieldPresentation;

// Marks the controls of the page being edited whose values differ from the configuration as it
// was opened, read or last saved: a tinted frame around the control, and a tooltip and a
// description for assistive technology that say what the value was. The marks follow every
// change of a control as it happens.
class ChangeMarks : public QObject {
    Q_OBJECT
public:
    static constexpr char MarkedProperty[] = "vandrelChanged";

    explicit ChangeMarks(const LanguageManager& language, QObject* parent = nullptr);
    ~ChangeMarks() override;

    // Follows the controls of `page` (an editing page, or nullptr for none) against `saved`.
    void follow(QWidget* page, int pageId, const ConverterConfig& saved);
    // Compares again: with a new saved configuration, or after the texts changed.
    void compareWith(const ConverterConfig& saved);

    // True when a control of the page is marked.
    bool anyMarked() const;
    // True when `control` carries a mark.
    static bool IsMarked(const QWidget* control);

signals:
    // anyMarked() changed.
    void pageMarkChanged();

private:
    struct Followed {
        const FieldPresentation* row;
        QPointer<QWidget> control;
        QPointer<ChangeFrame> frame;
        QString savedValue;
        bool marked = false;
    };

    void update(Followed& followed);
    void updateAll();
    // Tells whether the page as a whole is marked, when that changed.
    void settle();
    void unmark(Followed& followed);

    const LanguageManager& language_;
    QPointer<QWidget> page_;
    ConverterConfig saved_;
    std::vector<Followed> followed_;
    std::vector<QMetaObject::Connection> connections_;
    bool anyMarked_ = false;
};

} // namespace vandrel
