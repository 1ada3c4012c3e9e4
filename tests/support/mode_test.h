// A mode's test on the fake frame: a throw-away program folder, the fake context, and a
// recorder of the boxes that reach the message service directly (the general error report).
#pragma once

#include "platform/fs/program_path.h"
#include "platform/ui/message_service.h"
#include "support/fake_mode_context.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <memory>

namespace pencora::testing {

class ModeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::setProgramFolder(dir_.path());
        messages = std::make_unique<ui::MessageRecorder>();
    }
    void TearDown() override {
        messages.reset();
        fs::setProgramFolder(QString());
    }

    // Writes a file of the program folder, folders made as needed.
    void write(const QString& relative, const QString& text) {
        const QString path = dir_.filePath(relative);
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << relative.toStdString();
        file.write(text.toUtf8());
    }

    // The frame window at a size, shown, with its client area laid out.
    void showFrame(int width, int height) {
        context.frameWindow()->resize(width, height);
        context.frameWindow()->show();
    }

  private:
    QTemporaryDir dir_;

  protected:
    FakeModeContext context;
    std::unique_ptr<ui::MessageRecorder> messages;
};

}  // namespace pencora::testing
