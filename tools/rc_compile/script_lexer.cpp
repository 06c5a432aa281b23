#include "tools/rc_compile/script_lexer.h"

#include <cctype>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "tools/rc_compile/system_symbols.h"

namespace rc {

namespace {

// Deeper than any real script; stops a header that includes itself.
constexpr int MaxIncludeDepth = 16;

bool isIdentStart(char c)
{
    return std::isalpha(static_cast<unsigned char>(c)) || c == '_';
}

bool isIdentChar(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

std::string describeChar(char c)
{
    if (std::isprint(static_cast<unsigned char>(c))) return std::string("'") + c + "'";
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%02X", static_cast<unsigned char>(c));
    return buffer;
}

std::string directoryOf(const std::string& path)
{
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// Scripts written on Windows may use backslashes in file names.
std::string normalizeSeparators(std::string path)
{
    for (char& c : path)
        if (c == '\\') c = '/';
    return path;
}

struct Define {
    uint32_t value;
    std::string file;
    int line;
};

// One file being read.
struct Cursor {
    const std::string& text;
    const std::string& file;
    size_t pos = 0;
    int line = 1;

    char at(size_t ahead = 0) const { return pos + ahead < text.size() ? text[pos + ahead] : '\0'; }
    bool atEnd() const { return pos >= text.size(); }
};

class Lexer {
public:
    Lexer(std::vector<Token>* tokens, Diagnostic* diagnostic) : tokens_(tokens), diag_(diagnostic) {}

    bool lexFile(const std::string& path, int depth, const Token* includedAt);

private:
    bool lexText(Cursor& cur, int depth);
    bool skipComment(Cursor& cur, bool* skipped);
    bool skipLineBlanks(Cursor& cur);
    bool scanToken(Cursor& cur, Token* token);
    bool scanNumber(Cursor& cur, Token* token);
    bool scanString(Cursor& cur, Token* token);
    bool readLineToken(Cursor& cur, Token* token);
    bool expectEndOfLine(Cursor& cur, const char* directive);
    bool directive(Cursor& cur, int depth);
    bool defineDirective(Cursor& cur, const Token& at);
    bool includeDirective(Cursor& cur, const Token& at, int depth);
    bool addDefine(const std::string& name, uint32_t value, const std::string& file, int line);

    std::vector<Token>* tokens_;
    Diagnostic* diag_;
    std::map<std::string, Define> defines_;
    std::set<std::string> onceFiles_;
};

bool Lexer::lexFile(const std::string& path, int depth, const Token* includedAt)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        if (includedAt) return fail(diag_, includedAt->file, includedAt->line, "cannot open include file '" + path + "'");
        return fail(diag_, path, 0, "cannot open the resource script");
    }
    std::ostringstream contents;
    contents << in.rdbuf();
    const std::string text = contents.str();
    Cursor cur{text, path};
    return lexText(cur, depth);
}

bool Lexer::lexText(Cursor& cur, int depth)
{
    bool lineStart = true;
    while (!cur.atEnd()) {
        char c = cur.at();
        if (c == '\n') {
            ++cur.line;
            ++cur.pos;
            lineStart = true;
            continue;
        }
        if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
            ++cur.pos;
            continue;
        }
        bool skipped = false;
        if (!skipComment(cur, &skipped)) return false;
        if (skipped) continue;
        if (c == '#') {
            if (!lineStart) return fail(diag_, cur.file, cur.line, "'#' must begin a line");
            ++cur.pos;
            if (!directive(cur, depth)) return false;
            continue;
        }
        lineStart = false;
        Token token;
        if (!scanToken(cur, &token)) return false;
        if (token.kind == TokenKind::Identifier) {
            auto found = defines_.find(token.text);
            if (found != defines_.end()) {
                token.kind = TokenKind::Number;
                token.value = found->second.value;
            }
        }
        tokens_->push_back(token);
    }
    return true;
}

// Comments read as blanks, both kinds, as the C preprocessor has them.
bool Lexer::skipComment(Cursor& cur, bool* skipped)
{
    *skipped = false;
    if (cur.at() != '/') return true;
    if (cur.at(1) == '/') {
        while (!cur.atEnd() && cur.at() != '\n') ++cur.pos;
        *skipped = true;
        return true;
    }
    if (cur.at(1) == '*') {
        const int startLine = cur.line;
        cur.pos += 2;
        while (!(cur.at() == '*' && cur.at(1) == '/')) {
            if (cur.atEnd()) return fail(diag_, cur.file, startLine, "comment is not closed ('*/' missing)");
            if (cur.at() == '\n') ++cur.line;
            ++cur.pos;
        }
        cur.pos += 2;
        *skipped = true;
    }
    return true;
}

// Blanks and comments up to, not across, the end of a directive's line.
bool Lexer::skipLineBlanks(Cursor& cur)
{
    for (;;) {
        char c = cur.at();
        if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
            ++cur.pos;
            continue;
        }
        bool skipped = false;
        if (!skipComment(cur, &skipped)) return false;
        if (!skipped) return true;
    }
}

bool Lexer::scanToken(Cursor& cur, Token* token)
{
    token->file = cur.file;
    token->line = cur.line;
    char c = cur.at();
    if (isIdentStart(c)) {
        size_t start = cur.pos;
        while (isIdentChar(cur.at())) ++cur.pos;
        token->kind = TokenKind::Identifier;
        token->text = cur.text.substr(start, cur.pos - start);
        return true;
    }
    if (std::isdigit(static_cast<unsigned char>(c))) return scanNumber(cur, token);
    if (c == '"') return scanString(cur, token);
    static const char punctuation[] = ",{}()|+-~";
    for (const char* p = punctuation; *p; ++p) {
        if (c == *p) {
            ++cur.pos;
            token->kind = TokenKind::Punct;
            token->text = std::string(1, c);
            return true;
        }
    }
    return fail(diag_, cur.file, cur.line, "unexpected character " + describeChar(c));
}

// Decimal or 0x hex, with the C suffixes a header may carry (101L).
bool Lexer::scanNumber(Cursor& cur, Token* token)
{
    size_t start = cur.pos;
    int base = 10;
    if (cur.at() == '0' && (cur.at(1) == 'x' || cur.at(1) == 'X')) {
        base = 16;
        cur.pos += 2;
    }
    size_t digitsStart = cur.pos;
    unsigned long long value = 0;
    bool overflow = false;
    for (;;) {
        char c = cur.at();
        int digit;
        if (std::isdigit(static_cast<unsigned char>(c)))
            digit = c - '0';
        else if (base == 16 && std::isxdigit(static_cast<unsigned char>(c)))
            digit = std::tolower(static_cast<unsigned char>(c)) - 'a' + 10;
        else
            break;
        value = value * base + digit;
        if (value > UINT32_MAX) overflow = true;
        ++cur.pos;
    }
    bool badDigits = cur.pos == digitsStart;
    while (cur.at() == 'u' || cur.at() == 'U' || cur.at() == 'l' || cur.at() == 'L') ++cur.pos;
    while (isIdentChar(cur.at())) {
        badDigits = true;
        ++cur.pos;
    }
    const std::string spelling = cur.text.substr(start, cur.pos - start);
    if (badDigits) return fail(diag_, cur.file, cur.line, "'" + spelling + "' is not a number");
    if (overflow) return fail(diag_, cur.file, cur.line, "number " + spelling + " does not fit 32 bits");
    token->kind = TokenKind::Number;
    token->text = spelling;
    token->value = static_cast<uint32_t>(value);
    return true;
}

// C escapes \t \n \r \" \' \\, and the resource compiler's "" for a quote.
bool Lexer::scanString(Cursor& cur, Token* token)
{
    ++cur.pos;
    std::string text;
    for (;;) {
        char c = cur.at();
        if (cur.atEnd() || c == '\n') return fail(diag_, cur.file, token->line, "string is not closed ('\"' missing)");
        ++cur.pos;
        if (c == '"') {
            if (cur.at() != '"') break;
            ++cur.pos;
            text += '"';
            continue;
        }
        if (c != '\\') {
            text += c;
            continue;
        }
        char e = cur.at();
        ++cur.pos;
        switch (e) {
        case 't': text += '\t'; break;
        case 'n': text += '\n'; break;
        case 'r': text += '\r'; break;
        case '"': text += '"'; break;
        case '\'': text += '\''; break;
        case '\\': text += '\\'; break;
        default:
            if (e == '\n' || e == '\0') return fail(diag_, cur.file, token->line, "string is not closed ('\"' missing)");
            return fail(diag_, cur.file, cur.line, std::string("unknown escape '\\") + e + "' in string");
        }
    }
    token->kind = TokenKind::String;
    token->text = text;
    return true;
}

// The next token on a directive's line; End at the line's end.
bool Lexer::readLineToken(Cursor& cur, Token* token)
{
    if (!skipLineBlanks(cur)) return false;
    if (cur.atEnd() || cur.at() == '\n') {
        token->kind = TokenKind::End;
        token->text.clear();
        token->file = cur.file;
        token->line = cur.line;
        return true;
    }
    return scanToken(cur, token);
}

bool Lexer::expectEndOfLine(Cursor& cur, const char* directive)
{
    Token extra;
    if (!readLineToken(cur, &extra)) return false;
    if (extra.kind != TokenKind::End)
        return fail(diag_, cur.file, extra.line, std::string("unexpected '") + extra.text + "' after #" + directive);
    return true;
}

bool Lexer::directive(Cursor& cur, int depth)
{
    Token name;
    if (!skipLineBlanks(cur)) return false;
    name.file = cur.file;
    name.line = cur.line;
    size_t start = cur.pos;
    while (isIdentChar(cur.at())) ++cur.pos;
    name.text = cur.text.substr(start, cur.pos - start);

    if (name.text == "define") return defineDirective(cur, name);
    if (name.text == "include") return includeDirective(cur, name, depth);
    if (name.text == "pragma") {
        // Only "once" means anything to us; other pragmas are for C++ compilers.
        Token what;
        if (!readLineToken(cur, &what)) return false;
        if (what.kind == TokenKind::Identifier && what.text == "once") {
            char* real = realpath(cur.file.c_str(), nullptr);
            onceFiles_.insert(real ? real : cur.file);
            std::free(real);
        }
        while (!cur.atEnd() && cur.at() != '\n') ++cur.pos;
        return true;
    }
    if (name.text.empty()) return fail(diag_, cur.file, name.line, "'#' without a directive name");
    return fail(diag_, cur.file, name.line,
                "unsupported preprocessor directive '#" + name.text + "' (only #include, #define and #pragma)");
}

// #define NAME value, where value is a number, (number) or a name defined before.
bool Lexer::defineDirective(Cursor& cur, const Token& at)
{
    Token name;
    if (!readLineToken(cur, &name)) return false;
    if (name.kind != TokenKind::Identifier) return fail(diag_, cur.file, at.line, "#define needs a name");

    Token value;
    if (!readLineToken(cur, &value)) return false;
    bool parenthesized = value.kind == TokenKind::Punct && value.text == "(";
    if (parenthesized && !readLineToken(cur, &value)) return false;
    if (value.kind == TokenKind::Identifier) {
        auto found = defines_.find(value.text);
        if (found != defines_.end()) {
            value.kind = TokenKind::Number;
            value.value = found->second.value;
        }
    }
    if (value.kind != TokenKind::Number)
        return fail(diag_, cur.file, at.line, "#define " + name.text + " needs a number as its value");
    if (parenthesized) {
        Token close;
        if (!readLineToken(cur, &close)) return false;
        if (close.kind != TokenKind::Punct || close.text != ")")
            return fail(diag_, cur.file, at.line, "#define " + name.text + ": ')' missing");
    }
    if (!expectEndOfLine(cur, ("define " + name.text).c_str())) return false;
    return addDefine(name.text, value.value, cur.file, at.line);
}

bool Lexer::addDefine(const std::string& name, uint32_t value, const std::string& file, int line)
{
    auto found = defines_.find(name);
    if (found != defines_.end()) {
        if (found->second.value == value) return true;
        return fail(diag_, file, line,
                    name + " redefined as " + std::to_string(value) + " (it was " + std::to_string(found->second.value) +
                        " at " + found->second.file + ":" + std::to_string(found->second.line) + ")");
    }
    defines_[name] = Define{value, file, line};
    return true;
}

bool Lexer::includeDirective(Cursor& cur, const Token& at, int depth)
{
    if (!skipLineBlanks(cur)) return false;
    char open = cur.at();
    if (open != '"' && open != '<') return fail(diag_, cur.file, at.line, "#include needs \"file\" or <file>");
    const char close = open == '"' ? '"' : '>';
    ++cur.pos;
    size_t start = cur.pos;
    while (!cur.atEnd() && cur.at() != close && cur.at() != '\n') ++cur.pos;
    if (cur.at() != close) return fail(diag_, cur.file, at.line, std::string("#include: '") + close + "' missing");
    const std::string name = normalizeSeparators(cur.text.substr(start, cur.pos - start));
    ++cur.pos;
    if (!expectEndOfLine(cur, "include")) return false;

    if (open == '<') {
        if (!isKnownSystemHeader(name.c_str()))
            return fail(diag_, cur.file, at.line,
                        "unknown system header <" + name + "> (known: <windows.h>, <winresrc.h>, <winres.h>, <winuser.h>)");
        for (const SystemSymbol* s = systemSymbols(); s->name; ++s)
            if (!addDefine(s->name, s->value, cur.file, at.line)) return false;
        return true;
    }

    if (depth + 1 > MaxIncludeDepth)
        return fail(diag_, cur.file, at.line, "#include nested too deeply (does a header include itself?)");
    const std::string path = name.front() == '/' ? name : directoryOf(cur.file) + name;
    char* real = realpath(path.c_str(), nullptr);
    const bool seenOnce = real && onceFiles_.count(real) != 0;
    std::free(real);
    if (seenOnce) return true;
    Token includedAt = at;
    includedAt.file = cur.file;
    return lexFile(path, depth + 1, &includedAt);
}

}  // namespace

bool tokenizeScript(const std::string& path, std::vector<Token>* tokens, Diagnostic* diagnostic)
{
    tokens->clear();
    Lexer lexer(tokens, diagnostic);
    if (!lexer.lexFile(path, 0, nullptr)) return false;
    Token end;
    end.kind = TokenKind::End;
    end.file = tokens->empty() ? path : tokens->back().file;
    end.line = tokens->empty() ? 0 : tokens->back().line;
    tokens->push_back(end);
    return true;
}

}  // namespace rc
