#include "shell/ui/CommandHistory.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace vandrel;

namespace {

// One step of a walk: 'a' adds the text, 'u' is Up with the text typed, 'd' is Down; `shown`
// is what the edit then shows ("-" when it stays as it is).
struct Step {
    char op;
    const char* text;
    const char* shown;
};

struct Case {
    const char* name;
    int capacity;
    std::vector<Step> steps;
};

TEST(CommandHistory, WalksLikeAShell) {
    const Case cases[] = {
        {"empty history", 5, {{'u', "typed", "-"}, {'d', "", "-"}}},
        {"up to the oldest and back to what was typed",
         5,
         {{'a', "one", ""},
          {'a', "two", ""},
          {'u', "dr", "two"},
          {'u', "", "one"},
          {'u', "", "-"},
          {'d', "", "two"},
          {'d', "", "dr"},
          {'d', "", "-"}}},
        {"repeated and empty lines add nothing",
         5,
         {{'a', "x", ""}, {'a', "x", ""}, {'a', "", ""}, {'u', "", "x"}, {'u', "", "-"}}},
        {"a send ends the walk",
         5,
         {{'a', "one", ""},
          {'a', "two", ""},
          {'u', "", "two"},
          {'u', "", "one"},
          {'a', "one", ""},
          {'u', "", "one"},
          {'u', "", "two"}}},
        {"the oldest lines go",
         2,
         {{'a', "1", ""},
          {'a', "2", ""},
          {'a', "3", ""},
          {'u', "", "3"},
          {'u', "", "2"},
          {'u', "", "-"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CommandHistory history(c.capacity);
        for (const Step& s : c.steps) {
            std::optional<QString> shown;
            if (s.op == 'a') {
                history.add(s.text);
                continue;
            }
            shown = s.op == 'u' ? history.older(s.text) : history.newer();
            EXPECT_EQ(shown.value_or("-"), QString(s.shown)) << s.op << " " << s.text;
        }
    }
}

} // namespace
