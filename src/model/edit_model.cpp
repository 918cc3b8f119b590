#include <algorithm>
#include <climits>
#include <cstdint>

#include "model/clipboard.h"
#include "model/control_model.h"
#include "model/message_util.h"

namespace model {

using namespace framework;  // written in the dialog layer's names

namespace {
constexpr int kMaxLimit = 0x7FFFFFFE;  // EM_LIMITTEXT(0) on a single-line edit

// An EM_SETSEL position: negative (a huge unsigned value on Windows) means the end.
int SelPosition(int value, int length) {
    return value < 0 ? length : std::min(value, length);
}

std::string ClipboardText() {
    const Clipboard* clipboard = GetClipboard();
    return clipboard != nullptr ? clipboard->Text() : std::string();
}
}  // namespace

EditModel::EditModel(const ItemTemplate& item, ControlHost& dialog)
    : ControlModel(item, ControlKind::Edit, dialog) {}

std::pair<int, int> EditModel::Selection() const {
    return {std::min(m_anchor, m_caret), std::max(m_anchor, m_caret)};
}

void EditModel::SetSel(int anchor, int caret) {
    m_anchor = anchor;
    m_caret = caret;
    m_typingRun = false;
    Changed();
}

LRESULT EditModel::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    const int length = Length(m_text);
    switch (message) {
        case wm::SetText:
            // Not limited; the caret goes to the start and the undo step is forgotten.
            m_text = std::string(TextParam(lParam));
            m_anchor = m_caret = 0;
            m_undo = {};
            m_typingRun = false;
            Changed();
            NotifyParent(en::Change);
            return TRUE;
        case em::LimitText: {
            const auto limit = static_cast<std::uint64_t>(wParam);
            m_limit = limit == 0 || limit > kMaxLimit ? kMaxLimit : static_cast<int>(limit);
            return 0;
        }
        case em::GetLimitText:
            return m_limit;
        case em::GetSel: {
            const auto [start, end] = Selection();
            if (auto* out = reinterpret_cast<std::uint32_t*>(wParam)) {
                *out = static_cast<std::uint32_t>(start);
            }
            if (auto* out = reinterpret_cast<std::uint32_t*>(lParam)) {
                *out = static_cast<std::uint32_t>(end);
            }
            return MakeLResult(start, end);
        }
        case em::SetSel: {
            const int start = AsInt(wParam);
            if (start == -1) {
                SetSel(m_caret, m_caret);  // deselect, the caret stays
            } else {
                SetSel(SelPosition(start, length), SelPosition(AsInt(lParam), length));
            }
            return 0;
        }
        case em::ReplaceSel:
            ReplaceSelection(TextParam(lParam), wParam != 0, false);
            return 0;
        case em::SetReadOnly:
            if (wParam != 0) {
                m_style |= es::ReadOnly;
            } else {
                m_style &= ~es::ReadOnly;
            }
            Changed();
            return TRUE;
        case wm::Char:
            Char(static_cast<UINT>(wParam));
            return 0;
        case wm::KeyDown:
            KeyDown(static_cast<UINT>(wParam));
            return 0;
        case wm::Copy:
            Copy();
            return 0;
        case wm::Cut:
            Copy();
            if (!IsReadOnly()) ReplaceSelection({}, true, false);
            return 0;
        case wm::Clear:
            if (!IsReadOnly()) ReplaceSelection({}, true, false);
            return 0;
        case wm::Paste: {
            if (IsReadOnly()) return 0;
            std::string text = ClipboardText();
            // A single-line edit takes the first line.
            text = text.substr(0, text.find_first_of("\r\n"));
            if (!text.empty()) ReplaceSelection(text, true, false);
            return 0;
        }
        case wm::Undo:
        case em::Undo: {
            if (IsReadOnly() || !m_undo.has) return FALSE;
            UndoState current{true, m_text, m_anchor, m_caret};
            m_text = std::move(m_undo.text);
            m_anchor = m_undo.anchor;
            m_caret = m_undo.caret;
            m_undo = std::move(current);
            m_typingRun = false;
            Changed();
            NotifyParent(en::Change);
            return TRUE;
        }
        case wm::LButtonDown:
            SetSel(length, length);
            Dialog().SetFocusTo(this);
            return 0;
        case wm::SetFocus:
            ControlModel::DefWindowProc(message, wParam, lParam);
            NotifyParent(en::SetFocus);
            return 0;
        case wm::KillFocus:
            // The selection stays; it is only hidden.
            ControlModel::DefWindowProc(message, wParam, lParam);
            NotifyParent(en::KillFocus);
            return 0;
        case wm::GetDlgCode:
            return dlgc::WantChars | dlgc::HasSetSel | dlgc::WantArrows;
        default:
            return ControlModel::DefWindowProc(message, wParam, lParam);
    }
}

bool EditModel::ReplaceSelection(std::string_view text, bool canUndo, bool typing) {
    const auto [start, end] = Selection();
    const int kept = Length(m_text) - (end - start);
    const int room = std::max(0, m_limit - kept);
    std::string_view inserted = text;
    if (Length(inserted) > room) {
        NotifyParent(en::MaxText);
        // Nothing fits: the edit refuses the change and keeps its selection.
        if (room == 0) return false;
        inserted = inserted.substr(0, static_cast<std::size_t>(room));
    }
    if (start == end && inserted.empty()) return false;
    if (!canUndo) {
        m_undo = {};
    } else if (!(typing && m_typingRun)) {
        m_undo = {true, m_text, m_anchor, m_caret};
    }
    m_text.replace(static_cast<std::size_t>(start), static_cast<std::size_t>(end - start),
                   inserted);
    m_anchor = m_caret = start + Length(inserted);
    m_typingRun = typing;
    Changed();
    NotifyParent(en::Change);
    return true;
}

void EditModel::Char(UINT ch) {
    switch (ch) {
        case 0x01:  // Ctrl+A
            SetSel(0, Length(m_text));
            return;
        case 0x03:
            Send(wm::Copy, 0, 0);
            return;
        case 0x16:
            Send(wm::Paste, 0, 0);
            return;
        case 0x18:
            Send(wm::Cut, 0, 0);
            return;
        case 0x1A:
            Send(wm::Undo, 0, 0);
            return;
        case 0x08: {  // backspace
            if (IsReadOnly()) return;
            const auto [start, end] = Selection();
            if (start == end) {
                if (start == 0) return;
                m_anchor = start - 1;
                m_caret = start;
            }
            ReplaceSelection({}, true, false);
            return;
        }
        default:
            break;
    }
    // Other control characters (Tab, Enter, Escape...) and anything beyond 8 bits do nothing.
    if (ch < 0x20 || ch == 0x7F || ch > 0xFF || IsReadOnly()) return;
    if ((Style() & es::Number) != 0 && (ch < '0' || ch > '9')) return;
    const char typed = static_cast<char>(static_cast<unsigned char>(ch));
    ReplaceSelection(std::string_view(&typed, 1), true, true);
}

void EditModel::KeyDown(UINT key) {
    const Modifiers modifiers = Dialog().KeyModifiers();
    const int length = Length(m_text);
    auto moveTo = [&](int caret) { SetSel(modifiers.shift ? m_anchor : caret, caret); };
    switch (key) {
        case vk::Left:
        case vk::Up:  // a single-line edit takes Up and Down as Left and Right
            moveTo(std::max(0, m_caret - 1));
            break;
        case vk::Right:
        case vk::Down:
            moveTo(std::min(length, m_caret + 1));
            break;
        case vk::Home:
            moveTo(0);
            break;
        case vk::End:
            moveTo(length);
            break;
        case vk::Delete: {
            if (modifiers.shift) {
                Send(wm::Cut, 0, 0);
                break;
            }
            if (IsReadOnly()) break;
            const auto [start, end] = Selection();
            if (start == end) {
                if (end == length) break;
                m_anchor = start;
                m_caret = start + 1;
            }
            ReplaceSelection({}, true, false);
            break;
        }
        case vk::Insert:
            if (modifiers.ctrl) {
                Send(wm::Copy, 0, 0);
            } else if (modifiers.shift) {
                Send(wm::Paste, 0, 0);
            }
            break;
        default:
            break;
    }
}

std::vector<EditMenuItem> EditModel::ContextMenu() const {
    const auto [start, end] = Selection();
    const bool selected = start != end;
    const bool writable = !IsReadOnly();
    const int length = Length(m_text);
    return {
        {wm::Undo, "&Undo", writable && CanUndo()},
        {0, {}, false},
        {wm::Cut, "Cu&t", selected && writable},
        {wm::Copy, "&Copy", selected},
        {wm::Paste, "&Paste", writable && !ClipboardText().empty()},
        {wm::Clear, "&Delete", selected && writable},
        {0, {}, false},
        {em::SetSel, "Select &All", length > 0 && !(start == 0 && end == length)},
    };
}

std::pair<int, int> EditModel::WordAt(int position) const {
    const auto blank = [this](int at) {
        const auto ch = static_cast<unsigned char>(m_text[static_cast<std::size_t>(at)]);
        return ch == ' ' || (ch >= '\t' && ch <= '\r');
    };
    const int length = Length(m_text);
    int start = std::clamp(position, 0, length);
    int end = start;
    while (start > 0 && !blank(start - 1)) --start;
    while (end < length && !blank(end)) ++end;
    return {start, end};
}

void EditModel::Copy() const {
    const auto [start, end] = Selection();
    if (start == end) return;
    if (Clipboard* clipboard = GetClipboard()) {
        clipboard->SetText(
            m_text.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(end - start)));
    }
}

}  // namespace model
