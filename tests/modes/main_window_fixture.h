// A main window over a throw-away program folder, for the tests of the modes and settings.
// The audio library runs without an output device, so a sound that starts leaves a fresh
// handle in its slot and one whose file is missing leaves 0: which files exist tells which
// sound was played. Message boxes are recorded, answered with `answer`.
#pragma once

#include "app/tfrm_main.h"
#include "platform/audio/bass.h"
#include "platform/fs/program_path.h"
#include "platform/ui/message_service.h"
#include "support/application.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLayout>
#include <QTemporaryDir>
#include <memory>

class MainWindowFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        pencora::testing::ensureApplication();
        pencora::fs::setProgramFolder(dir_.path());
        BASS_Init(0, 44100, 0, nullptr, nullptr);
        messages = std::make_unique<pencora::ui::MessageRecorder>(answer);
        frm = std::make_unique<Tfrm_Main>();
    }
    void TearDown() override {
        frm.reset();
        messages.reset();
        BASS_Free();
        pencora::fs::setProgramFolder(QString());
    }

    // Shows the window at a fixed size with its layouts in place.
    void showWindow(int width = 906, int height = 475) {
        frm->resize(width, height);
        frm->show();
        frm->layout()->activate();
        // Without a catalogue the first show reports the unreadable file; not ours to test.
        if (!QFile::exists(dir_.filePath(QStringLiteral("Data/xml/unit.xml"))))
            messages->clear();
    }

    void write(const QString& relative, const QString& text) {
        const QString path = dir_.filePath(relative);
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << relative.toStdString();
        file.write(text.toUtf8());
    }

    // A sound file that plays: a short recording of the sample course.
    void sound(const QString& relative) {
        const QString path = dir_.filePath(relative);
        QDir().mkpath(QFileInfo(path).path());
        ASSERT_TRUE(QFile::copy(
            QStringLiteral(PENCORA_SOURCE_DIR "/sample-content/Data/sndsoft/zcsj.mp3"), path));
    }

    uint32_t& slot0() { return frm->State.ChannelSlots[0]; }

    pencora::ui::MessageResult answer = pencora::ui::MessageResult::Ok;
    std::unique_ptr<pencora::ui::MessageRecorder> messages;
    std::unique_ptr<Tfrm_Main> frm;

  private:
    QTemporaryDir dir_;
};
