#pragma once
// The three texts that describe the machine at the top of the run log: the operating
// system, the processor and the physical memory.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qz {

inline constexpr const char* OsVersionPrefix = "   OS Version: ";
inline constexpr const char* ProcessorPrefix = "   Processor: ";
inline constexpr const char* TotalMemoryPrefix = "   Total Memory: ";

// PRETTY_NAME of an os-release text (quotes and backslash escapes undone), or "".
std::string PrettyNameFromOsRelease(std::string_view osRelease);
// "<pretty name> (<system> <release> <machine>)", either part alone when the other is
// missing, "" when both are.
std::string OperatingSystemText(std::string_view prettyName, std::string_view system,
                                std::string_view release, std::string_view machine);
// The first "model name" of a /proc/cpuinfo text, or "".
std::string ProcessorFromCpuInfo(std::string_view cpuInfo);

// This machine: /etc/os-release (or /usr/lib/os-release) and uname.
std::string OperatingSystemText();
// The processor's brand string through CPUID on x86-64 (cut at its first zero byte, ""
// when the highest extended function is below 80000004 hexadecimal); elsewhere the
// "model name" of /proc/cpuinfo.
std::string ProcessorText();
// Total physical memory in bytes, 0 when it cannot be had.
uint64_t TotalMemoryBytes();

// The three log lines: the prefixes above followed by the texts, the memory in MiB
// (bytes shifted right by 20) and " Mb".
std::vector<std::string> SystemInfoLines(std::string_view os, std::string_view processor,
                                         uint64_t memoryBytes);
std::vector<std::string> SystemInfoLines();

} // namespace qz
