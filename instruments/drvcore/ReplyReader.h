#pragma once

#include "instruments/drvcore/Session.h"

#include <cstddef>
#include <string>
#include <vector>

namespace drvcore {

// Reads one whole reply from a session: a text line, or an IEEE 488.2 definite (#<n><len>) or
// indefinite (#0) block. The buffer grows as needed, never beyond the limit plus a little slack,
// and is never shrunk (so repeated large replies do not reallocate).
class CReplyReader {
public:
    CReplyReader(CSession& session, size_t initialSize, size_t maxReply);

    // Stores the reply without its termination; the block header stays in front of block data.
    bool Read(std::vector<char>& buffer, unsigned& size);
    const std::string& Error() const { return m_error; }

    // How long a stream must stay quiet after a termination character to end an indefinite block.
    static constexpr int kIndefiniteQuietMs = 100;

private:
    bool ReadMore();
    bool ReadText();
    bool ReadDefinite();
    bool ReadIndefinite();
    bool ReadBlockTrailer(size_t blockEnd);
    size_t StripTermination() const;
    bool Fail(const std::string& why);

    CSession& m_session;
    size_t m_initialSize;
    size_t m_maxReply;
    size_t m_capacityLimit;
    std::string m_termination;
    char m_termChar;
    std::vector<char>* m_buffer = nullptr;
    size_t m_filled = 0;
    bool m_end = false;
    std::string m_error;
};

} // namespace drvcore
