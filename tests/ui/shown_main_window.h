// A main window shown on the screen, with its dialogs answered by the test.
#pragma once

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include "tests/ui/scripted_dialogs.h"
#include "ui/tform3.h"

namespace quillmoor::testing {

class ShownMainWindow : public ::testing::Test {
  protected:
    ShownMainWindow() : form(dialogs, flags) {}

    void SetUp() override {
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    }

    // Brings a tab to the front as a click on it would, and lets the window settle.
    void ShowTab(QWidget* page) {
        form.PageControl1->setCurrentWidget(page);
        QCoreApplication::processEvents();
    }

    // Resizes the window's client area and lets the window settle.
    void ResizeClient(int width, int height) {
        form.resize(width, height + form.height() - form.Client->height());
        QCoreApplication::processEvents();
    }

    void Click(QAbstractButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

    ScriptedDialogs dialogs;
    JobFlags flags;
    TForm3 form;
};

}  // namespace quillmoor::testing
