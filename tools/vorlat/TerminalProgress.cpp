#include "TerminalProgress.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace vorlat {

namespace {

std::atomic<bool> interrupted{false};

extern "C" void OnInterrupt(int) { interrupted = true; }

// The bar appears only for work that takes a while.
const auto ShowAfter = std::chrono::milliseconds(300);
const auto Redraw = std::chrono::milliseconds(100);
const int BarWidth = 30;

} // namespace

TerminalProgress::TerminalProgress(std::string label)
    : m_Label(std::move(label)), m_Show(isatty(STDERR_FILENO) != 0), m_Started(std::chrono::steady_clock::now())
{
    interrupted = false;
    m_PreviousHandler = std::signal(SIGINT, OnInterrupt);
}

TerminalProgress::~TerminalProgress()
{
    Erase();
    std::signal(SIGINT, m_PreviousHandler == SIG_ERR ? SIG_DFL : m_PreviousHandler);
}

void TerminalProgress::Begin() { m_Started = std::chrono::steady_clock::now(); }

void TerminalProgress::SetTask(const std::wstring&, int) {}

void TerminalProgress::SetTitle(const std::wstring&) {}

void TerminalProgress::SetProgress(double fraction)
{
    if (DueForDrawing())
        Draw(fraction);
}

bool TerminalProgress::DueForDrawing()
{
    if (!m_Show)
        return false;
    const auto now = std::chrono::steady_clock::now();
    if (now - m_Started < ShowAfter || (m_Drawn && now - m_LastDraw < Redraw))
        return false;
    m_LastDraw = now;
    return true;
}

void TerminalProgress::Draw(double fraction)
{
    if (fraction < 0)
        fraction = 0;
    if (fraction > 1)
        fraction = 1;
    const int filled = static_cast<int>(fraction * BarWidth);
    std::string bar(static_cast<std::size_t>(filled), '#');
    bar.resize(BarWidth, ' ');
    std::fprintf(stderr, "\r%s [%s] %3d%%", m_Label.c_str(), bar.c_str(), static_cast<int>(fraction * 100));
    std::fflush(stderr);
    m_Drawn = true;
}

void TerminalProgress::ShowBytes(unsigned long long bytes)
{
    if (!DueForDrawing())
        return;
    std::fprintf(stderr, "\r%s: %llu MB", m_Label.c_str(), bytes >> 20);
    std::fflush(stderr);
    m_Drawn = true;
}

void TerminalProgress::Erase()
{
    if (!m_Drawn)
        return;
    std::fprintf(stderr, "\r\033[K");
    std::fflush(stderr);
    m_Drawn = false;
}

void TerminalProgress::End() { Erase(); }

bool TerminalProgress::IsCancelled() { return interrupted; }

} // namespace vorlat
