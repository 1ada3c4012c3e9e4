// Starting and stopping the audio library with the main window. Start-up reports its two
// failures through `showError` (the caller shows an error box without owner or title) and
// goes on either way; without a working library every later sound plays nothing.
#pragma once

#include <QString>
#include <functional>

namespace pencora::sound {

inline constexpr char16_t kWrongVersionText[] = u"播放声音的库文件版本不合适!";
inline constexpr char16_t kInitFailedText[] = u"发音引擎初始化错误，可能无法正常使用朗读功能!";

using ErrorNotice = std::function<void(const QString& text)>;

// Checks the library's version (2.4) and opens the default output at 44100 Hz for the
// window `window` (its native handle, may be null).
void startAudio(void* window, const ErrorNotice& showError);

// Stops and frees every stream of both slots; the slots keep numbers that name nothing.
void shutdownAudio();

}  // namespace pencora::sound
