#pragma once
// The platform of the tests: dialogs live in memory and a script plays the user.
//
//   model::HeadlessPlatform platform(resources, "Title");
//   model::ScopedPlatform use(platform);
//   platform.OnModal([](model::DialogModel& dlg) { TypeText(dlg, "42"); dlg.Click(IDOK); });
//   EXPECT_EQ(dialog.DoModal(), IDOK);
//
// Each modal run (nested ones included, in the order they start) takes the next script from
// the queue. A dialog still open when its script returns - or that found no script - is ended
// with -1 and counted in UnfinishedDialogs(), so a test notices.
#include <deque>
#include <functional>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

#include "base/windows_1252.h"
#include "model/model_platform.h"
#include "support/dialog_driver.h"

namespace model {

using namespace framework;  // written in the dialog layer's names

struct MessageBoxRecord {
    Handle owner = nullptr;
    std::string text;
    std::string caption;
    UINT type = 0;
    int answer = 0;
    bool utf8Text = false;
};

struct ModalRecord {
    unsigned templateId = 0;
    Handle owner = nullptr;
    INT_PTR result = 0;
};

// Dialog templates built by hand, for tests that do without a resource script: no combo-box
// data or strings, and every icon id names an icon.
class HandBuiltResources final : public DialogResources {
public:
    explicit HandBuiltResources(std::vector<DialogTemplate> dialogs)
        : m_dialogs(std::move(dialogs)) {}

    const DialogTemplate* FindDialog(unsigned id) const override;
    std::vector<DialogInitEntry> DialogInit(unsigned) const override { return {}; }
    std::string String(unsigned) const override { return {}; }
    std::string IconFile(unsigned) const override { return "hand-built.ico"; }

private:
    std::vector<DialogTemplate> m_dialogs;
};

class HeadlessPlatform : public ModelPlatform {
public:
    using ModelPlatform::ModelPlatform;

    using Script = std::function<void(DialogModel&)>;
    // Queues the user's part of the next modal dialog.
    void OnModal(Script user);
    int PendingScripts() const { return static_cast<int>(m_scripts.size()); }
    int UnfinishedDialogs() const { return m_unfinished; }
    // Every modal run, in the order they ended.
    const std::vector<ModalRecord>& ModalRuns() const { return m_modalRuns; }

    // Answers for the next message boxes, in order; once used up, boxes are answered IDOK.
    void AnswerMessageBoxes(std::initializer_list<int> answers);
    // Runs while each box is up, e.g. to check that its owner is disabled.
    void WhileMessageBoxUp(std::function<void(const MessageBoxRecord&)> check);
    // Every box shown, in order.
    const std::vector<MessageBoxRecord>& MessageBoxes() const { return m_boxes; }
    // What a running modal dialog's WM_PAINTs drew, in order.
    const std::vector<PaintRecord>& PaintLog(const DialogModel& dialog) const;
    // The icon resource a handle from LoadAppIcon stands for; 0 for any other handle.
    UINT IconResource(IconHandle icon) const;

    IconHandle LoadAppIcon(UINT resourceId) override;
    PaintHandle BeginPaint(Handle window) override;
    void DrawIcon(PaintHandle paint, int x, int y, IconHandle icon) override;
    // Started by its name, as from PATH.
    std::string ProgramAsStarted() override { return ExecutableTitle(); }
#ifdef _WIN32
    // The model's code page, Windows-1252: one byte a character.
    char32_t NextPathCharacter(std::string_view text, std::size_t& at) override {
        return base::DecodeWindows1252(static_cast<unsigned char>(text[at++]));
    }
#endif

protected:
    INT_PTR RunModalLoop(DialogModel& dialog) override;
    int RunMessageBox(const MessageBoxRequest& request) override;

private:
    std::deque<Script> m_scripts;
    int m_unfinished = 0;
    std::vector<ModalRecord> m_modalRuns;
    std::deque<int> m_answers;
    std::function<void(const MessageBoxRecord&)> m_whileUp;
    std::vector<MessageBoxRecord> m_boxes;
    std::map<const DialogModel*, std::vector<PaintRecord>> m_paints;
    std::vector<PaintRecord>* m_painting = nullptr;  // the log of the paint begun last
    std::map<IconHandle, UINT> m_iconResources;
};

// Installs a platform for the lifetime of the object, then clears it again.
class ScopedPlatform {
public:
    explicit ScopedPlatform(Platform& platform) { SetPlatform(&platform); }
    ~ScopedPlatform() { SetPlatform(nullptr); }
    ScopedPlatform(const ScopedPlatform&) = delete;
    ScopedPlatform& operator=(const ScopedPlatform&) = delete;
};

}  // namespace model
