#include "platform/available_memory.h"

#include <cstdio>
#include <cstring>
#include <utility>

namespace platform {

namespace {

constexpr const char* kMemInfoPath = "/proc/meminfo";
constexpr const char* kAvailableKey = "MemAvailable:";
constexpr std::uint64_t kKibibyte = 1024;

MemoryProbe& Probe() {
    static MemoryProbe probe;
    return probe;
}

// The line reads "MemAvailable:   123456 kB"; it sits among the first few lines.
std::optional<std::uint64_t> ReadMemInfo() {
    std::FILE* file = std::fopen(kMemInfoPath, "r");
    if (file == nullptr) {
        return std::nullopt;
    }
    std::optional<std::uint64_t> available;
    char line[256];
    while (!available && std::fgets(line, sizeof line, file) != nullptr) {
        unsigned long long kib = 0;
        if (std::strncmp(line, kAvailableKey, std::strlen(kAvailableKey)) == 0 &&
            std::sscanf(line + std::strlen(kAvailableKey), "%llu", &kib) == 1) {
            available = static_cast<std::uint64_t>(kib) * kKibibyte;
        }
    }
    std::fclose(file);
    return available;
}

}  // namespace

std::optional<std::uint64_t> AvailableMemory() {
    return Probe() ? Probe()() : ReadMemInfo();
}

MemoryProbe SetMemoryProbe(MemoryProbe probe) {
    return std::exchange(Probe(), std::move(probe));
}

}  // namespace platform
