// Test automation for the Linux platform layer (Linux only; the Windows
// build has no such seam). Off by default: until setEnabled(true) nothing
// here acts and the layer behaves exactly as without it.
// - Message boxes are answered from here instead of being shown, and every
//   box is recorded with its owner, caption, text and type flags.
// - Input is pushed as SDL events (SDL_PushEvent), so the layer's own
//   translation into Win32 messages runs as for real input.
// - The frame a window shows can be read back.
// - A modal dialog is driven from an idle handler, with its controls found
//   by id and clicked through the same SDL input path.
// Called by tests only. Functions return false when the seam is off or the
// window is not a live top-level window of the layer.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace q31automation {

void setEnabled(bool enabled);
bool enabled();

struct MessageBoxRecord {
    HWND owner = nullptr;
    std::string caption;
    std::string text;
    UINT type = 0;               // the MB_* flags as passed
    bool ownerDisabled = false;  // the owner was disabled while the box was up
};

// Answers for the next boxes, first in first out; with none queued (and no
// handler answer) the box's default button answers, IDOK for MB_OK.
void queueMessageBoxAnswer(int answer);
// Called while the box is up (its owner disabled, its modal loop running);
// returns the answer, or 0 to fall back to the queue.
using MessageBoxHandler = int (*)(const MessageBoxRecord& box, void* context);
void setMessageBoxHandler(MessageBoxHandler handler, void* context);
std::vector<MessageBoxRecord> messageBoxes();
void clearMessageBoxes();
// Boxes come up as real windows, as with the seam off, and are neither
// answered nor recorded here; the dialog idle handler drives them like any
// dialog. Off by default and when the seam is switched off.
void showMessageBoxes(bool show);

// Mouse input at client coordinates of `window` (the menu strip is at
// negative y). `button` 1 left, 2 middle, 3 right, as SDL numbers them.
bool moveMouse(HWND window, int x, int y);
bool mouseButton(HWND window, int x, int y, int button, bool down);
// Move there, press and release the left button.
bool click(HWND window, int x, int y);

// One key transition; the modifier keys among them set the modifier state
// the following events carry.
bool keyEvent(HWND window, UINT virtualKey, bool down);
// FSHIFT / FCONTROL / FALT pressed, the key pressed and released, the
// modifiers released again.
bool pressKey(HWND window, UINT virtualKey, BYTE modifiers = 0);

// Where the menu strip shows bar item `barIndex` and, once it is open, item
// `itemIndex` of its popup, in client coordinates of `window`.
bool menuBarItemRect(HWND window, int barIndex, RECT* rect);
bool menuItemRect(HWND window, int barIndex, int itemIndex, RECT* rect);
// Clicks bar item `barIndex`, then item `itemIndex` of the popup it opens.
bool clickMenuItem(HWND window, int barIndex, int itemIndex);

// Resizes the X window as the window manager does when the user drags the
// frame: the layer only learns of it from the events that follow.
bool resizeFrame(HWND window, int width, int height);

// The whole SDL window as shown (menu strip and client area), composited
// again into the back buffer and read: top-down pixels, 0x00RRGGBB.
bool readFrame(HWND window, std::vector<uint32_t>* pixels, int* width, int* height);

// Dialogs (DialogBoxParamA). The handler runs whenever a dialog's modal loop
// has handled every waiting message and event (injected input included) and
// is about to wait; null removes it.
using DialogIdleHandler = void (*)(HWND dialog, void* context);
void setDialogIdleHandler(DialogIdleHandler handler, void* context);
// Where control `id` lies, in client pixels of `dialog` (a drop-down list:
// its selection field).
bool dialogItemRect(HWND dialog, int id, RECT* rect);
// Where item `index` of combo box `id` is shown while its list is open, in
// client pixels of `dialog`; false while closed or scrolled out of view.
bool comboListItemRect(HWND dialog, int id, int index, RECT* rect);
// The window manager's close button, as an SDL window event.
bool pressCloseBox(HWND window);

}  // namespace q31automation
