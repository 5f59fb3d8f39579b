#pragma once

#include "app/main_form.h"
#include "app/prompter.h"
#include "fake_prompter.h"

#include <QObject>

namespace velmora::test {

// The base of the Qt tests that drive the main window: each test function gets a new window,
// shown, with a fresh FakePrompter answering its questions. The test class calls OpenWindow() in
// its init() and CloseWindow() in its cleanup().
class MainWindowFixture : public QObject {
protected:
    void OpenWindow()
    {
        previous_ = InstallPrompter(&prompter_);
        prompter_ = FakePrompter();
        window_ = new Tfm_Main;
        window_->show();
    }

    void CloseWindow()
    {
        delete window_;
        window_ = nullptr;
        InstallPrompter(previous_);
    }

    FakePrompter prompter_;
    Tfm_Main* window_ = nullptr;

private:
    Prompter* previous_ = nullptr;
};

} // namespace velmora::test
