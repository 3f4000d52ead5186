#pragma once

// RDKit's logs silenced while the molecule model works. Included only by the
// molecule model's own sources: it brings in RDKit.

#include <RDGeneral/RDLog.h>

namespace Chem {
namespace detail {

// For the lifetime of the object, RDKit's logs that are on are off, and then
// on again: a table of a million records must not write every odd record to
// standard error, and a host that uses RDKit itself keeps its own logs as it
// set them. RDKit's logs belong to the process: while the object lives, a
// message the host logs from another thread is not written either.
using QuietToolkit = RDLog::LogStateSetter;

} // namespace detail
} // namespace Chem
