// SPDX-License-Identifier: GPL-3.0-or-later
#include "drawing/DxfGroupReader.h"

#include "platform/FileError.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace drawing::dxf {

namespace {

constexpr std::string_view Sentinel{"AutoCAD Binary DXF\r\n\x1a\0", 22};

enum class Kind { String, Double, Int16, Int32, Int64, Bool, Chunk, Unknown };

Kind KindOf(int code) {
    if (code >= 0 && code <= 9) return Kind::String;
    if (code >= 10 && code <= 59) return Kind::Double;
    if (code >= 60 && code <= 79) return Kind::Int16;
    if (code >= 90 && code <= 99) return Kind::Int32;
    if (code == 100 || code == 101 || code == 102 || code == 105) return Kind::String;
    if (code >= 110 && code <= 149) return Kind::Double;
    if (code >= 160 && code <= 169) return Kind::Int64;
    if (code >= 170 && code <= 179) return Kind::Int16;
    if (code >= 210 && code <= 239) return Kind::Double;
    if (code >= 270 && code <= 289) return Kind::Int16;
    if (code >= 290 && code <= 299) return Kind::Bool;
    if (code >= 300 && code <= 309) return Kind::String;
    if (code >= 310 && code <= 319) return Kind::Chunk;
    if (code >= 320 && code <= 369) return Kind::String;
    if (code >= 370 && code <= 389) return Kind::Int16;
    if (code >= 390 && code <= 399) return Kind::String;
    if (code >= 400 && code <= 409) return Kind::Int16;
    if (code >= 410 && code <= 419) return Kind::String;
    if (code >= 420 && code <= 429) return Kind::Int32;
    if (code >= 430 && code <= 439) return Kind::String;
    if (code >= 440 && code <= 459) return Kind::Int32;
    if (code >= 460 && code <= 469) return Kind::Double;
    if (code >= 470 && code <= 481) return Kind::String;
    if (code == 999) return Kind::String;
    if (code == 1004) return Kind::Chunk;
    if (code >= 1000 && code <= 1009) return Kind::String;
    if (code >= 1010 && code <= 1059) return Kind::Double;
    if (code >= 1060 && code <= 1070) return Kind::Int16;
    if (code == 1071) return Kind::Int32;
    return Kind::Unknown;
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

template <typename T> T Load(const char* p) {
    T v;
    std::memcpy(&v, p, sizeof v);
    return v; // little-endian, as the format and this machine are
}

} // namespace

GroupReader::GroupReader(std::string_view bytes, const std::string& fileName)
    : bytes_(bytes), fileName_(fileName) {
    if (bytes_.substr(0, Sentinel.size()) == Sentinel) {
        binary_ = true;
        pos_ = Sentinel.size();
        // Every file starts with 0 SECTION: a second zero byte means 16-bit codes.
        wideCodes_ = pos_ + 1 < bytes_.size() && bytes_[pos_ + 1] == '\0';
    } else if (bytes_.substr(0, 3) == "\xEF\xBB\xBF") {
        pos_ = 3;
    }
}

std::string GroupReader::Where() const {
    return binary_ ? "offset " + std::to_string(pos_) : "line " + std::to_string(line_);
}

void GroupReader::Fail(const std::string& what) const {
    throw platform::FileError(fileName_, what + " (" + Where() + ")");
}

bool GroupReader::Peek(Group& g) {
    if (!havePeeked_) {
        peekedOk_ = binary_ ? ReadBinary(peeked_) : ReadText(peeked_);
        havePeeked_ = true;
    }
    g = peeked_;
    return peekedOk_;
}

bool GroupReader::Next(Group& g) {
    if (havePeeked_) {
        havePeeked_ = false;
        g = peeked_;
        return peekedOk_;
    }
    return binary_ ? ReadBinary(g) : ReadText(g);
}

std::string_view GroupReader::TextLine() {
    const char* start = bytes_.data() + pos_;
    const void* nl = std::memchr(start, '\n', bytes_.size() - pos_);
    std::size_t length =
        nl ? std::size_t(static_cast<const char*>(nl) - start) : bytes_.size() - pos_;
    pos_ += length + (nl ? 1 : 0);
    ++line_;
    if (length > 0 && start[length - 1] == '\r') --length;
    return {start, length};
}

bool GroupReader::ReadText(Group& g) {
    // Blank lines at the very end are no group.
    while (pos_ < bytes_.size()) {
        const std::string_view codeLine = Trim(TextLine());
        if (codeLine.empty()) {
            if (pos_ >= bytes_.size()) return false;
            Fail("an empty line where a group code belongs");
        }
        int code = 0;
        const auto r = std::from_chars(codeLine.data(), codeLine.data() + codeLine.size(), code);
        if (r.ec != std::errc() || r.ptr != codeLine.data() + codeLine.size() || code < 0) {
            if (line_ == 1) Fail("this is not a DXF file: it does not start with a group code");
            Fail("\"" + std::string(codeLine.substr(0, 40)) + "\" is not a group code");
        }
        if (pos_ >= bytes_.size()) Fail("the file ends inside a group");
        g.Code = code;
        g.Text = TextLine();
        g.Binary = false;
        return true;
    }
    return false;
}

bool GroupReader::ReadBinary(Group& g) {
    if (pos_ >= bytes_.size()) return false;
    const auto need = [&](std::size_t n) {
        if (bytes_.size() - pos_ < n) Fail("the file ends inside a group");
    };
    int code;
    if (wideCodes_) {
        need(2);
        code = Load<std::uint16_t>(bytes_.data() + pos_);
        pos_ += 2;
    } else {
        code = static_cast<unsigned char>(bytes_[pos_++]);
        if (code == 255) {
            need(2);
            code = Load<std::uint16_t>(bytes_.data() + pos_);
            pos_ += 2;
        }
    }
    g.Code = code;
    g.Binary = true;
    g.Text = {};
    g.Number = 0;
    g.Integer = 0;
    const char* p = bytes_.data() + pos_;
    switch (KindOf(code)) {
    case Kind::String: {
        const void* end = std::memchr(p, '\0', bytes_.size() - pos_);
        if (!end) Fail("a string without its end");
        const std::size_t length = std::size_t(static_cast<const char*>(end) - p);
        g.Text = {p, length};
        pos_ += length + 1;
        g.Binary = false; // a string reads as text does
        return true;
    }
    case Kind::Double:
        need(8);
        g.Number = Load<double>(p);
        g.Integer = (g.Number >= -9.2e18 && g.Number <= 9.2e18) ? (long long)g.Number : 0;
        pos_ += 8;
        return true;
    case Kind::Int16:
        need(2);
        g.Integer = Load<std::int16_t>(p);
        pos_ += 2;
        break;
    case Kind::Int32:
        need(4);
        g.Integer = Load<std::int32_t>(p);
        pos_ += 4;
        break;
    case Kind::Int64:
        need(8);
        g.Integer = Load<std::int64_t>(p);
        pos_ += 8;
        break;
    case Kind::Bool:
        need(1);
        g.Integer = static_cast<unsigned char>(*p);
        pos_ += 1;
        break;
    case Kind::Chunk: {
        need(1);
        const std::size_t length = static_cast<unsigned char>(*p);
        need(1 + length);
        g.Text = {p + 1, length};
        pos_ += 1 + length;
        return true;
    }
    case Kind::Unknown:
        Fail("the group code " + std::to_string(code) + " has no known binary form");
    }
    g.Number = double(g.Integer);
    return true;
}

double GroupReader::Real(const Group& g) const {
    if (g.Binary) {
        if (!std::isfinite(g.Number))
            Fail("a value that is not a finite number (group " + std::to_string(g.Code) + ")");
        return g.Number;
    }
    const std::string_view s = Trim(g.Text);
    double v = 0;
    const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    if (r.ec != std::errc() || r.ptr != s.data() + s.size()) {
        // Some writers put a "+" in front of numbers.
        if (!s.empty() && s.front() == '+') {
            const auto r2 = std::from_chars(s.data() + 1, s.data() + s.size(), v);
            if (r2.ec == std::errc() && r2.ptr == s.data() + s.size() && std::isfinite(v)) return v;
        }
        Fail("\"" + std::string(s.substr(0, 40)) + "\" is not a number (group " +
             std::to_string(g.Code) + ")");
    }
    if (!std::isfinite(v))
        Fail("a value that is not a finite number (group " + std::to_string(g.Code) + ")");
    return v;
}

long long GroupReader::Integer(const Group& g) const {
    if (g.Binary) return g.Integer;
    const std::string_view s = Trim(g.Text);
    long long v = 0;
    const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    if (r.ec == std::errc() && r.ptr == s.data() + s.size()) return v;
    const double d = Real(g); // "1.0" and the like
    if (d >= -9.2e18 && d <= 9.2e18) return (long long)d;
    Fail("\"" + std::string(s.substr(0, 40)) + "\" is out of range (group " +
         std::to_string(g.Code) + ")");
}

} // namespace drawing::dxf
