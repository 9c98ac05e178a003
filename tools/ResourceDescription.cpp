// A tokenizer and a recursive-descent parser for resource descriptions. Every value is
// written little-endian, the byte order of the blob and of the machines it is built for.

#include "ResourceDescription.h"

#include <Entry.h>
#include <File.h>
#include <Message.h>

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

// A fixed-size text field or a file larger than this is surely a mistake in the description.
const size_t kMaxItemSize = 64 * 1024 * 1024;

struct Token {
    enum Kind { Word, Number, String, TypeCode, Open, Close, End };
    Kind kind;
    std::string text; // a word, a number as written, or a string's bytes
    uint32 code = 0;  // a type code's value
    int line = 0;
};

struct Failure {
    int line;
    std::string what;
};

int hex_digit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::vector<Token> tokenize(const std::string& text)
{
    std::vector<Token> tokens;
    int line = 1;
    size_t i = 0;
    const size_t n = text.size();
    while (i < n) {
        const char c = text[i];
        if (c == '\n') {
            line++;
            i++;
        } else if (isspace((unsigned char)c)) {
            i++;
        } else if (c == '#') {
            while (i < n && text[i] != '\n')
                i++;
        } else if (c == '{' || c == '}') {
            tokens.push_back(
                Token{c == '{' ? Token::Open : Token::Close, std::string(1, c), 0, line});
            i++;
        } else if (c == '\'') {
            // Four characters, read as a big-endian number, as a multi-character literal is.
            if (i + 5 >= n || text[i + 5] != '\'')
                throw Failure{line, "a type code is four characters between single quotes"};
            uint32 code = 0;
            for (size_t k = 1; k <= 4; k++) {
                if (text[i + k] == '\n' || text[i + k] == '\'')
                    throw Failure{line, "a type code is four characters between single quotes"};
                code = code << 8 | (uint8)text[i + k];
            }
            tokens.push_back(Token{Token::TypeCode, text.substr(i, 6), code, line});
            i += 6;
        } else if (c == '"') {
            Token token{Token::String, "", 0, line};
            i++;
            for (;;) {
                if (i >= n || text[i] == '\n')
                    throw Failure{line, "a string is not closed on its line"};
                char d = text[i++];
                if (d == '"')
                    break;
                if (d != '\\') {
                    token.text += d;
                    continue;
                }
                if (i >= n)
                    throw Failure{line, "a string is not closed on its line"};
                d = text[i++];
                switch (d) {
                case '\\':
                case '"':
                    token.text += d;
                    break;
                case 'n':
                    token.text += '\n';
                    break;
                case 't':
                    token.text += '\t';
                    break;
                case 'x': {
                    int high = i < n ? hex_digit(text[i]) : -1;
                    int low = i + 1 < n ? hex_digit(text[i + 1]) : -1;
                    if (high < 0 || low < 0)
                        throw Failure{line, "\\x takes two hexadecimal digits"};
                    token.text += (char)(high * 16 + low);
                    i += 2;
                    break;
                }
                default:
                    throw Failure{line, std::string("unknown escape \\") + d};
                }
            }
            tokens.push_back(std::move(token));
        } else if (isdigit((unsigned char)c) || c == '-' || c == '+' || c == '.') {
            size_t start = i++;
            while (i < n) {
                const char d = text[i];
                const bool exponentSign = (d == '-' || d == '+') &&
                                          (text[i - 1] == 'e' || text[i - 1] == 'E') &&
                                          text.compare(start, 2, "0x") != 0;
                if (!isalnum((unsigned char)d) && d != '.' && !exponentSign)
                    break;
                i++;
            }
            tokens.push_back(Token{Token::Number, text.substr(start, i - start), 0, line});
        } else if (isalpha((unsigned char)c) || c == '_') {
            size_t start = i;
            while (i < n && (isalnum((unsigned char)text[i]) || text[i] == '_'))
                i++;
            tokens.push_back(Token{Token::Word, text.substr(start, i - start), 0, line});
        } else {
            throw Failure{line, std::string("unexpected character '") + c + "'"};
        }
    }
    tokens.push_back(Token{Token::End, "", 0, line});
    return tokens;
}

// Integer kinds by name: size in bytes and whether negative values are allowed.
struct IntegerKind {
    const char* name;
    size_t size;
    bool isSigned;
};

const IntegerKind kIntegerKinds[] = {
    {"int8", 1, true},  {"uint8", 1, false},  {"int16", 2, true}, {"uint16", 2, false},
    {"int32", 4, true}, {"uint32", 4, false}, {"int64", 8, true}, {"uint64", 8, false},
};

const IntegerKind* integer_kind(const std::string& word)
{
    for (const IntegerKind& kind : kIntegerKinds) {
        if (word == kind.name)
            return &kind;
    }
    return nullptr;
}

void append_little_endian(std::vector<uint8>& out, uint64 value, size_t size)
{
    for (size_t i = 0; i < size; i++)
        out.push_back((uint8)(value >> (8 * i)));
}

class Parser {
public:
    Parser(std::vector<Token> tokens, const std::string& folder, ResourceDescription* result)
        : fTokens(std::move(tokens)), fFolder(folder), fResult(result)
    {
    }

    void ParseDescription()
    {
        while (_Peek().kind != Token::End) {
            const Token& keyword = _Take();
            if (keyword.kind != Token::Word || keyword.text != "resource")
                throw Failure{keyword.line, "expected 'resource', found '" + keyword.text + "'"};
            _ParseResource(keyword.line);
        }
    }

private:
    const Token& _Peek() const { return fTokens[fPosition]; }

    const Token& _Take()
    {
        const Token& token = fTokens[fPosition];
        if (token.kind != Token::End)
            fPosition++;
        return token;
    }

    const Token& _Expect(Token::Kind kind, const char* what)
    {
        const Token& token = _Take();
        if (token.kind != kind) {
            throw Failure{token.line,
                          std::string("expected ") + what + ", found " +
                              (token.kind == Token::End ? "the end" : "'" + token.text + "'")};
        }
        return token;
    }

    // Fails unless the next token is of the kind, without taking it.
    void _ExpectAhead(Token::Kind kind, const char* what)
    {
        if (_Peek().kind != kind)
            _Expect(kind, what);
    }

    uint64 _Integer(const Token& token, const IntegerKind& kind)
    {
        const char* text = token.text.c_str();
        char* end = nullptr;
        errno = 0;
        if (kind.isSigned) {
            long long value = strtoll(text, &end, 0);
            const long long limit = kind.size == 8 ? std::numeric_limits<long long>::max()
                                                   : (1LL << (kind.size * 8 - 1)) - 1;
            if (errno == 0 && *end == '\0' && end != text && value <= limit && value >= -limit - 1)
                return (uint64)value;
        } else if (text[0] != '-') {
            unsigned long long value = strtoull(text, &end, 0);
            const unsigned long long limit = kind.size == 8
                                                 ? std::numeric_limits<unsigned long long>::max()
                                                 : (1ULL << (kind.size * 8)) - 1;
            if (errno == 0 && *end == '\0' && end != text && value <= limit)
                return value;
        }
        throw Failure{token.line, "'" + token.text + "' is not a " + kind.name};
    }

    double _Real(const Token& token)
    {
        char* end = nullptr;
        double value = strtod(token.text.c_str(), &end);
        if (token.text.empty() || *end != '\0')
            throw Failure{token.line, "'" + token.text + "' is not a number"};
        return value;
    }

    void _ParseResource(int line)
    {
        const uint32 type = _Expect(Token::TypeCode, "the resource's type code").code;
        const Token& idToken = _Expect(Token::Number, "the resource's id");
        static const IntegerKind kId = {"int32", 4, true};
        const int32 id = (int32)_Integer(idToken, kId);
        std::string name;
        if (_Peek().kind == Token::String)
            name = _Take().text;
        _Expect(Token::Open, "'{'");
        std::vector<uint8> data;
        while (_Peek().kind != Token::Close)
            _ParseItem(data);
        _Take();

        if (name.find('\0') != std::string::npos)
            throw Failure{line, "a resource name cannot hold a NUL"};
        status_t status =
            fResult->writer.AddResource(type, id, data.data(), data.size(), name.c_str());
        if (status == B_NAME_IN_USE)
            throw Failure{line, "the type already has a resource with this id or name"};
        if (status != B_OK)
            throw Failure{line, "the resource cannot be added (name too long or blob too big)"};
    }

    void _ParseItem(std::vector<uint8>& out)
    {
        const Token& keyword = _Expect(Token::Word, "an item ('string', 'int32', 'file', ...)");
        const std::string& word = keyword.text;
        if (word == "string") {
            const std::string& text = _Expect(Token::String, "a string").text;
            _CheckNoNul(keyword.line, text);
            out.insert(out.end(), text.begin(), text.end());
            out.push_back(0);
        } else if (word == "chars") {
            static const IntegerKind kSize = {"uint32", 4, false};
            const uint64 size = _Integer(_Expect(Token::Number, "the field's size"), kSize);
            const std::string& text = _Expect(Token::String, "a string").text;
            _CheckNoNul(keyword.line, text);
            if (size > kMaxItemSize || text.size() >= size)
                throw Failure{keyword.line, "the text does not fit, with its NUL, in the field"};
            out.insert(out.end(), text.begin(), text.end());
            out.insert(out.end(), (size_t)size - text.size(), 0);
        } else if (const IntegerKind* kind = integer_kind(word)) {
            _ExpectAhead(Token::Number, "a number");
            while (_Peek().kind == Token::Number)
                append_little_endian(out, _Integer(_Take(), *kind), kind->size);
        } else if (word == "float" || word == "double") {
            _ExpectAhead(Token::Number, "a number");
            while (_Peek().kind == Token::Number)
                _AppendReal(out, word == "float", _Real(_Take()));
        } else if (word == "hex") {
            _AppendHex(out, _Expect(Token::String, "a string of hexadecimal digits"));
        } else if (word == "file") {
            _AppendFile(out, _Expect(Token::String, "a file name"));
        } else if (word == "message") {
            BMessage message;
            _ParseMessage(message, 1);
            ssize_t size = message.FlattenedSize();
            std::vector<uint8> bytes(size > 0 ? (size_t)size : 0);
            if (size <= 0 || message.Flatten((char*)bytes.data(), size) != B_OK)
                throw Failure{keyword.line, "the message cannot be flattened"};
            out.insert(out.end(), bytes.begin(), bytes.end());
        } else {
            throw Failure{keyword.line, "unknown item '" + word + "'"};
        }
        if (out.size() > kMaxItemSize)
            throw Failure{keyword.line, "the resource is too big"};
    }

    void _ParseMessage(BMessage& message, int32 nesting)
    {
        const Token& what = _Take();
        if (what.kind == Token::TypeCode) {
            message.what = what.code;
        } else if (what.kind == Token::Number) {
            static const IntegerKind kWhat = {"uint32", 4, false};
            message.what = (uint32)_Integer(what, kWhat);
        } else {
            throw Failure{what.line, "expected the message's code, found '" + what.text + "'"};
        }
        _Expect(Token::Open, "'{'");
        while (_Peek().kind != Token::Close)
            _ParseField(message, nesting);
        _Take();
    }

    void _ParseField(BMessage& message, int32 nesting)
    {
        const Token& kind = _Expect(Token::Word, "a field's type ('string', 'int32', ...)");
        const std::string name = _Expect(Token::String, "the field's name").text;
        const char* fieldName = name.c_str();
        if (name.empty() || name.size() > B_FIELD_NAME_LENGTH ||
            name.find('\0') != std::string::npos)
            throw Failure{kind.line, "a field name is 1 to 255 bytes without a NUL"};

        status_t status = B_OK;
        int values = 0;
        if (kind.text == "message") {
            if (nesting + 1 > B_MESSAGE_MAX_NESTING)
                throw Failure{kind.line, "messages are nested too deeply"};
            BMessage nested;
            _ParseMessage(nested, nesting + 1);
            status = message.AddMessage(fieldName, &nested);
            values = 1;
        } else if (kind.text == "string") {
            for (; _Peek().kind == Token::String && status == B_OK; values++) {
                const std::string& text = _Take().text;
                _CheckNoNul(kind.line, text);
                status = message.AddString(fieldName, text.c_str());
            }
        } else if (kind.text == "bool") {
            for (; _IsBool(_Peek()) && status == B_OK; values++)
                status = message.AddBool(fieldName, _Take().text == "true");
            if (values == 0 && _Peek().kind != Token::Close)
                throw Failure{_Peek().line, "a bool is true or false"};
        } else if (kind.text == "int8" || kind.text == "int16" || kind.text == "int32" ||
                   kind.text == "int64") {
            const IntegerKind& integer = *integer_kind(kind.text);
            for (; _Peek().kind == Token::Number && status == B_OK; values++) {
                const uint64 value = _Integer(_Take(), integer);
                switch (integer.size) {
                case 1:
                    status = message.AddInt8(fieldName, (int8)value);
                    break;
                case 2:
                    status = message.AddInt16(fieldName, (int16)value);
                    break;
                case 4:
                    status = message.AddInt32(fieldName, (int32)value);
                    break;
                default:
                    status = message.AddInt64(fieldName, (int64)value);
                    break;
                }
            }
        } else if (kind.text == "float" || kind.text == "double") {
            for (; _Peek().kind == Token::Number && status == B_OK; values++) {
                const double value = _Real(_Take());
                status = kind.text == "float" ? message.AddFloat(fieldName, (float)value)
                                              : message.AddDouble(fieldName, value);
            }
        } else {
            throw Failure{kind.line, "unknown field type '" + kind.text + "'"};
        }
        if (values == 0)
            throw Failure{kind.line, "the field '" + name + "' has no value"};
        if (status == B_BAD_TYPE)
            throw Failure{kind.line, "the field '" + name + "' already holds another type"};
        if (status != B_OK)
            throw Failure{kind.line, "the field '" + name + "' cannot be added"};
    }

    static bool _IsBool(const Token& token)
    {
        return token.kind == Token::Word && (token.text == "true" || token.text == "false");
    }

    static void _CheckNoNul(int line, const std::string& text)
    {
        if (text.find('\0') != std::string::npos)
            throw Failure{line, "a string cannot hold a NUL; use 'hex' for raw bytes"};
    }

    static void _AppendReal(std::vector<uint8>& out, bool single, double value)
    {
        if (single) {
            const float narrow = (float)value;
            uint32 bits;
            memcpy(&bits, &narrow, sizeof(bits));
            append_little_endian(out, bits, 4);
        } else {
            uint64 bits;
            memcpy(&bits, &value, sizeof(bits));
            append_little_endian(out, bits, 8);
        }
    }

    static void _AppendHex(std::vector<uint8>& out, const Token& token)
    {
        int high = -1;
        for (char c : token.text) {
            if (isspace((unsigned char)c))
                continue;
            const int digit = hex_digit(c);
            if (digit < 0)
                throw Failure{token.line, std::string("'") + c + "' is not a hexadecimal digit"};
            if (high < 0) {
                high = digit;
            } else {
                out.push_back((uint8)(high * 16 + digit));
                high = -1;
            }
        }
        if (high >= 0)
            throw Failure{token.line, "hexadecimal bytes come in pairs of digits"};
    }

    void _AppendFile(std::vector<uint8>& out, const Token& token)
    {
        if (token.text.empty())
            throw Failure{token.line, "a file item needs a file name"};
        const std::string path = _FindFile(token.text);
        BFile file(path.c_str(), B_READ_ONLY);
        off_t size = 0;
        if (file.InitCheck() != B_OK || file.GetSize(&size) != B_OK)
            throw Failure{token.line, "cannot open '" + path + "'"};
        if ((uint64)size > kMaxItemSize)
            throw Failure{token.line, "'" + path + "' is too big"};
        const size_t start = out.size();
        out.resize(start + (size_t)size);
        if (size > 0 && file.ReadAt(0, out.data() + start, (size_t)size) != (ssize_t)size)
            throw Failure{token.line, "cannot read '" + path + "'"};
        fResult->filesRead.push_back(path);
    }

    // A relative name is looked for in the description's folder, then in the search folders
    // in order; a name found nowhere is reported as in the description's folder.
    std::string _FindFile(const std::string& name) const
    {
        if (name[0] == '/' || fFolder.empty())
            return name;
        const std::string inFolder = fFolder + "/" + name;
        if (BEntry(inFolder.c_str()).Exists())
            return inFolder;
        for (const std::string& folder : fResult->searchFolders) {
            const std::string candidate = folder + "/" + name;
            if (BEntry(candidate.c_str()).Exists())
                return candidate;
        }
        return inFolder;
    }

    std::vector<Token> fTokens;
    size_t fPosition = 0;
    std::string fFolder;
    ResourceDescription* fResult;
};

} // namespace

bool compile_resource_description(const std::string& text, const std::string& sourceName,
                                  const std::string& folder, ResourceDescription* result,
                                  std::string* error)
{
    try {
        Parser parser(tokenize(text), folder, result);
        parser.ParseDescription();
        return true;
    } catch (const Failure& failure) {
        *error = sourceName + ":" + std::to_string(failure.line) + ": " + failure.what;
        return false;
    }
}
