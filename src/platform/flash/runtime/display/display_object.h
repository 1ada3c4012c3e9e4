// One character placed on a display list: a shape, a movie clip (sprite or a layer's root),
// a button, a text or a bitmap, with its place on the list and, for clips and buttons, their
// own state. Children are kept by depth, lowest drawn first.
#pragma once

#include <QHash>
#include <QRectF>
#include <QString>
#include <algorithm>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <unordered_map>
#include <vector>

#include "platform/flash/actions/action.h"
#include "platform/flash/runtime/drawing/character_drawing.h"
#include "platform/flash/swf/movie.h"

namespace pencora::swf::render {
class Library;
}

namespace pencora::runtime {

struct MovieContext;
class ClipGraphics;
struct SoundPcm;
struct TextField;
class VideoPlayback;

enum class ObjectKind { Shape, Clip, Button, Text, EditText, Bitmap, Video, Other };

// Depths as stored in the file; scripts count from this depth up (their depth 0).
inline constexpr int kScriptDepthBase = 16384;

enum class ButtonState { Up, Over, Down };

class DisplayObject;

// A clip's children by depth, read like the map it holds, with an index of the children's
// instance names kept up to date as children come and go, so that finding a child by name
// costs about as much as finding it by depth, however many children there are. A child's
// name changed while it is on the list must be reported with renamed().
class ChildList {
  public:
    using Map = std::map<int, std::shared_ptr<DisplayObject>>;
    using iterator = Map::iterator;
    using const_iterator = Map::const_iterator;
    using reverse_iterator = Map::reverse_iterator;
    using const_reverse_iterator = Map::const_reverse_iterator;

    // The place at one depth; assigning a child to it puts the child there.
    class Slot {
      public:
        Slot(ChildList& list, int depth) : list_(list), depth_(depth) {}
        Slot& operator=(std::shared_ptr<DisplayObject> child);

      private:
        ChildList& list_;
        int depth_;
    };

    ChildList() = default;
    ChildList(const ChildList& other) : map_(other.map_) {}
    ChildList& operator=(const ChildList& other);

    iterator begin() { return map_.begin(); }
    iterator end() { return map_.end(); }
    const_iterator begin() const { return map_.begin(); }
    const_iterator end() const { return map_.end(); }
    reverse_iterator rbegin() { return map_.rbegin(); }
    reverse_iterator rend() { return map_.rend(); }
    const_reverse_iterator rbegin() const { return map_.rbegin(); }
    const_reverse_iterator rend() const { return map_.rend(); }
    iterator find(int depth) { return map_.find(depth); }
    const_iterator find(int depth) const { return map_.find(depth); }
    std::size_t count(int depth) const { return map_.count(depth); }
    std::size_t size() const { return map_.size(); }
    bool empty() const { return map_.empty(); }

    Slot operator[](int depth) { return Slot(*this, depth); }
    iterator erase(iterator it);
    std::size_t erase(int depth);
    void clear();
    // Exchanges the whole list with `other`.
    void swap(Map& other);

    // The child at the lowest depth named `name` (letter case ignored unless `caseSensitive`).
    DisplayObject* named(const QString& name, bool caseSensitive) const;
    // The child at `depth` has a new name.
    void renamed(int depth);

  private:
    void place(int depth, std::shared_ptr<DisplayObject> child);
    void index(int depth, const DisplayObject* child) const;
    void unindex(int depth) const;
    void buildIndex() const;
    DisplayObject* scan(const QString& name, bool caseSensitive) const;

    Map map_;
    // Case-folded name -> the children of that name by depth; depth -> its key there. Built at
    // the first look-up by name, kept up to date from then on.
    mutable QHash<QString, std::map<int, const DisplayObject*>> byName_;
    mutable std::unordered_map<int, QString> keyAt_;
    mutable bool indexed_ = false;
};

// What a script machine hangs on a display object (its script object); dropped with it.
class ScriptAttachment {
  public:
    virtual ~ScriptAttachment() = default;
    // The object (or a clip it sits in) leaves the display list; `path` is where it was
    // ("_level0.a.b"), for scripts that still name it.
    virtual void removedFromList(const QString& path) { (void)path; }
};

struct DisplayObject {
    DisplayObject() = default;
    DisplayObject(const DisplayObject&) = delete;
    DisplayObject& operator=(const DisplayObject&) = delete;
    // Children that outlive their parent (a clip whose script is running) lose it.
    ~DisplayObject();

    ObjectKind kind = ObjectKind::Other;
    uint16_t characterId = 0;
    int depth = 0;
    swf::Matrix matrix;
    // _xscale, _yscale and _rotation as scripts last set them, with the skew they kept, valid
    // while the matrix's 2x2 part is still `a`..`d`: these read back as set, so a flip by
    // _xscale = -100 stays -100 rather than becoming 100 turned half round.
    struct ScriptScale {
        double xscale, yscale, rotation, skew;
        double a, b, c, d;
    };
    std::optional<ScriptScale> scriptScale;
    swf::ColorTransform colorTransform;
    // A script has set its position, scale, rotation, size, alpha or colour: from then on the
    // script owns both its matrix and its colour transform, and the timeline's later
    // placements of it change neither.
    bool scriptTransformed = false;
    uint16_t ratio = 0;
    // The ratio the object was last shown with: a morph's outline for bounds and hit tests
    // follows what is on screen, so a goto changes it only once its frame has been shown. An
    // object takes the ratio it is placed with.
    uint16_t shownRatio = 0;
    QString name;
    uint16_t clipDepth = 0;  // > 0: a mask for the depths above it up to this one
    swf::BlendMode blendMode = swf::BlendMode::Normal;
    std::vector<swf::Filter> filters;  // applied in order to the object drawn on its own
    bool cacheAsBitmap = false;
    std::optional<uint32_t> opaqueBackground;  // 0xRRGGBB filling the object's bounds
    std::optional<QRectF> scrollRect;          // pixels of the clip's space shown at its origin
    // Clips and buttons: the centre of the nine regions their own shapes scale by, in their own
    // twips (scale9_grid.h); from the character's scaling grid, or as a script set it.
    std::optional<QRectF> scale9Grid;
    bool visible = true;
    // Placed by a timeline tag (rebuilt by gotos), not by a script.
    bool fromTimeline = true;
    // The timeline tag that placed it: a backward goto keeps an object only when the frames it
    // rebuilds place it with this same tag (goto_rewind2).
    const swf::PlaceObject* placedBy = nullptr;
    uint64_t serial = 0;  // unique per player, for the draw list's frame-to-frame diff

    DisplayObject* parent = nullptr;
    MovieContext* movie = nullptr;
    std::shared_ptr<const CharacterDrawing> drawing;
    ChildList children;
    // What scripts drew into a clip (clip_graphics.h), drawn under its children.
    std::shared_ptr<ClipGraphics> graphics;

    // Clips: the timeline, the playhead (0-based, -1 before the first frame) and play state.
    const swf::Timeline* timeline = nullptr;
    int totalFrames = 0;  // the frames the timeline holds: what playing and gotos go by
    // The count its header or sprite tag declares, which other writers leave wrong; scripts
    // read it as _totalframes. -1 where nothing declared one (a clip a script made).
    int declaredFrames = -1;
    int frame = -1;
    bool playing = true;
    // Placed during this tick: it shows its first frame and does not advance until the next.
    bool justPlaced = false;
    // Removed, waiting below every other depth for its unload handlers to run.
    bool unloading = false;

    // Buttons.
    const swf::Button* button = nullptr;
    ButtonState buttonState = ButtonState::Up;

    // Edit texts (text_field.h).
    std::shared_ptr<TextField> field;
    // Its children show only inside this rectangle of its own twips (a text field's box
    // cuts the pictures of its markup).
    std::optional<QRectF> childClip;

    // Videos: the decoder and picture (video_playback.h); `drawing` shows it.
    std::shared_ptr<VideoPlayback> video;

    // Clip events of the placing tag (onClipEvent), inside the movie's records.
    const std::vector<swf::ClipAction>* clipActions = nullptr;
    // The placing tag's flags of every event it handles: no other event fires.
    uint32_t clipEventMask = ~0u;
    std::unique_ptr<ScriptAttachment> script;
    // Its own _focusrect (SWF 6 on); unset: the movie-wide setting decides.
    std::optional<bool> focusRect;

    // It has loaded an image file in place of a movie (getSWFVersion then answers -1).
    bool showsImage = false;
    // A load into it found nothing: `_url` names the address asked for until a movie or image
    // arrives (mcl_events_swf_version).
    QString failedUrl;

    // A script's mask (setMask): the clip whose area this one shows through, and the clip
    // this one is the mask of (then it is not drawn itself). Each side forgets the other
    // when it goes.
    DisplayObject* maskedBy = nullptr;
    DisplayObject* masking = nullptr;

    bool isClip() const { return kind == ObjectKind::Clip; }
    // _totalframes: the declared count, whatever the timeline holds. A timeline holding more
    // frames still plays them all, and one holding fewer loops after its last.
    int reportedTotalFrames() const { return declaredFrames >= 0 ? declaredFrames : totalFrames; }
    // _framesloaded: the frames held, never more than the declared count.
    int reportedFramesLoaded() const { return std::min(totalFrames, reportedTotalFrames()); }
    DisplayObject* childAt(int depth) const;
    DisplayObject* childNamed(const QString& name, bool caseSensitive) const;
    // Gives the object a new instance name, telling its parent's list.
    void rename(const QString& newName);
};

// What a layer's movie shares with all its objects.
struct MovieContext {
    std::shared_ptr<const swf::Movie> movie;
    int layer = 0;
    QString url;
    std::map<uint16_t, std::shared_ptr<const CharacterDrawing>> drawings;
    // Decoded action blocks by the address of their bytes inside `movie`.
    std::map<const void*, std::shared_ptr<const swf::ActionBlock>> blocks;
    // The init-action tags queued so far: each runs once, however many a sprite has.
    std::set<const swf::DoInitAction*> initDone;
    // The decoded init-action blocks of the movie, and those the script machine has run (one
    // may run early, before the clip whose class it registers is constructed).
    std::set<const void*> initBlocks;
    bool initBlocksKnown = false;
    std::set<const void*> initRan;
    // Sound characters decoded on first use (null: not one we can play).
    std::map<uint16_t, std::shared_ptr<const SoundPcm>> sounds;
    // Glyph outlines of the movie's fonts, for text fields that draw with them.
    std::shared_ptr<swf::render::Library> glyphs;
    // Characters borrowed from other movies (shared_library.h): the id given here, and where
    // it is defined. The movie keeps its libraries alive.
    struct Import {
        std::shared_ptr<MovieContext> library;
        uint16_t id = 0;
    };
    std::map<uint16_t, Import> imports;
    // The libraries that have arrived, by the import tag that asked for them.
    std::map<const void*, std::shared_ptr<MovieContext>> libraries;

    int version() const { return movie ? movie->header.version : 0; }
};

// Full matrix of an object: its own after every parent's, in stage twips. A parent with a
// scroll rectangle moves what it holds by the rectangle's corner.
QTransform toTransform(const swf::Matrix& m);
QTransform worldTransform(const DisplayObject& object);
// How the object's scroll rectangle moves what the object draws and holds, in its own twips
// (none without one).
QTransform scrollShift(const DisplayObject& object);
// Where the object's own drawing and its children land: its scroll shift, then its matrix.
QTransform contentTransform(const DisplayObject& object);
// Whether a stage point (twips) lies inside the scroll rectangles of the object and of every
// parent: outside one, nothing the object draws shows there.
bool insideScrollRects(const DisplayObject& object, QPointF stage);
// Makes `mask` the mask of `clip` (null: no mask); a mask serves one clip at a time.
void setMask(DisplayObject& clip, DisplayObject* mask);
// Whether the object is still on its parents' lists all the way up.
bool onDisplayList(const DisplayObject& object);
ColorTransformF worldColorTransform(const DisplayObject& object);

// Movie text (UTF-8 from SWF 6 on, the author's code page before) as UTF-16.
QString movieText(const std::string& bytes, int swfVersion);

}  // namespace pencora::runtime
