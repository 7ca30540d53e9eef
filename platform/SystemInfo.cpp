#include "platform/SystemInfo.h"

#include "archive/Helpers.h"

#include <fstream>
#include <iterator>
#include <sys/sysinfo.h>
#include <sys/utsname.h>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#include <cstring>
#endif

namespace qz {

namespace {

std::string ReadWholeFile(const char* path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return {};
    }
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// One os-release value: shell-like quoting with backslash escapes.
std::string Unshell(std::string_view value) {
    std::string out;
    char quote = 0;
    for (size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (quote == 0 && (c == '"' || c == '\'')) {
            quote = c;
        } else if (c == quote) {
            quote = 0;
        } else if (c == '\\' && quote != '\'' && i + 1 < value.size()) {
            out.push_back(value[++i]);
        } else {
            out.push_back(c);
        }
    }
    return out;
}

} // namespace

std::string PrettyNameFromOsRelease(std::string_view osRelease) {
    for (const std::string& line : SplitString(osRelease, '\n')) {
        const std::string trimmed = Trim(line);
        if (trimmed.rfind("PRETTY_NAME=", 0) == 0) {
            return Trim(Unshell(std::string_view(trimmed).substr(12)));
        }
    }
    return {};
}

std::string OperatingSystemText(std::string_view prettyName, std::string_view system,
                                std::string_view release, std::string_view machine) {
    std::string kernel(system);
    for (const std::string_view part : {release, machine}) {
        if (!part.empty()) {
            kernel += (kernel.empty() ? "" : " ") + std::string(part);
        }
    }
    if (prettyName.empty()) {
        return kernel;
    }
    if (kernel.empty()) {
        return std::string(prettyName);
    }
    return std::string(prettyName) + " (" + kernel + ")";
}

std::string ProcessorFromCpuInfo(std::string_view cpuInfo) {
    for (const std::string& line : SplitString(cpuInfo, '\n')) {
        const size_t colon = line.find(':');
        if (colon != std::string::npos && Trim(line.substr(0, colon)) == "model name") {
            return Trim(line.substr(colon + 1));
        }
    }
    return {};
}

std::string OperatingSystemText() {
    std::string osRelease = ReadWholeFile("/etc/os-release");
    if (osRelease.empty()) {
        osRelease = ReadWholeFile("/usr/lib/os-release");
    }
    utsname names{};
    if (uname(&names) != 0) {
        return PrettyNameFromOsRelease(osRelease);
    }
    return OperatingSystemText(PrettyNameFromOsRelease(osRelease), names.sysname, names.release,
                               names.machine);
}

std::string ProcessorText() {
#if defined(__x86_64__) || defined(__i386__)
    // __get_cpuid_max checks that the identification instruction exists at all.
    if (__get_cpuid_max(0x80000000u, nullptr) < 0x80000004u) {
        return {};
    }
    char brand[49] = {};
    for (unsigned leaf = 0; leaf < 3; ++leaf) {
        unsigned regs[4] = {};
        __get_cpuid(0x80000002u + leaf, &regs[0], &regs[1], &regs[2], &regs[3]);
        std::memcpy(brand + 16 * leaf, regs, 16);
    }
    return std::string(brand); // up to the first zero byte
#else
    return ProcessorFromCpuInfo(ReadWholeFile("/proc/cpuinfo"));
#endif
}

uint64_t TotalMemoryBytes() {
    struct sysinfo info {};
    if (sysinfo(&info) != 0) {
        return 0;
    }
    return static_cast<uint64_t>(info.totalram) * info.mem_unit;
}

std::vector<std::string> SystemInfoLines(std::string_view os, std::string_view processor,
                                         uint64_t memoryBytes) {
    return {
        OsVersionPrefix + std::string(os),
        ProcessorPrefix + std::string(processor),
        TotalMemoryPrefix + std::to_string(memoryBytes >> 20) + " Mb",
    };
}

std::vector<std::string> SystemInfoLines() {
    return SystemInfoLines(OperatingSystemText(), ProcessorText(), TotalMemoryBytes());
}

} // namespace qz
