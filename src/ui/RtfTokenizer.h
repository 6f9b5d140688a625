#pragma once
// Splits RTF bytes into tokens: group braces, control words with their optional numeric parameter,
// control symbols, hex escapes, runs of text and the raw bytes of \binN. It never fails and never
// allocates: tokens point into the input, overlong words are cut, overlong numbers saturate, and a
// \bin count larger than what follows takes only what follows.
#include <QByteArrayView>

#include <cstdint>

struct RtfToken {
    enum Kind : std::uint8_t {
        End,        // no more input
        GroupOpen,  // {
        GroupClose, // }
        Word,       // \name or \nameN; `text` is the name
        Symbol,     // \ followed by one non-letter (not '); `symbol` holds it
        Hex,        // \'xx; `value` is the byte
        Text,       // a run of plain bytes (CR and LF are dropped between runs)
        Binary,     // the bytes of \binN; `text` holds them
    };
    Kind kind = End;
    bool hasParam = false;
    char symbol = 0;
    int value = 0; // the parameter of a word, or the byte of a hex escape
    QByteArrayView text;
};

class RtfTokenizer {
public:
    // Longest control word kept; longer words are cut to this and still end at the first non-letter.
    static constexpr int MaxWordLength = 32;

    explicit RtfTokenizer(QByteArrayView data) : m_data(data) {}

    RtfToken Next();
    qsizetype Position() const { return m_pos; }

private:
    QByteArrayView m_data;
    qsizetype m_pos = 0;
};
