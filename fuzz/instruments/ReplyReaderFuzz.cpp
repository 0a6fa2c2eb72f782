#include "instruments/drvcore/ReplyReader.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

// Plays the fuzz input as an instrument's reply. First byte: bit 0 chooses a transport that marks
// message ends, bits 1-7 the largest piece a read returns.
class CFuzzSession : public drvcore::CSession {
public:
    CFuzzSession(const uint8_t* data, size_t size, bool marksEnd, size_t piece)
        : CSession(drvcore::SSessionOptions{}), m_data(data), m_size(size), m_marksEnd(marksEnd),
          m_piece(piece) {}

    bool Open() override { return true; }
    void Close() override {}
    bool IsOpen() const override { return true; }
    bool Write(std::string_view) override { return true; }
    bool Clear() override { return true; }
    bool MarksMessageEnd() const override { return m_marksEnd; }
    bool WaitForInput(int) override { return m_at < m_size; }

protected:
    long long ReadRaw(char* data, size_t size, bool& end) override {
        if (m_at == m_size) {
            m_error = "time-out";
            return -1;
        }
        const size_t n = std::min({size, m_piece, m_size - m_at});
        std::memcpy(data, m_data + m_at, n);
        m_at += n;
        end = m_marksEnd && m_at == m_size;
        return static_cast<long long>(n);
    }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_at = 0;
    bool m_marksEnd;
    size_t m_piece;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1)
        return 0;
    CFuzzSession session(data + 1, size - 1, (data[0] & 1) != 0, (data[0] >> 1) + 1);
    drvcore::CReplyReader reader(session, 64, 4096);
    std::vector<char> buffer;
    unsigned length = 0;
    if (reader.Read(buffer, length) && (length > 4096 || length > buffer.size()))
        __builtin_trap();
    return 0;
}
