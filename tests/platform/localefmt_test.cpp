// The long time without its zone name, where locales put the zone in brackets, after a comma
// or first.
#include <gtest/gtest.h>

#include <QLocale>
#include <QTime>

#include "platform/localefmt.h"

TEST(LongTime, NoZoneWhereverTheLocalePutsIt) {
    const struct {
        const char* locale;
        const char* time;
    } cases[] = {{"eu_ES", "08:24:15"},          // HH:mm:ss (t)
                 {"be_BY", "08:24:15"},          // HH:mm:ss, t
                 {"nus_SS", "8:24:15 RW"},       // t h:mm:ss AP
                 {"fr_CA", "08 h 24 min 15 s"},  // HH 'h' mm 'min' ss 's' t
                 {"bg_BG", "8:24:15 \u0447."}};  // H:mm:ss 'ч'. t
    for (const auto& c : cases) {
        platform::setLocaleForTesting(QLocale(QString::fromLatin1(c.locale)));
        EXPECT_EQ(platform::longTime(QTime(8, 24, 15)), QString::fromUtf8(c.time)) << c.locale;
    }
    platform::setLocaleForTesting(std::nullopt);
}
