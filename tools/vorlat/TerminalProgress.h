#pragma once

#include <chrono>
#include <string>

#include "host/IProgressMonitor.h"

namespace vorlat {

// Shows indexing progress as a bar on standard error (only when it is a
// terminal) and turns Ctrl-C into a cancellation request while it lives.
class TerminalProgress : public Host::IProgressMonitor {
public:
    explicit TerminalProgress(std::string label);
    ~TerminalProgress() override;
    TerminalProgress(const TerminalProgress&) = delete;
    TerminalProgress& operator=(const TerminalProgress&) = delete;

    void Begin() override;
    void SetTask(const std::wstring& task, int work) override;
    void SetProgress(double fraction) override;
    void SetTitle(const std::wstring& title) override;
    void End() override;
    bool IsCancelled() override;
    // For work of unknown length (a pipe copied to a file): the bytes so far.
    void ShowBytes(unsigned long long bytes);

private:
    // Whether a terminal shows the work and it is time to draw again.
    bool DueForDrawing();
    void Draw(double fraction);
    void Erase();

    std::string m_Label;
    bool m_Show;
    bool m_Drawn = false;
    std::chrono::steady_clock::time_point m_Started;
    std::chrono::steady_clock::time_point m_LastDraw;
    void (*m_PreviousHandler)(int) = nullptr;
};

} // namespace vorlat
