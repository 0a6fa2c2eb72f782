#pragma once

#include <cstddef>
#include <cstdint>

// Turns the supply's reading stream into samples. The stream is a run of 20-byte frames of five
// little-endian words: a marker whose first two bytes are 'V','A', an unused word, the reading as a
// float, whole seconds and 1/10,000 s. Chunks may end anywhere: the bytes of a frame that is not
// complete yet are kept for the next chunk. Bytes that do not start a frame are skipped up to the
// next marker; each such run, and each frame whose time is out of range, counts as one invalid frame.
class CDataStreamParser {
public:
    static constexpr std::size_t kFrameSize = 20;
    // Times lie within 48 hours of the first frame of the run.
    static constexpr double kMaxTime = 172800.0;

    // A new run: no origin, nothing kept, no invalid frames.
    void Reset();

    // Writes the samples of the chunk at times[received], values[received], ... and advances received,
    // never beyond capacity (frames past it are read and dropped).
    void Parse(const unsigned char* data, std::size_t n, double* times, double* values, std::size_t capacity,
               std::size_t& received);

    // How a stream ended: closed by its reader (a run stopped or done), or lost (the peer ended the link
    // or it broke).
    enum class eStreamEnd { Closed, Lost };

    // The stream has ended. Kept bytes before where a frame may begin are garbage either way; from there
    // on they are a frame the end cut off: invalid when the link was lost in it, dropped when the reader
    // closed it (the frame was never damaged, only not read to its end).
    void Finish(eStreamEnd end);

    // Counted in 64 bits: a flood of damaged frames over a long run passes 2^32.
    std::uint64_t InvalidFrames() const { return m_invalid; }
    std::size_t PendingBytes() const { return m_carryLength; }

private:
    // Takes the frames of buffer[0, length) from 'position' on; returns where the first byte not taken
    // lies (fewer than a frame's bytes remain from there).
    std::size_t Scan(const unsigned char* buffer, std::size_t length, std::size_t position, double* times,
                     double* values, std::size_t capacity, std::size_t& received);
    void TakeFrame(const unsigned char* frame, double* times, double* values, std::size_t capacity,
                   std::size_t& received);

    unsigned char m_carry[kFrameSize] = {};
    std::size_t m_carryLength = 0;
    bool m_hasOrigin = false;
    std::uint32_t m_originSeconds = 0;
    std::uint32_t m_originFraction = 0;
    bool m_skipping = false;
    std::uint64_t m_invalid = 0;
};
