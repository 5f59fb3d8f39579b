#pragma once

#include "app/data_module.h"
#include "app/main_window.h"
#include "app/prompter.h"
#include "fake_prompter.h"
#include "view/qt/scheme_grid.h"

#include <QObject>
#include <QTest>

#include <stdexcept>

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
        window_ = new MainWindow;
        window_->show();
    }

    void CloseWindow()
    {
        delete window_;
        window_ = nullptr;
        InstallPrompter(previous_);
    }

    // Fails the test function at its first difference (a QCOMPARE in a helper returns from the
    // helper only).
    void ExpectShown(const SchemeDocument& expected)
    {
        CompareShown(expected);
        if (QTest::currentTestFailed())
            throw std::runtime_error("the window shows another scheme");
    }

    // The scheme held and the two grids' tables are `expected`.
    virtual void CompareShown(const SchemeDocument& expected)
    {
        QCOMPARE(DM->Session->Scheme.legend, expected.legend);
        QCOMPARE(DM->Session->Scheme.chart, expected.chart);
        QVERIFY(DM->Session->Scheme.picture == expected.picture);
        QCOMPARE(DM->Session->Scheme.backstitches, expected.backstitches);
        QVERIFY(window_->LegendGrid->cellTable() == expected.legend);
        QVERIFY(window_->ChartGrid->cellTable() == expected.chart);
    }

    FakePrompter prompter_;
    MainWindow* window_ = nullptr;

private:
    Prompter* previous_ = nullptr;
};

} // namespace velmora::test
