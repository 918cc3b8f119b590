#pragma once
// Modal dialogs and dialog data exchange.
#include <string>
#include <string_view>
#include <vector>

#include "framework/wnd.h"

class CDataExchange;

class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);
    ~CDialog() override = default;

    // Creates the dialog from its template and runs it modally; returns the end code, or -1
    // when the dialog could not be created.
    virtual INT_PTR DoModal();
    void EndDialog(int result);

    // The single entry point of every platform's dialog procedure: dispatches the message to the
    // maps and virtual handlers. Returns true when the message was consumed (`*result` then
    // holds its result); false asks the platform for default processing. No exception leaves it:
    // one that reaches it ends the dialog with -1.
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

    // Applies the template's combo-box data, then exchanges members to controls.
    virtual BOOL OnInitDialog();
    // UpdateData(TRUE), then EndDialog(IDOK) when it succeeded.
    virtual void OnOK();
    // EndDialog(IDCANCEL).
    virtual void OnCancel();

    BOOL UpdateData(BOOL saveAndValidate = TRUE);
    virtual void DoDataExchange(CDataExchange* pDX);

    void CheckRadioButton(int firstId, int lastId, int checkId) const;
    // The first checked radio button in id order within the range, or 0.
    int GetCheckedRadioButton(int firstId, int lastId) const;

    // A message box owned by this dialog; no caption means the application's name.
    int ShowMessageBox(std::string_view text, const char* caption = nullptr,
                       UINT type = framework::mb::Ok) const;
    // The same for text with paths in the file system's spelling (Platform::ShowPathMessageBox).
    int ShowPathMessageBox(std::string_view text, const char* caption = nullptr,
                           UINT type = framework::mb::Ok) const;

    bool OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    // The name a screen reader announces for child `id` when the control has no text of its
    // own to be named by (an edit, a list, a trackbar, a box without text); empty when the
    // dialog gives it none, and the front end names the control after the label on its row.
    // kRowLabel in the name stands for that label.
    virtual std::string GetAccessibleName(int id) const;
    static constexpr std::string_view kRowLabel = "{row label}";

    // Control objects attached by DDX_Control or SubclassDlgItem; detached again when the modal
    // run ends.
    void NoteAttached(CWnd& control) override { m_attached.push_back(&control); }

protected:
    // A dialog's default processing belongs to the platform's dialog manager, which runs once
    // the handler has returned: Default() marks the message as not consumed.
    LRESULT DefaultProcessing(UINT message, WPARAM wParam, LPARAM lParam) override;

    // WM_PAINT and WM_SYSCOMMAND defaults: leave them to the platform.
    void OnPaint();
    void OnSysCommand(UINT id, LPARAM lParam);

private:
    UINT m_templateId;
    CWnd* m_parent;
    std::vector<CWnd*> m_attached;
};

// One run of the data exchange between members and controls.
class CDataExchange {
public:
    CDataExchange(CDialog* dialog, BOOL saveAndValidate)
        : m_pDlgWnd(dialog), m_bSaveAndValidate(saveAndValidate) {}

    // Marks the exchange as failed and abandons it: reports the failure (Fail has already shown
    // its message), puts the focus on the last control prepared and, for an edit, selects its
    // text. Throws the exchange's own exception, which UpdateData catches.
    [[noreturn]] void Fail();
    // Remembers the control the next exchange concerns, for Fail.
    framework::Handle PrepareCtrl(int id);
    framework::Handle PrepareEditCtrl(int id);

    CDialog* m_pDlgWnd;
    BOOL m_bSaveAndValidate;  // TRUE: controls to members

private:
    framework::Handle m_lastControl = nullptr;
    bool m_lastIsEdit = false;
};

// Attaches `control` to the dialog's child `id` on the first exchange in either direction.
void DDX_Control(CDataExchange* pDX, int id, CWnd& control);
// Check box state: to controls a value outside 0..2 is first set to 0 in the member.
void DDX_Check(CDataExchange* pDX, int id, BOOL& value);
// Float as text: "%.*g" with 6 significant digits to the control; from the control, the text
// must be a number (trailing blanks allowed) or the exchange fails.
void DDX_Text(CDataExchange* pDX, int id, float& value);
// Drop-down list by text: to the control, the first item starting with the text
// (case-insensitive) is selected; from the control, the selected item's text or "".
void DDX_CBString(CDataExchange* pDX, int id, std::string& value);
// Drop-down list by index: -1 for no selection.
void DDX_CBIndex(CDataExchange* pDX, int id, int& index);
