// How much memory the system can still give this process. Linux promises more memory than it
// has and ends a process that touches too much of it, so an allocation that succeeds says
// nothing: a program that fills large buffers asks first.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

namespace platform {

// The memory available for new allocations without swapping (MemAvailable of /proc/meminfo),
// in bytes; nothing when the system doesn't tell.
std::optional<std::uint64_t> AvailableMemory();

// Replaces the reading (tests simulate a system short of memory); null restores the system's.
// Returns the previous probe.
using MemoryProbe = std::function<std::optional<std::uint64_t>()>;
MemoryProbe SetMemoryProbe(MemoryProbe probe);

}  // namespace platform
