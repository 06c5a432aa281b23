#include "tools/rc_compile/script_parser.h"

#include <strings.h>

#include <cctype>
#include <fstream>
#include <iterator>

#include "tools/rc_compile/ico_decoder.h"
#include "tools/rc_compile/parser_internal.h"

namespace rc {
namespace parser {

std::string directoryOf(const std::string& path)
{
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

bool sameWord(const std::string& text, const char* word)
{
    return strcasecmp(text.c_str(), word) == 0;
}

bool isOneOf(const std::string& text, std::initializer_list<const char*> words)
{
    for (const char* word : words)
        if (sameWord(text, word)) return true;
    return false;
}

namespace {

// One entry per resource type.
const Statement statements[] = {
    {"ICON", &Parser::parseIcon},
    {"MENU", &Parser::parseMenu},
    {"ACCELERATORS", &Parser::parseAccelerators},
    {"DIALOG", &Parser::parseDialog},
    {"DIALOGEX", &Parser::parseDialogEx},
};

const Statement* findStatement(const std::string& keyword)
{
    for (const Statement& statement : statements)
        if (sameWord(keyword, statement.keyword)) return &statement;
    return nullptr;
}

}  // namespace

std::string Parser::describe(const Token& t)
{
    switch (t.kind) {
    case TokenKind::Identifier:
    case TokenKind::Number:
    case TokenKind::Punct: return "'" + t.text + "'";
    case TokenKind::String: return "string \"" + t.text + "\"";
    case TokenKind::End: break;
    }
    return "the end of the file";
}

// An identifier where a number belongs: nothing #defined it.
bool Parser::unknownName(const Token& t, const char* what)
{
    std::string message = "unknown " + std::string(what) + " '" + t.text + "'";
    if (t.text.compare(0, 3, "VK_") == 0)
        message += " (is <windows.h> included?)";
    else
        message += " (not #defined)";
    return error(t, message);
}

bool Parser::expectNumber(const char* what, uint32_t* value)
{
    const Token& t = next();
    if (t.kind == TokenKind::Identifier) return unknownName(t, "id");
    if (t.kind != TokenKind::Number) return error(t, std::string("expected ") + what + ", found " + describe(t));
    if (t.value > MaxWord)
        return error(t, std::string(what) + " " + t.text + " = " + std::to_string(t.value) + " does not fit 16 bits");
    *value = t.value;
    return true;
}

bool Parser::expectString(const char* what, std::string* text)
{
    const Token& t = next();
    if (t.kind != TokenKind::String) return error(t, std::string("expected ") + what + " in quotes, found " + describe(t));
    *text = t.text;
    return true;
}

bool Parser::expectComma(const char* after)
{
    const Token& t = next();
    if (!isPunct(t, ',')) return error(t, std::string("expected ',' after ") + after + ", found " + describe(t));
    return true;
}

bool Parser::beginBlock(const std::string& what)
{
    const Token& t = next();
    if (!isBlockStart(t)) return error(t, "expected BEGIN or '{' to open " + what + ", found " + describe(t));
    return true;
}

// Memory flags from 16-bit Windows; accepted and meaningless, as today.
void Parser::skipMemoryOptions()
{
    while (peek().kind == TokenKind::Identifier &&
           isOneOf(peek().text, {"PRELOAD", "LOADONCALL", "FIXED", "MOVEABLE", "DISCARDABLE", "PURE", "IMPURE",
                                 "SHARED", "NONSHARED"}))
        next();
}

bool Parser::parse()
{
    while (peek().kind != TokenKind::End) {
        const Token& idToken = next();
        if (idToken.kind == TokenKind::Identifier) {
            if (findStatement(idToken.text)) return error(idToken, idToken.text + " needs a numeric id before it");
            return unknownName(idToken, "resource id");
        }
        if (idToken.kind != TokenKind::Number)
            return error(idToken, "expected a resource id, found " + describe(idToken));
        if (idToken.value > MaxWord)
            return error(idToken, "resource id " + std::to_string(idToken.value) + " does not fit 16 bits");

        const Token& typeToken = next();
        if (typeToken.kind != TokenKind::Identifier)
            return error(typeToken, "expected a resource type after id " + idToken.text + ", found " + describe(typeToken));
        const Statement* statement = findStatement(typeToken.text);
        if (!statement) return error(typeToken, "unknown resource type '" + typeToken.text + "'");
        if (!(this->*statement->parse)(idToken.value, typeToken)) return false;
    }
    return true;
}

bool Parser::parseIcon(uint32_t id, const Token& at)
{
    for (const IconGroup& icon : out_->icons)
        if (icon.id == id) return error(at, "ICON " + std::to_string(id) + " is defined twice");
    skipMemoryOptions();
    std::string name;
    if (!expectString("the icon's file name", &name)) return false;
    for (char& c : name)
        if (c == '\\') c = '/';
    // Relative to the script, as the system's compiler finds it.
    const std::string path = !name.empty() && name[0] == '/' ? name : directoryOf(at.file) + name;
    std::ifstream in(path, std::ios::binary);
    if (!in) return error(at, "cannot open icon file '" + path + "'");
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());

    IconGroup icon;
    icon.id = id;
    std::string reason;
    if (!decodeIco(bytes, &icon.images, &reason)) return error(at, "icon file '" + path + "': " + reason);
    out_->icons.push_back(std::move(icon));
    return true;
}

bool Parser::parseMenu(uint32_t id, const Token& at)
{
    for (const Menu& menu : out_->menus)
        if (menu.id == id) return error(at, "MENU " + std::to_string(id) + " is defined twice");
    skipMemoryOptions();
    const std::string what = "MENU " + std::to_string(id);
    if (!beginBlock(what)) return false;
    Menu menu;
    menu.id = id;
    if (!parseMenuItems(&menu.items, at, what)) return false;
    out_->menus.push_back(std::move(menu));
    return true;
}

bool Parser::parseMenuItems(std::vector<MenuItem>* items, const Token& openedAt, const std::string& what)
{
    for (;;) {
        const Token& t = next();
        if (t.kind == TokenKind::End)
            return error(t, "END missing for " + what + " (opened at line " + std::to_string(openedAt.line) + ")");
        if (isBlockEnd(t)) return true;

        MenuItem item;
        if (isWord(t, "MENUITEM")) {
            if (isWord(peek(), "SEPARATOR")) {
                next();
                item.separator = true;
            } else {
                if (!expectString("the menu item's text", &item.text)) return false;
                if (!expectComma("the menu item's text")) return false;
                if (!expectNumber("a menu item id", &item.id)) return false;
                if (!parseMenuOptions(&item)) return false;
            }
        } else if (isWord(t, "POPUP")) {
            item.popup = true;
            if (!expectString("the popup's text", &item.text)) return false;
            if (!parseMenuOptions(&item)) return false;
            const std::string popupWhat = "POPUP \"" + item.text + "\"";
            if (!beginBlock(popupWhat)) return false;
            if (!parseMenuItems(&item.children, t, popupWhat)) return false;
        } else {
            return error(t, "expected MENUITEM, POPUP or END in " + what + ", found " + describe(t));
        }
        items->push_back(std::move(item));
    }
}

// Options follow the id (or a popup's text), separated by commas or blanks.
bool Parser::parseMenuOptions(MenuItem* item)
{
    for (;;) {
        const bool comma = isPunct(peek(), ',');
        const Token& option = peek(comma ? 1 : 0);
        const bool known = option.kind == TokenKind::Identifier &&
                           isOneOf(option.text, {"GRAYED", "CHECKED", "INACTIVE", "MENUBARBREAK", "MENUBREAK", "HELP"});
        if (!known) {
            if (comma) return error(option, "unknown menu item option " + describe(option));
            return true;
        }
        if (comma) next();
        next();
        if (sameWord(option.text, "GRAYED"))
            item->grayed = true;
        else if (sameWord(option.text, "CHECKED"))
            item->checked = true;
        else
            return error(option, "menu item option " + option.text + " is not supported (GRAYED and CHECKED are)");
    }
}

bool Parser::parseAccelerators(uint32_t id, const Token& at)
{
    for (const AcceleratorTable& table : out_->accelerators)
        if (table.id == id) return error(at, "ACCELERATORS " + std::to_string(id) + " is defined twice");
    skipMemoryOptions();
    const std::string what = "ACCELERATORS " + std::to_string(id);
    if (!beginBlock(what)) return false;
    AcceleratorTable table;
    table.id = id;
    for (;;) {
        const Token& t = peek();
        if (t.kind == TokenKind::End)
            return error(t, "END missing for " + what + " (opened at line " + std::to_string(at.line) + ")");
        if (isBlockEnd(t)) {
            next();
            break;
        }
        Accelerator accelerator;
        if (!parseAccelerator(&accelerator)) return false;
        table.entries.push_back(accelerator);
    }
    out_->accelerators.push_back(std::move(table));
    return true;
}

// key, command [, VIRTKEY | ASCII] [, NOINVERT] [, ALT] [, SHIFT] [, CONTROL]
bool Parser::parseAccelerator(Accelerator* accelerator)
{
    enum class KeyKind { Character, ControlCharacter, Code };
    const Token& keyToken = next();
    KeyKind kind = KeyKind::Code;
    uint32_t code = 0;
    char character = 0;
    if (keyToken.kind == TokenKind::String) {
        const std::string& text = keyToken.text;
        if (text.size() == 2 && text[0] == '^' && std::isalpha(static_cast<unsigned char>(text[1]))) {
            kind = KeyKind::ControlCharacter;
            character = static_cast<char>(std::toupper(static_cast<unsigned char>(text[1])));
        } else if (text.size() == 1) {
            kind = KeyKind::Character;
            character = text[0];
        } else {
            return error(keyToken, "accelerator key " + describe(keyToken) + " must be one character or ^ and a letter");
        }
    } else if (keyToken.kind == TokenKind::Number) {
        if (keyToken.value > MaxWord) return error(keyToken, "accelerator key " + keyToken.text + " does not fit 16 bits");
        code = keyToken.value;
    } else if (keyToken.kind == TokenKind::Identifier) {
        return unknownName(keyToken, "key");
    } else {
        return error(keyToken, "expected an accelerator key or END, found " + describe(keyToken));
    }

    uint32_t command = 0;
    if (!expectComma("the accelerator key")) return false;
    if (!expectNumber("an accelerator command id", &command)) return false;

    bool virtKey = false, ascii = false;
    uint8_t flags = 0;
    for (;;) {
        const bool comma = isPunct(peek(), ',');
        const Token& option = peek(comma ? 1 : 0);
        const bool known = option.kind == TokenKind::Identifier &&
                           isOneOf(option.text, {"VIRTKEY", "ASCII", "NOINVERT", "ALT", "SHIFT", "CONTROL"});
        if (!known) {
            if (comma) return error(option, "unknown accelerator option " + describe(option));
            break;
        }
        if (comma) next();
        next();
        if (sameWord(option.text, "VIRTKEY"))
            virtKey = true;
        else if (sameWord(option.text, "ASCII"))
            ascii = true;
        else if (sameWord(option.text, "NOINVERT"))
            flags |= AccelNoInvert;
        else if (sameWord(option.text, "ALT"))
            flags |= AccelAlt;
        else if (sameWord(option.text, "SHIFT"))
            flags |= AccelShift;
        else
            flags |= AccelControl;
    }

    if (virtKey && ascii) return error(keyToken, "an accelerator is VIRTKEY or ASCII, not both");
    if (!virtKey && (flags & (AccelAlt | AccelShift | AccelControl)))
        return error(keyToken, "ALT, SHIFT and CONTROL apply only to VIRTKEY accelerators");
    if (virtKey && kind == KeyKind::ControlCharacter)
        return error(keyToken, "a control character (" + describe(keyToken) + ") cannot be a VIRTKEY; use CONTROL");
    // A virtual key written as a character is its key code: letters and digits only.
    if (virtKey && kind == KeyKind::Character && !std::isupper(static_cast<unsigned char>(character)) &&
        !std::isdigit(static_cast<unsigned char>(character)))
        return error(keyToken, "VIRTKEY key " + describe(keyToken) + " must be an uppercase letter or a digit");

    if (virtKey) flags |= AccelVirtKey;
    accelerator->flags = flags;
    accelerator->command = static_cast<uint16_t>(command);
    switch (kind) {
    case KeyKind::Character: accelerator->key = static_cast<unsigned char>(character); break;
    case KeyKind::ControlCharacter: accelerator->key = static_cast<uint16_t>(character - 'A' + 1); break;
    case KeyKind::Code: accelerator->key = static_cast<uint16_t>(code); break;
    }
    return true;
}

}  // namespace parser

bool parseScript(const std::vector<Token>& tokens, Resources* resources, Diagnostic* diagnostic)
{
    *resources = Resources();
    if (tokens.empty()) return fail(diagnostic, "", 0, "no tokens (tokenizeScript ends every list with End)");
    parser::Parser parser(tokens, resources, diagnostic);
    return parser.parse();
}

bool compileScript(const std::string& path, Resources* resources, Diagnostic* diagnostic)
{
    std::vector<Token> tokens;
    if (!tokenizeScript(path, &tokens, diagnostic)) return false;
    return parseScript(tokens, resources, diagnostic);
}

}  // namespace rc
