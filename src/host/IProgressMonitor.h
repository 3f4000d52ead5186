#pragma once

#include <string>

#include "host/Export.h"

namespace Host {

// Shows the progress of long work (indexing a file) and tells whether the
// user asked to cancel it.
class VORLAT_EXPORT IProgressMonitor {
public:
    virtual ~IProgressMonitor();

    // Work starts.
    virtual void Begin() = 0;
    // Names the current task; work is the amount of it when known, else 0.
    virtual void SetTask(const std::wstring& task, int work) = 0;
    // The share of the work done so far, from 0 to 1.
    virtual void SetProgress(double fraction) = 0;
    virtual void SetTitle(const std::wstring& title) = 0;
    // Work has ended, finished or not.
    virtual void End() = 0;
    virtual bool IsCancelled() = 0;
};

// Shows nothing and never reports cancellation.
class VORLAT_EXPORT NullProgressMonitor : public IProgressMonitor {
public:
    ~NullProgressMonitor() override;

    void Begin() override;
    void SetTask(const std::wstring& task, int work) override;
    void SetProgress(double fraction) override;
    void SetTitle(const std::wstring& title) override;
    void End() override;
    bool IsCancelled() override;
};

} // namespace Host
