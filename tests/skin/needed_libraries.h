#pragma once

#include <cstdio>
#include <string>

// What `readelf -d` says of a program's dynamic section (its NEEDED lines among them), or nothing
// when readelf cannot be run.
inline std::string dynamicSection(const std::string& program) {
    FILE* pipe = ::popen(("readelf -d '" + program + "'").c_str(), "r");
    if (!pipe) return {};
    std::string dynamic;
    char buffer[4096];
    while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
        dynamic.append(buffer, n);
    return ::pclose(pipe) == 0 ? dynamic : std::string();
}
