// A growing text that writers append to at its end, without the checks std::string makes at
// every append: room is asked for once, then written.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string_view>
#include <vector>

class TextBuffer {
public:
    /// Room for at least `n` more characters at the end: write up to `n` there, then Grow by
    /// the number written. The pointer is valid until the next call that asks for room.
    char* Room(std::size_t n) {
        if (m_size + n > m_data.size()) m_data.resize(std::max(2 * m_data.size(), m_size + n));
        return m_data.data() + m_size;
    }
    void Grow(std::size_t n) { m_size += n; }

    void Append(std::string_view text) {
        // An empty view may hold no pointer at all (a station name never given), and memcpy
        // must not be handed one.
        if (text.empty()) return;
        std::memcpy(Room(text.size()), text.data(), text.size());
        m_size += text.size();
    }
    void Append(char c) {
        *Room(1) = c;
        ++m_size;
    }
    TextBuffer& operator+=(std::string_view text) {
        Append(text);
        return *this;
    }
    TextBuffer& operator+=(char c) {
        Append(c);
        return *this;
    }

    std::string_view View() const { return {m_data.data(), m_size}; }
    std::size_t Size() const { return m_size; }
    bool Empty() const { return m_size == 0; }
    void Clear() { m_size = 0; }
    void Reserve(std::size_t n) {
        if (n > m_data.size()) m_data.resize(n);
    }

private:
    std::vector<char> m_data;
    std::size_t m_size = 0;
};
