#pragma once
// Window classes of our dialog layer, in the style of the dialog framework the program was
// designed against: a CWnd wraps a window handle; messages reach handlers through static message
// maps that fall back to the base class's map, and a handler that does not consume a message
// passes it on to default processing.
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "framework/platform.h"
#include "framework/win_types.h"

class CCmdTarget {
public:
    virtual ~CCmdTarget() = default;
};

namespace framework {

// One entry of a message map, for handlers of class T. Which member signature an entry holds
// decides how the message's parameters are cracked:
//
//   handler                                  messages
//   void()                                   WM_COMMAND (code, id range), WM_NOTIFY without
//                                            arguments, WM_PAINT
//   void(UINT ch, UINT repeat, UINT flags)   WM_CHAR
//   void(Handle newFocus)                    WM_KILLFOCUS
//   void(UINT id, LPARAM lParam)             WM_SYSCOMMAND
//   void(UINT code, UINT pos, Handle bar)    WM_HSCROLL
//   void(NMHDR*, LRESULT*)                   WM_NOTIFY (code, id range)
//   IconHandle()                             WM_QUERYDRAGICON
template <class T>
struct MapEntry {
    UINT message;
    UINT code;    // notification code for WM_COMMAND / WM_NOTIFY
    UINT id;      // first control id for WM_COMMAND / WM_NOTIFY
    UINT lastId;  // last control id
    std::variant<void (T::*)(), void (T::*)(UINT, UINT, UINT), void (T::*)(Handle),
                 void (T::*)(UINT, LPARAM), void (T::*)(UINT, UINT, Handle),
                 void (T::*)(NMHDR*, LRESULT*), IconHandle (T::*)()>
        handler;
};

template <class T, class F>
MapEntry<T> OnMessage(UINT message, F T::*handler) {
    return {message, 0, 0, 0, handler};
}
template <class T>
MapEntry<T> OnCommand(UINT code, UINT id, void (T::*handler)()) {
    return {wm::Command, code, id, id, handler};
}
template <class T>
MapEntry<T> OnNotify(UINT code, UINT id, void (T::*handler)(NMHDR*, LRESULT*)) {
    return {wm::Notify, code, id, id, handler};
}

// Looks the message up in one class's map and calls the handler. Returns false when the map has
// no entry for it. `*result` receives the handler's result where it has one.
template <class T>
bool DispatchMap(T& self, std::span<const MapEntry<T>> map, UINT message, WPARAM wParam,
                 LPARAM lParam, LRESULT* result);

}  // namespace framework

class CWnd : public CCmdTarget {
public:
    CWnd() = default;
    explicit CWnd(framework::Handle handle) : m_hWnd(handle) {}
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;
    ~CWnd() override = default;

    // Message handling of this window (a subclassed control, or a dialog): dispatches through
    // the message maps; what no handler consumes goes to Default().
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // The maps of this class and its bases; true when a handler consumed the message.
    virtual bool OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    // Default processing of the message being handled.
    LRESULT Default();

    // Attaches this object to the child control `id` of `parent`, so that its messages pass
    // through this object's map first.
    bool SubclassDlgItem(UINT id, CWnd* parent);
    // Told of each control object attached to one of this window's children. A dialog keeps
    // them to detach them again when its modal run ends.
    virtual void NoteAttached(CWnd& control);
    framework::Handle GetDlgItem(int id) const;

    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    std::string GetText() const;              // WM_GETTEXT, whole text
    std::string GetText(int maxChars) const;  // WM_GETTEXT into a buffer of maxChars + 1
    void SetText(std::string_view text) const;
    bool EnableWindow(bool enable = true) const;
    bool IsWindowEnabled() const;
    bool IsIconic() const;
    framework::Rect GetClientRect() const;

    // Child helpers by id.
    LRESULT SendDlgItemMessage(int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    std::string GetItemText(int id, int maxChars) const;
    UINT IsDlgButtonChecked(int id) const;
    void CheckDlgButton(int id, UINT check) const;

    framework::Handle m_hWnd = nullptr;

protected:
    // What Default() does: a subclassed control hands the message to the control's own
    // processing at once; a dialog leaves it to the platform's dialog manager (see CDialog).
    virtual LRESULT DefaultProcessing(UINT message, WPARAM wParam, LPARAM lParam);

    // Makes a message the current one for Default() while it is handled; handlers may send
    // messages that come back to this window, so the outer one is restored afterwards.
    class MessageScope {
    public:
        MessageScope(CWnd& wnd, UINT message, WPARAM wParam, LPARAM lParam);
        ~MessageScope();
        MessageScope(const MessageScope&) = delete;
        MessageScope& operator=(const MessageScope&) = delete;

    private:
        CWnd& m_wnd;
        UINT m_message;
        WPARAM m_wParam;
        LPARAM m_lParam;
        bool m_deferDefault;
    };

    // The message WindowProc is handling, for Default().
    UINT m_curMessage = 0;
    WPARAM m_curWParam = 0;
    LPARAM m_curLParam = 0;
    // Set by Default() on a window whose default processing is done by the platform after the
    // handler returns (a dialog): the message then counts as not consumed.
    bool m_deferDefault = false;
};

// Thin typed wrappers, as the framework's control classes.
class CEdit : public CWnd {
public:
    void LimitText(int chars) const;
};

class CButton : public CWnd {
public:
    UINT GetCheck() const;
    void SetCheck(UINT check) const;
};

class CSliderCtrl : public CWnd {
public:
    void SetRangeMin(int minimum, BOOL redraw = FALSE) const;
    void SetRangeMax(int maximum, BOOL redraw = FALSE) const;
    void SetLineSize(int size) const;
    void SetPageSize(int size) const;
    void SetPos(int position) const;
    int GetPos() const;
};

#include "framework/wnd_dispatch.inl"
