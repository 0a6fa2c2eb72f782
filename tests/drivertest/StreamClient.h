#pragma once

#include <arpa/inet.h>
#include <cstdint>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>
#include <vector>

namespace drivertest {

// A plain TCP client of the power supply's data stream, as the program's receiver uses it.
class CStreamClient {
public:
    CStreamClient(const std::string& address, std::uint16_t port) {
        m_socket = ::socket(AF_INET, SOCK_STREAM, 0);
        // Long enough for a loaded machine: a read that gets its bytes returns at once.
        timeval timeout{60, 0};
        ::setsockopt(m_socket, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof(timeout));
        sockaddr_in sa{};
        sa.sin_family = AF_INET;
        sa.sin_port = htons(port);
        ::inet_pton(AF_INET, address.c_str(), &sa.sin_addr);
        m_connected = ::connect(m_socket, reinterpret_cast<sockaddr*>(&sa), sizeof(sa)) == 0;
    }
    ~CStreamClient() { ::close(m_socket); }
    CStreamClient(const CStreamClient&) = delete;
    CStreamClient& operator=(const CStreamClient&) = delete;

    bool Connected() const { return m_connected; }
    bool Send(const std::vector<unsigned char>& bytes) {
        return ::send(m_socket, bytes.data(), bytes.size(), MSG_NOSIGNAL) ==
               static_cast<ssize_t>(bytes.size());
    }
    // Up to n bytes; fewer when the peer closes or stays quiet for a minute.
    std::vector<unsigned char> Read(std::size_t n) {
        std::vector<unsigned char> data(n);
        std::size_t got = 0;
        while (got < n) {
            const ssize_t r = ::recv(m_socket, data.data() + got, n - got, 0);
            if (r <= 0)
                break;
            got += static_cast<std::size_t>(r);
        }
        data.resize(got);
        return data;
    }

private:
    int m_socket = -1;
    bool m_connected = false;
};

inline std::uint32_t Word(const unsigned char* at) {
    return at[0] | (at[1] << 8) | (at[2] << 16) | (static_cast<std::uint32_t>(at[3]) << 24);
}

} // namespace drivertest
