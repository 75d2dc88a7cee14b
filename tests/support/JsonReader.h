// A small, strict JSON reader for the tests and the fuzz targets that read back the JSON the
// program writes: objects, arrays, strings (escapes up to "\u07ff"), numbers, true, false, null.
// Anything else, trailing text, "nan" and "inf" included, fails the read. Nothing throws.
#pragma once

#include <charconv>
#include <map>
#include <string>
#include <string_view>
#include <vector>

struct Json {
    enum Kind { kNull, kBool, kNumber, kString, kArray, kObject } kind = kNull;
    bool boolean = false;
    long long number = 0;  // a number's whole part
    double real = 0.0;     // a number's value
    std::string text;      // a string's value; a number's text as written
    std::vector<Json> items;
    std::map<std::string, Json> members;

    const Json& operator[](const std::string& key) const {
        static const Json kMissing;
        const auto found = members.find(key);
        return found == members.end() ? kMissing : found->second;
    }
    const Json& operator[](std::size_t i) const { return items.at(i); }
};

class JsonReader {
public:
    explicit JsonReader(std::string_view text) : m_text(text) {}

    /// The value of the whole text; sets `ok` false on any fault, trailing text included.
    Json ReadAll(bool& ok) {
        Json value = Read();
        Skip();
        ok = m_ok && m_pos == m_text.size();
        return value;
    }

private:
    void Skip() {
        while (m_pos < m_text.size() && (m_text[m_pos] == ' ' || m_text[m_pos] == '\t' ||
                                         m_text[m_pos] == '\n' || m_text[m_pos] == '\r'))
            ++m_pos;
    }
    bool Take(char c) {
        Skip();
        if (m_pos < m_text.size() && m_text[m_pos] == c) {
            ++m_pos;
            return true;
        }
        return false;
    }
    bool TakeWord(std::string_view word) {
        if (m_text.substr(m_pos, word.size()) != word) return false;
        m_pos += word.size();
        return true;
    }
    Json Fail() {
        m_ok = false;
        return Json();
    }

    Json Read() {
        Skip();
        if (m_pos >= m_text.size()) return Fail();
        Json value;
        const char c = m_text[m_pos];
        if (c == '{') {
            ++m_pos;
            value.kind = Json::kObject;
            if (Take('}')) return value;
            do {
                Skip();
                const Json key = ReadString();
                if (!Take(':')) return Fail();
                value.members[key.text] = Read();
            } while (Take(','));
            if (!Take('}')) return Fail();
        } else if (c == '[') {
            ++m_pos;
            value.kind = Json::kArray;
            if (Take(']')) return value;
            do value.items.push_back(Read());
            while (Take(','));
            if (!Take(']')) return Fail();
        } else if (c == '"') {
            return ReadString();
        } else if (c == '-' || IsDigit(c)) {
            return ReadNumber();
        } else if (TakeWord("true") || TakeWord("false")) {
            value.kind = Json::kBool;
            value.boolean = m_text[m_pos - 1] == 'e' && m_text[m_pos - 2] == 'u';
        } else if (TakeWord("null")) {
        } else {
            return Fail();
        }
        return value;
    }

    static bool IsDigit(char c) { return c >= '0' && c <= '9'; }

    /// Digits from m_pos; false when there is none.
    bool TakeDigits() {
        const std::size_t start = m_pos;
        while (m_pos < m_text.size() && IsDigit(m_text[m_pos])) ++m_pos;
        return m_pos > start;
    }

    /// -?(0|[1-9][0-9]*)(.[0-9]+)?([eE][+-]?[0-9]+)?
    Json ReadNumber() {
        const std::size_t start = m_pos;
        TakeWord("-");
        if (TakeWord("0")) {
            if (m_pos < m_text.size() && IsDigit(m_text[m_pos])) return Fail();
        } else if (!TakeDigits()) {
            return Fail();
        }
        if (TakeWord(".") && !TakeDigits()) return Fail();
        if (TakeWord("e") || TakeWord("E")) {
            if (!TakeWord("+")) TakeWord("-");
            if (!TakeDigits()) return Fail();
        }
        Json value;
        value.kind = Json::kNumber;
        value.text = std::string(m_text.substr(start, m_pos - start));
        const char* const last = m_text.data() + m_pos;
        if (std::from_chars(m_text.data() + start, last, value.real).ptr != last) return Fail();
        // The whole part, for the numbers a long long holds (counts, line numbers).
        if (value.real > -9e18 && value.real < 9e18) value.number = static_cast<long long>(value.real);
        return value;
    }

    Json ReadString() {
        if (m_pos >= m_text.size() || m_text[m_pos] != '"') return Fail();
        ++m_pos;
        Json value;
        value.kind = Json::kString;
        while (m_pos < m_text.size() && m_text[m_pos] != '"') {
            char c = m_text[m_pos++];
            if (static_cast<unsigned char>(c) < 0x20) return Fail();
            if (c != '\\') {
                value.text += c;
                continue;
            }
            if (m_pos >= m_text.size()) return Fail();
            c = m_text[m_pos++];
            if (c == 'u') {
                if (m_pos + 4 > m_text.size()) return Fail();
                unsigned code = 0;
                const char* first = m_text.data() + m_pos;
                if (std::from_chars(first, first + 4, code, 16).ptr != first + 4) return Fail();
                m_pos += 4;
                if (code < 0x80) {
                    value.text += static_cast<char>(code);
                } else if (code < 0x800) {
                    value.text += static_cast<char>(0xc0 | (code >> 6));
                    value.text += static_cast<char>(0x80 | (code & 0x3f));
                } else {
                    return Fail();  // not needed here
                }
            } else if (c == '"' || c == '\\' || c == '/') {
                value.text += c;
            } else {
                return Fail();
            }
        }
        if (!Take('"')) return Fail();
        return value;
    }

    std::string_view m_text;
    std::size_t m_pos = 0;
    bool m_ok = true;
};

