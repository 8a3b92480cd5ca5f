// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Reads the groups of a DXF file held in memory, in either of its two forms:
//  - text: the code on one line, the value on the next (LF or CR LF; a UTF-8 byte order
//    mark at the start is skipped);
//  - binary: the 22-byte sentinel "AutoCAD Binary DXF\r\n\x1a\0", then per group the
//    code (one byte, 255 escaping a 16-bit code, in R12 files; 16 bits from R13 on)
//    and the value in the binary form its code's range gives: zero-terminated strings,
//    8-byte doubles, 16/32/64-bit integers, one-byte booleans, length-prefixed chunks.
//
// The input is untrusted: a code that is not a number, a value that runs past the end
// of the bytes, a binary code of no known type, or a number that does not parse stops
// the reading with a platform::FileError naming the file and the line or offset.
// Values are views into the bytes, which must outlive the reader. Cost: one pass,
// no allocation per group.

#include <cstdint>
#include <string>
#include <string_view>

namespace drawing::dxf {

struct Group {
    int Code = 0;
    std::string_view Text; // the value line (text files) or string (binary files)
    bool Binary = false;   // Number/Integer hold the value, not Text
    double Number = 0;
    long long Integer = 0;
};

class GroupReader {
public:
    GroupReader(std::string_view bytes, const std::string& fileName);

    bool IsBinary() const { return binary_; }
    // False at the end of the bytes. The group stays valid until the next call.
    bool Next(Group& g);
    // Reads the next group into the lookahead that Next then gives again.
    bool Peek(Group& g);

    double Real(const Group& g) const;
    long long Integer(const Group& g) const;
    std::size_t Offset() const { return pos_; }
    const std::string& FileName() const { return fileName_; }
    // Where the reader is, for messages: "line N" or "offset N".
    std::string Where() const;
    [[noreturn]] void Fail(const std::string& what) const;

private:
    bool ReadText(Group& g);
    bool ReadBinary(Group& g);
    std::string_view TextLine();

    std::string_view bytes_;
    const std::string& fileName_;
    std::size_t pos_ = 0;
    std::size_t line_ = 0;
    bool binary_ = false;
    bool wideCodes_ = false;
    bool havePeeked_ = false;
    bool peekedOk_ = false;
    Group peeked_;
};

} // namespace drawing::dxf
