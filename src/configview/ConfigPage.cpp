#include "configview/ConfigPage.h"

#include "configview/EditRules.h"
#include "configview/FilterEdit.h"
#include "configview/PageTable.h"
#include "configview/RadioGroupTabStops.h"
#include "configview/WheelFocusGuard.h"
#include "language/LanguageManager.h"

#include <QFontMetrics>
#include <QLineEdit>
#include <QtGlobal>

namespace vandrel {

ConfigPage::ConfigPage(int pageId, const ConverterConfig& record, const LanguageManager& language,
                       QWidget* parent)
    : QWidget(parent), pageId_(pageId), copy_(record), language_(language) {}

void ConfigPage::retranslate() {
    language_.RetranslateWindow(this);
}

void ConfigPage::prepareForm() {
    for (const EditRule& rule : EditRules()) {
        if (rule.pageId != pageId_) {
            continue;
        }
        auto* edit = findChild<FilterEdit*>(QString::fromLatin1(rule.control));
        if (edit == nullptr) {
            qWarning("Page %d has no edit %s", pageId_, rule.control);
            continue;
        }
        const ConfigField& field = EditField(rule);
        const std::string_view characters = field.rules.characters;
        edit->setCharacterSet(
            QString::fromLatin1(characters.data(), static_cast<qsizetype>(characters.size())));
        edit->setLimit(static_cast<int>(field.rules.limit), static_cast<int>(WidestShown(field)));
        edits_.push_back({edit, &field});
    }
    WheelFocusGuard::Protect(this);
    RadioGroupTabStops::Apply(this);
}

void ConfigPage::translate() {
    language_.TranslateWindow(this);
}

void ConfigPage::showEdits() {
    for (std::size_t i = 0; i < edits_.size(); ++i) {
        BoundEdit& bound = edits_[i];
        const ConfigField& field = *bound.field;
        if (field.kind != FieldKind::Number) {
            bound.edit->setText(FromRecordText(FieldText(copy_, field)));
            continue;
        }
        // Shown before the corrections listen: a stored number beyond the range stands as it is
        // until the user changes it.
        bound.lastKept = ShownNumber(copy_, field);
        SetEditNumber(bound.edit, bound.lastKept);
        connect(bound.edit, &FilterEdit::focusLeft, this, [this, i] { correctNumber(edits_[i]); });
        if (field.rules.correction == Correction::KeepLast) {
            connect(bound.edit, &QLineEdit::textChanged, this,
                    [this, i] { keepTyping(edits_[i]); });
        }
    }
}

void ConfigPage::correctNumber(BoundEdit& bound) {
    const Correction correction = bound.field->rules.correction;
    // A clamped number is shown as the page writes numbers; the others stand as typed, and only
    // an empty edit shows the 0 it counts as.
    if (correction == Correction::Clamp || correction == Correction::RoundClamp ||
        bound.edit->text().isEmpty()) {
        SetEditNumber(bound.edit, CorrectedNumber(*bound.field, EditNumber(bound.edit)));
    }
}

void ConfigPage::keepTyping(BoundEdit& bound) {
    const std::uint32_t number = EditNumber(bound.edit);
    if (TypingKeeps(*bound.field, number, bound.lastKept)) {
        bound.lastKept = number;
    } else {
        SetEditNumber(bound.edit, bound.lastKept);
    }
}

bool ConfigPage::collectEdits() {
    bool filled = true;
    for (const BoundEdit& bound : edits_) {
        const ConfigField& field = *bound.field;
        if (field.kind == FieldKind::Number) {
            StoreFieldNumber(copy_, field, StoredNumber(copy_, field, EditNumber(bound.edit)));
            continue;
        }
        const QString text = bound.edit->text();
        StoreFieldText(copy_, field, ToRecordText(text));
        if (text.isEmpty() && field.rules.fieldSwitch.mandatory && SwitchOn(copy_, field)) {
            filled = false;
        }
    }
    return filled;
}

const ConfigField& ConfigPage::fieldOf(const QLineEdit* edit) const {
    for (const BoundEdit& bound : edits_) {
        if (bound.edit == edit) {
            return *bound.field;
        }
    }
    qFatal("Edit %s of page %d shows no field", qPrintable(edit->objectName()), pageId_);
}

const ConfigField& ConfigPage::FieldAt(std::size_t offset) {
    const ConfigField* field = ConfigFieldAt(offset);
    if (field == nullptr) {
        qFatal("No field starts at offset %zu", offset);
    }
    return *field;
}

void ConfigPage::storeNumber(std::size_t offset, std::uint32_t shown) {
    const ConfigField& field = FieldAt(offset);
    StoreFieldNumber(copy_, field, StoredNumber(copy_, field, shown));
}

QSize ConfigPage::minimumSizeHint() const {
    // Dialog units: a quarter of the average character width, an eighth of the line height.
    const QFontMetrics metrics(font());
    const QSize units = TemplateSize(pageId_);
    const QSize form(units.width() * metrics.averageCharWidth() / 4,
                     units.height() * metrics.height() / 8);
    return QWidget::minimumSizeHint().expandedTo(form);
}

void ConfigPage::setBit(std::size_t offset, std::uint8_t mask, bool on) {
    const std::uint8_t owned = FieldAt(offset).rules.bits;
    Q_ASSERT_X((mask & ~owned) == 0, "ConfigPage::setBit", "a bit the field table keeps");
    mask &= owned;
    if (on) {
        copy_.bytes[offset] |= mask;
    } else {
        copy_.bytes[offset] &= static_cast<std::uint8_t>(~mask);
    }
}

unsigned ConfigPage::EditNumber(const QLineEdit* edit) {
    bool ok = false;
    const unsigned value = edit->text().trimmed().toUInt(&ok, 10);
    return ok ? value : 0;
}

void ConfigPage::SetEditNumber(QLineEdit* edit, unsigned value) {
    edit->setText(QString::number(value));
}

QString ConfigPage::FromRecordText(const std::string& bytes) {
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::string ConfigPage::ToRecordText(const QString& text) {
    return text.toLatin1().toStdString();
}

} // namespace vandrel
