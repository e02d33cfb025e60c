#pragma once

#include "config/CodeField.h"
#include "config/ConfigFields.h"
#include "config/ConverterConfig.h"
#include "configview/ConfigDocument.h"
#include "configview/ConfigPage.h"
#include "configview/ConfigView.h"
#include "configview/PageTree.h"
#include "configview/ViewTimer.h"
#include "language/LanguageManager.h"

#include "LanguageTestSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFocusEvent>
#include <QLineEdit>
#include <QTreeWidgetItemIterator>

#include <gtest/gtest.h>

#include <memory>

namespace vandrel::test {

// Fires when the test says so.
class ManualTimer : public ViewTimer {
public:
    void start(int milliseconds) override {
        active = true;
        interval = milliseconds;
        ++starts;
    }
    void stop() override { active = false; }
    bool isActive() const override { return active; }
    void fire() {
        active = false;
        expire();
    }

    bool active = false;
    int interval = 0;
    int starts = 0;
};

// A view on a document of its own with the shipped English texts, a timer the test fires and
// message boxes that answer without a person.
class ViewTest : public ::testing::Test {
public:
    void SetUp() override {
        isolate(language, messages);
        language.setLanguageFolders({shippedLangFolder()});
        ASSERT_TRUE(language.Load(1));
        view = std::make_unique<ConfigView>(document, language);
        auto manual = std::make_unique<ManualTimer>();
        timer = manual.get();
        view->setKeyboardTimer(std::move(manual));
        ASSERT_TRUE(view->CreateView(nullptr, 0));
        QObject::connect(view.get(), &ConfigView::configurationTabWanted,
                         [this] { ++tabRequests; });
        view->resize(900, 700);
    }
    void TearDown() override { view.reset(); }

    QTreeWidgetItem* item(int pageId) const {
        for (QTreeWidgetItemIterator it(view->tree()); *it != nullptr; ++it) {
            if ((*it)->data(0, Qt::UserRole).toInt() == pageId) {
                return *it;
            }
        }
        return nullptr;
    }

    // Selects the page's tree item as a mouse user would; false when the tree refused.
    bool showPage(int pageId) {
        QTreeWidgetItem* target = item(pageId);
        if (target == nullptr) {
            ADD_FAILURE() << "no tree item for page " << pageId;
            return false;
        }
        view->tree()->setCurrentItem(target);
        return view->tree()->currentItem() == target && view->currentPage() == pageId;
    }

    // A new document holding `contents`, then the page built from it.
    void openOn(const ConverterConfig& contents, int pageId) {
        document.newDocument(contents);
        ASSERT_TRUE(showPage(pageId));
    }

    template <typename T = QWidget> T* control(const char* name) const {
        T* found = view->page() == nullptr ? nullptr
                                           : view->page()->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    QString text(int id) const { return language.Text(id); }

    ConfigDocument document;
    const ConverterConfig& record = document.record();
    LanguageManager language;
    MessageLog messages;
    ManualTimer* timer = nullptr;
    std::unique_ptr<ConfigView> view;
    int tabRequests = 0;
};

// The edit loses the focus, as when the user moves on.
inline void leave(QWidget* edit) {
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(edit, &out);
}

inline ConverterConfig Defaults() {
    ConverterConfig r;
    ResetToDefaults(&r);
    return r;
}

// Every switch on and every code and text filled: the pages collect, every edit takes keys and
// each control can show each value.
inline ConverterConfig AllOn() {
    ConverterConfig r = Defaults();
    for (const ConfigField& f : kConfigFields) {
        if (f.rules.editing == Editing::Page &&
            (f.kind == FieldKind::CodeField || f.kind == FieldKind::CountedText)) {
            SetCodeFieldText(r, f.offset, "1");
        }
    }
    r.bytes[ConfigOffset::p11Select] = 0x01;
    r.bytes[ConfigOffset::enableBits] = 0xFF;
    r.bytes[ConfigOffset::enableBits2] = 0x01;
    return r;
}

// Offsets where two records differ, for readable failures.
inline std::string Differences(const ConverterConfig& a, const ConverterConfig& b) {
    std::string out;
    for (std::size_t i = 0; i < kConfigSize; ++i) {
        if (a.bytes[i] != b.bytes[i]) {
            out += " @" + std::to_string(i) + ":" + std::to_string(a.bytes[i]) + "/" +
                   std::to_string(b.bytes[i]);
        }
    }
    return out.empty() ? " none" : out;
}

} // namespace vandrel::test
