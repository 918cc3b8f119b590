#include <algorithm>
#include <cstring>

#include "base/ascii_case.h"
#include "model/control_model.h"
#include "model/message_util.h"

namespace model {

using namespace framework;  // written in the dialog layer's names

namespace {

unsigned char Fold(char c) {
    return static_cast<unsigned char>(base::AsciiLower(c));
}

// A character's place in the list order: punctuation and blanks, then digits, then letters
// without regard to case, then the upper half of the code page.
int Weight(char c) {
    const unsigned char u = Fold(c);
    if (u >= 'a' && u <= 'z') return 0x300 + u;
    if (u >= '0' && u <= '9') return 0x200 + u;
    if (u >= 0x80) return 0x400 + u;
    return 0x100 + u;
}

// The sorted list's comparison: character by character, case-insensitive.
int Collate(std::string_view a, std::string_view b) {
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const int difference = Weight(a[i]) - Weight(b[i]);
        if (difference != 0) return difference;
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

}  // namespace

ComboBoxModel::ComboBoxModel(const ItemTemplate& item, ControlHost& dialog)
    : ControlModel(item, ControlKind::ComboBox, dialog) {
    m_text.clear();  // a drop list shows its selection, and there is none yet
}

LRESULT ComboBoxModel::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    const int count = static_cast<int>(m_items.size());
    auto select = [&](int index) {
        m_selection = index;
        m_text = index < 0 ? std::string() : m_items[static_cast<std::size_t>(index)];
        Changed();
    };
    auto validIndex = [&](WPARAM value) {
        const int index = AsInt(value);
        return index >= 0 && index < count ? index : -1;
    };
    switch (message) {
        case cb::AddString:
            return AddString(std::string(TextParam(lParam)));
        case cb::GetCount:
            return count;
        case cb::GetCurSel:
            return m_selection;
        case cb::SetCurSel: {
            const int index = validIndex(wParam);
            select(index);
            return index < 0 ? cb::Err : index;
        }
        case cb::SelectString: {
            const int index = FindString(lParam, wParam, false);
            if (index >= 0) select(index);
            return index;
        }
        case cb::FindStringExact:
            return FindString(lParam, wParam, true);
        case cb::GetLBText: {
            const int index = validIndex(wParam);
            char* out = reinterpret_cast<char*>(lParam);
            if (index < 0 || out == nullptr) return cb::Err;
            // As on Windows the buffer must hold the whole item (CB_GETLBTEXTLEN + 1).
            const std::string& text = m_items[static_cast<std::size_t>(index)];
            std::memcpy(out, text.c_str(), text.size() + 1);
            return Length(text);
        }
        case cb::GetLBTextLen: {
            const int index = validIndex(wParam);
            return index < 0 ? cb::Err : Length(m_items[static_cast<std::size_t>(index)]);
        }
        case cb::ResetContent:
            m_items.clear();
            select(-1);
            return 0;
        case cb::ShowDropDown:
            ShowList(wParam != 0, false);
            return TRUE;
        case cb::GetDroppedState:
            return m_dropped ? TRUE : FALSE;
        case wm::SetText:
            return cb::Err;  // a drop list has no text of its own
        case wm::KeyDown:
            KeyDown(static_cast<UINT>(wParam));
            return 0;
        case wm::SysKeyDown:
            if ((lParam & kf::AltDown) != 0 && (wParam == vk::Up || wParam == vk::Down)) {
                ShowList(!m_dropped, false);
            }
            return 0;
        case wm::Char:
            Char(wParam);
            return 0;
        case wm::LButtonDown:
            Dialog().SetFocusTo(this);
            return 0;
        case wm::SetFocus:
            ControlModel::DefWindowProc(message, wParam, lParam);
            NotifyParent(cbn::SetFocus);
            return 0;
        case wm::KillFocus:
            ShowList(false, false);
            ControlModel::DefWindowProc(message, wParam, lParam);
            NotifyParent(cbn::KillFocus);
            return 0;
        case wm::GetDlgCode:
            // The dialog manager passes the key it asks about in wParam.
            if (m_dropped && (wParam == vk::Return || wParam == vk::Escape)) {
                return dlgc::WantChars | dlgc::WantArrows | dlgc::WantAllKeys;
            }
            return dlgc::WantChars | dlgc::WantArrows;
        default:
            return ControlModel::DefWindowProc(message, wParam, lParam);
    }
}

int ComboBoxModel::AddString(std::string text) {
    auto at = m_items.end();
    if (IsSorted()) {
        at = std::lower_bound(m_items.begin(), m_items.end(), text,
                              [](const std::string& item, const std::string& added) {
                                  return Collate(item, added) < 0;
                              });
    }
    const auto index = static_cast<int>(at - m_items.begin());
    m_items.insert(at, std::move(text));
    if (m_selection >= index) ++m_selection;  // the selected item moved down
    Changed();
    return index;
}

int ComboBoxModel::FindString(LPARAM text, WPARAM start, bool exact) const {
    const int count = static_cast<int>(m_items.size());
    const std::string_view wanted = TextParam(text);
    if (count == 0 || (!exact && wanted.empty())) return cb::Err;
    // The search begins after `start` and wraps; -1 (or nonsense) searches from the top.
    int first = AsInt(start);
    first = first < 0 || first >= count ? 0 : first + 1;
    for (int step = 0; step < count; ++step) {
        const int index = (first + step) % count;
        const std::string& item = m_items[static_cast<std::size_t>(index)];
        if (exact ? base::EqualsNoCase(item, wanted) : base::StartsWithNoCase(item, wanted))
            return index;
    }
    return cb::Err;
}

void ComboBoxModel::KeyDown(UINT key) {
    const int count = static_cast<int>(m_items.size());
    const int page = PageSize();
    switch (key) {
        case vk::Return:
        case vk::Escape:
            if (m_dropped) ShowList(false, key == vk::Return);
            break;
        case vk::F4:
            ShowList(!m_dropped, false);
            break;
        case vk::Up:
        case vk::Left:
            UserSelect(std::max(0, m_selection - 1));
            break;
        case vk::Down:
        case vk::Right:
            UserSelect(std::min(count - 1, m_selection + 1));
            break;
        case vk::Prior:
            UserSelect(std::max(0, m_selection - page + 1));
            break;
        case vk::Next:
            UserSelect(std::min(count - 1, std::max(0, m_selection) + page - 1));
            break;
        case vk::Home:
            UserSelect(0);
            break;
        case vk::End:
            UserSelect(count - 1);
            break;
        default:
            break;
    }
}

void ComboBoxModel::Char(WPARAM ch) {
    const int count = static_cast<int>(m_items.size());
    if (ch < 0x20 || ch > 0xFF || count == 0) return;
    const char typed = static_cast<char>(static_cast<unsigned char>(ch));
    for (int step = 1; step <= count; ++step) {
        const int index = (m_selection + step + count) % count;
        if (base::StartsWithNoCase(m_items[static_cast<std::size_t>(index)],
                                   std::string_view(&typed, 1))) {
            UserSelect(index);
            return;
        }
    }
}

void ComboBoxModel::ShowList(bool show, bool ok) {
    if (show == m_dropped) return;
    if (show) {
        m_dropped = true;
        Changed();
        NotifyParent(cbn::DropDown);
        return;
    }
    NotifyParent(ok ? cbn::SelEndOk : cbn::SelEndCancel);
    // The parent's handler may have closed the list already.
    if (!m_dropped) return;
    m_dropped = false;
    Changed();
    NotifyParent(cbn::CloseUp);
}

int ComboBoxModel::PageSize() const {
    // The list drops to the template's height, below a selection field one line and a frame
    // high; each item is one line of the dialog font.
    const int listHeight = Item().cy * kBaseUnitY / 8 - (kBaseUnitY + 8);
    return std::max(1, listHeight / kBaseUnitY);
}

void ComboBoxModel::UserSelect(int index) {
    if (index < 0 || index >= static_cast<int>(m_items.size()) || index == m_selection) return;
    m_selection = index;
    m_text = m_items[static_cast<std::size_t>(index)];
    Changed();
    NotifyParent(cbn::SelChange);
}

bool ComboBoxModel::UserPick(int index) {
    if (!Dialog().AcceptsInput() || !IsEnabled() || !IsVisible()) return false;
    if (index < 0 || index >= static_cast<int>(m_items.size())) return false;
    // A pick from a list already dropped (by the keyboard, or a press on the field) does not
    // drop it again.
    if (!m_dropped) {
        Send(wm::LButtonDown, 0, 0);
        m_dropped = true;
        Changed();
        NotifyParent(cbn::DropDown);
    }
    // A pick reports a change even when it picks the item already selected. (Should the
    // drop-down handler have emptied the list, the list just closes.)
    if (index < static_cast<int>(m_items.size())) {
        m_selection = index;
        m_text = m_items[static_cast<std::size_t>(index)];
        Changed();
        NotifyParent(cbn::SelChange);
        NotifyParent(cbn::SelEndOk);
    }
    m_dropped = false;
    Changed();
    NotifyParent(cbn::CloseUp);
    return true;
}

}  // namespace model
