#include "host/IProgressMonitor.h"

namespace Host {

IProgressMonitor::~IProgressMonitor() = default;

NullProgressMonitor::~NullProgressMonitor() = default;
void NullProgressMonitor::Begin() {}
void NullProgressMonitor::SetTask(const std::wstring&, int) {}
void NullProgressMonitor::SetProgress(double) {}
void NullProgressMonitor::SetTitle(const std::wstring&) {}
void NullProgressMonitor::End() {}
bool NullProgressMonitor::IsCancelled() { return false; }

} // namespace Host
