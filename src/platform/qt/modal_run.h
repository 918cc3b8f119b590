#pragma once
// The nested event loop a modal dialog runs in. However a dialog ends - a button, Escape, the
// close box, a menu command, the program's own EndDialog - the model ends it and tells its
// observer; the loop ends then and only then, here.
#include <QEventLoop>

#include "model/dialog_model.h"

namespace qt {

class ModalRun {
public:
    explicit ModalRun(const model::DialogModel& model) : m_model(model) {}
    ModalRun(const ModalRun&) = delete;
    ModalRun& operator=(const ModalRun&) = delete;

    // Runs the loop until the dialog has ended; returns at once when it already has.
    void Exec();
    // The model has changed: the loop ends if the dialog has.
    void ModelChanged();

private:
    const model::DialogModel& m_model;
    QEventLoop* m_loop = nullptr;
};

}  // namespace qt
