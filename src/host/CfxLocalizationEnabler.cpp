#include "host/CfxLocalizationEnabler.h"

#include <locale.h>

namespace Host {

CfxLocalizationEnabler::CfxLocalizationEnabler(int, const char* localeName)
{
    if (!localeName)
        return;
    // Start from a copy of the thread's current locale so that only the
    // numeric category changes.
    locale_t base = duplocale(uselocale(static_cast<locale_t>(0)));
    if (base == static_cast<locale_t>(0))
        return;
    locale_t installed = newlocale(LC_NUMERIC_MASK, localeName, base);
    if (installed == static_cast<locale_t>(0)) {
        freelocale(base);
        return;
    }
    m_Installed = installed;
    m_Previous = uselocale(installed);
}

CfxLocalizationEnabler::~CfxLocalizationEnabler()
{
    if (!m_Installed)
        return;
    uselocale(static_cast<locale_t>(m_Previous));
    freelocale(static_cast<locale_t>(m_Installed));
}

} // namespace Host
