#include "lumora/sheetio/CompoundStorage.h"

#include <QFile>
#include <QFileInfo>

#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-stdio.h>
#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-stdio.h>
#include <gsf/gsf-utils.h>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace SheetIO {

namespace {

void InitGsf() {
    static std::once_flag once;
    std::call_once(once, [] { gsf_init(); });
}

bool SameName(const std::string& a, const char* b) {
    return QString::fromUtf8(a).compare(QString::fromUtf8(b), Qt::CaseInsensitive) == 0;
}

// The permissions a newly created file gets from this process.
mode_t NewFileMode() {
    mode_t mask = 022;
    if (FILE* status = std::fopen("/proc/self/status", "re")) {
        char line[256];
        while (std::fgets(line, sizeof line, status))
            if (std::sscanf(line, "Umask: %o", &mask) == 1)
                break;
        std::fclose(status);
    }
    return 0666 & ~mask;
}

// Replaces the file at 'path' by what 'write' writes into a temporary file beside it, so that a
// failed write leaves the old file as it was. A device (or other non-regular file) cannot be
// replaced and is written directly. True only when every write, the sync and the close succeeded.
bool ReplaceFile(const QString& path, const std::function<bool(int fd)>& write) {
    QFileInfo info(path);
    const QString resolved =
        info.isSymLink() && !info.canonicalFilePath().isEmpty() ? info.canonicalFilePath() : path;
    const QByteArray target = QFile::encodeName(resolved);
    struct stat existing;
    const bool exists = ::stat(target.constData(), &existing) == 0;
    if (exists && !S_ISREG(existing.st_mode)) {
        const int fd = ::open(target.constData(), O_WRONLY | O_CLOEXEC);
        if (fd < 0)
            return false;
        const bool ok = write(fd);
        return ::close(fd) == 0 && ok;
    }
    QByteArray temp = target + ".XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        return false;
    bool ok = write(fd);
    ok = ok && ::fchmod(fd, exists ? (existing.st_mode & 07777) : NewFileMode()) == 0;
    ok = ok && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && ::rename(temp.constData(), target.constData()) == 0;
    if (!ok)
        ::unlink(temp.constData());
    return ok;
}

} // namespace

CCompoundStorage::CStreamReader::~CStreamReader() {
    g_object_unref(m_input);
}

uint64_t CCompoundStorage::CStreamReader::Size() const {
    return static_cast<uint64_t>(gsf_input_size(m_input));
}

bool CCompoundStorage::CStreamReader::Read(uint8_t* out, size_t count) {
    return count == 0 || gsf_input_read(m_input, count, out) != nullptr;
}

std::unique_ptr<CCompoundStorage::CStreamReader> CCompoundStorage::OpenStreamReader(const std::string& name) {
    if (IsWritable())
        return nullptr;
    const int index = FindChild(name);
    GsfInput* child = index < 0 ? nullptr : gsf_infile_child_by_index(m_infile, index);
    return child ? std::make_unique<CStreamReader>(child) : nullptr;
}

CCompoundStorage::~CCompoundStorage() {
    if (m_infile)
        g_object_unref(m_infile);
}

std::unique_ptr<CCompoundStorage> CCompoundStorage::OpenForReading(const QString& path) {
    InitGsf();
    const QByteArray file = QFile::encodeName(path);
    GError* error = nullptr;
    GsfInput* input = gsf_input_stdio_new(file.constData(), &error);
    if (!input) {
        g_clear_error(&error);
        return nullptr;
    }
    GsfInfile* ole = gsf_infile_msole_new(input, &error);
    g_object_unref(input);
    if (!ole) {
        g_clear_error(&error);
        return nullptr;
    }
    std::unique_ptr<CCompoundStorage> storage(new CCompoundStorage);
    storage->m_infile = ole;
    storage->m_path = path;
    return storage;
}

std::unique_ptr<CCompoundStorage> CCompoundStorage::Create(const QString& path) {
    InitGsf();
    std::unique_ptr<CCompoundStorage> storage(new CCompoundStorage);
    storage->m_path = path;
    return storage;
}

int CCompoundStorage::FindChild(const std::string& name) const {
    const int count = gsf_infile_num_children(m_infile);
    for (int i = 0; i < count; ++i) {
        const char* childName = gsf_infile_name_by_index(m_infile, i);
        if (childName && SameName(name, childName))
            return i;
    }
    return -1;
}

std::vector<std::pair<std::string, std::vector<uint8_t>>>::iterator
CCompoundStorage::FindStream(const std::string& name) {
    for (auto it = m_streams.begin(); it != m_streams.end(); ++it)
        if (SameName(name, it->first.c_str()))
            return it;
    return m_streams.end();
}

int CCompoundStorage::CreateStream(const std::string& name) {
    if (!IsWritable())
        return -1;
    auto it = FindStream(name);
    if (it == m_streams.end())
        m_streams.emplace_back(name, std::vector<uint8_t>());
    else
        it->second.clear();
    return 1;
}

int CCompoundStorage::StreamSize(const std::string& name, uint64_t& size) {
    if (IsWritable()) {
        auto it = FindStream(name);
        if (it == m_streams.end())
            return -1;
        size = it->second.size();
        return 1;
    }
    const int index = FindChild(name);
    if (index < 0)
        return -1;
    GsfInput* child = gsf_infile_child_by_index(m_infile, index);
    if (!child)
        return -1;
    size = static_cast<uint64_t>(gsf_input_size(child));
    g_object_unref(child);
    return 1;
}

int CCompoundStorage::ReadStream(const std::string& name, std::vector<uint8_t>& buffer) {
    buffer.clear();
    uint64_t size = 0;
    if (StreamSize(name, size) != 1)
        return -1;
    if (size == 0)
        return 1;
    if (size > 0xFFFFFFFFull)
        return -6;
    if (IsWritable()) {
        buffer = FindStream(name)->second;
        return 1;
    }
    GsfInput* child = gsf_infile_child_by_index(m_infile, FindChild(name));
    if (!child)
        return -1;
    buffer.resize(size);
    const bool read = gsf_input_read(child, size, buffer.data()) != nullptr;
    g_object_unref(child);
    if (!read) {
        buffer.clear();
        return -1;
    }
    return 1;
}

int CCompoundStorage::WriteStream(const std::string& name, const uint8_t* bytes, size_t size) {
    if (!IsWritable())
        return -1;
    auto it = FindStream(name);
    if (it == m_streams.end())
        return -1;
    it->second.assign(bytes, bytes + size);
    return Flush() ? 1 : -1;
}

int CCompoundStorage::WriteStream(const std::string& name, uint64_t size, const Producer& produce) {
    if (!IsWritable())
        return -1;
    auto it = FindStream(name);
    if (it == m_streams.end())
        return -1;
    it->second.clear();
    it->second.shrink_to_fit();
    return Flush(&it->first, &produce, size) ? 1 : -1;
}

bool CCompoundStorage::WriteDocument(GsfOutput* sink, const std::string* produced, const Producer* produce,
                                     uint64_t size) const {
    GsfOutfile* ole = gsf_outfile_msole_new(sink);
    bool ok = ole != nullptr;
    for (const auto& [name, bytes] : m_streams) {
        if (!ok)
            break;
        GsfOutput* child = gsf_outfile_new_child(ole, name.c_str(), FALSE);
        ok = child != nullptr;
        if (ok && produced && &name == produced) {
            uint64_t written = 0;
            ok = (*produce)([&](const uint8_t* piece, size_t length) {
                written += length;
                return written <= size && (length == 0 || gsf_output_write(child, length, piece));
            });
            ok = ok && written == size;
        } else if (ok) {
            ok = bytes.empty() || gsf_output_write(child, bytes.size(), bytes.data());
        }
        if (child) {
            ok = gsf_output_close(child) && ok;
            g_object_unref(child);
        }
    }
    if (ole) {
        ok = gsf_output_close(GSF_OUTPUT(ole)) && ok;
        g_object_unref(ole);
    }
    if (!gsf_output_is_closed(sink))
        ok = gsf_output_close(sink) && ok;
    return ok;
}

bool CCompoundStorage::Flush(const std::string* produced, const Producer* produce, uint64_t size) {
    const QByteArray name = QFile::encodeName(m_path);
    // The document goes straight into the file through a buffered stream of its own descriptor,
    // not through a copy of it in memory.
    return ReplaceFile(m_path, [&](int fd) {
        const int own = ::dup(fd);
        FILE* file = own < 0 ? nullptr : ::fdopen(own, "wb");
        if (!file) {
            if (own >= 0)
                ::close(own);
            return false;
        }
        GsfOutput* sink = gsf_output_stdio_new_FILE(name.constData(), file, TRUE);
        bool ok = sink != nullptr && WriteDocument(sink, produced, produce, size);
        if (sink)
            g_object_unref(sink);
        ok = std::fflush(file) == 0 && ok;
        return std::fclose(file) == 0 && ok;
    });
}

} // namespace SheetIO
