// Shared libraries: a movie's ImportAssets and ImportAssets2 tags borrow characters that
// another movie exports. When a movie starts in a layer or a clip, each library it names is
// fetched through the player's owner (as any load is); once it arrives, the borrowed ids and
// names resolve to the library's characters, and the library's init actions run with the
// importing movie's root as `this`, before anything placed from it does.
#pragma once

#include <QString>

#include <cstdint>
#include <optional>

#include "platform/flash/runtime/display/display_object.h"

namespace pencora::runtime {

class Player;

// Asks for every library `root`'s movie imports from (root: a layer's root or a clip a movie
// was loaded into).
void requestImports(Player& player, DisplayObject& root);

// The init actions of the library `tag` (an import tag of root's movie) brought, once, if it
// has arrived; the timeline calls it where the tag stands in its frame.
void queueLibraryInitActions(Player& player, DisplayObject& root, const swf::ImportAssets& tag);

// The character `id` of `movie` as it is really defined: in the movie itself, or in the
// library it was imported from. Null when it is neither (or the library has not arrived).
struct ResolvedCharacter {
    MovieContext* movie = nullptr;
    uint16_t id = 0;
    const swf::Character* character = nullptr;
};
ResolvedCharacter resolveCharacter(MovieContext& movie, uint16_t id);

// The id an imported symbol has in `movie`, by the name its import tag gives (ignoring case).
std::optional<uint16_t> importedCharacter(const MovieContext& movie, const QString& name);

}  // namespace pencora::runtime
