#pragma once

#include "host/Export.h"

namespace Host {

// While it lives, the calling thread reads and writes numbers under the
// conventions of the named locale (the decimal point of "C" whatever the
// user's settings). Only the calling thread is affected, never the process;
// the thread's previous conventions come back when it is destroyed. An
// unknown locale name leaves the conventions as they are.
class VORLAT_EXPORT CfxLocalizationEnabler {
public:
    // flags is reserved and must be 0.
    CfxLocalizationEnabler(int flags, const char* localeName);
    ~CfxLocalizationEnabler();

    CfxLocalizationEnabler(const CfxLocalizationEnabler&) = delete;
    CfxLocalizationEnabler& operator=(const CfxLocalizationEnabler&) = delete;

private:
    void* m_Previous = nullptr;
    void* m_Installed = nullptr;
};

} // namespace Host
