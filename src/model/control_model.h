#pragma once
// In-memory model of the Windows controls our dialogs use: buttons (push, check, radio, group
// box), single-line edits, statics, drop-down list combo boxes and horizontal trackbars. Each
// control answers the messages the program sends it as user32/comctl32 does, and reacts to the
// user's input (which DialogModel delivers) with the notifications Windows sends. The headless
// platform keeps these in memory; the Qt front end only draws their state and passes input on,
// so every control rule lives here once.
//
// Messages carry Win32 parameters: text goes by `const char*` / `char*` in lParam exactly as
// with the ANSI functions, numbers as WPARAM/LPARAM.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "framework/dialog_template.h"
#include "framework/win_types.h"

class CWnd;

namespace model {

using namespace framework;  // written in the dialog layer's names

class ControlModel;
class DialogModel;

// The templates' font (MS Sans Serif 8 at 96 dpi) in pixels per dialog unit: 4 units across,
// 8 down. Controls size their parts with it too.
inline constexpr int kBaseUnitX = 6, kBaseUnitY = 13;

enum class ControlKind {
    PushButton,  // BS_PUSHBUTTON and BS_DEFPUSHBUTTON
    CheckBox,
    AutoCheckBox,
    RadioButton,
    AutoRadioButton,
    GroupBox,
    Edit,
    Static,
    ComboBox,  // drop-down list; CBS_SORT decides the order of added strings
    Trackbar,  // horizontal
    Other,     // an unknown class: keeps its text, takes no input
};

// What every window of the model has: style bits, text, and an observer for front ends.
class WindowModel {
public:
    WindowModel(const WindowModel&) = delete;
    WindowModel& operator=(const WindowModel&) = delete;
    virtual ~WindowModel() = default;

    Handle GetHandle() const;
    std::uint32_t Style() const { return m_style; }
    const std::string& Text() const { return m_text; }
    bool IsEnabled() const { return (m_style & ws::Disabled) == 0; }
    bool IsVisible() const { return (m_style & ws::Visible) != 0; }

    // SendMessage: the message goes through the window's subclass, if any, then to its own
    // processing.
    virtual LRESULT Send(UINT message, WPARAM wParam, LPARAM lParam) = 0;
    // The window's own processing (DefWindowProc of its class).
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) = 0;

protected:
    WindowModel(std::string text, std::uint32_t style) : m_text(std::move(text)), m_style(style) {}
    // Called after any change of state a front end would draw.
    virtual void Changed() = 0;
    // EnableWindow's state change; true when the state changed.
    bool SetEnabledState(bool enable);
    // WM_SETTEXT, WM_GETTEXT and WM_GETTEXTLENGTH on the window's own text.
    LRESULT TextMessage(UINT message, WPARAM wParam, LPARAM lParam);

    std::string m_text;
    std::uint32_t m_style;
};

struct Modifiers {
    bool shift = false;
    bool ctrl = false;
    bool alt = false;
};

// The dialog as its controls see it (DialogModel is the one there is): the focus, the button
// groups, the keys held, the clipboard, and the window they send their notifications to.
class ControlHost : public WindowModel {
public:
    virtual ControlModel* FocusControl() const = 0;
    // SetFocus on one of the controls (null: the dialog itself). `dialogManager` is the dialog
    // manager's own focus move, which selects an edit's text. False when it cannot take it.
    virtual bool SetFocusTo(ControlModel* control, bool dialogManager = false) = 0;
    // The controls of `control`'s WS_GROUP group, in template order.
    virtual std::vector<ControlModel*> GroupMembers(const ControlModel& control) const = 0;
    // EnableWindow on one of the controls: takes the focus away from it when disabling.
    virtual bool EnableControl(ControlModel& control, bool enable) = 0;
    // The modifier keys held during the current key press.
    virtual Modifiers KeyModifiers() const = 0;
    virtual bool AcceptsInput() const = 0;
    virtual bool Ended() const = 0;
    virtual std::string ClipboardText() const = 0;
    virtual void SetClipboardText(std::string text) = 0;

protected:
    using WindowModel::WindowModel;
};

// One child control of a dialog. Statics, group boxes and unknown classes are plain
// ControlModels; the other kinds are the subclasses below.
class ControlModel : public WindowModel {
public:
    // The control for one template item, of the class the item names.
    static std::unique_ptr<ControlModel> Create(const ItemTemplate& item, ControlHost& dialog);

    int Id() const { return m_item.id; }
    ControlKind Kind() const { return m_kind; }
    const ItemTemplate& Item() const { return m_item; }
    // x, y, cx, cy of the template, in dialog units.
    Rect DialogUnitRect() const;
    ControlHost& Dialog() const { return m_dialog; }

    bool IsTabStop() const { return (m_style & ws::TabStop) != 0; }
    bool StartsGroup() const { return (m_style & ws::Group) != 0; }
    // Whether the dialog manager ever gives this control the focus (statics and group boxes
    // never take it).
    bool TakesFocus() const;
    bool HasFocus() const;

    // Every later message to this control reaches wnd.WindowProc first; wnd's default
    // processing (Platform::CallDefault) comes back to DefWindowProc.
    void Subclass(CWnd& wnd) { m_subclass = &wnd; }

    LRESULT Send(UINT message, WPARAM wParam, LPARAM lParam) override;
    // Handles text, enabling, focus and dialog codes; the subclasses add their own messages.
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    // Called after every change of the control's state (text, check, selection, position,
    // enabled, style, focus).
    void SetObserver(std::function<void(ControlModel&)> observer) {
        m_observer = std::move(observer);
    }

protected:
    ControlModel(const ItemTemplate& item, ControlKind kind, ControlHost& dialog);
    void Changed() override;
    // WM_COMMAND(id, code) with this control as lParam, to the dialog.
    void NotifyParent(UINT code);

private:
    friend class DialogModel;  // sets the style bits the dialog manager owns (default button)
    ItemTemplate m_item;
    ControlKind m_kind;
    ControlHost& m_dialog;
    CWnd* m_subclass = nullptr;
    std::function<void(ControlModel&)> m_observer;
};

// Push buttons, check boxes, radio buttons and group boxes.
//  - BM_SETCHECK caps the state at 1 (two-state boxes) and, on radio buttons, adds WS_TABSTOP
//    when checking and removes it when unchecking; it never touches the other radios.
//  - A click (mouse, BM_CLICK, or Space released) takes the focus, toggles an auto check box
//    or checks an auto radio button and unchecks the other auto radios of its group, then
//    sends BN_CLICKED.
class ButtonModel : public ControlModel {
public:
    ButtonModel(const ItemTemplate& item, ControlKind kind, ControlHost& dialog);

    UINT Check() const { return m_check; }
    bool IsPushed() const { return m_pushed; }
    // Drawn with the default frame (BS_DEFPUSHBUTTON): the dialog moves it as the focus moves.
    bool IsDefault() const;

    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Clicked();

    UINT m_check = bst::Unchecked;
    bool m_pushed = false;
};

// Single-line edit control.
//  - EM_LIMITTEXT limits typing, pasting and EM_REPLACESEL (the inserted text is cut to fit and
//    EN_MAXTEXT sent), never WM_SETTEXT. Default limit 32767; 0 means the maximum.
//  - WM_CHAR inserts at the caret, replacing the selection; backspace deletes; control codes
//    0x01 select all, 0x03 copy, 0x16 paste, 0x18 cut and 0x1A undo, each sent to the control
//    itself as WM_COPY etc. (so through its subclass). Read-only edits take no changes from
//    the user but still answer EM_REPLACESEL and WM_SETTEXT.
//  - Left/Up and Right/Down move the caret by one character (Shift extends the selection),
//    Home and End to the ends; Page Up and Page Down do nothing.
//  - ES_NUMBER rejects typed non-digits (not pasted ones).
//  - One level of undo: WM_UNDO restores the text before the last change by the user (a run
//    of typed characters counts as one change); a second undo redoes it. WM_SETTEXT empties it.
//  - WM_SETTEXT puts the caret at 0 and sends EN_CHANGE; user changes send EN_CHANGE too.
//  - The context menu offers Undo, Cut, Copy, Paste, Delete and Select All, each enabled only
//    when it would do something; a double click selects the word under the mouse.

// One entry of the edit's context menu: the message its command sends to the edit (0 for a
// separator; em::SetSel for Select All), its text with the mnemonic, and whether it is enabled.
struct EditMenuItem {
    UINT command = 0;
    std::string_view text;
    bool enabled = false;
};

class EditModel : public ControlModel {
public:
    EditModel(const ItemTemplate& item, ControlHost& dialog);

    // The selection, start <= end; the caret is at one of its ends.
    std::pair<int, int> Selection() const;
    int Caret() const { return m_caret; }
    bool IsReadOnly() const { return (Style() & es::ReadOnly) != 0; }
    bool CanUndo() const { return m_undo.has; }
    // The context menu as it would open now (the clipboard decides Paste).
    std::vector<EditMenuItem> ContextMenu() const;
    // The run of non-blanks around `position` (clamped to the text), as start and end: what a
    // double click there selects. Between two blanks it is empty.
    std::pair<int, int> WordAt(int position) const;

    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    struct UndoState {
        bool has = false;
        std::string text;
        int anchor = 0, caret = 0;
    };
    void SetSel(int anchor, int caret);
    // Replaces the selection with `text`, cut to the limit; returns whether the text changed.
    bool ReplaceSelection(std::string_view text, bool canUndo, bool typing);
    void KeyDown(UINT key);
    void Char(UINT ch);
    void Copy() const;

    int m_anchor = 0, m_caret = 0;
    int m_limit = 32767;
    UndoState m_undo;
    bool m_typingRun = false;  // the last change was typing: more typing joins its undo step
};

// Drop-down list combo box (the edit part of CBS_DROPDOWN is not modelled).
//  - CB_ADDSTRING inserts at the sorted position with CBS_SORT: case-insensitive, punctuation
//    before digits before letters, character by character ("10" before "9"); a string equal
//    to an existing one (ignoring case) goes before it, as observed on Wine.
//  - CB_SELECTSTRING selects the first item, after the start index and wrapping, that begins
//    with the text (case-insensitive); an empty text matches nothing. CB_FINDSTRINGEXACT
//    finds a whole string the same way. CB_SETCURSEL with -1 or an index past the end clears
//    the selection and returns CB_ERR.
//  - The window text is the selected item's text; WM_SETTEXT is refused (CB_ERR).
// Keyboard, the same whether the list is closed or dropped (the keys go to the list part,
// which moves its selection and reports each change with CBN_SELCHANGE at once):
//  - Up and Left select the previous item, Down and Right the next; Page Up and Page Down
//    move by a page less one item (a page is as many items as the dropped list shows); Home
//    and End select the first and last item. Nothing moves past the ends.
//  - A typed character selects the next item, after the selected one and wrapping, that
//    starts with it. Windows joins characters typed in quick succession into one prefix; the
//    model, like Wine, searches for each character alone.
//  - F4, Alt+Down and Alt+Up drop the list or close it again (CBN_SELENDCANCEL, CBN_CLOSEUP).
//  - While the list is dropped the combo asks the dialog manager for Enter and Escape
//    (DLGC_WANTMESSAGE), so they close the list instead of pressing a button: Enter with
//    CBN_SELENDOK, Escape with CBN_SELENDCANCEL. Both keep the selection the keys made;
//    whether Windows puts back the item selected when the list dropped on Escape is
//    unverified (Wine keeps it). Losing the focus closes the list the same way.
class ComboBoxModel : public ControlModel {
public:
    ComboBoxModel(const ItemTemplate& item, ControlHost& dialog);

    const std::vector<std::string>& Items() const { return m_items; }
    int Selection() const { return m_selection; }
    bool IsSorted() const { return (Style() & cbs::Sort) != 0; }
    bool IsDropped() const { return m_dropped; }

    // The user opens the list and picks `index`: CBN_DROPDOWN, CBN_SELCHANGE, CBN_SELENDOK,
    // CBN_CLOSEUP (Windows leaves the order of the last three open; this is Wine's). The
    // combo takes the focus first; a list already dropped has it and only picks and closes.
    // False when the index is not an item.
    bool UserPick(int index);

    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    int AddString(std::string text);
    int FindString(LPARAM text, WPARAM start, bool exact) const;
    void KeyDown(UINT key);
    void Char(WPARAM ch);
    // Drops the list or closes it; `ok` tells which of CBN_SELENDOK / CBN_SELENDCANCEL a
    // closing sends.
    void ShowList(bool show, bool ok);
    // Items one page of the dropped list shows.
    int PageSize() const;
    // Keyboard selection change: selects and sends CBN_SELCHANGE when it changed.
    void UserSelect(int index);

    std::vector<std::string> m_items;
    int m_selection = -1;
    bool m_dropped = false;
};

// Horizontal trackbar (msctls_trackbar32).
//  - Defaults: range 0..100, position 0, line size 1, page size (max - min) / 5 (at least 1),
//    recomputed with every range change until TBM_SETPAGESIZE sets one (-1 returns to it).
//  - TBM_SETPOS and range changes keep the position within the range.
//  - Keys: Left/Up TB_LINEUP, Right/Down TB_LINEDOWN, PageUp TB_PAGEUP, PageDown TB_PAGEDOWN,
//    Home TB_TOP, End TB_BOTTOM: the thumb moves (clamped), then WM_HSCROLL(code) goes to the
//    dialog - also when the thumb is already at the limit, as Windows does. Releasing one of
//    these keys sends TB_ENDTRACK.
//  - Mouse: a press on the track pages toward the press point (one page, clamped); dragging
//    sends TB_THUMBTRACK per move; release sends TB_THUMBPOSITION (after a drag), TB_ENDTRACK
//    and the NM_RELEASEDCAPTURE notification. The thumb position rides in HIWORD(wParam) for
//    TB_THUMBTRACK and TB_THUMBPOSITION only; the other codes carry 0 there.
//  - Held down beside the thumb, the track pages on with the control's timer (first after
//    kPageRepeatDelayMs, then every kPageRepeatMs) in the direction of the press, until the
//    thumb reaches the mouse; it never turns back.
class TrackbarModel : public ControlModel {
public:
    TrackbarModel(const ItemTemplate& item, ControlHost& dialog);

    int Pos() const { return m_pos; }
    int RangeMin() const { return m_min; }
    int RangeMax() const { return m_max; }
    int LineSize() const { return m_lineSize; }
    int PageSize() const { return m_pageSize; }

    static constexpr int kPageRepeatDelayMs = 400;
    static constexpr int kPageRepeatMs = 100;

    // The user's mouse; each returns false (and does nothing) when the control takes no input.
    // A press on the track at `position` (not on the thumb): takes the focus, pages once.
    bool UserPressTrack(int position);
    // A press on the thumb: takes the focus and starts a drag.
    bool UserPressThumb();
    // A tick of the paging timer while the press on the track is held, the mouse now over
    // `position` (the thumb's own position when the mouse is on the thumb): one more page
    // toward the press if the mouse is still beyond the thumb that way. False when nothing
    // pages (no press held, or the thumb has reached the mouse).
    bool UserHoldTrack(int position);
    // The thumb dragged to `position` (clamped): TB_THUMBTRACK.
    bool UserDragTo(int position);
    // The mouse button released.
    bool UserRelease();

    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void SetPos(int position);
    void Scroll(UINT code);  // WM_HSCROLL to the dialog
    void KeyStep(UINT key);
    void AutoPageSize();
    void PageToward(bool towardMax);

    int m_pos = 0, m_min = 0, m_max = 100;
    int m_lineSize = 1, m_pageSize = 20;
    bool m_userPageSize = false;
    enum class Mouse { None, Paging, Dragging } m_mouse = Mouse::None;
    bool m_pagingTowardMax = false;
};

}  // namespace model
