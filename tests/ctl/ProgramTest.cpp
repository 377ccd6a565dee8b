// The local address the program binds when no --local is given: the window's choice.

#include "ctl/Program.h"

#include <gtest/gtest.h>

TEST(Program, BindsTheAddressTheWindowWouldBind) {
    const struct {
        const char* what;
        std::optional<QString> saved;
        int adapters;
        QStringList lookups; // what the host-name lookup answers, one after the other
        QString want;
        int lookupsMade;
    } cases[] = {
        {"one adapter: the lookup, whatever is saved",
         u"10.0.0.5"_qs,
         1,
         {u"192.168.1.10"_qs},
         u"192.168.1.10"_qs,
         1},
        {"several: the address chosen in the window and saved",
         u"10.0.0.5"_qs,
         3,
         {},
         u"10.0.0.5"_qs,
         0},
        {"several, nothing saved: the lookup",
         std::nullopt,
         2,
         {u"192.168.1.10"_qs},
         u"192.168.1.10"_qs,
         1},
        {"loopback is looked up again",
         u"127.0.0.1"_qs,
         2,
         {u"127.0.0.1"_qs, u"192.168.1.10"_qs},
         u"192.168.1.10"_qs,
         2},
        {"seven more tries at most",
         std::nullopt,
         1,
         {u"127.0.0.1"_qs, u"127.0.0.1"_qs, u"127.0.0.1"_qs, u"127.0.0.1"_qs, u"127.0.0.1"_qs,
          u"127.0.0.1"_qs, u"127.0.0.1"_qs, u"127.0.0.1"_qs, u"192.168.1.10"_qs},
         u"127.0.0.1"_qs,
         8},
        {"an empty lookup binds every interface", std::nullopt, 0, {u""_qs}, u""_qs, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        int made = 0;
        const QString got = ctl::WindowLocalAddress(c.saved, c.adapters, [&] {
            return made < c.lookups.size() ? c.lookups[made++] : (++made, u"?"_qs);
        });
        EXPECT_EQ(got, c.want);
        EXPECT_EQ(made, c.lookupsMade);
    }
}
