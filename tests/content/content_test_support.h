// A throw-away program folder for the content tests: files are written below it and the
// program folder points at it while the object lives.
#pragma once

#include "platform/fs/program_path.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

class ProgramFolderFixture : public ::testing::Test {
  protected:
    void SetUp() override { pencora::fs::setProgramFolder(dir_.path()); }
    void TearDown() override { pencora::fs::setProgramFolder(QString()); }

    QString write(const QString& relative, const QString& text) {
        const QString path = dir_.filePath(relative);
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text.toUtf8());
        return path;
    }
    QString folder() const { return dir_.path(); }

  private:
    QTemporaryDir dir_;
};
