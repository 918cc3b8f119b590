#include "platform/qt/modal_run.h"

namespace qt {

void ModalRun::Exec() {
    if (m_model.Ended() || m_loop != nullptr) return;
    QEventLoop loop;
    m_loop = &loop;
    loop.exec(QEventLoop::DialogExec);
    m_loop = nullptr;
}

void ModalRun::ModelChanged() {
    if (m_model.Ended() && m_loop != nullptr) m_loop->quit();
}

}  // namespace qt
