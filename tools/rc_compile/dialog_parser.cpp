// DIALOG and DIALOGEX statements: the template's rectangle, its STYLE,
// EXSTYLE, CAPTION and FONT, and the controls between BEGIN and END with the
// default styles the system's resource compiler gives each statement.
#include "tools/rc_compile/parser_internal.h"

namespace rc {
namespace parser {

namespace {

// Published style values the defaults below are made of.
constexpr uint32_t WsPopup = 0x80000000u;
constexpr uint32_t WsChild = 0x40000000u;
constexpr uint32_t WsVisible = 0x10000000u;
constexpr uint32_t WsCaption = 0x00C00000u;
constexpr uint32_t WsBorder = 0x00800000u;
constexpr uint32_t WsSysMenu = 0x00080000u;
constexpr uint32_t WsGroup = 0x00020000u;
constexpr uint32_t WsTabStop = 0x00010000u;
constexpr uint32_t DsSetFont = 0x40u;

// A control statement: its window class and the style it starts from.
struct ControlKind {
    const char* keyword;
    const char* className;
    uint32_t style;
    bool hasText;
};

const ControlKind controlKinds[] = {
    {"LTEXT", "Static", 0x0000u | WsGroup, true},
    {"CTEXT", "Static", 0x0001u | WsGroup, true},
    {"RTEXT", "Static", 0x0002u | WsGroup, true},
    {"PUSHBUTTON", "Button", 0x0000u | WsTabStop, true},
    {"DEFPUSHBUTTON", "Button", 0x0001u | WsTabStop, true},
    {"CHECKBOX", "Button", 0x0002u | WsTabStop, true},
    {"AUTOCHECKBOX", "Button", 0x0003u | WsTabStop, true},
    {"RADIOBUTTON", "Button", 0x0004u | WsTabStop, true},
    {"GROUPBOX", "Button", 0x0007u, true},
    {"AUTORADIOBUTTON", "Button", 0x0009u | WsTabStop, true},
    {"COMBOBOX", "ComboBox", 0x0001u | WsTabStop, false},
    {"EDITTEXT", "Edit", WsBorder | WsTabStop, false},
    {"LISTBOX", "ListBox", 0x0001u | WsBorder, false},
};

// The predefined classes a CONTROL statement may name without quotes.
const char* const classKeywords[] = {"Button", "Static", "ComboBox", "Edit", "ListBox", "ScrollBar"};

const ControlKind* findControlKind(const std::string& keyword)
{
    for (const ControlKind& kind : controlKinds)
        if (sameWord(keyword, kind.keyword)) return &kind;
    return nullptr;
}

}  // namespace

bool Parser::parseDialog(uint32_t id, const Token& at)
{
    return parseDialogStatement(id, at, false);
}

bool Parser::parseDialogEx(uint32_t id, const Token& at)
{
    return parseDialogStatement(id, at, true);
}

bool Parser::parseDialogStatement(uint32_t id, const Token& at, bool extended)
{
    for (const Dialog& dialog : out_->dialogs)
        if (dialog.id == id) return error(at, "dialog " + std::to_string(id) + " is defined twice");
    skipMemoryOptions();
    Dialog dialog;
    dialog.id = id;
    dialog.extended = extended;
    dialog.style = WsPopup | WsBorder | WsSysMenu;  // without a STYLE statement
    if (!expectCoordinates("the dialog", &dialog.x, &dialog.y, &dialog.width, &dialog.height)) return false;
    if (extended && isPunct(peek(), ',')) {
        next();
        uint32_t helpId = 0;
        if (!expectNumber("the dialog's help id", &helpId)) return false;
    }
    if (!parseDialogOptions(&dialog)) return false;
    const std::string what = (extended ? "DIALOGEX " : "DIALOG ") + std::to_string(id);
    if (!beginBlock(what)) return false;
    if (!parseControls(&dialog, at)) return false;
    out_->dialogs.push_back(std::move(dialog));
    return true;
}

// STYLE, EXSTYLE, CAPTION and FONT, in any order, until BEGIN. CAPTION adds
// WS_CAPTION and FONT adds DS_SETFONT to whatever the style is.
bool Parser::parseDialogOptions(Dialog* dialog)
{
    bool captionGiven = false;
    while (peek().kind == TokenKind::Identifier && !isBlockStart(peek())) {
        const Token& option = next();
        if (sameWord(option.text, "STYLE")) {
            dialog->style = 0;
            if (!expectStyle("the dialog's STYLE", &dialog->style)) return false;
        } else if (sameWord(option.text, "EXSTYLE")) {
            if (!expectStyle("the dialog's EXSTYLE", &dialog->exStyle)) return false;
        } else if (sameWord(option.text, "CAPTION")) {
            if (!expectString("the dialog's caption", &dialog->caption)) return false;
            captionGiven = true;
        } else if (sameWord(option.text, "FONT")) {
            uint32_t size = 0;
            if (!expectNumber("the font's point size", &size)) return false;
            if (!expectComma("the font's point size")) return false;
            if (!expectString("the font's face name", &dialog->faceName)) return false;
            dialog->pointSize = static_cast<int>(size);
            if (dialog->extended) {
                uint32_t values[3] = {0, 0, 0};
                const char* names[3] = {"the font's weight", "the font's italic flag", "the font's character set"};
                for (int i = 0; i < 3 && isPunct(peek(), ','); ++i) {
                    next();
                    if (!expectNumber(names[i], &values[i])) return false;
                }
                dialog->weight = static_cast<int>(values[0]);
                dialog->italic = values[1] != 0;
                dialog->charset = values[2];
            }
        } else if (isOneOf(option.text, {"MENU", "CLASS", "LANGUAGE", "VERSION", "CHARACTERISTICS"})) {
            return error(option, "dialog option " + option.text + " is not supported (STYLE, EXSTYLE, CAPTION and FONT are)");
        } else {
            return error(option, "expected a dialog option or BEGIN, found " + describe(option));
        }
    }
    if (captionGiven) dialog->style |= WsCaption;
    if (dialog->pointSize) dialog->style |= DsSetFont;
    return true;
}

bool Parser::parseControls(Dialog* dialog, const Token& openedAt)
{
    const std::string what = (dialog->extended ? "DIALOGEX " : "DIALOG ") + std::to_string(dialog->id);
    for (;;) {
        const Token& t = next();
        if (t.kind == TokenKind::End)
            return error(t, "END missing for " + what + " (opened at line " + std::to_string(openedAt.line) + ")");
        if (isBlockEnd(t)) return true;
        if (t.kind != TokenKind::Identifier) return error(t, "expected a control or END in " + what + ", found " + describe(t));
        DialogControl control;
        if (!parseControl(t, dialog->extended, &control)) return false;
        dialog->controls.push_back(std::move(control));
    }
}

// LTEXT "text", id, x, y, w, h [, style [, exstyle]]; COMBOBOX id, x, y, w, h [...];
// CONTROL "text", id, class, style, x, y, w, h [, exstyle].
bool Parser::parseControl(const Token& keyword, bool extended, DialogControl* control)
{
    if (sameWord(keyword.text, "CONTROL")) {
        if (!expectString("the control's text", &control->text)) return false;
        if (!expectComma("the control's text")) return false;
        if (!expectControlId(extended, &control->id)) return false;
        if (!expectComma("the control id")) return false;
        const Token& cls = next();
        if (cls.kind == TokenKind::String) {
            control->className = cls.text;
        } else if (cls.kind == TokenKind::Identifier) {
            for (const char* name : classKeywords)
                if (sameWord(cls.text, name)) control->className = name;
            if (control->className.empty()) return error(cls, "unknown control class " + describe(cls) + " (quote a registered class name)");
        } else {
            return error(cls, "expected the control's class, found " + describe(cls));
        }
        if (!expectComma("the control's class")) return false;
        control->style = WsChild | WsVisible;
        if (!expectStyle("the control's style", &control->style)) return false;
        if (!expectComma("the control's style")) return false;
        if (!expectCoordinates("the control", &control->x, &control->y, &control->width, &control->height)) return false;
        if (isPunct(peek(), ',')) {
            next();
            return expectStyle("the control's extended style", &control->exStyle);
        }
        return true;
    }

    const ControlKind* kind = findControlKind(keyword.text);
    if (!kind) return error(keyword, "unknown control statement " + describe(keyword));
    control->className = kind->className;
    control->style = kind->style | WsChild | WsVisible;
    if (kind->hasText) {
        if (!expectString("the control's text", &control->text)) return false;
        if (!expectComma("the control's text")) return false;
    }
    if (!expectControlId(extended, &control->id)) return false;
    if (!expectComma("the control id")) return false;
    if (!expectCoordinates("the control", &control->x, &control->y, &control->width, &control->height)) return false;
    return optionalStyles(&control->style, &control->exStyle);
}

bool Parser::optionalStyles(uint32_t* style, uint32_t* exStyle)
{
    if (!isPunct(peek(), ',')) return true;
    next();
    if (!expectStyle("the control's style", style)) return false;
    if (!isPunct(peek(), ',')) return true;
    next();
    return expectStyle("the control's extended style", exStyle);
}

// term { '|' term }, each term a number, a #defined name, (term) or NOT term;
// a term ORs its bits into *style, NOT clears them.
bool Parser::expectStyle(const char* what, uint32_t* style)
{
    for (;;) {
        uint32_t value = 0;
        bool negated = false;
        if (!styleTerm(what, &value, &negated)) return false;
        *style = negated ? (*style & ~value) : (*style | value);
        if (!isPunct(peek(), '|')) return true;
        next();
    }
}

bool Parser::styleTerm(const char* what, uint32_t* value, bool* negated)
{
    if (isWord(peek(), "NOT")) {
        next();
        *negated = true;
    }
    const Token& t = next();
    if (isPunct(t, '(')) {
        uint32_t inner = 0;
        if (!expectStyle(what, &inner)) return false;
        const Token& close = next();
        if (!isPunct(close, ')')) return error(close, std::string("expected ')' in ") + what + ", found " + describe(close));
        *value = inner;
        return true;
    }
    if (t.kind == TokenKind::Identifier) return unknownName(t, "style");
    if (t.kind != TokenKind::Number) return error(t, std::string("expected ") + what + ", found " + describe(t));
    *value = t.value;
    return true;
}

// A control id, -1 (no id) among them: 16 bits in DIALOG, 32 in DIALOGEX.
bool Parser::expectControlId(bool extended, uint32_t* id)
{
    if (isPunct(peek(), '-')) {
        const Token& minus = next();
        const Token& t = next();
        if (t.kind != TokenKind::Number || t.value != 1)
            return error(minus, "a negative control id must be -1, found -" + t.text);
        *id = extended ? 0xFFFFFFFFu : MaxWord;
        return true;
    }
    const Token& t = peek();
    if (t.kind == TokenKind::Number && extended) {
        next();
        *id = t.value;
        return true;
    }
    return expectNumber("a control id", id);
}

bool Parser::expectCoordinates(const char* what, int* x, int* y, int* width, int* height)
{
    int* fields[4] = {x, y, width, height};
    const char* names[4] = {"x", "y", "width", "height"};
    for (int i = 0; i < 4; ++i) {
        if (i > 0 && !expectComma(names[i - 1])) return false;
        uint32_t value = 0;
        const std::string field = std::string(what) + "'s " + names[i];
        if (!expectNumber(field.c_str(), &value)) return false;
        *fields[i] = static_cast<int>(value);
    }
    return true;
}

}  // namespace parser
}  // namespace rc
