#include "lumora/core/DataStreamParser.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace {

std::uint32_t LoadWord(const unsigned char* at) {
    std::uint32_t word;
    std::memcpy(&word, at, sizeof(word));
    if constexpr (std::endian::native == std::endian::big)
        word = __builtin_bswap32(word);
    return word;
}

bool IsMarker(const unsigned char* at) {
    return at[0] == 'V' && at[1] == 'A';
}

} // namespace

void CDataStreamParser::Reset() {
    *this = CDataStreamParser();
}

void CDataStreamParser::TakeFrame(const unsigned char* frame, double* times, double* values,
                                  std::size_t capacity, std::size_t& received) {
    if (received >= capacity)
        return;
    const std::uint32_t seconds = LoadWord(frame + 12);
    const std::uint32_t fraction = LoadWord(frame + 16);
    double t = 0.0;
    if (!m_hasOrigin) {
        m_hasOrigin = true;
        m_originSeconds = seconds;
        m_originFraction = fraction;
    } else {
        if (seconds < m_originSeconds) {
            ++m_invalid;
            return;
        }
        t = static_cast<double>(seconds - m_originSeconds) +
            static_cast<double>(static_cast<std::int32_t>(fraction - m_originFraction)) * 0.0001;
        if (!(t >= 0.0 && t <= kMaxTime)) {
            ++m_invalid;
            return;
        }
    }
    const std::uint32_t bits = LoadWord(frame + 8);
    float reading;
    std::memcpy(&reading, &bits, sizeof(reading));
    times[received] = t;
    values[received] = reading;
    ++received;
}

std::size_t CDataStreamParser::Scan(const unsigned char* buffer, std::size_t length, std::size_t position,
                                    double* times, double* values, std::size_t capacity,
                                    std::size_t& received) {
    while (length - position >= kFrameSize) {
        if (IsMarker(buffer + position)) {
            m_skipping = false;
            TakeFrame(buffer + position, times, values, capacity, received);
            position += kFrameSize;
            continue;
        }
        if (!m_skipping) {
            m_skipping = true;
            ++m_invalid;
        }
        // Up to the next 'V' that is followed by 'A'; a 'V' in the last byte may start a frame.
        std::size_t next = position + 1;
        for (;;) {
            const void* v = std::memchr(buffer + next, 'V', length - next);
            if (v == nullptr) {
                next = length;
                break;
            }
            next = static_cast<std::size_t>(static_cast<const unsigned char*>(v) - buffer);
            if (next + 1 >= length || buffer[next + 1] == 'A')
                break;
            ++next;
        }
        position = next;
    }
    return position;
}

void CDataStreamParser::Parse(const unsigned char* data, std::size_t n, double* times, double* values,
                              std::size_t capacity, std::size_t& received) {
    if (n == 0)
        return;
    if (m_carryLength > 0) {
        // The kept bytes and at most one frame's worth of the chunk: from there on the scan either
        // stops past the kept bytes or has used the whole chunk.
        unsigned char joined[2 * kFrameSize];
        const std::size_t taken = std::min(n, kFrameSize);
        std::memcpy(joined, m_carry, m_carryLength);
        std::memcpy(joined + m_carryLength, data, taken);
        const std::size_t length = m_carryLength + taken;
        const std::size_t stop = Scan(joined, length, 0, times, values, capacity, received);
        if (taken == n) {
            m_carryLength = length - stop;
            std::memmove(m_carry, joined + stop, m_carryLength);
            return;
        }
        // With a whole frame's worth of the chunk joined, the scan has stopped past the kept bytes.
        data += stop - m_carryLength;
        n -= stop - m_carryLength;
        m_carryLength = 0;
    }
    const std::size_t stop = Scan(data, n, 0, times, values, capacity, received);
    m_carryLength = n - stop;
    std::memcpy(m_carry, data + stop, m_carryLength);
}

void CDataStreamParser::Finish(eStreamEnd end) {
    // The kept bytes are fewer than a frame: garbage up to where a frame may begin, then the frame the
    // end cut off.
    std::size_t start = 0;
    while (start < m_carryLength &&
           !(m_carry[start] == 'V' && (start + 1 == m_carryLength || m_carry[start + 1] == 'A')))
        ++start;
    // A run of garbage that was being skipped has been counted already.
    if (start > 0 && !m_skipping)
        ++m_invalid;
    if (start < m_carryLength && end == eStreamEnd::Lost)
        ++m_invalid;
    m_carryLength = 0;
    m_skipping = false;
}
