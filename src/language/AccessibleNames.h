#pragma once

class QString;
class QWidget;

namespace vandrel {

class LanguageManager;

// Names that assistive technology reads for the controls of a form. A control is named by the
// label whose buddy it is, or by its own text; the forms mark the exceptions with two dynamic
// properties:
// - "accessibleTextId" (a text id): that text names a control that has no label of its own;
// - "accessibleContext" (the object name of a label, button or group box of the same form):
//   that widget's text, a colon and the control's own name, for a label text that stands more
//   than once on the form ("Switch on:" under each of three switches).
namespace AccessibleNames {

inline constexpr char TextIdProperty[] = "accessibleTextId";
inline constexpr char ContextProperty[] = "accessibleContext";

// Names the marked controls of `root` from the language in use. Translating a window does it,
// so the names follow a language switch.
void Apply(QWidget* root, const LanguageManager& language);

// A control's text as it is read: without mnemonic ampersands, line breaks or a closing colon.
QString Spoken(const QString& text);

// Makes combo boxes read by their name (their label) rather than by their current entry, as
// Qt does on Linux. Call once the application object exists and before the first form is
// built; later calls do nothing.
void Install();

} // namespace AccessibleNames

} // namespace vandrel
