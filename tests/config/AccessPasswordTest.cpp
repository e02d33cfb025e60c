#include "config/AccessPassword.h"

#include <gtest/gtest.h>

#include <string>

using namespace vandrel;

TEST(AccessPassword, StampReplacesTheWholeFieldAndNothingElse) {
    struct Case {
        std::string password;
        std::size_t stored;
    };
    const Case cases[] = {
        {"", 0}, {"secret", 6}, {std::string(32, 'x'), 32}, {std::string(40, 'y'), 32}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.password.size());
        ConverterConfig record;
        record.bytes.fill(0xAB);
        stampAccessPassword(record, c.password);
        for (std::size_t i = 0; i < record.bytes.size(); ++i) {
            const bool inField =
                i >= ConfigOffset::password && i < ConfigOffset::password + ConfigSize::password;
            std::uint8_t expected = 0xAB;
            if (inField) {
                const std::size_t at = i - ConfigOffset::password;
                expected = at < c.stored ? static_cast<std::uint8_t>(c.password[at]) : 0;
            }
            ASSERT_EQ(record.bytes[i], expected) << "offset " << i;
        }
    }
}
