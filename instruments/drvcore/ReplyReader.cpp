#include "instruments/drvcore/ReplyReader.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace drvcore {

namespace {
// Room past the largest reply for its termination and for bytes that arrive with it.
constexpr size_t kSlack = 4096;
constexpr size_t kMinFreeSpace = 4096;
} // namespace

CReplyReader::CReplyReader(CSession& session, size_t initialSize, size_t maxReply)
    : m_session(session), m_initialSize(initialSize), m_maxReply(maxReply),
      m_capacityLimit(maxReply + kSlack),
      m_termination(session.Options().termination.empty() ? "\n" : session.Options().termination),
      m_termChar(m_termination.back()) {}

bool CReplyReader::Fail(const std::string& why) {
    m_error = why;
    return false;
}

bool CReplyReader::ReadMore() {
    std::vector<char>& buffer = *m_buffer;
    if (buffer.size() - m_filled < kMinFreeSpace) {
        if (buffer.size() >= m_capacityLimit)
            return Fail("reply exceeds the limit of " + std::to_string(m_maxReply) + " bytes");
        buffer.resize(std::min(m_capacityLimit, std::max(buffer.size() * 2, m_filled + kMinFreeSpace)));
    }
    const long long got = m_session.Read(buffer.data() + m_filled, buffer.size() - m_filled, m_end);
    if (got < 0)
        return Fail(m_session.LastError());
    m_filled += static_cast<size_t>(got);
    return true;
}

size_t CReplyReader::StripTermination() const {
    const char* data = m_buffer->data();
    if (m_filled >= m_termination.size() &&
        std::memcmp(data + m_filled - m_termination.size(), m_termination.data(), m_termination.size()) == 0)
        return m_filled - m_termination.size();
    if (m_filled > 0 && data[m_filled - 1] == m_termChar)
        return m_filled - 1;
    return m_filled;
}

bool CReplyReader::Read(std::vector<char>& buffer, unsigned& size) {
    size = 0;
    m_buffer = &buffer;
    m_filled = 0;
    m_end = false;
    m_error.clear();
    if (buffer.size() < m_initialSize)
        buffer.resize(m_initialSize);
    while (m_filled < 2 && !m_end && (m_filled == 0 || buffer[0] == '#'))
        if (!ReadMore())
            return false;
    bool ok;
    if (m_filled >= 2 && buffer[0] == '#') {
        const char kind = buffer[1];
        if (kind >= '1' && kind <= '9')
            ok = ReadDefinite();
        else if (kind == '0')
            ok = ReadIndefinite();
        else if (std::strchr("HQBhqb", kind) != nullptr)
            ok = ReadText();
        else
            ok = Fail("malformed reply: '#' not followed by a block header");
    } else {
        ok = ReadText();
    }
    if (!ok)
        return false;
    if (m_filled > m_maxReply)
        return Fail("reply exceeds the limit of " + std::to_string(m_maxReply) + " bytes");
    size = static_cast<unsigned>(m_filled);
    return true;
}

bool CReplyReader::ReadText() {
    const bool stream = !m_session.MarksMessageEnd();
    size_t scanned = 0;
    for (;;) {
        if (stream) {
            const char* data = m_buffer->data();
            const void* found = std::memchr(data + scanned, m_termChar, m_filled - scanned);
            if (found != nullptr) {
                const size_t messageEnd = static_cast<size_t>(static_cast<const char*>(found) - data) + 1;
                m_session.Unread(data + messageEnd, m_filled - messageEnd);
                m_filled = messageEnd;
                break;
            }
            scanned = m_filled;
        } else if (m_end) {
            break;
        }
        if (m_filled > m_maxReply + m_termination.size())
            return Fail("reply exceeds the limit of " + std::to_string(m_maxReply) + " bytes");
        if (!ReadMore())
            return false;
    }
    m_filled = StripTermination();
    // Some instruments end lines with "\r\n" whatever the host's termination.
    if (m_filled > 0 && (*m_buffer)[m_filled - 1] == '\r')
        --m_filled;
    return true;
}

bool CReplyReader::ReadDefinite() {
    const size_t digits = static_cast<size_t>((*m_buffer)[1] - '0');
    while (m_filled < 2 + digits) {
        if (m_end)
            return Fail("malformed block header");
        if (!ReadMore())
            return false;
    }
    unsigned long long length = 0;
    for (size_t i = 0; i < digits; ++i) {
        const char c = (*m_buffer)[2 + i];
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return Fail("malformed block header");
        length = length * 10 + static_cast<unsigned>(c - '0');
    }
    const unsigned long long total = 2 + digits + length;
    if (total > m_maxReply)
        return Fail("block of " + std::to_string(length) + " bytes exceeds the limit of " +
                    std::to_string(m_maxReply) + " bytes");
    const size_t blockEnd = static_cast<size_t>(total);
    if (m_buffer->size() < blockEnd + kSlack)
        m_buffer->resize(blockEnd + kSlack);
    while (m_filled < blockEnd) {
        if (m_end)
            return Fail("block shorter than its header says");
        if (!ReadMore())
            return false;
    }
    return ReadBlockTrailer(blockEnd);
}

bool CReplyReader::ReadBlockTrailer(size_t blockEnd) {
    if (m_session.MarksMessageEnd()) {
        while (!m_end) {
            if (m_filled - blockEnd > m_termination.size())
                return Fail("unexpected data after a block");
            if (!ReadMore())
                return false;
        }
        if (m_filled - blockEnd > m_termination.size())
            return Fail("unexpected data after a block");
        m_filled = blockEnd;
        return true;
    }
    // A stream: the response terminator follows the block.
    for (;;) {
        const char* data = m_buffer->data();
        const size_t after = m_filled - blockEnd;
        const size_t look = std::min(after, m_termination.size());
        const void* found = std::memchr(data + blockEnd, m_termChar, look);
        if (found != nullptr) {
            const size_t messageEnd = static_cast<size_t>(static_cast<const char*>(found) - data) + 1;
            m_session.Unread(data + messageEnd, m_filled - messageEnd);
            m_filled = blockEnd;
            return true;
        }
        if (after >= m_termination.size())
            return Fail("unexpected data after a block");
        if (!ReadMore())
            return false;
    }
}

bool CReplyReader::ReadIndefinite() {
    if (m_session.MarksMessageEnd()) {
        while (!m_end) {
            if (m_filled > m_maxReply + m_termination.size())
                return Fail("reply exceeds the limit of " + std::to_string(m_maxReply) + " bytes");
            if (!ReadMore())
                return false;
        }
    } else {
        // A stream marks no end: the block ends at a termination character after which the
        // instrument stays quiet.
        while (m_filled <= 2 || (*m_buffer)[m_filled - 1] != m_termChar ||
               m_session.WaitForInput(kIndefiniteQuietMs)) {
            if (m_filled > m_maxReply + m_termination.size())
                return Fail("reply exceeds the limit of " + std::to_string(m_maxReply) + " bytes");
            if (!ReadMore())
                return false;
        }
    }
    m_filled = std::max<size_t>(StripTermination(), 2);
    return true;
}

} // namespace drvcore
