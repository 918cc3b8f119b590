#include "support/headless_platform.h"

#include <utility>

namespace model {

using namespace framework;  // written in the dialog layer's names

const DialogTemplate* HandBuiltResources::FindDialog(unsigned id) const {
    for (const DialogTemplate& dialog : m_dialogs) {
        if (dialog.id == id) return &dialog;
    }
    return nullptr;
}

void HeadlessPlatform::OnModal(Script user) {
    m_scripts.push_back(std::move(user));
}

void HeadlessPlatform::AnswerMessageBoxes(std::initializer_list<int> answers) {
    m_answers.insert(m_answers.end(), answers.begin(), answers.end());
}

void HeadlessPlatform::WhileMessageBoxUp(std::function<void(const MessageBoxRecord&)> check) {
    m_whileUp = std::move(check);
}

INT_PTR HeadlessPlatform::RunModalLoop(DialogModel& dialog) {
    m_paints.try_emplace(&dialog);
    if (!m_scripts.empty()) {
        Script user = std::move(m_scripts.front());
        m_scripts.pop_front();
        if (user) user(dialog);
    }
    if (!dialog.Ended()) {
        // Left open by its script: close it so the test goes on, and count it.
        ++m_unfinished;
        dialog.End(-1);
    }
    m_paints.erase(&dialog);
    m_painting = nullptr;
    m_modalRuns.push_back({dialog.Template().id, dialog.Owner(), dialog.Result()});
    return dialog.Result();
}

const std::vector<PaintRecord>& HeadlessPlatform::PaintLog(const DialogModel& dialog) const {
    static const std::vector<PaintRecord> none;
    auto found = m_paints.find(&dialog);
    return found != m_paints.end() ? found->second : none;
}

UINT HeadlessPlatform::IconResource(IconHandle icon) const {
    const auto found = m_iconResources.find(icon);
    return found != m_iconResources.end() ? found->second : 0;
}

IconHandle HeadlessPlatform::LoadAppIcon(UINT resourceId) {
    const IconHandle icon = ModelPlatform::LoadAppIcon(resourceId);
    if (icon != nullptr) m_iconResources[icon] = resourceId;
    return icon;
}

// Each paint of a running modal dialog is logged as the default painting until it draws.
PaintHandle HeadlessPlatform::BeginPaint(Handle window) {
    const PaintHandle paint = ModelPlatform::BeginPaint(window);
    const auto log = m_paints.find(FindDialog(window));
    m_painting = log != m_paints.end() ? &log->second : nullptr;
    if (m_painting != nullptr) m_painting->push_back({true, 0, 0, nullptr});
    return paint;
}

void HeadlessPlatform::DrawIcon(PaintHandle paint, int x, int y, IconHandle icon) {
    ModelPlatform::DrawIcon(paint, x, y, icon);
    if (m_painting != nullptr && !m_painting->empty()) m_painting->back() = {false, x, y, icon};
}

int HeadlessPlatform::RunMessageBox(const MessageBoxRequest& request) {
    int answer = id::Ok;
    if (!m_answers.empty()) {
        answer = m_answers.front();
        m_answers.pop_front();
    }
    m_boxes.push_back(
        {request.owner, request.text, request.caption, request.type, answer, request.utf8Text});
    const MessageBoxRecord shown = m_boxes.back();  // the check may show boxes of its own
    if (m_whileUp) m_whileUp(shown);
    return answer;
}

}  // namespace model
