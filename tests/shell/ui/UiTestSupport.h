#pragma once

#include "language/LanguageManager.h"
#include "shell/ui/Prompter.h"

#include "ScriptedPrompter.h"
#include "SessionRig.h"

#include <QCoreApplication>
#include <QDir>
#include <QWidget>

#include <gtest/gtest.h>

#include <string>

namespace vandrel::test {

// The shipped language `id` with its messages answered by a ScriptedPrompter.
struct ShippedTexts {
    LanguageManager lm;
    ScriptedPrompter prompter;

    explicit ShippedTexts(int id = 1) {
        lm.setLanguageFolders({QStringLiteral(VANDREL_SOURCE_DIR "/lang")});
        routeMessages(lm, prompter);
        EXPECT_TRUE(lm.Load(id));
    }
    QString text(int id) const { return lm.Text(id); }
};

// Writes a picture of `widget` to <build>/screenshots/<name>.png for a person to look at.
inline void saveScreenshot(QWidget& widget, const QString& name) {
    const QString folder = QStringLiteral(VANDREL_BINARY_DIR "/screenshots");
    QDir().mkpath(folder);
    widget.show();
    QCoreApplication::processEvents();
    EXPECT_TRUE(widget.grab().save(folder + QLatin1Char('/') + name + QLatin1String(".png")));
}

// The text field `tag` of a frame the session sent; empty when it has none.
inline std::string sentField(const rig::Bytes& sent, std::uint8_t tag) {
    const ReceivedFrame frame = rig::receivedRaw(sent);
    const auto field = frameFindField(*frame.frame, tag);
    return field ? std::string(field->value.begin(), field->value.end()) : std::string();
}

} // namespace vandrel::test
