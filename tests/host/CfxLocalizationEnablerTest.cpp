#include <clocale>
#include <cstdlib>
#include <locale.h>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "host/CfxLocalizationEnabler.h"

namespace {

// A locale whose decimal separator is a comma; the setup script generates
// de_DE.UTF-8.
locale_t CommaLocale()
{
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8"})
        if (locale_t l = newlocale(LC_ALL_MASK, name, static_cast<locale_t>(0)))
            return l;
    return static_cast<locale_t>(0);
}

} // namespace

TEST(CfxLocalizationEnabler, SwitchesOnlyThisThreadAndRestores)
{
    locale_t comma = CommaLocale();
    if (comma == static_cast<locale_t>(0))
        GTEST_SKIP() << "no locale with a decimal comma is installed";
    const locale_t before = uselocale(comma);
    const std::string processNumeric = std::setlocale(LC_NUMERIC, nullptr);

    EXPECT_EQ(std::atof("4.5"), 4.0); // the comma locale stops at the point
    {
        Host::CfxLocalizationEnabler enabler(0, "C");
        EXPECT_EQ(std::atof("4.5"), 4.5);
        EXPECT_EQ(std::setlocale(LC_NUMERIC, nullptr), processNumeric);

        // Another thread keeps the process's conventions.
        double otherThread = 0;
        std::thread([&] { otherThread = std::atof("4.5"); }).join();
        EXPECT_EQ(otherThread, 4.5);
    }
    EXPECT_EQ(std::atof("4.5"), 4.0);
    EXPECT_EQ(std::atof("4,5"), 4.5);

    uselocale(before);
    freelocale(comma);
}

TEST(CfxLocalizationEnabler, UnknownLocaleChangesNothing)
{
    Host::CfxLocalizationEnabler enabler(0, "no_SUCH.locale");
    EXPECT_EQ(std::atof("4.5"), 4.5);
}
