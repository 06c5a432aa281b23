// Font objects: CreateFontA and what a DC's font reports (GetTextMetricsA,
// GetTextFaceA).
#include "gdi/font_face.h"

#include <algorithm>
#include <cstring>

using namespace platform::gdi;

HFONT WINAPI CreateFontA(int cHeight, int cWidth, int, int, int cWeight, DWORD bItalic, DWORD bUnderline,
                         DWORD bStrikeOut, DWORD, DWORD, DWORD, DWORD iQuality, DWORD, LPCSTR pszFaceName) {
    ObjectLock lock;
    if (cWeight < 0)
        return nullptr;
    FontRequest request;
    request.height = cHeight;
    request.width = cWidth;
    request.weight = cWeight == FW_DONTCARE ? FW_NORMAL : cWeight;
    request.italic = bItalic != 0;
    request.underline = bUnderline != 0;
    request.strikeOut = bStrikeOut != 0;
    request.antialiased = iQuality != NONANTIALIASED_QUALITY;
    if (pszFaceName)
        request.faceName.assign(pszFaceName, strnlen(pszFaceName, LF_FACESIZE - 1));
    std::unique_ptr<FontObject> font = makeFontObject(request);
    if (!font->face)
        return nullptr;
    return static_cast<HFONT>(addObject(std::move(font)));
}

BOOL WINAPI GetTextMetricsA(HDC hdc, LPTEXTMETRICA lptm) {
    ObjectLock lock;
    DcObject* dc = lookupDc(hdc);
    FontFace* face = dc ? faceOf(*dc) : nullptr;
    if (!face || !lptm)
        return FALSE;
    *lptm = face->metrics();
    return TRUE;
}

// The family fontconfig matched, which may differ from the requested name
// (as GDI reports a substituted face by its own name).
int WINAPI GetTextFaceA(HDC hdc, int c, LPSTR lpName) {
    ObjectLock lock;
    DcObject* dc = lookupDc(hdc);
    FontFace* face = dc ? faceOf(*dc) : nullptr;
    if (!face)
        return 0;
    const std::string& name = face->familyName();
    if (!lpName)
        return static_cast<int>(name.size()) + 1;
    if (c <= 0)
        return 0;
    size_t n = std::min(name.size(), static_cast<size_t>(c - 1));
    std::memcpy(lpName, name.data(), n);
    lpName[n] = '\0';
    return static_cast<int>(n);
}
