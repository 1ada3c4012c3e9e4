#include "platform/flash/swf/tag_codes.h"

namespace pencora::swf::tag {

const char* name(uint16_t code) {
    switch (code) {
        case End: return "End";
        case ShowFrame: return "ShowFrame";
        case DefineShape: return "DefineShape";
        case PlaceObject: return "PlaceObject";
        case RemoveObject: return "RemoveObject";
        case DefineBits: return "DefineBits";
        case DefineButton: return "DefineButton";
        case JpegTables: return "JPEGTables";
        case SetBackgroundColor: return "SetBackgroundColor";
        case DefineFont: return "DefineFont";
        case DefineText: return "DefineText";
        case DoAction: return "DoAction";
        case DefineFontInfo: return "DefineFontInfo";
        case DefineSound: return "DefineSound";
        case StartSound: return "StartSound";
        case DefineButtonSound: return "DefineButtonSound";
        case SoundStreamHead: return "SoundStreamHead";
        case SoundStreamBlock: return "SoundStreamBlock";
        case DefineBitsLossless: return "DefineBitsLossless";
        case DefineBitsJpeg2: return "DefineBitsJPEG2";
        case DefineShape2: return "DefineShape2";
        case DefineButtonCxform: return "DefineButtonCxform";
        case Protect: return "Protect";
        case PlaceObject2: return "PlaceObject2";
        case RemoveObject2: return "RemoveObject2";
        case DefineShape3: return "DefineShape3";
        case DefineText2: return "DefineText2";
        case DefineButton2: return "DefineButton2";
        case DefineBitsJpeg3: return "DefineBitsJPEG3";
        case DefineBitsLossless2: return "DefineBitsLossless2";
        case DefineEditText: return "DefineEditText";
        case DefineSprite: return "DefineSprite";
        case FrameLabel: return "FrameLabel";
        case SoundStreamHead2: return "SoundStreamHead2";
        case DefineMorphShape: return "DefineMorphShape";
        case DefineFont2: return "DefineFont2";
        case ExportAssets: return "ExportAssets";
        case ImportAssets: return "ImportAssets";
        case EnableDebugger: return "EnableDebugger";
        case DoInitAction: return "DoInitAction";
        case DefineVideoStream: return "DefineVideoStream";
        case VideoFrame: return "VideoFrame";
        case DefineFontInfo2: return "DefineFontInfo2";
        case DebugId: return "DebugID";
        case EnableDebugger2: return "EnableDebugger2";
        case ScriptLimits: return "ScriptLimits";
        case SetTabIndex: return "SetTabIndex";
        case FileAttributes: return "FileAttributes";
        case PlaceObject3: return "PlaceObject3";
        case ImportAssets2: return "ImportAssets2";
        case DefineFontAlignZones: return "DefineFontAlignZones";
        case CsmTextSettings: return "CSMTextSettings";
        case DefineFont3: return "DefineFont3";
        case Metadata: return "Metadata";
        case DefineScalingGrid: return "DefineScalingGrid";
        case DefineShape4: return "DefineShape4";
        case DefineMorphShape2: return "DefineMorphShape2";
        case DefineSceneAndFrameLabelData: return "DefineSceneAndFrameLabelData";
        case DefineFontName: return "DefineFontName";
        case StartSound2: return "StartSound2";
        case DefineBitsJpeg4: return "DefineBitsJPEG4";
        default: return "unknown tag";
    }
}

}  // namespace pencora::swf::tag
