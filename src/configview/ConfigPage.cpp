#include "configview/ConfigPage.h"

#include "config/CodeField.h"
#include "configview/EditRules.h"
#include "configview/PageTable.h"
#include "configview/RadioGroupTabStops.h"
#include "configview/WheelFocusGuard.h"
#include "language/LanguageManager.h"

#include <QFontMetrics>
#include <QLineEdit>

#include <algorithm>

namespace vandrel {

ConfigPage::ConfigPage(int pageId, const ConverterConfig& record, const LanguageManager& language,
                       QWidget* parent)
    : QWidget(parent), pageId_(pageId), copy_(record), language_(language) {}

void ConfigPage::retranslate() {
    language_.RetranslateWindow(this);
}

void ConfigPage::prepareForm() {
    ApplyEditRules(this, pageId_);
    WheelFocusGuard::Protect(this);
    RadioGroupTabStops::Apply(this);
}

void ConfigPage::translate() {
    language_.TranslateWindow(this);
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
    if (on) {
        copy_.bytes[offset] |= mask;
    } else {
        copy_.bytes[offset] &= static_cast<std::uint8_t>(~mask);
    }
}

QString ConfigPage::codeText(std::size_t offset) const {
    return FromRecordText(CodeFieldText(copy_, offset));
}

void ConfigPage::takeCodeText(std::size_t offset, const QLineEdit* edit) {
    SetCodeFieldText(copy_, offset, ToRecordText(edit->text()));
}

unsigned ConfigPage::EditNumber(const QLineEdit* edit) {
    bool ok = false;
    const unsigned value = edit->text().trimmed().toUInt(&ok, 10);
    return ok ? value : 0;
}

void ConfigPage::SetEditNumber(QLineEdit* edit, unsigned value) {
    edit->setText(QString::number(value));
}

void ConfigPage::ClampEdit(QLineEdit* edit, unsigned low, unsigned high) {
    SetEditNumber(edit, std::clamp(EditNumber(edit), low, high));
}

QString ConfigPage::FromRecordText(const std::string& bytes) {
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::string ConfigPage::ToRecordText(const QString& text) {
    return text.toLatin1().toStdString();
}

} // namespace vandrel
