#include "RtfTokenizer.h"

#include <climits>

namespace {

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

RtfToken RtfTokenizer::Next() {
    const char* d = m_data.data();
    const qsizetype n = m_data.size();
    RtfToken t;
    while (m_pos < n) {
        const char c = d[m_pos];
        if (c == '{') {
            ++m_pos;
            t.kind = RtfToken::GroupOpen;
            return t;
        }
        if (c == '}') {
            ++m_pos;
            t.kind = RtfToken::GroupClose;
            return t;
        }
        if (c == '\r' || c == '\n') {
            ++m_pos;
            continue;
        }
        if (c != '\\') {
            const qsizetype start = m_pos;
            while (m_pos < n) {
                const char x = d[m_pos];
                if (x == '\\' || x == '{' || x == '}' || x == '\r' || x == '\n')
                    break;
                ++m_pos;
            }
            t.kind = RtfToken::Text;
            t.text = m_data.sliced(start, m_pos - start);
            return t;
        }
        // A backslash.
        ++m_pos;
        if (m_pos >= n)
            break; // a lone backslash at the end says nothing
        const char s = d[m_pos];
        if (IsLetter(s)) {
            const qsizetype start = m_pos;
            while (m_pos < n && IsLetter(d[m_pos]))
                ++m_pos;
            const qsizetype len = m_pos - start;
            t.kind = RtfToken::Word;
            t.text = m_data.sliced(start, len < MaxWordLength ? len : MaxWordLength);
            bool negative = false;
            if (m_pos < n && d[m_pos] == '-' && m_pos + 1 < n && IsDigit(d[m_pos + 1])) {
                negative = true;
                ++m_pos;
            }
            if (m_pos < n && IsDigit(d[m_pos])) {
                long long v = 0;
                while (m_pos < n && IsDigit(d[m_pos])) {
                    if (v <= INT_MAX)
                        v = v * 10 + (d[m_pos] - '0');
                    ++m_pos;
                }
                if (v > INT_MAX)
                    v = INT_MAX;
                t.hasParam = true;
                t.value = negative ? int(-v) : int(v);
            }
            if (m_pos < n && d[m_pos] == ' ')
                ++m_pos;
            if (t.text == "bin") {
                // The count is untrusted: take no more than what follows.
                const qsizetype want = t.hasParam && t.value > 0 ? t.value : 0;
                const qsizetype take = want < n - m_pos ? want : n - m_pos;
                t.kind = RtfToken::Binary;
                t.text = m_data.sliced(m_pos, take);
                m_pos += take;
            }
            return t;
        }
        ++m_pos;
        if (s == '\'') {
            int v = 0;
            int digits = 0;
            while (digits < 2 && m_pos < n) {
                const int h = HexValue(d[m_pos]);
                if (h < 0)
                    break;
                v = v * 16 + h;
                ++digits;
                ++m_pos;
            }
            if (digits == 0)
                continue; // an escape without hex digits stands for nothing
            t.kind = RtfToken::Hex;
            t.value = v;
            return t;
        }
        if (s == '\r' || s == '\n') {
            // A backslash before a line end is a paragraph mark.
            t.kind = RtfToken::Word;
            t.text = "par";
            return t;
        }
        t.kind = RtfToken::Symbol;
        t.symbol = s;
        return t;
    }
    t.kind = RtfToken::End;
    return t;
}
