#include "configview/CompareView.h"

#include "configview/PageTable.h"
#include "language/LanguageManager.h"
#include "language/TextIds.h"

#include "ui_CompareView.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QScreen>
#include <QStyle>

#include <algorithm>
#include <utility>

namespace vandrel {

namespace {

constexpr int CaptionChars = 260;

// Widest a column grows, in average characters; longer values are elided and shown whole in
// their tooltip.
constexpr int LabelColumnChars = 48;
constexpr int ValueColumnChars = 36;
constexpr int MinimumWidth = 480;

} // namespace

CompareView::CompareView(ConfigComparison comparison, QString leftCaption, QString rightCaption,
                         Purpose purpose, const LanguageManager& language, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::CompareViewForm>()),
      comparison_(std::move(comparison)), leftCaption_(std::move(leftCaption)),
      rightCaption_(std::move(rightCaption)), purpose_(purpose), language_(language) {
    ui_->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowModality(Qt::WindowModal);
    setSizeGripEnabled(true);
    if (purpose_ == Purpose::Review) {
        setWindowTitle(QString::number(text::ReviewTitle));
    }
    language_.TranslateWindow(this);
    // Its text depends on the comparison: set with the other texts that do.
    ui_->ctlWrite->setProperty(LanguageManager::TextIdProperty, 0);

    const bool review = purpose_ == Purpose::Review;
    ui_->ctlWrite->setVisible(review);
    ui_->ctlCancel->setVisible(review);
    ui_->ctlClose->setVisible(!review);
    // Only the chosen default answers Enter; Write must be chosen on purpose.
    ui_->ctlWrite->setAutoDefault(false);
    ui_->ctlCancel->setDefault(review);
    ui_->ctlClose->setDefault(!review);
    connect(ui_->ctlWrite, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui_->ctlCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui_->ctlClose, &QPushButton::clicked, this, &QDialog::reject);

    QTreeWidget* rows = ui_->ctlRows;
    rows->header()->setSectionsMovable(false);
    rows->installEventFilter(this);
    connect(rows, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item) { rowChosen(item); });

    fillTexts();
    fillRows();
    fitSize();
    // The keyboard starts on the differences; with none, on the default button.
    if (comparison_.identical()) {
        (review ? ui_->ctlCancel : ui_->ctlClose)->setFocus(Qt::OtherFocusReason);
    } else {
        rows->setFocus(Qt::OtherFocusReason);
    }
}

CompareView::~CompareView() = default;

void CompareView::retranslate() {
    comparison_ = CompareConfigurations(comparison_.leftSide, comparison_.rightSide, language_);
    language_.RetranslateWindow(this);
    fillTexts();
    fillRows();
    fitSize();
}

void CompareView::fitSize() {
    // Before it is shown, so that it opens centred at its own size; Qt would otherwise keep a
    // dialog within two thirds of the screen.
    ensurePolished();
    fitColumns();
    resize(sizeHint().expandedTo(minimumSizeHint()));
}

void CompareView::setSideCaptions(const QString& leftCaption, const QString& rightCaption) {
    leftCaption_ = leftCaption;
    rightCaption_ = rightCaption;
    fillTexts();
    fitColumns();
}

void CompareView::fillTexts() {
    const bool review = purpose_ == Purpose::Review;
    // A write changes nothing when the records are equal, whatever the versions say.
    const bool writesNothing = comparison_.recordFields.empty();
    if (review && writesNothing) {
        ui_->ctlSummary->setText(language_.Text(text::ReviewIdentical));
    } else if (!review && comparison_.identical()) {
        ui_->ctlSummary->setText(language_.Text(text::CompareIdentical));
    } else {
        const FormatArg count[] = {
            QString::number(comparison_.onPages.size() + comparison_.apart.size())};
        ui_->ctlSummary->setText(FormatText(
            language_.Text(review ? text::ReviewDifferencesFormat : text::CompareDifferencesFormat),
            count));
    }
    ui_->ctlWrite->setText(
        language_.Text(writesNothing ? text::ReviewWriteAnyway : text::ReviewWrite,
                       LanguageManager::ControlTextChars));
    ui_->ctlRows->setHeaderLabels(
        {language_.Text(text::CompareSettingColumn, LanguageManager::ControlTextChars),
         leftCaption_, rightCaption_});
}

void CompareView::fillRows() {
    QTreeWidget* tree = ui_->ctlRows;
    tree->clear();
    tree->setVisible(!comparison_.identical());

    auto group = [tree](const QString& caption, int pageId) {
        auto* item = new QTreeWidgetItem(tree, {caption});
        QFont bold = item->font(0);
        bold.setBold(true);
        item->setFont(0, bold);
        item->setData(0, PageIdRole, pageId);
        item->setFirstColumnSpanned(true);
        item->setExpanded(true);
        return item;
    };
    auto add = [](QTreeWidgetItem* parent, const ComparisonRow& row) {
        auto* item = new QTreeWidgetItem(parent, {row.label, row.left, row.right});
        item->setData(0, PageIdRole, row.pageId);
        item->setData(0, ControlRole, row.control);
        for (int column = 0; column < 3; ++column) {
            item->setToolTip(column, item->text(column));
        }
    };
    // Pages in tree order; the values no page shows last.
    for (const PageRow& page : kPageTable) {
        QTreeWidgetItem* parent = nullptr;
        for (const auto* list : {&comparison_.onPages, &comparison_.apart}) {
            for (const ComparisonRow& row : *list) {
                if (row.pageId != page.pageId || page.pageId == PageId::Root) {
                    continue;
                }
                if (parent == nullptr) {
                    parent = group(row.page, page.pageId);
                }
                add(parent, row);
            }
        }
    }
    QTreeWidgetItem* apart = nullptr;
    for (const ComparisonRow& row : comparison_.apart) {
        if (FindPageRow(row.pageId) != nullptr && row.pageId != PageId::Root) {
            continue;
        }
        if (apart == nullptr) {
            apart = group(language_.Text(text::CompareNotOnAPage, CaptionChars), PageId::Root);
        }
        add(apart, row);
    }
    tree->expandAll();
    if (tree->topLevelItemCount() > 0 && tree->topLevelItem(0)->childCount() > 0) {
        tree->setCurrentItem(tree->topLevelItem(0)->child(0));
    }
    fitColumns();
}

void CompareView::fitColumns() {
    QTreeWidget* tree = ui_->ctlRows;
    const int character = tree->fontMetrics().averageCharWidth();
    for (int column = 0; column < tree->columnCount(); ++column) {
        tree->resizeColumnToContents(column);
        const int widest = (column == 0 ? LabelColumnChars : ValueColumnChars) * character;
        const int heading = tree->header()->sectionSizeHint(column);
        tree->setColumnWidth(column,
                             std::max(heading, std::min(tree->columnWidth(column), widest)));
    }
    updateGeometry();
}

QSize CompareView::sizeHint() const {
    const QTreeWidget* tree = ui_->ctlRows;
    const QMargins margins = layout()->contentsMargins();
    const int spacing = std::max(layout()->spacing(), 0);
    const QRect screenArea = screen() != nullptr ? screen()->availableGeometry() : QRect();

    int width = 0;
    for (int column = 0; column < tree->columnCount(); ++column) {
        width += tree->columnWidth(column);
    }
    width +=
        2 * tree->frameWidth() + style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, tree);
    width = std::max({width, MinimumWidth, ui_->buttonRow->sizeHint().width()});
    if (!screenArea.isEmpty()) {
        width = std::min(width, screenArea.width() * 9 / 10 - margins.left() - margins.right());
    }

    int height =
        ui_->ctlSummary->heightForWidth(width) + spacing + ui_->buttonRow->sizeHint().height();
    if (!tree->isHidden()) {
        int items = 0;
        for (QTreeWidgetItemIterator it(const_cast<QTreeWidget*>(tree)); *it != nullptr; ++it) {
            ++items;
        }
        const int row = tree->topLevelItemCount() > 0
                            ? std::max(tree->sizeHintForRow(0), tree->fontMetrics().height())
                            : tree->fontMetrics().height();
        height += spacing + tree->header()->sizeHint().height() + items * row +
                  2 * tree->frameWidth() + 2;
    }
    if (!screenArea.isEmpty()) {
        height = std::min(height, screenArea.height() * 8 / 10 - margins.top() - margins.bottom());
    }
    return QSize(width + margins.left() + margins.right(),
                 height + margins.top() + margins.bottom());
}

bool CompareView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui_->ctlRows && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        QTreeWidgetItem* current = ui_->ctlRows->currentItem();
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            key->modifiers() == Qt::NoModifier && current != nullptr) {
            // Enter belongs to the row: it does not also press the dialog's default button.
            if (current->childCount() > 0) {
                current->setExpanded(!current->isExpanded());
            } else {
                rowChosen(current);
            }
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CompareView::rowChosen(QTreeWidgetItem* item) {
    if (item == nullptr || item->childCount() > 0) {
        return;
    }
    const int pageId = item->data(0, PageIdRole).toInt();
    if (FindPageRow(pageId) == nullptr || pageId == PageId::Root) {
        return; // a value no page shows
    }
    emit controlWanted(pageId, item->data(0, ControlRole).toString());
    reject();
}

} // namespace vandrel
