#pragma once

// A byte string with the classic interface. Texts are UTF-8; lengths and offsets are in bytes.

#include <SupportDefs.h>

#include <string>
#include <string_view>

class BString {
public:
    BString() = default;
    BString(const char* string);
    BString(const char* string, int32 maxLength);
    BString(const std::string& string) : fString(string) {}

    const char* String() const { return fString.c_str(); }
    int32 Length() const { return (int32)fString.size(); }
    bool IsEmpty() const { return fString.empty(); }
    operator const char*() const { return fString.c_str(); }
    const std::string& StdString() const { return fString; }

    BString& SetTo(const char* string);
    BString& SetTo(const char* string, int32 maxLength);
    BString& operator=(const char* string) { return SetTo(string); }
    BString& operator=(const std::string& string);

    BString& Append(const char* string);
    BString& Append(const char* string, int32 length);
    BString& operator+=(const char* string) { return Append(string); }
    BString& operator+=(const BString& string) { return Append(string.String()); }
    BString& operator+=(char c);
    BString& operator<<(const char* string) { return Append(string); }
    BString& operator<<(const BString& string) { return Append(string.String()); }
    BString& operator<<(char c) { return *this += c; }
    BString& operator<<(int32 value);
    BString& operator<<(uint32 value);
    BString& operator<<(int64 value);
    BString& Prepend(const char* string);

    BString& Truncate(int32 newLength);
    BString& Remove(int32 from, int32 length);
    BString& RemoveAll(const char* string) { return ReplaceAll(string, ""); }
    BString& ReplaceAll(const char* replaceThis, const char* withThis);
    BString& ReplaceFirst(const char* replaceThis, const char* withThis);

    // Offsets of the first or last occurrence, or B_ERROR when there is none.
    int32 FindFirst(const char* string, int32 fromOffset = 0) const;
    int32 FindFirst(char c) const;
    int32 FindLast(const char* string) const;
    int32 FindLast(char c) const;

    BString& CopyInto(BString& into, int32 fromOffset, int32 length) const;

    int Compare(const char* string) const;
    int ICompare(const char* string) const;
    bool operator==(const char* string) const { return Compare(string) == 0; }
    bool operator!=(const char* string) const { return Compare(string) != 0; }
    bool operator<(const BString& other) const { return fString < other.fString; }
    bool operator==(const BString& other) const { return fString == other.fString; }
    bool operator!=(const BString& other) const { return fString != other.fString; }

    char operator[](int32 index) const { return fString[(size_t)index]; }
    char ByteAt(int32 index) const;

private:
    std::string fString;
};
