#include "instruments/drvcore/ReplyReader.h"

#include <gtest/gtest.h>

#include <deque>

namespace {

// Hands out scripted pieces of input; on a transport that marks ends, the last piece carries END.
class CScriptSession : public drvcore::CSession {
public:
    CScriptSession(std::deque<std::string> pieces, bool marksEnd, std::string termination = "\n")
        : CSession(drvcore::SSessionOptions{1000, std::move(termination)}), m_pieces(std::move(pieces)),
          m_marksEnd(marksEnd) {}

    bool Open() override { return true; }
    void Close() override {}
    bool IsOpen() const override { return true; }
    bool Write(std::string_view) override { return true; }
    bool Clear() override { return true; }
    bool MarksMessageEnd() const override { return m_marksEnd; }
    bool WaitForInput(int) override { return !m_pieces.empty(); }

protected:
    long long ReadRaw(char* data, size_t size, bool& end) override {
        if (m_pieces.empty()) {
            m_error = "time-out";
            return -1;
        }
        std::string& piece = m_pieces.front();
        const size_t n = std::min(size, piece.size());
        piece.copy(data, n);
        piece.erase(0, n);
        if (piece.empty()) {
            m_pieces.pop_front();
            end = m_marksEnd && m_pieces.empty();
        }
        return static_cast<long long>(n);
    }

private:
    std::deque<std::string> m_pieces;
    bool m_marksEnd;
};

struct SCase {
    const char* name;
    std::deque<std::string> pieces;
    bool marksEnd;
    bool ok;
    std::string reply;
};

TEST(ReplyReaderTest, FramesRepliesOfEveryKind) {
    const std::string data("ab\ncd\n#1", 8);
    const SCase cases[] = {
        {"text in pieces", {"LUM", "ORA", "\n"}, false, true, "LUMORA"},
        {"text with END", {"1.5\n"}, true, true, "1.5"},
        {"text without terminator but END", {"1.5"}, true, true, "1.5"},
        {"text never ended", {"1.5"}, false, false, ""},
        {"hex numeric", {"#H1F\n"}, false, true, "#H1F"},
        {"CR LF where LF terminates", {"OK\r\n"}, false, true, "OK"},
        {"definite in pieces", {"#", "18", data, "\n"}, false, true, "#18" + data},
        {"definite with END", {"#18" + data + "\n"}, true, true, "#18" + data},
        {"definite, END on its last byte", {"#18" + data}, true, true, "#18" + data},
        {"empty definite", {"#10\n"}, false, true, "#10"},
        {"definite cut short by END", {"#18abc"}, true, false, ""},
        {"definite followed by junk", {"#12abXY\n"}, false, false, ""},
        {"definite with junk before END", {"#12abXY\n"}, true, false, ""},
        {"non-digit length", {"#2a5abc\n"}, false, false, ""},
        {"'#' and noise", {"#\xff\x01\n"}, false, false, ""},
        {"indefinite with END", {"#0", data, "\n"}, true, true, "#0" + data},
        {"indefinite on a stream", {"#0", data, "\n"}, false, true, "#0" + data},
        {"empty indefinite", {"#0\n"}, false, true, "#0"},
    };
    for (const SCase& c : cases) {
        CScriptSession session(c.pieces, c.marksEnd);
        drvcore::CReplyReader reader(session, 16, 1000);
        std::vector<char> buffer;
        unsigned size = 0;
        EXPECT_EQ(reader.Read(buffer, size), c.ok) << c.name << ": " << reader.Error();
        if (c.ok) {
            EXPECT_EQ(std::string(buffer.data(), size), c.reply) << c.name;
        } else {
            EXPECT_FALSE(reader.Error().empty()) << c.name;
        }
    }
}

TEST(ReplyReaderTest, BytesAfterAReplyStartTheNextOne) {
    CScriptSession session({"ONE\nTW", "O\n#13abc\nTHREE\n"}, false);
    drvcore::CReplyReader reader(session, 16, 1000);
    std::vector<char> buffer;
    unsigned size = 0;
    for (const char* expected : {"ONE", "TWO", "#13abc", "THREE"}) {
        ASSERT_TRUE(reader.Read(buffer, size)) << expected << ": " << reader.Error();
        EXPECT_EQ(std::string(buffer.data(), size), expected);
    }
}

TEST(ReplyReaderTest, RepliesBeyondTheLimitFail) {
    const std::string big(2000, 'x');
    const SCase cases[] = {
        {"long text", {big + "\n"}, false, false, ""},
        {"long indefinite", {"#0" + big + "\n"}, true, false, ""},
        {"long definite", {"#42000" + big + "\n"}, false, false, ""},
        {"largest definite",
         {"#3994" + std::string(994, 'y') + "\n"},
         false,
         true,
         "#3994" + std::string(994, 'y')},
    };
    for (const SCase& c : cases) {
        CScriptSession session(c.pieces, c.marksEnd);
        drvcore::CReplyReader reader(session, 16, 1000);
        std::vector<char> buffer;
        unsigned size = 0;
        EXPECT_EQ(reader.Read(buffer, size), c.ok) << c.name;
        EXPECT_LE(buffer.size(), 1000u + 4096u) << c.name;
        if (c.ok) {
            EXPECT_EQ(std::string(buffer.data(), size), c.reply) << c.name;
        }
    }
}

TEST(ReplyReaderTest, ALongerTerminationIsStripped) {
    CScriptSession session({"OK\r\n#12ab\r\n"}, false, "\r\n");
    drvcore::CReplyReader reader(session, 16, 1000);
    std::vector<char> buffer;
    unsigned size = 0;
    ASSERT_TRUE(reader.Read(buffer, size));
    EXPECT_EQ(std::string(buffer.data(), size), "OK");
    ASSERT_TRUE(reader.Read(buffer, size));
    EXPECT_EQ(std::string(buffer.data(), size), "#12ab");
}

} // namespace
