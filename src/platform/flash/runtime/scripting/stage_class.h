// The Stage and System objects of scripts (stage_class.cpp).
#pragma once

#include <QSizeF>
#include <QString>

#include <optional>

namespace pencora::runtime {

class ScriptHost;

// How the player's owner shows the stage, as scripts see it: the scale mode by its script
// name, the alignment letters (of L, T, R, B, in that order) and, once the owner has told it,
// the size in pixels of the area the stage is shown in.
struct StageView {
    QString scaleMode = QStringLiteral("showAll");
    QString align;
    std::optional<QSizeF> size;
};

void installStageAndSystem(ScriptHost& host);

// The owner shows the stage anew. When the size changed while the mode is noScale, Stage's
// listeners hear onResize, once, after the new size is in place.
void showStage(ScriptHost& host, const StageView& view);

}  // namespace pencora::runtime
