#pragma once

#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

// The loaders read files: each input is written to one temporary file of the process.
namespace fuzzcore {

inline QString WriteInput(const std::uint8_t* data, size_t size) {
    static const QString path = [] {
        char name[] = "/tmp/lumora-fuzz-XXXXXX";
        const int fd = mkstemp(name);
        if (fd < 0)
            std::abort();
        close(fd);
        return QString::fromLocal8Bit(name);
    }();
    std::FILE* f = std::fopen(path.toLocal8Bit().constData(), "wb");
    if (f == nullptr)
        std::abort();
    if (size > 0 && std::fwrite(data, 1, size, f) != size)
        std::abort();
    std::fclose(f);
    return path;
}

} // namespace fuzzcore
