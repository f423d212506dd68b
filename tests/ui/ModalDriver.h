// Answers the modal windows (message boxes, file dialogs, the range dialog)
// that the code under test opens, one scripted step per window, in order.
// A hook on this thread sees each new dialog as it is activated; its step
// runs from a timer once the dialog's own loop is running, so the dialog is
// fully set up and the step can read and fill it before pressing a button.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

using ModalStep = std::function<void(HWND dialog)>;

void StartModalDriver();
// Returns the number of modal windows that arrived with no step left for
// them (each was cancelled so the test cannot hang).
int StopModalDriver();
void ExpectModal(ModalStep step);
int StepsLeft();

std::string WindowText(HWND window);
std::string ItemText(HWND dialog, int id);
void PressButton(HWND dialog, int id);
// Presses a button once the keys and other input waiting for the window
// have been handled: the dialog's own loop handles input before timers.
void PressButtonLater(HWND dialog, int id);
// A key, with a modifier held down (VK_CONTROL, VK_MENU for Alt) or none,
// pressed and let go by real key events, as the keyboard would: they go to
// the window in front, to its focus.
void PressKey(WORD key, WORD modifier = 0);
// Ctrl and a key.
void PressShortcut(char key);

// Message boxes.
std::string MessageBoxText(HWND box);
bool MessageBoxHasIcon(HWND box, LPCSTR systemIcon);

// Steps for message boxes: check the caption (and the text, when given) and
// press a button.
ModalStep AnswerMessageBox(const char* caption, int button, std::string* text = nullptr);
// The file dialog's own question before it replaces a file: Yes, whatever
// the system calls the box.
ModalStep ConfirmReplace();

// Steps for the open and save dialogs: type a file name and press OK, or
// press Cancel. seenName and seenFolder receive what the dialog was
// prefilled with.
ModalStep ChooseFile(const std::string& name, std::string* seenName = nullptr,
                     std::string* seenFolder = nullptr);
ModalStep CancelFileDialog();
