#pragma once
// Byte-level work on a document before libxml2 parses it. libxml2 recognises UTF-32 only without
// a byte-order mark and in one byte order, so UTF-32 is turned into UTF-8 here; and a recovering
// read escapes bare ampersands first, which libxml2's recovery would drop with the name after them.

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

namespace mc {

enum class Utf32Form { None, LittleEndian, BigEndian };

// The form the first four bytes show: a byte-order mark, or one ASCII character with the three
// zero bytes that only UTF-32 puts beside it.
Utf32Form DetectUtf32(QByteArrayView bytes);

// The characters of a UTF-32 document as UTF-8, the byte-order mark dropped; nullopt when the
// length is no multiple of four or a code unit is zero or no Unicode scalar value.
std::optional<QByteArray> Utf32ToUtf8(QByteArrayView bytes, Utf32Form form);

// The encoding named by the XML declaration at the start of an ASCII-compatible text; empty
// without a declaration or without an encoding in it.
QByteArray DeclaredEncoding(QByteArrayView text);

// Whether an encoding name stands for UTF-32 (or UCS-4) in that form; a name without a byte
// order fits both.
bool NamesUtf32(QByteArrayView name, Utf32Form form);

// The bytes with every '&' that starts no entity or character reference turned into "&amp;", so
// that it stays in the text as written; comments, CDATA sections and processing instructions are
// copied unchanged. nullopt when the bytes hold no '&', or when their first byte shows an
// encoding that is not ASCII-compatible (UTF-16, EBCDIC): only a document starting with '<',
// white space or a UTF-8 byte-order mark is escaped.
std::optional<QByteArray> EscapeBareAmpersands(QByteArrayView bytes);

} // namespace mc
