// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Texts in DXF files.
//
// A DXF value is one line, so a text must never hold a line break: control characters
// are written in caret notation (CR as "^M", LF as "^J", a caret itself as "^ "), which
// CAD programs understand and which can never start a new group. Files before R2007
// hold single-byte texts in the code page of their $DWGCODEPAGE, with "\U+XXXX" for
// characters outside it; later files hold UTF-8.
//
// Our own texts are UTF-8 when they are valid UTF-8, and Latin-1 otherwise.

#include <string>
#include <string_view>

namespace drawing::dxf {

// A value for a file that declares ANSI_1252: control characters and carets in caret
// notation, characters outside Windows-1252 as \U+XXXX. Pure ASCII passes unchanged.
std::string EncodeForFile(std::string_view text);

// True for printable ASCII without carets, which every flavour writes as it is.
bool NeedsNoEncoding(std::string_view text);

// Only the caret notation, leaving every other byte as it is.
std::string EscapeControls(std::string_view text);

// Turns file values into our texts (UTF-8), undoing caret notation and \U+XXXX escapes.
class TextDecoder {
public:
    // codePage: the $DWGCODEPAGE value ("ANSI_1252", "DOS850"…); utf8: the file is R2007
    // or later. An unknown code page reads as Windows-1252.
    TextDecoder() { SetCodePage("ANSI_1252", false); }
    ~TextDecoder();
    TextDecoder(const TextDecoder&) = delete;
    TextDecoder& operator=(const TextDecoder&) = delete;
    void SetCodePage(std::string_view codePage, bool utf8);

    std::string Decode(std::string_view raw);

private:
    void* iconv_ = nullptr; // iconv_t, from the code page to UTF-8
    bool utf8_ = false;
};

} // namespace drawing::dxf
