#pragma once

#include "configview/ConfigComparison.h"

#include <QDialog>
#include <QString>

#include <memory>

class QTreeWidgetItem;

namespace Ui {
class CompareViewForm;
}

namespace vandrel {

class LanguageManager;

// What differs between two configurations, grouped by the pages that show it, with the values
// of each side in a column headed by its caption. Opened window-modal with open(); it reports
// through `finished`. To compare, it closes with Close (rejected). To review a write, Write
// accepts and Cancel, the default, rejects; when the write would change nothing (the records are
// equal, though the versions may differ) the accepting button reads "Write anyway". A double click
// or Enter on a value of a page asks for that control and closes the view rejected: nothing is
// written then.
class CompareView : public QDialog {
    Q_OBJECT
public:
    enum class Purpose { Compare, Review };

    static constexpr int PageIdRole = Qt::UserRole;
    static constexpr int ControlRole = Qt::UserRole + 1;

    CompareView(ConfigComparison comparison, QString leftCaption, QString rightCaption,
                Purpose purpose, const LanguageManager& language, QWidget* parent);
    ~CompareView() override;

    const ConfigComparison& comparison() const { return comparison_; }
    // Makes the comparison again from its two sides and sets every text in the language in use.
    void retranslate();
    // New headings for the two sides' columns (they come translated from the caller).
    void setSideCaptions(const QString& leftCaption, const QString& rightCaption);

    // Room for every row, as far as the screen allows.
    QSize sizeHint() const override;

signals:
    // A row of a page was chosen: show that control on its page.
    void controlWanted(int pageId, const QString& control);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fillTexts();
    void fillRows();
    void fitColumns();
    void fitSize();
    void rowChosen(QTreeWidgetItem* item);

    std::unique_ptr<Ui::CompareViewForm> ui_;
    ConfigComparison comparison_;
    QString leftCaption_;
    QString rightCaption_;
    Purpose purpose_;
    const LanguageManager& language_;
};

} // namespace vandrel
