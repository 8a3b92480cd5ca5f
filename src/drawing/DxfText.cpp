// SPDX-License-Identifier: GPL-3.0-or-later
#include "drawing/DxfText.h"

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <iconv.h>

namespace drawing::dxf {

namespace {

// Windows-1252 bytes 0x80..0x9F; 0 where the code page has no character.
constexpr char16_t Cp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

int Cp1252ByteOf(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return int(c);
    for (int i = 0; i < 32; ++i)
        if (Cp1252High[i] != 0 && Cp1252High[i] == c) return 0x80 + i;
    return -1;
}

void PutCaret(std::string& out, unsigned char c) {
    out += '^';
    out += c == '^' ? ' ' : char(c == 0x7F ? '?' : c + 64);
}

bool NeedsCaret(unsigned char c) {
    return c < 0x20 || c == 0x7F || c == '^';
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

bool PlainAscii(std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](char ch) {
        const auto c = static_cast<unsigned char>(ch);
        return c >= 0x20 && c < 0x7F && c != '^' && c != '\\';
    });
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Undoes caret notation and \U+XXXX in text that is already UTF-8.
std::string Unescape(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '^' && i + 1 < s.size()) {
            const char next = s[i + 1];
            if (next == ' ') {
                out += '^';
                ++i;
                continue;
            }
            if (next >= '@' && next <= '_') {
                out += char(next - 64);
                ++i;
                continue;
            }
            if (next == '?') {
                out += char(0x7F);
                ++i;
                continue;
            }
        }
        if (c == '\\' && i + 6 < s.size() + 0 && (s[i + 1] == 'U' || s[i + 1] == 'u') &&
            s[i + 2] == '+') {
            char32_t code = 0;
            bool ok = i + 7 <= s.size();
            for (std::size_t k = 3; ok && k < 7; ++k) {
                const int h = HexValue(s[i + k]);
                ok = h >= 0;
                code = code * 16 + char32_t(std::max(h, 0));
            }
            if (ok) {
                AppendUtf8(out, code);
                i += 6;
                continue;
            }
        }
        out += c;
    }
    return out;
}

} // namespace

bool NeedsNoEncoding(std::string_view text) {
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x20 || c >= 0x7F || c == '^') return false;
    }
    return true;
}

std::string EscapeControls(std::string_view text) {
    if (std::none_of(text.begin(), text.end(),
                     [](char c) { return NeedsCaret(static_cast<unsigned char>(c)); }))
        return std::string(text);
    std::string out;
    out.reserve(text.size() + 8);
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (NeedsCaret(c))
            PutCaret(out, c);
        else
            out += ch;
    }
    return out;
}

std::string EncodeForFile(std::string_view text) {
    if (PlainAscii(text) || text.empty()) return std::string(text);
    const QByteArrayView bytes(text.data(), qsizetype(text.size()));
    const QString unicode =
        bytes.isValidUtf8() ? QString::fromUtf8(bytes) : QString::fromLatin1(bytes);
    std::string out;
    out.reserve(text.size() + 8);
    for (const auto c32 : unicode.toUcs4()) {
        const char32_t c = c32;
        if (c < 0x80 && NeedsCaret(static_cast<unsigned char>(c))) {
            PutCaret(out, static_cast<unsigned char>(c));
            continue;
        }
        const int b = Cp1252ByteOf(c);
        if (b >= 0) {
            out += char(b);
        } else {
            char buf[16];
            std::snprintf(buf, sizeof buf, "\\U+%04X", unsigned(c & 0xFFFF));
            out += buf;
        }
    }
    return out;
}

TextDecoder::~TextDecoder() {
    if (iconv_) iconv_close(static_cast<iconv_t>(iconv_));
}

void TextDecoder::SetCodePage(std::string_view codePage, bool utf8) {
    if (iconv_) iconv_close(static_cast<iconv_t>(iconv_));
    iconv_ = nullptr;
    utf8_ = utf8;
    if (utf8) return;
    std::string name(codePage);
    for (auto& c : name) c = char(std::toupper(static_cast<unsigned char>(c)));
    std::string iconvName = "CP1252";
    if (name.rfind("ANSI_", 0) == 0)
        iconvName = "CP" + name.substr(5);
    else if (name.rfind("DOS", 0) == 0)
        iconvName = "CP" + name.substr(3);
    else if (name.rfind("ISO8859-", 0) == 0)
        iconvName = "ISO-8859-" + name.substr(8);
    else if (name == "BIG5" || name == "GB2312" || name == "JOHAB")
        iconvName = name;
    iconv_t cd = iconv_open("UTF-8", iconvName.c_str());
    if (cd == iconv_t(-1)) cd = iconv_open("UTF-8", "CP1252");
    if (cd != iconv_t(-1)) iconv_ = cd;
}

std::string TextDecoder::Decode(std::string_view raw) {
    if (PlainAscii(raw)) return std::string(raw);
    const QByteArrayView bytes(raw.data(), qsizetype(raw.size()));
    std::string utf8;
    if (utf8_ || bytes.isValidUtf8()) {
        // Valid UTF-8 in an older file is almost always what its writer meant.
        utf8 = bytes.isValidUtf8() ? std::string(raw) : QString::fromLatin1(bytes).toStdString();
    } else if (iconv_) {
        iconv(static_cast<iconv_t>(iconv_), nullptr, nullptr, nullptr, nullptr);
        utf8.resize(raw.size() * 4 + 4);
        char* in = const_cast<char*>(raw.data());
        std::size_t inLeft = raw.size();
        char* out = utf8.data();
        std::size_t outLeft = utf8.size();
        while (inLeft > 0) {
            if (iconv(static_cast<iconv_t>(iconv_), &in, &inLeft, &out, &outLeft) !=
                std::size_t(-1))
                break;
            // A byte the code page does not define: keep a replacement and go on.
            if (outLeft < 4) break;
            *out++ = '?';
            --outLeft;
            ++in;
            --inLeft;
        }
        utf8.resize(utf8.size() - outLeft);
    } else {
        utf8 = QString::fromLatin1(bytes).toStdString();
    }
    return Unescape(utf8);
}

} // namespace drawing::dxf
