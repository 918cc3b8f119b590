#include "support/headless_platform.h"

#include <utility>

namespace model {

using namespace framework;  // written in the dialog layer's names

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
    std::vector<PaintRecord>& paints = m_paints[&dialog];
    dialog.SetPaintObserver([&paints](const PaintRecord& record) { paints.push_back(record); });
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
    dialog.SetPaintObserver(nullptr);
    m_paints.erase(&dialog);
    m_modalRuns.push_back({dialog.Template().id, dialog.Owner(), dialog.Result()});
    return dialog.Result();
}

const std::vector<PaintRecord>& HeadlessPlatform::PaintLog(const DialogModel& dialog) const {
    static const std::vector<PaintRecord> none;
    auto found = m_paints.find(&dialog);
    return found != m_paints.end() ? found->second : none;
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
