#pragma once

#include <QByteArray>
#include <QFile>
#include <QProcessEnvironment>
#include <algorithm>
#include <vector>

// What every benchmark reports beside its timings.
namespace benchsupport {

// The median of the runs: one slow or one lucky run does not move it.
inline double Median(std::vector<double> v) {
    if (v.empty())
        return 0.0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The load average of the last minute, so that every figure says how busy the machine was.
inline double LoadAverage() {
    QFile file(QStringLiteral("/proc/loadavg"));
    return file.open(QIODevice::ReadOnly) ? file.readAll().split(' ').value(0).toDouble() : -1.0;
}

// A peer's environment with our page policy: the large blocks we take are laid out for huge pages
// (platform/LargeBlock.h), and glibc's malloc is asked for the same. Without it a peer pays a page
// fault per 4 KiB where we pay one per 2 MiB, which on a virtual machine is most of some peers' time.
inline QProcessEnvironment HugePagePolicy() {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("GLIBC_TUNABLES"), QStringLiteral("glibc.malloc.hugetlb=1"));
    return environment;
}

} // namespace benchsupport
