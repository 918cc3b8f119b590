#include <algorithm>
#include <cstdint>
#include <utility>

#include "model/control_model.h"
#include "model/message_util.h"

namespace model {

using namespace framework;  // written in the dialog layer's names

namespace {

bool IsStepKey(WPARAM key) {
    switch (key) {
        case vk::Left:
        case vk::Up:
        case vk::Right:
        case vk::Down:
        case vk::Prior:
        case vk::Next:
        case vk::Home:
        case vk::End:
            return true;
        default:
            return false;
    }
}

int ClampToInt(long long value) {
    return static_cast<int>(std::clamp<long long>(value, INT32_MIN, INT32_MAX));
}
}  // namespace

TrackbarModel::TrackbarModel(const ItemTemplate& item, ControlHost& dialog)
    : ControlModel(item, ControlKind::Trackbar, dialog) {}

void TrackbarModel::SetPos(int position) {
    // Low end first, as the control does, so an inverted range ends at its maximum.
    if (position < m_min) position = m_min;
    if (position > m_max) position = m_max;
    m_pos = position;
    Changed();
}

void TrackbarModel::AutoPageSize() {
    if (m_userPageSize) return;
    m_pageSize = std::max(1, ClampToInt((static_cast<long long>(m_max) - m_min) / 5));
}

LRESULT TrackbarModel::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case tbm::GetPos:
            return m_pos;
        case tbm::GetRangeMin:
            return m_min;
        case tbm::GetRangeMax:
            return m_max;
        case tbm::GetLineSize:
            return m_lineSize;
        case tbm::GetPageSize:
            return m_pageSize;
        case tbm::SetPos:
            SetPos(AsInt(lParam));
            return 0;
        case tbm::SetRange:
            m_min = LowShort(lParam);
            m_max = HighShort(lParam);
            AutoPageSize();
            SetPos(m_pos);
            return 0;
        case tbm::SetRangeMin:
            m_min = AsInt(lParam);
            AutoPageSize();
            if (m_pos < m_min) m_pos = m_min;
            Changed();
            return 0;
        case tbm::SetRangeMax:
            m_max = AsInt(lParam);
            AutoPageSize();
            if (m_pos > m_max) m_pos = m_max;
            Changed();
            return 0;
        case tbm::SetLineSize: {
            const int previous = m_lineSize;
            m_lineSize = AsInt(lParam);
            return previous;
        }
        case tbm::SetPageSize: {
            const int previous = m_pageSize;
            m_userPageSize = AsInt(lParam) != -1;
            if (m_userPageSize) {
                m_pageSize = AsInt(lParam);
            } else {
                AutoPageSize();
            }
            return previous;
        }
        case wm::KeyDown:
            if (IsStepKey(wParam)) KeyStep(static_cast<UINT>(wParam));
            return 0;
        case wm::KeyUp:
            if (IsStepKey(wParam)) Scroll(tb::EndTrack);
            return 0;
        case wm::LButtonDown:
            Dialog().SetFocusTo(this);
            return 0;
        case wm::GetDlgCode:
            return dlgc::WantArrows;
        default:
            return ControlModel::DefWindowProc(message, wParam, lParam);
    }
}

void TrackbarModel::KeyStep(UINT key) {
    const long long pos = m_pos;
    switch (key) {
        case vk::Left:
        case vk::Up:
            SetPos(ClampToInt(pos - m_lineSize));
            Scroll(tb::LineUp);
            break;
        case vk::Right:
        case vk::Down:
            SetPos(ClampToInt(pos + m_lineSize));
            Scroll(tb::LineDown);
            break;
        case vk::Prior:
            SetPos(ClampToInt(pos - m_pageSize));
            Scroll(tb::PageUp);
            break;
        case vk::Next:
            SetPos(ClampToInt(pos + m_pageSize));
            Scroll(tb::PageDown);
            break;
        case vk::Home:
            SetPos(m_min);
            Scroll(tb::Top);
            break;
        default:  // End
            SetPos(m_max);
            Scroll(tb::Bottom);
            break;
    }
}

void TrackbarModel::Scroll(UINT code) {
    const bool withPos = code == tb::ThumbTrack || code == tb::ThumbPosition;
    const auto pos = withPos ? static_cast<UINT>(m_pos) : 0u;
    const UINT message = (Style() & tbs::Vert) != 0 ? wm::VScroll : wm::HScroll;
    Dialog().Send(message, MakeWParam(code, pos), PointerParam(GetHandle()));
}

bool TrackbarModel::UserPressTrack(int position) {
    if (position == m_pos) return UserPressThumb();
    if (!Dialog().AcceptsInput() || !IsEnabled() || !IsVisible()) return false;
    Send(wm::LButtonDown, 0, 0);
    m_mouse = Mouse::Paging;
    m_pagingTowardMax = position > m_pos;
    PageToward(m_pagingTowardMax);
    return true;
}

bool TrackbarModel::UserHoldTrack(int position) {
    if (m_mouse != Mouse::Paging || Dialog().Ended()) return false;
    const bool beyond = m_pagingTowardMax ? position > m_pos : position < m_pos;
    if (!beyond) return false;
    PageToward(m_pagingTowardMax);
    return true;
}

void TrackbarModel::PageToward(bool towardMax) {
    const long long pos = m_pos;
    if (towardMax) {
        SetPos(ClampToInt(pos + m_pageSize));
        Scroll(tb::PageDown);
    } else {
        SetPos(ClampToInt(pos - m_pageSize));
        Scroll(tb::PageUp);
    }
}

bool TrackbarModel::UserPressThumb() {
    if (!Dialog().AcceptsInput() || !IsEnabled() || !IsVisible()) return false;
    Send(wm::LButtonDown, 0, 0);
    m_mouse = Mouse::Dragging;
    Changed();
    return true;
}

bool TrackbarModel::UserDragTo(int position) {
    if (m_mouse != Mouse::Dragging || Dialog().Ended()) return false;
    const int before = m_pos;
    SetPos(position);
    // Like the control, no notification while the thumb stays where it is.
    if (m_pos != before) Scroll(tb::ThumbTrack);
    return true;
}

bool TrackbarModel::UserRelease() {
    const Mouse mouse = std::exchange(m_mouse, Mouse::None);
    if (mouse == Mouse::None) return false;
    Changed();
    if (mouse == Mouse::Dragging) Scroll(tb::ThumbPosition);
    Scroll(tb::EndTrack);
    NMHDR header{GetHandle(), static_cast<std::uintptr_t>(static_cast<UINT>(Id()) & 0xFFFFu),
                 nm::ReleasedCapture};
    Dialog().Send(wm::Notify, header.idFrom, PointerParam(&header));
    return true;
}

}  // namespace model
