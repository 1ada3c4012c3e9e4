#include "platform/flash/runtime/display/shared_library.h"

#include <QByteArray>
#include <QUrl>

#include <span>
#include <variant>

#include "platform/flash/runtime/display/movie_url.h"
#include "platform/flash/runtime/display/player.h"

namespace pencora::runtime {

namespace {

std::optional<uint16_t> exportedId(const MovieContext& library, const QString& name) {
    std::optional<uint16_t> found;
    for (const swf::Frame& frame : library.movie->timeline.frames) {
        for (const swf::ControlTag& tag : frame.tags) {
            if (auto* e = std::get_if<swf::ExportAssets>(&tag)) {
                for (const auto& [id, exported] : e->assets) {
                    if (movieText(exported, library.version()).compare(name, Qt::CaseInsensitive) ==
                        0) {
                        found = id;  // of two exports under one name the later wins
                    }
                }
            }
        }
    }
    return found;
}

// Libraries may themselves borrow from others; a chain deeper than this (or a loop) stops.
constexpr int kMaxLibraryChain = 8;

// A library that has arrived for `importer`: its exports stand in for the ids the import tag
// borrows.
std::shared_ptr<MovieContext> addLibrary(MovieContext& importer, const swf::ImportAssets& tag,
                                         std::shared_ptr<const swf::Movie> movie) {
    auto library = std::make_shared<MovieContext>();
    library->movie = std::move(movie);
    library->layer = importer.layer;
    library->url = absoluteMovieUrl(QString::fromStdString(tag.url), importer.url);
    for (const auto& [localId, name] : tag.assets) {
        if (auto id = exportedId(*library, movieText(name, importer.version()))) {
            importer.imports[localId] = MovieContext::Import{library, *id};
        }
    }
    importer.libraries[&tag] = library;
    return library;
}

void queueInitActionsOf(Player& player, DisplayObject& root, MovieContext& library) {
    for (const swf::Frame& frame : library.movie->timeline.frames) {
        for (const swf::ControlTag& t : frame.tags) {
            if (auto* init = std::get_if<swf::DoInitAction>(&t)) {
                if (library.initDone.insert(init).second) {
                    player.queueActions(root, player.decoded(library, init->actions));
                }
            }
        }
    }
}

// The import tags of a library, fetched by addresses taken against the one the library came
// from; what they bring runs its init actions on the importing root as it arrives.
void requestLibraryImports(Player& player, DisplayObject& root,
                           const std::shared_ptr<MovieContext>& library, const QString& address,
                           int chain) {
    if (chain >= kMaxLibraryChain) {
        return;
    }
    std::weak_ptr<DisplayObject> weakRoot = player.sharedOf(root);
    std::weak_ptr<MovieContext> weakLibrary = library;
    for (const swf::Frame& frame : library->movie->timeline.frames) {
        for (const swf::ControlTag& tag : frame.tags) {
            auto* import = std::get_if<swf::ImportAssets>(&tag);
            if (!import || import->url.empty()) {
                continue;
            }
            const QString next =
                QUrl(address).resolved(QUrl(QString::fromStdString(import->url))).toString();
            player.events().fetch(
                next, QStringLiteral("GET"), {},
                [&player, weakRoot, weakLibrary, import, next,
                 chain](std::optional<QByteArray> data) {
                    auto r = weakRoot.lock();
                    auto lib = weakLibrary.lock();
                    if (!data || !r || !lib) {
                        return;
                    }
                    const auto* begin = reinterpret_cast<const uint8_t*>(data->constData());
                    swf::ReadResult read = swf::readMovie(std::span(begin, size_t(data->size())));
                    if (read && read.movie) {
                        auto added = addLibrary(*lib, *import, read.movie);
                        queueInitActionsOf(player, *r, *added);
                        requestLibraryImports(player, *r, added, next, chain + 1);
                    }
                });
        }
    }
}

// The library has arrived: its exports stand in for the borrowed ids. Its init actions run
// where the import tag stands among the frame's init actions, or now when the importing
// movie has played past that frame.
void libraryArrived(Player& player, DisplayObject& root, const swf::ImportAssets& tag, int frame,
                    std::shared_ptr<const swf::Movie> movie) {
    auto library = addLibrary(*root.movie, tag, std::move(movie));
    if (root.frame >= frame) {
        queueLibraryInitActions(player, root, tag);
    }
    requestLibraryImports(player, root, library, QString::fromStdString(tag.url), 1);
}

void requestLibrary(Player& player, DisplayObject& root, const swf::ImportAssets& tag, int frame) {
    std::weak_ptr<DisplayObject> weakRoot = player.sharedOf(root);
    std::shared_ptr<const swf::Movie> importing = root.movie->movie;
    const swf::ImportAssets* tagInMovie = &tag;  // lives as long as `importing`
    player.events().fetch(
        QString::fromStdString(tag.url), QStringLiteral("GET"), {},
        [&player, weakRoot, importing, tagInMovie, frame](std::optional<QByteArray> data) {
            auto r = weakRoot.lock();
            // The root may have gone, or shows another movie by now.
            if (!data || !r || !r->movie || r->movie->movie != importing) {
                return;
            }
            const auto* begin = reinterpret_cast<const uint8_t*>(data->constData());
            swf::ReadResult read = swf::readMovie(std::span(begin, size_t(data->size())));
            if (read && read.movie) {
                libraryArrived(player, *r, *tagInMovie, frame, read.movie);
            }
        });
}

}  // namespace

void requestImports(Player& player, DisplayObject& root) {
    if (!root.movie || !root.movie->movie) {
        return;
    }
    const auto& frames = root.movie->movie->timeline.frames;
    for (size_t f = 0; f < frames.size(); ++f) {
        for (const swf::ControlTag& tag : frames[f].tags) {
            if (auto* import = std::get_if<swf::ImportAssets>(&tag);
                import && !import->url.empty()) {
                requestLibrary(player, root, *import, int(f));
            }
        }
    }
}

void queueLibraryInitActions(Player& player, DisplayObject& root, const swf::ImportAssets& tag) {
    if (!root.movie) {
        return;
    }
    auto it = root.movie->libraries.find(&tag);
    if (it == root.movie->libraries.end()) {
        return;
    }
    queueInitActionsOf(player, root, *it->second);
}

ResolvedCharacter resolveCharacter(MovieContext& movie, uint16_t id) {
    // A library may pass on what it borrowed itself.
    MovieContext* in = &movie;
    for (int chain = 0; in->movie && chain <= kMaxLibraryChain; ++chain) {
        if (const swf::Character* c = in->movie->find(id)) {
            return {in, id, c};
        }
        auto it = in->imports.find(id);
        if (it == in->imports.end() || !it->second.library) {
            return {};
        }
        id = it->second.id;
        in = it->second.library.get();
    }
    return {};
}

std::optional<uint16_t> importedCharacter(const MovieContext& movie, const QString& name) {
    if (!movie.movie) {
        return std::nullopt;
    }
    std::optional<uint16_t> found;
    for (const swf::Frame& frame : movie.movie->timeline.frames) {
        for (const swf::ControlTag& tag : frame.tags) {
            if (auto* import = std::get_if<swf::ImportAssets>(&tag)) {
                for (const auto& [id, imported] : import->assets) {
                    if (movieText(imported, movie.version()).compare(name, Qt::CaseInsensitive) ==
                        0) {
                        found = id;
                    }
                }
            }
        }
    }
    return found;
}

}  // namespace pencora::runtime
