#include "modes/lessontext/lesson_text_mode.h"

#include "modes/lessontext/command_args.h"
#include "modes/lessontext/lesson_commands.h"
#include "modes/mode_context.h"
#include "platform/fs/program_path.h"
#include "platform/ole/stream.h"
#include "platform/resources/pe_resource_library.h"
#include "player/flash_player.h"
#include "sound/slot_stream.h"

#include <QWidget>
#include <stdexcept>

namespace pencora::lessontext {

LessonTextMode::LessonTextMode(modes::ModeContext& context, QWidget* pnlrszc)
    : context_(context), panel_(buildLessonTextPanel(pnlrszc, context)) {
    panel_.Flashbg->OnHandleFSCommand = [this](player::TsfFlashPlayer*, const QString& command,
                                               const QString& args) {
        FlashbgHandleFSCommand(command, args);
    };
}

LessonTextMode::~LessonTextMode() = default;

uint32_t& LessonTextMode::readingSlot() {
    return context_.studyState().ChannelSlots[modes::kReadingSlot];
}

void LessonTextMode::TBlessonClick() {
    sound::stop_slot(readingSlot());
    context_.stop(modes::Activity::Flashcards);
    context_.stop(modes::Activity::Dictation);
    if (panel_.pnlrszc->isHidden()) {
        context_.showOnlyPanel(panel_.pnlrszc);
    }
    panel_.Flashbg->hide();
    const QString code = context_.studyState().LessonCode;
    // No lesson yet (an empty catalogue): no movie is named "a" alone, the panel stays black.
    if (!code.isEmpty()) {
        OpenLessonText(code);
    }
}

const resources::PeResourceLibrary& LessonTextMode::library(const QString& code) {
    if (!LessonLibrary) {
        auto opened = std::make_unique<resources::PeResourceLibrary>();
        const QString path = fs::resolveProgramPath(kLessonLibraryPath);
        if (!opened->open(path)) {
            throw std::runtime_error(missingLibraryText(code, opened->error()).toStdString());
        }
        LessonLibrary = std::move(opened);
    }
    return *LessonLibrary;
}

void LessonTextMode::OpenLessonText(const QString& code) {
    StudyState& state = context_.studyState();
    state.OpenLessonCode = code;
    const resources::PeResourceLibrary& movies = library(code);
    const resources::PeResource* movie = movies.find(kLessonMovieType, lessonMovieName(code));
    if (movie == nullptr) {
        throw std::runtime_error(missingMovieText(code).toStdString());
    }
    const QByteArray bytes = movies.read(*movie);
    player::TsfFlashPlayer* flash = panel_.Flashbg;
    flash->LoadMovie(0, QString());
    {
        const auto stream = ole::streamOnBytes(
            {reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size())});
        flash->LoadMovieFromStream(0, stream.get());
    }
    sound::open_slot(readingSlot(), lessonReadingPath(code));
    flash->GotoFrame(1);
    flash->Play();
    sound::play_slot(readingSlot());
    flash->show();
}

void LessonTextMode::FlashbgHandleFSCommand(const QString& command, const QString& args) {
    switch (classifyCommand(command, args)) {
        case LessonCommand::ReadWhole:
            readWhole();
            break;
        case LessonCommand::StopReading:
            stopReading();
            break;
        case LessonCommand::PageTurned:
            sound::stop_slot(readingSlot());
            break;
        case LessonCommand::PlayPassage:
            playPassage(args);
            break;
        case LessonCommand::None:
            break;
    }
}

void LessonTextMode::readWhole() {
    sound::open_slot(readingSlot(), lessonReadingPath(context_.studyState().OpenLessonCode));
    sound::play_slot(readingSlot());
    panel_.Flashbg->GotoFrame(1);
    panel_.Flashbg->Play();
}

void LessonTextMode::stopReading() {
    sound::stop_slot(context_.studyState().ChannelSlots[modes::kCueSlot]);
    sound::stop_slot(readingSlot());
    panel_.Flashbg->Stop();
}

void LessonTextMode::playPassage(const QString& args) {
    StudyState& state = context_.studyState();
    state.CommandArgs = splitCommandArgs(args);
    const auto window = passageWindow(readPassage(state.CommandArgs));
    if (window) {
        sound::open_slot(readingSlot(), lessonReadingPath(state.OpenLessonCode), window->offset,
                         window->length);
    } else {
        sound::clear_slot(readingSlot());
    }
    sound::play_slot(readingSlot());
    panel_.Flashbg->Stop();
}

}  // namespace pencora::lessontext
