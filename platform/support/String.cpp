#include <String.h>

#include <algorithm>
#include <cstring>
#include <strings.h>

static std::string_view bounded(const char* string, int32 maxLength)
{
    if (string == nullptr || maxLength <= 0)
        return {};
    return {string, strnlen(string, (size_t)maxLength)};
}

BString::BString(const char* string) : fString(string ? string : "") {}

BString::BString(const char* string, int32 maxLength) : fString(bounded(string, maxLength)) {}

BString& BString::SetTo(const char* string)
{
    fString = string ? string : "";
    return *this;
}

BString& BString::SetTo(const char* string, int32 maxLength)
{
    fString = bounded(string, maxLength);
    return *this;
}

BString& BString::operator=(const std::string& string)
{
    fString = string;
    return *this;
}

BString& BString::Append(const char* string)
{
    if (string != nullptr)
        fString += string;
    return *this;
}

BString& BString::Append(const char* string, int32 length)
{
    fString += bounded(string, length);
    return *this;
}

BString& BString::operator+=(char c)
{
    fString += c;
    return *this;
}

BString& BString::operator<<(int32 value)
{
    fString += std::to_string(value);
    return *this;
}

BString& BString::operator<<(uint32 value)
{
    fString += std::to_string(value);
    return *this;
}

BString& BString::operator<<(int64 value)
{
    fString += std::to_string(value);
    return *this;
}

BString& BString::Prepend(const char* string)
{
    if (string != nullptr)
        fString.insert(0, string);
    return *this;
}

BString& BString::Truncate(int32 newLength)
{
    if (newLength < 0)
        newLength = 0;
    if ((size_t)newLength < fString.size())
        fString.resize((size_t)newLength);
    return *this;
}

BString& BString::Remove(int32 from, int32 length)
{
    if (from >= 0 && length > 0 && (size_t)from < fString.size())
        fString.erase((size_t)from, (size_t)length);
    return *this;
}

BString& BString::ReplaceAll(const char* replaceThis, const char* withThis)
{
    if (replaceThis == nullptr || *replaceThis == '\0')
        return *this;
    std::string_view from(replaceThis);
    std::string_view to(withThis ? withThis : "");
    std::string result;
    size_t start = 0;
    for (size_t at; (at = fString.find(from, start)) != std::string::npos; start = at + from.size()) {
        result.append(fString, start, at - start);
        result.append(to);
    }
    result.append(fString, start, std::string::npos);
    fString = std::move(result);
    return *this;
}

BString& BString::ReplaceFirst(const char* replaceThis, const char* withThis)
{
    if (replaceThis == nullptr || *replaceThis == '\0')
        return *this;
    size_t at = fString.find(replaceThis);
    if (at != std::string::npos)
        fString.replace(at, strlen(replaceThis), withThis ? withThis : "");
    return *this;
}

static int32 offset_or_error(size_t at)
{
    return at == std::string::npos ? B_ERROR : (int32)at;
}

int32 BString::FindFirst(const char* string, int32 fromOffset) const
{
    if (string == nullptr || fromOffset < 0)
        return B_BAD_VALUE;
    return offset_or_error(fString.find(string, (size_t)fromOffset));
}

int32 BString::FindFirst(char c) const
{
    return offset_or_error(fString.find(c));
}

int32 BString::FindLast(const char* string) const
{
    if (string == nullptr)
        return B_BAD_VALUE;
    return offset_or_error(fString.rfind(string));
}

int32 BString::FindLast(char c) const
{
    return offset_or_error(fString.rfind(c));
}

BString& BString::CopyInto(BString& into, int32 fromOffset, int32 length) const
{
    if (fromOffset < 0 || (size_t)fromOffset > fString.size() || length < 0)
        into.fString.clear();
    else
        into.fString = fString.substr((size_t)fromOffset, (size_t)length);
    return into;
}

int BString::Compare(const char* string) const
{
    return strcmp(fString.c_str(), string ? string : "");
}

int BString::ICompare(const char* string) const
{
    return strcasecmp(fString.c_str(), string ? string : "");
}

char BString::ByteAt(int32 index) const
{
    if (index < 0 || (size_t)index >= fString.size())
        return 0;
    return fString[(size_t)index];
}
