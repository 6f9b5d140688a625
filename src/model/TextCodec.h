#pragma once
// Every text of the data model is a byte string in code page 1251, as stored in files and sent on
// the wire. This is the one place where such bytes become QString and back.
#include <QByteArray>
#include <QString>

namespace TextCodec {

// Decodes code-page-1251 bytes. Byte 0x98, unassigned in the code page, maps to U+0098 as the
// system's converter does, so every byte round-trips.
QString FromCp1251(QByteArrayView bytes);
// The same, appended to `out`.
void AppendFromCp1251(QString& out, QByteArrayView bytes);

// Encodes to code page 1251; characters the code page lacks become '?'.
QByteArray ToCp1251(QStringView text);

// Encodes to code page 1251 as the other platform's converter does with its best-fit table: a
// character the code page lacks becomes a look-alike where there is one ("≥" becomes ">", a
// no-break hyphen "-", "é" "e"), else '?'.
QByteArray ToCp1251BestFit(QStringView text);
// The same for one UTF-16 unit: every unit gives one byte.
char ToCp1251BestFit(char16_t unit);

// The Unicode character of one code-page-1251 byte.
char16_t CharOf(unsigned char byte);

// Upper case under the rules of code page 1251: Latin and Cyrillic letters (including the
// Ukrainian, Belarusian and Serbian ones) map to their capitals; every other byte stays.
QByteArray UpperCp1251(QByteArrayView bytes);

} // namespace TextCodec
