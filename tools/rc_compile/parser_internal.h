// The parser's internals, shared by the statement files (script_parser.cpp
// for ICON, MENU and ACCELERATORS, dialog_parser.cpp for DIALOG and
// DIALOGEX): a cursor over the tokens with the helpers that report a
// Diagnostic at the offending token and return false. Internal to
// rc_compile; parseScript is the entry point.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "tools/rc_compile/diagnostic.h"
#include "tools/rc_compile/resource_model.h"
#include "tools/rc_compile/script_lexer.h"

namespace rc {
namespace parser {

constexpr uint32_t MaxWord = 0xFFFF;

// Keywords of the resource language are not case-sensitive.
bool sameWord(const std::string& text, const char* word);
bool isOneOf(const std::string& text, std::initializer_list<const char*> words);
std::string directoryOf(const std::string& path);

class Parser {
public:
    Parser(const std::vector<Token>& tokens, Resources* resources, Diagnostic* diagnostic)
        : tokens_(tokens), out_(resources), diag_(diagnostic)
    {
    }

    bool parse();

    bool parseIcon(uint32_t id, const Token& at);
    bool parseMenu(uint32_t id, const Token& at);
    bool parseAccelerators(uint32_t id, const Token& at);
    bool parseDialog(uint32_t id, const Token& at);
    bool parseDialogEx(uint32_t id, const Token& at);

private:
    const Token& peek(size_t ahead = 0) const
    {
        size_t index = pos_ + ahead;
        return tokens_[index < tokens_.size() ? index : tokens_.size() - 1];
    }
    const Token& next()
    {
        const Token& token = peek();
        if (pos_ + 1 < tokens_.size()) ++pos_;
        return token;
    }
    static bool isWord(const Token& t, const char* word) { return t.kind == TokenKind::Identifier && sameWord(t.text, word); }
    static bool isPunct(const Token& t, char c) { return t.kind == TokenKind::Punct && t.text[0] == c; }
    static bool isBlockStart(const Token& t) { return isWord(t, "BEGIN") || isPunct(t, '{'); }
    static bool isBlockEnd(const Token& t) { return isWord(t, "END") || isPunct(t, '}'); }

    bool error(const Token& at, const std::string& message) { return fail(diag_, at.file, at.line, message); }
    static std::string describe(const Token& t);
    bool unknownName(const Token& t, const char* what);

    bool expectNumber(const char* what, uint32_t* value);
    bool expectString(const char* what, std::string* text);
    bool expectComma(const char* after);
    bool beginBlock(const std::string& what);
    void skipMemoryOptions();

    bool parseMenuItems(std::vector<MenuItem>* items, const Token& openedAt, const std::string& what);
    bool parseMenuOptions(MenuItem* item);
    bool parseAccelerator(Accelerator* accelerator);

    bool parseDialogStatement(uint32_t id, const Token& at, bool extended);
    bool parseDialogOptions(Dialog* dialog);
    bool parseControls(Dialog* dialog, const Token& openedAt);
    bool parseControl(const Token& keyword, bool extended, DialogControl* control);
    bool expectStyle(const char* what, uint32_t* style);
    bool styleTerm(const char* what, uint32_t* value, bool* negated);
    bool expectControlId(bool extended, uint32_t* id);
    bool expectCoordinates(const char* what, int* x, int* y, int* width, int* height);
    bool optionalStyles(uint32_t* style, uint32_t* exStyle);

    const std::vector<Token>& tokens_;
    size_t pos_ = 0;
    Resources* out_;
    Diagnostic* diag_;
};

using StatementFn = bool (Parser::*)(uint32_t id, const Token& at);

struct Statement {
    const char* keyword;
    StatementFn parse;
};

}  // namespace parser
}  // namespace rc
