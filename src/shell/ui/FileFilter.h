#pragma once

#include <QString>
#include <QStringList>

namespace vandrel {

// A language-file filter text ("Text files (*.txt)|*.txt|All files|*|") as file dialog name
// filters: one entry per description and pattern pair, the patterns in parentheses unless the
// description already shows them ("Text files (*.txt)", "All files (*)"). Several patterns
// separated by ';' become a space-separated list. A trailing description without patterns is
// dropped.
QStringList nameFiltersFromPipeText(const QString& pipeText);

} // namespace vandrel
