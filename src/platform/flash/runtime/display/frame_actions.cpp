#include "platform/flash/runtime/display/frame_actions.h"

namespace pencora::runtime {

void dispatchGetUrl(Player& player, const QString& url, const QString& window) {
    static const QString kFsCommand = QStringLiteral("FSCommand:");
    if (url.startsWith(kFsCommand, Qt::CaseInsensitive)) {
        player.events().fsCommand(url.mid(kFsCommand.size()), window);
        return;
    }
    static const QString kLevel = QStringLiteral("_level");
    if (window.startsWith(kLevel, Qt::CaseInsensitive)) {
        bool ok = false;
        const int layer = window.mid(kLevel.size()).toInt(&ok);
        if (ok && layer >= 0) {
            player.events().loadMovie(layer, url);
            return;
        }
    }
    player.events().openUrl(url, window);
}

void FrameActions::run(Player& player, DisplayObject& clip,
                       const std::shared_ptr<const swf::ActionBlock>& block) {
    if (!block) {
        return;
    }
    const int version = clip.movie ? clip.movie->version() : 6;
    // Keeps the clip (and whatever setTarget picks) alive while a goto rebuilds lists.
    std::shared_ptr<DisplayObject> keep = player.sharedOf(clip);
    DisplayObject* target = &clip;
    const auto& actions = block->actions;
    size_t i = 0;
    size_t steps = 0;
    while (i < actions.size() && steps++ < actions.size() * 2 + 16) {
        const swf::Action& a = actions[i];
        // The record after this one in its own run (runs overlap where a branch lands inside
        // a record); a block built by hand may leave it unset.
        size_t next = a.next > i ? a.next : i + 1;
        switch (a.code) {
            case swf::ActionCode::End:
                return;
            case swf::ActionCode::Play:
                if (target) {
                    target->playing = true;
                }
                break;
            case swf::ActionCode::Stop:
                if (target) {
                    target->playing = false;
                }
                break;
            case swf::ActionCode::NextFrame:
                if (target) {
                    player.nextFrame(*target);
                }
                break;
            case swf::ActionCode::PrevFrame:
                if (target) {
                    player.prevFrame(*target);
                }
                break;
            case swf::ActionCode::GotoFrame:
                if (target) {
                    player.gotoFrame(*target, a.frame, false);
                }
                break;
            case swf::ActionCode::GoToLabel:
                if (target) {
                    player.gotoLabel(*target, movieText(a.text, version), false);
                }
                break;
            case swf::ActionCode::GetURL:
                dispatchGetUrl(player, movieText(a.text, version), movieText(a.text2, version));
                break;
            case swf::ActionCode::SetTarget: {
                const QString path = movieText(a.text, version);
                target = path.isEmpty() ? &clip : player.resolveTarget(&clip, path);
                keep = target ? player.sharedOf(*target) : nullptr;
                break;
            }
            case swf::ActionCode::WaitForFrame:
                // Every frame of a movie is loaded before it plays, so the skip never happens.
                break;
            case swf::ActionCode::ToggleQuality:
                player.setHighQuality(!player.highQuality());
                break;
            case swf::ActionCode::StopSounds:
                player.sounds().stopAll();
                break;
            default:
                break;
        }
        i = next;
    }
}

}  // namespace pencora::runtime
